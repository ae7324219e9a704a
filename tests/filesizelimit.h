#pragma once

#include <csignal>
#include <sys/resource.h>

// While it lives, writes past `room` bytes fail as on a full disk, even for root, and
// SIGXFSZ is ignored so that they fail instead of killing the test. A negative room
// leaves the limit as it is.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(long long room)
    {
        m_ok = getrlimit(RLIMIT_FSIZE, &m_saved) == 0;
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_saved;
        if (room >= 0) {
            limited.rlim_cur = rlim_t(room);
        }
        m_ok = m_ok && setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool isSet() const { return m_ok; }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = SIG_DFL;
    bool m_ok = false;
};
