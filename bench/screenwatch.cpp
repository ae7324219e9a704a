// Starts a program and watches its top-level windows from outside the process, through the
// X server, as a learner meets them: when each is created, when it becomes viewable, and
// every drawing on it (the DAMAGE extension). Once the window that ends the watch (see
// windowtimeline.h) has had no damage for --quiet-ms, it reads the program's peak resident
// memory, ends the program with SIGTERM and prints one line of figures in milliseconds.
// Its options are in screenwatchtools.h.
//
// Every event is timed as this watch reads it. damage_lag_max says how much later than the
// X server stamped them (at most) it read the damage on the painted window: Xvfb stamps
// events with the same monotonic clock, in whole milliseconds.

#include "bench/screenwatchtools.h"
#include "bench/windowtimeline.h"

#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace
{

class Watch
{
public:
    explicit Watch(const Options &options) : m_options(options)
    {
        int screenNumber = 0;
        m_x = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(m_x)) {
            const char *display = std::getenv("DISPLAY");
            fail(1, "cannot open the display %s", display ? display : "(DISPLAY is not set)");
        }
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_x));
        for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
            xcb_screen_next(&screens);
        }
        m_root = screens.data->root;
        m_timeline =
            ScreenWatch::Timeline(screens.data->width_in_pixels, screens.data->height_in_pixels);
        // The connection is no business of the program's.
        fcntl(xcb_get_file_descriptor(m_x), F_SETFD, FD_CLOEXEC);

        const xcb_query_extension_reply_t *damage = xcb_get_extension_data(m_x, &xcb_damage_id);
        if (!damage || !damage->present) {
            fail(1, "the X server has no DAMAGE extension");
        }
        m_damageEvent = damage->first_event + XCB_DAMAGE_NOTIFY;
        free(xcb_damage_query_version_reply(
            m_x, xcb_damage_query_version(m_x, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
            nullptr));
        xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
            m_x, xcb_intern_atom(m_x, 0, std::strlen("_NET_WM_PID"), "_NET_WM_PID"), nullptr);
        if (!atom) {
            fail(1, "cannot look up _NET_WM_PID");
        }
        m_pidAtom = atom->atom;
        free(atom);

        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_generic_error_t *error = xcb_request_check(
            m_x, xcb_change_window_attributes_checked(m_x, m_root, XCB_CW_EVENT_MASK, &mask));
        if (error) {
            fail(1, "cannot watch the root window (X error %d)", error->error_code);
        }
    }

    ~Watch() { xcb_disconnect(m_x); }

    int run()
    {
        start();
        const double painted = watchUntilPainted();
        const double memory = peakMemoryMb(m_pid);
        const std::string ending = end();
        std::string line = m_timeline.figures(m_options.waitMs, memory);
        char lag[64];
        std::snprintf(lag, sizeof lag, " damage_lag_max=%.0f", m_damageLagMax);
        line += lag;
        line += ' ' + ending;
        std::printf("%s\n", line.c_str());
        if (m_options.verbose) {
            std::fprintf(stderr, "painted at %.2f ms\n", painted);
        }
        return 0;
    }

private:
    enum class Ask { Pid, Attributes };
    struct Pending {
        std::uint32_t window;
        unsigned sequence;
        Ask ask;
    };

    double now() const { return monotonicMs() - m_startMs; }

    void note(const char *format, ...)
    {
        if (!m_options.verbose) {
            return;
        }
        std::fprintf(stderr, "%9.2f ", now());
        va_list args;
        va_start(args, format);
        std::vfprintf(stderr, format, args);
        va_end(args);
        std::fputc('\n', stderr);
    }

    void start()
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (m_options.log) {
            posix_spawn_file_actions_addopen(&actions, 1, m_options.log,
                                             O_WRONLY | O_CREAT | O_APPEND, 0644);
            posix_spawn_file_actions_adddup2(&actions, 1, 2);
        }
        // Nothing the program does may come before the clock starts.
        m_startMs = monotonicMs();
        const int error = posix_spawnp(&m_pid, m_options.program[0], &actions, nullptr,
                                       m_options.program, environ);
        posix_spawn_file_actions_destroy(&actions);
        if (error != 0) {
            fail(1, "cannot start %s: %s", m_options.program[0], std::strerror(error));
        }
        // A descriptor that becomes readable when the program ends, for poll (glibc 2.36's
        // header declares pidfd_open without C linkage, hence the system call).
#ifdef SYS_pidfd_open
        m_pidFd = int(syscall(SYS_pidfd_open, m_pid, 0));
