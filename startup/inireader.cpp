#include "startup/inireader.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringList>

namespace Ini
{

namespace
{

ProfileValue fromText(const QString &text)
{
    return ProfileValue{text, static_cast<int>(text.size())};
}

QString stripQuotes(const QString &value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first) {
            return value.mid(1, value.size() - 2);
        }
    }
    return value;
}

} // namespace

ProfileValue readProfileStringFromBytes(const QByteArray &iniBytes, const QString &section,
                                        const QString &key, const QString &defaultText)
{
    // The file's byte-order mark is dropped here and only here: the decoder keeps any other
    // as the character it is.
    static const QByteArray bom("\xEF\xBB\xBF", 3);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(iniBytes.startsWith(bom) ? iniBytes.mid(3) : iniBytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = text.split(QLatin1Char('\n'));

    bool inSection = false;
    bool sectionSeen = false;
    for (const QString &rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) {
            continue;
        }
        if (line.startsWith(QLatin1Char('['))) {
            const int close = line.indexOf(QLatin1Char(']'));
            const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            if (sectionSeen && inSection) {
                // Only the first section of that name counts.
                break;
            }
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection) {
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) {
            continue;
        }
        if (line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0) {
            continue;
        }
        return fromText(stripQuotes(line.mid(eq + 1).trimmed()));
    }
    return fromText(defaultText);
}

ProfileValue readProfileString(const QString &iniPath, const QString &section, const QString &key,
                               const QString &defaultText)
{
    QFile file(iniPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return fromText(defaultText);
    }
    return readProfileStringFromBytes(file.readAll(), section, key, defaultText);
}

} // namespace Ini
