#include "base/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Files
{

bool isNormalFile(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && info.isFile();
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
    // Short GB18030 text can pass as UTF-8 made of two-byte sequences only (学习 reads
    // as Cyrillic and Greek). Chinese in UTF-8 takes three bytes or more a character, so
    // text without such a character stays GB18030; pure ASCII reads the same either way.
    bool wide = false;
    return isValidUtf8(bytes, &wide) && wide ? TextEncoding::Utf8 : TextEncoding::Gb18030;
}

bool isValidUtf8(QByteArrayView bytes, bool *hasWideCharacter)
{
    // A scan of the bytes: the whole file is not decoded just to learn its encoding.
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    bool wide = false;
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int length = 0;
        char32_t code = 0;
        char32_t least = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
            least = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
            least = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
            least = 0x10000;
        } else {
            return false;
        }
        if (end - p < length) {
            return false;
        }
        for (int k = 1; k < length; ++k) {
            if ((p[k] & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (p[k] & 0x3F);
        }
        // Overlong forms, surrogates and code points past Unicode are not UTF-8.
        if (code < least || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
            return false;
        }
        wide = wide || length >= 3;
        p += length;
    }
    if (hasWideCharacter) {
        *hasWideCharacter = wide;
    }
    return true;
}

namespace
{
// Stateless: a character cut off at the end of the input is dropped or replaced there, not
// kept for the next call, so no decoder state crosses from one line into the next.
QStringDecoder makeDecoder(TextEncoding encoding)
{
    // A byte-order mark at the start of a line (the file's own is gone by now) is text
    // like any other character, whether the line is decoded alone or with the file.
    const auto flags = QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;
    if (encoding == TextEncoding::Utf8) {
        return QStringDecoder(QStringDecoder::Utf8, flags);
    }
    return QStringDecoder("GB18030", flags);
}
} // namespace

namespace
{

// Cuts text at its line ends: CR LF, a lone CR, a lone LF.
template <typename Text, typename Take> void forEachLine(const Text &text, Take take)
{
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = text[i];
        if (c != '\r' && c != '\n') {
            continue;
        }
        take(start, i - start);
        if (c == '\r' && i + 1 < n && text[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < n) {
        take(start, n - start);
    }
}

} // namespace

QStringList decodeLines(const QByteArray &bytes)
{
    QByteArray body;
    const TextEncoding encoding = detectEncoding(bytes, &body);
    QStringList lines;
    QStringDecoder decoder = makeDecoder(encoding);
    if (!decoder.isValid()) {
        forEachLine(body, [&](qsizetype from, qsizetype length) {
            lines.append(QString::fromLatin1(body.constData() + from, length));
        });
        return lines;
    }
    // CR and LF never lie inside a well-formed character, so a file that decodes without
    // an error decodes line by line to the same text: one decode serves all lines then.
    const QString text = decoder.decode(body);
    if (!decoder.hasError()) {
        forEachLine(
            text, [&](qsizetype from, qsizetype length) { lines.append(text.mid(from, length)); });
        return lines;
    }
    // Otherwise each line on its own (the decoder is stateless): a line that ends in a stray
    // lead byte must not take the first character of the next line into it.
    decoder.resetState();
    forEachLine(body, [&](qsizetype from, qsizetype length) {
        lines.append(decoder.decode(QByteArrayView(body.constData() + from, length)));
    });
    return lines;
}

QString decodeText(const QByteArray &bytes)
{
    QByteArray body;
    const TextEncoding encoding = detectEncoding(bytes, &body);
    QStringDecoder decoder = makeDecoder(encoding);
    return decoder.isValid() ? decoder.decode(body) : QString::fromLatin1(body);
}

TextLines readTextLines(const QString &path)
{
    TextLines result;
    QFile file(path);
    if (!isNormalFile(path) || !file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        // Part of a group is not the group: its pairs could be cut anywhere.
        result.status = TextLines::ReadFailed;
        result.error = file.errorString();
        return result;
    }
    result.status = TextLines::Ok;
    result.lines = decodeLines(bytes);
    return result;
}

bool deleteFile(const QString &path)
{
    if (!isNormalFile(path)) {
        return false;
    }
    return QFile::remove(path);
}

} // namespace Files