#endif
        note("started %s, pid %d", m_options.program[0], int(m_pid));
    }

    // Returns when the target window was painted, or fails.
    double watchUntilPainted()
    {
        const int xFd = xcb_get_file_descriptor(m_x);
        for (;;) {
            readEvents();
            if (xcb_connection_has_error(m_x)) {
                stopProgram();
                fail(1, "lost the connection to the X server");
            }
            const double at = now();
            const double deadline = m_timeline.quietDeadline(m_options.quietMs);
            if (deadline >= 0 && at >= deadline) {
                return m_timeline.paintedAt();
            }
            if (at >= m_options.timeoutMs) {
                stopProgram();
                fail(2, "no window of %s was painted within %.0f ms (%s)", m_options.program[0],
                     m_options.timeoutMs, seen().c_str());
            }
            double wait = m_options.timeoutMs - at;
            if (deadline >= 0) {
                wait = std::min(wait, deadline - at);
            }
            // Without a pidfd the program's end is looked for between short waits.
            if (m_pidFd < 0) {
                wait = std::min(wait, 50.0);
            }
            pollfd fds[2] = {{xFd, POLLIN, 0}, {m_pidFd, POLLIN, 0}};
            const int ready = poll(fds, m_pidFd < 0 ? 1 : 2, int(std::ceil(wait)));
            if (ready < 0 && errno != EINTR) {
                stopProgram();
                fail(1, "poll: %s", std::strerror(errno));
            }
            int status = 0;
            if ((m_pidFd >= 0 && (fds[1].revents & POLLIN)) ||
                (m_pidFd < 0 && waitpid(m_pid, &status, WNOHANG) == m_pid)) {
                if (m_pidFd >= 0) {
                    waitpid(m_pid, &status, 0);
                }
                m_pid = 0;
                fail(2, "%s ended (%s %d) before its window was painted (%s)",
                     m_options.program[0], WIFEXITED(status) ? "status" : "signal",
                     WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status), seen().c_str());
            }
        }
    }

    void readEvents()
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_x)) {
            handle(event, now());
            free(event);
        }
        answerReplies();
        xcb_flush(m_x);
    }

    void handle(xcb_generic_event_t *event, double at)
    {
        const int type = event->response_type & 0x7f;
        if (type == 0) {
            // A window gone before a request about it reached the server: nothing to watch.
            const auto *error = reinterpret_cast<xcb_generic_error_t *>(event);
            note("X error %d on request %d", error->error_code, error->major_code);
            return;
        }
        if (type == m_damageEvent) {
            const auto *damage = reinterpret_cast<xcb_damage_notify_event_t *>(event);
            m_timeline.damaged(damage->drawable, at);
            const ScreenWatch::Window *target = m_timeline.target();
            if (target && target->id == damage->drawable) {
                // The server stamps events with its own monotonic milliseconds: how late
                // this watch read the damage, within a millisecond.
                const std::uint32_t ours = std::uint32_t(std::floor(monotonicMs()));
                m_damageLagMax =
                    std::max(m_damageLagMax, double(std::int32_t(ours - damage->timestamp)));
            }
            if (isWatched(damage->drawable)) {
                note("damage 0x%x %dx%d+%d+%d", damage->drawable, damage->area.width,
                     damage->area.height, damage->area.x, damage->area.y);
            }
            return;
        }
        switch (type) {
        case XCB_CREATE_NOTIFY: {
            const auto *create = reinterpret_cast<xcb_create_notify_event_t *>(event);
            if (create->parent != m_root || create->override_redirect) {
                return;
            }
            note("create 0x%x %dx%d", create->window, create->width, create->height);
            m_timeline.created(create->window, at, create->width, create->height);
            watchWindow(create->window);
            return;
        }
        case XCB_MAP_NOTIFY: {
            const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
            note("map 0x%x", map->window);
            m_timeline.mapped(map->window, at);
            return;
        }
        case XCB_REPARENT_NOTIFY: {
            const auto *reparent = reinterpret_cast<xcb_reparent_notify_event_t *>(event);
            const std::uint32_t topLevel = topLevelOf(reparent->parent);
            note("reparent 0x%x into 0x%x (top level 0x%x)", reparent->window, reparent->parent,
                 topLevel);
            m_timeline.reparented(reparent->window, topLevel, m_root);
            return;
        }
        case XCB_CONFIGURE_NOTIFY: {
            const auto *configure = reinterpret_cast<xcb_configure_notify_event_t *>(event);
            m_timeline.configured(configure->window, configure->width, configure->height);
            return;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto *destroy = reinterpret_cast<xcb_destroy_notify_event_t *>(event);
            m_timeline.destroyed(destroy->window);
            return;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto *property = reinterpret_cast<xcb_property_notify_event_t *>(event);
            if (property->atom == m_pidAtom) {
                askPid(property->window);
            }
            return;
        }
        default:
            return;
        }
    }

    // Follows a new top-level window: its own map, size and properties, its damage, whose
    // it is, and whether it was mapped before this watch could ask for its MapNotify.
    void watchWindow(std::uint32_t window)
    {
        const std::uint32_t mask =
            XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(m_x, window, XCB_CW_EVENT_MASK, &mask);
        xcb_damage_create(m_x, xcb_generate_id(m_x), window,
                          XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        askPid(window);
        m_pending.push_back(
            {window, xcb_get_window_attributes(m_x, window).sequence, Ask::Attributes});
    }

    void askPid(std::uint32_t window)
    {
        m_pending.push_back(
            {window, xcb_get_property(m_x, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1).sequence,
             Ask::Pid});
    }

    void answerReplies()
    {
        for (std::size_t i = 0; i < m_pending.size();) {
            void *reply = nullptr;
            xcb_generic_error_t *error = nullptr;
            if (!xcb_poll_for_reply(m_x, m_pending[i].sequence, &reply, &error)) {
                ++i;
                continue;
            }
            const Pending asked = m_pending[i];
            m_pending.erase(m_pending.begin() + long(i));
            free(error);
            if (!reply) {
                continue;
            }
            if (asked.ask == Ask::Pid) {
                auto *property = static_cast<xcb_get_property_reply_t *>(reply);
                if (xcb_get_property_value_length(property) >= 4) {
                    const std::uint32_t pid =
                        *static_cast<std::uint32_t *>(xcb_get_property_value(property));
                    m_timeline.ownerKnown(asked.window, pid == std::uint32_t(m_pid)
                                                            ? ScreenWatch::Owner::Program
                                                            : ScreenWatch::Owner::Other);
                    note("0x%x has _NET_WM_PID %u", asked.window, pid);
                }
            } else {
                auto *attributes = static_cast<xcb_get_window_attributes_reply_t *>(reply);
                if (attributes->map_state != XCB_MAP_STATE_UNMAPPED) {
                    note("0x%x was mapped before it was watched", asked.window);
                    m_timeline.mapped(asked.window, now());
                }
            }
            free(reply);
        }
    }

    // The child of the root that holds window (a frame's inner window, say).
    std::uint32_t topLevelOf(std::uint32_t window)
    {
        while (window != m_root) {
            xcb_query_tree_reply_t *tree =
                xcb_query_tree_reply(m_x, xcb_query_tree(m_x, window), nullptr);
            if (!tree) {
                return window;
            }
            const std::uint32_t parent = tree->parent;
            free(tree);
            if (parent == m_root) {
                return window;
            }
            window = parent;
        }
        return window;
    }

    // SIGTERM, then SIGKILL after 3 s; says how the program ended.
    std::string end()
    {
        kill(m_pid, SIGTERM);
        bool ended = false;
        if (m_pidFd >= 0) {
            pollfd fd{m_pidFd, POLLIN, 0};
            ended = poll(&fd, 1, 3000) > 0;
        } else {
            for (int i = 0; i < 60 && !ended; ++i) {
                ended = waitpid(m_pid, nullptr, WNOHANG) == m_pid;
                if (!ended) {
                    poll(nullptr, 0, 50);
                }
            }
        }
        if (!ended) {
            std::fprintf(stderr, "screenwatch: %s did not end within 3 s of SIGTERM: killed\n",
                         m_options.program[0]);
            kill(m_pid, SIGKILL);
        }
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = 0;
        if (!ended) {
            return "ended=killed";
        }
        return WIFEXITED(status) ? "ended=status" + std::to_string(WEXITSTATUS(status))
                                 : "ended=signal" + std::to_string(WTERMSIG(status));
    }

    void stopProgram()
    {
        if (m_pid > 0) {
            end();
        }
    }

    // One of the windows that may be the program's: frames draw what their clients draw.
    bool isWatched(std::uint32_t id) const
    {
        for (const ScreenWatch::Window &window : m_timeline.windows()) {
            if (window.id == id) {
                return !window.isFrame && window.owner != ScreenWatch::Owner::Other;
            }
        }
        return false;
    }

    std::string seen() const
    {
        std::string text;
        int mine = 0;
        for (const ScreenWatch::Window &window : m_timeline.windows()) {
            if (window.owner != ScreenWatch::Owner::Other && !window.isFrame) {
                ++mine;
                char one[96];
                std::snprintf(one, sizeof one, "%s0x%x %dx%d %s", mine > 1 ? ", " : "", window.id,
                              window.width, window.height,
                              window.mappedMs < 0        ? "never viewable"
                              : window.damageEvents == 0 ? "viewable, never drawn"
                                                         : "drawn");
                text += one;
            }
        }
        return mine == 0 ? "no window of its own seen" : "windows: " + text;
    }

    const Options &m_options;
    xcb_connection_t *m_x = nullptr;
    xcb_window_t m_root = 0;
    xcb_atom_t m_pidAtom = 0;
    int m_damageEvent = 0;
    ScreenWatch::Timeline m_timeline{1, 1};
    std::vector<Pending> m_pending;
    double m_startMs = 0;
    double m_damageLagMax = 0;
    pid_t m_pid = 0;
    int m_pidFd = -1;
};

} // namespace

int main(int argc, char **argv)
{
    const Options options = readOptions(argc, argv);
    // A program that dies does not take this watch with it through a broken pipe.
    signal(SIGPIPE, SIG_IGN);
    Watch watch(options);
    return watch.run();
}
