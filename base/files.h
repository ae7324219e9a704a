#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace Files
{

// True when path names a regular file (not a folder, not missing).
bool isNormalFile(const QString &path);

// Cuts bytes into lines: LF, CR LF and a lone CR each end a line (CR LF once, LF CR
// twice). A terminator at the very end does not start a further, empty line.
QList<QByteArray> splitLines(const QByteArray &bytes);

enum class TextEncoding { Utf8, Gb18030 };

// A byte-order mark, or valid UTF-8 throughout with at least one character of three bytes
// or more, means UTF-8; anything else is read in the Chinese ANSI code page, GB18030.
// Gives the bytes without a byte-order mark through withoutBom.
TextEncoding detectEncoding(const QByteArray &bytes, QByteArray *withoutBom = nullptr);
// Well-formed UTF-8 throughout; tells whether a character of three bytes or more occurs.
bool isValidUtf8(QByteArrayView bytes, bool *hasWideCharacter = nullptr);
// Decodes bytes as a whole text: a character cut off at the end does not wait for more.
QString decode(const QByteArray &bytes, TextEncoding encoding);

// A text file's bytes as decoded lines: the encoding is detected on the whole file, then
// each line decodes as it would alone.
QStringList decodeLines(const QByteArray &bytes);

struct TextLines {
    bool opened = false;
    QString error; // why the file could not be opened or read
    QStringList lines;
};

// Reads a whole text file into decoded lines, following the rules above.
TextLines readTextLines(const QString &path);

// Fixed-length records in a byte image of a file, numbered from 1. A record that lies
// past the end reads as zeros; writing one past the end extends the image with zeros.
QByteArray readRecord(const QByteArray &image, int number, int size);
void writeRecord(QByteArray &image, int number, const QByteArray &record);

// Deletes a file; false when there was none or it could not be removed.
bool deleteFile(const QString &path);

} // namespace Files
