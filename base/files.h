#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Files
{

// True when path names a regular file (not a folder, not missing).
bool isNormalFile(const QString &path);

enum class TextEncoding { Utf8, Gb18030 };

// A byte-order mark, or valid UTF-8 throughout with at least one character of three bytes
// or more, means UTF-8; anything else is read in the Chinese ANSI code page, GB18030.
// Gives the bytes without a byte-order mark through withoutBom.
TextEncoding detectEncoding(const QByteArray &bytes, QByteArray *withoutBom = nullptr);
// Well-formed UTF-8 throughout; tells whether a character of three bytes or more occurs.
bool isValidUtf8(QByteArrayView bytes, bool *hasWideCharacter = nullptr);

// A text file's bytes as decoded lines: the encoding is detected on the whole file, then
// each line decodes as it would alone. LF, CR LF and a lone CR each end a line (CR LF once,
// LF CR twice); a line end at the very end does not start a further, empty line.
QStringList decodeLines(const QByteArray &bytes);
// The same bytes as one text, line ends kept (for readers of other programs' files, whose
// quoted fields may hold line breaks).
QString decodeText(const QByteArray &bytes);

struct TextLines {
    enum Status { Ok, OpenFailed, ReadFailed };
    Status status = OpenFailed;
    QString error;     // the system's reason when the file could not be opened or read
    QStringList lines; // empty unless Ok
};

// Reads a whole text file into decoded lines, following the rules above. A file that
// cannot be read to its end gives no lines at all.
TextLines readTextLines(const QString &path);

// Deletes a file; false when there was none or it could not be removed.
bool deleteFile(const QString &path);

} // namespace Files
