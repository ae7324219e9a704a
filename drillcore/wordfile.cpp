#include "drillcore/wordfile.h"

#include "base/files.h"

#include <QFileInfo>

namespace WordFile
{

QString groupPath(const QString &installPath, int group)
{
    return installPath + QLatin1String("ciku/ci") + QString::number(group) + QLatin1String(".txt");
}

int discoverGroups(const QString &installPath)
{
    int i = 1;
    while (i <= kMaxGroups && Files::isNormalFile(groupPath(installPath, i))) {
        ++i;
    }
    return i - 1;
}

Group loadGroup(const QString &path)
{
    Group group;
    Files::TextLines text = Files::readTextLines(path);
    if (text.status == Files::TextLines::OpenFailed) {
        group.error = text.error;
        return group;
    }
    if (text.status == Files::TextLines::ReadFailed) {
        group.status = LoadStatus::ReadFailed;
        group.error = QStringLiteral("%1 could not be read to its end: %2")
                          .arg(QFileInfo(path).fileName(), text.error);
        return group;
    }
    const qsizetype pairs = text.lines.size() / 2;
    if (pairs > kMaxEntries) {
        group.status = LoadStatus::TooManyEntries;
        group.error = QStringLiteral("it holds %1 words; a group may hold at most %2.")
                          .arg(pairs)
                          .arg(kMaxEntries);
        return group;
    }
    for (qsizetype i = 0; i < 2 * pairs; ++i) {
        if (DrillRules::lineTooLong(text.lines[i])) {
            group.status = LoadStatus::LineTooLong;
            group.error = QStringLiteral("line %1 of %2 holds %3 characters; a line may hold at "
                                         "most %4.")
                              .arg(i + 1)
                              .arg(QFileInfo(path).fileName())
                              .arg(DrillRules::characterCount(text.lines[i]))
                              .arg(kMaxLineLength);
            return group;
        }
    }
    group.status = LoadStatus::Ok;
    group.entries.reserve(pairs);
    for (qsizetype i = 0; i + 1 < text.lines.size(); i += 2) {
        group.entries.append(Entry{text.lines[i], text.lines[i + 1]});
    }
    return group;
}

QString groupLine(int group, int words)
{
    return QStringLiteral("第%1组: %2个词语").arg(group).arg(words);
}

} // namespace WordFile
