#pragma once

// The plain model of where a group file's lines end, on its bytes: LF, CR LF and a lone CR
// each end a line (CR LF once, LF CR twice), and a line end at the very end starts no
// further, empty line. The reader must cut its decoded text at the same places. Shared by
// the tests and the fuzzer.

#include <QByteArray>
#include <QList>

inline QList<QByteArray> modelSplitLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            continue;
        }
        lines.append(bytes.mid(start, i - start));
        if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < n) {
        lines.append(bytes.mid(start));
    }
    return lines;
}
