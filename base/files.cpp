#include "base/files.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace Files {

bool isNormalFile(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

QList<QByteArray> splitLines(const QByteArray &bytes)
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
        // CR LF is one line end; LF CR is two.
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

TextEncoding detectEncoding(const QByteArray &bytes, QByteArray *withoutBom)
{
    static const QByteArray bom("\xEF\xBB\xBF", 3);
    if (bytes.startsWith(bom)) {
        if (withoutBom) {
            *withoutBom = bytes.mid(3);
        }
        return TextEncoding::Utf8;
    }
    if (withoutBom) {
        *withoutBom = bytes;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString probe = utf8.decode(bytes);
    if (utf8.hasError()) {
        return TextEncoding::Gb18030;
    }
    // Short GB18030 text can pass as UTF-8 made of two-byte sequences only (学习 reads
    // as Cyrillic and Greek). Chinese in UTF-8 takes three bytes or more a character, so
    // text without such a character stays GB18030; pure ASCII reads the same either way.
    for (const QChar c : probe) {
        if (c.unicode() >= 0x800) {
            return TextEncoding::Utf8;
        }
    }
    return TextEncoding::Gb18030;
}

namespace {
// Stateless: a character cut off at the end of the input is dropped or replaced there, not
// kept for the next call, so no decoder state crosses from one line into the next.
QStringDecoder makeDecoder(TextEncoding encoding)
{
    const auto flags = QStringDecoder::Flag::Stateless;
    if (encoding == TextEncoding::Utf8) {
        return QStringDecoder(QStringDecoder::Utf8, flags);
    }
    return QStringDecoder("GB18030", flags);
}
} // namespace

QString decode(const QByteArray &bytes, TextEncoding encoding)
{
    QStringDecoder decoder = makeDecoder(encoding);
    return decoder.isValid() ? decoder.decode(bytes) : QString::fromLatin1(bytes);
}

QStringList decodeLines(const QByteArray &bytes)
{
    QByteArray body;
    const TextEncoding encoding = detectEncoding(bytes, &body);
    const QList<QByteArray> raw = splitLines(body);
    QStringList lines;
    lines.reserve(raw.size());
    // One stateless decoder for speed: a line that ends in a stray lead byte must not take
    // the first character of the next line into it.
    QStringDecoder decoder = makeDecoder(encoding);
    for (const QByteArray &line : raw) {
        lines.append(decoder.isValid() ? decoder.decode(line) : QString::fromLatin1(line));
    }
    return lines;
}

TextLines readTextLines(const QString &path)
{
    TextLines result;
    QFile file(path);
    if (!isNormalFile(path) || !file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    result.opened = true;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        // A read error ends the file where it happened.
        result.error = file.errorString();
    }
    result.lines = decodeLines(bytes);
    return result;
}

QByteArray readRecord(const QByteArray &image, int number, int size)
{
    QByteArray record(size, '\0');
    const qsizetype offset = static_cast<qsizetype>(number - 1) * size;
    if (number < 1 || offset >= image.size()) {
        return record;
    }
    const QByteArray present = image.mid(offset, size);
    record.replace(0, present.size(), present);
    return record;
}

void writeRecord(QByteArray &image, int number, const QByteArray &record)
{
    if (number < 1) {
        return;
    }
    const qsizetype offset = static_cast<qsizetype>(number - 1) * record.size();
    if (image.size() < offset + record.size()) {
        image.append(QByteArray(offset + record.size() - image.size(), '\0'));
    }
    image.replace(offset, record.size(), record);
}

bool deleteFile(const QString &path)
{
    if (!isNormalFile(path)) {
        return false;
    }
    return QFile::remove(path);
}

} // namespace Files
