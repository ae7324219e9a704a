// The word-file reader on any bytes: lines end where a plain model of the line ends says,
// each line decodes as it would alone in the encoding detected for the whole file, and a
// group file pairs those lines into entries.
#include "base/files.h"
#include "drillcore/wordfile.h"
#include "fuzz/check.h"
#include "tests/linesmodel.h"

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <algorithm>

namespace
{

// CR LF, then each remaining CR, become LF; one LF at the very end only ends the last line.
QList<QByteArray> modelLines(QByteArray body)
{
    body.replace("\r\n", "\n");
    body.replace('\r', '\n');
    if (body.isEmpty()) {
        return {};
    }
    if (body.endsWith('\n')) {
        body.chop(1);
    }
    return body.split('\n');
}

QString decodeAlone(const QByteArray &line, Files::TextEncoding encoding)
{
    QStringDecoder fresh(encoding == Files::TextEncoding::Utf8 ? "UTF-8" : "GB18030",
                         QStringDecoder::Flag::Stateless |
                             QStringDecoder::Flag::ConvertInitialBom);
    return fresh.decode(line);
}

void checkGroupFile(const QByteArray &bytes, const QStringList &lines)
{
    static QTemporaryDir dir(scratchTemplate());
    const QString path = dir.filePath(QStringLiteral("ci1.txt"));
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate), path);
    FUZZ_CHECK(file.write(bytes) == bytes.size(), path);
    file.close();
    const WordFile::Group group = WordFile::loadGroup(path);
    if (lines.size() / 2 > WordFile::kMaxEntries) {
        FUZZ_CHECK(group.status == WordFile::LoadStatus::TooManyEntries, group.error);
        return;
    }
    FUZZ_CHECK(group.status == WordFile::LoadStatus::Ok, group.error);
    FUZZ_CHECK(group.entries.size() == lines.size() / 2, QString::number(group.entries.size()));
    for (qsizetype i = 0; i < group.entries.size(); ++i) {
        FUZZ_CHECK(group.entries[i].word == lines[2 * i], group.entries[i].word);
        FUZZ_CHECK(group.entries[i].renderings == lines[2 * i + 1],
                   group.entries[i].renderings);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = inputBytes(data, size);
    QByteArray body;
    const Files::TextEncoding encoding = Files::detectEncoding(bytes, &body);
    FUZZ_CHECK(!bytes.startsWith("\xEF\xBB\xBF") || encoding == Files::TextEncoding::Utf8, "");
    // The quick scan that picks the encoding agrees with Qt's own UTF-8 decoder.
    // (The scan counts a byte-order mark as the character it is; the decoder keeps it too.)
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString asUtf8 = utf8.decode(bytes);
    bool wide = false;
    FUZZ_CHECK(Files::isValidUtf8(bytes, &wide) == !utf8.hasError(), "");
    FUZZ_CHECK(utf8.hasError() ||
                   wide == std::any_of(asUtf8.begin(), asUtf8.end(),
                                       [](QChar c) { return c.unicode() >= 0x800; }),
               "");

    const QList<QByteArray> raw = modelSplitLines(body);
    FUZZ_CHECK(raw == modelLines(body), QString::number(raw.size()));
    const QStringList lines = Files::decodeLines(bytes);
    FUZZ_CHECK(lines.size() == raw.size(), QString::number(lines.size()));
    for (qsizetype i = 0; i < raw.size(); ++i) {
        FUZZ_CHECK(!raw[i].contains('\r') && !raw[i].contains('\n'), QString::number(i));
        FUZZ_CHECK(lines[i] == decodeAlone(raw[i], encoding), lines[i]);
    }
    checkGroupFile(bytes, lines);
    return 0;
}
