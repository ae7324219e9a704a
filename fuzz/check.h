#pragma once

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken property is a finding: print what broke and abort, so that libFuzzer keeps the
// input that did it.
#define FUZZ_CHECK(condition, what)                                                           \
    do {                                                                                      \
        if (!(condition)) {                                                                   \
            std::fprintf(stderr, "fuzz check failed at %s:%d: %s (%s)\n", __FILE__, __LINE__, \
                         #condition, qPrintable(QString(what)));                             \
            std::abort();                                                                     \
        }                                                                                     \
    } while (false)

inline QByteArray inputBytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// Where targets write their files: memory when the system offers it, since a disk's writes
// and syncs would slow every run down to a few hundred a second.
inline QString scratchTemplate()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    const QString base = shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
    return base + QStringLiteral("/wordmoor-fuzz-XXXXXX");
}
