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
#define FUZZ_CHECK(condition, what)                                                               \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "fuzz check failed at %s:%d: %s (%s)\n", __FILE__, __LINE__,     \
                         #condition, qPrintable(QString(what)));                                  \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)

inline QByteArray inputBytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// Where targets write their files: WORDMOOR_FUZZ_SCRATCH when set (scripts/fuzz.sh points it
// at memory and removes it afterwards, also when a finding stopped a target), else memory
// when the system offers it, since a disk's writes and syncs would slow every run down to a
// few hundred a second.
inline QString scratchTemplate()
{
    QString base = qEnvironmentVariable("WORDMOOR_FUZZ_SCRATCH");
    if (base.isEmpty()) {
        const QFileInfo shm(QStringLiteral("/dev/shm"));
        base = shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
    }
    return base + QStringLiteral("/wordmoor-fuzz-XXXXXX");
}
