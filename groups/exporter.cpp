#include "groups/exporter.h"

#include "drillcore/wordfile.h"
#include "groups/tabletext.h"

namespace Groups
{

QString groupTag(int group)
{
    return QStringLiteral("Wordmoor::Group_%1").arg(group);
}

Export exportCollection(const QString &folder)
{
    Export result;
    QString text = QStringLiteral("#separator:tab\n#html:false\n#tags column:3\n");
    const QChar tab = QLatin1Char('\t');
    const int count = WordFile::discoverGroups(folder);
    for (int n = 1; n <= count; ++n) {
        const QString path = WordFile::groupPath(folder, n);
        const WordFile::Group group = WordFile::loadGroup(path);
        if (group.status != WordFile::LoadStatus::Ok) {
            result.problems.append(
                {path, 1, Severity::Error,
                 QStringLiteral("left out of the export: %1").arg(group.error)});
            continue;
        }
        for (const WordFile::Entry &entry : group.entries) {
            text += quoteField(entry.word, tab) + tab + quoteField(entry.renderings, tab) + tab +
                    groupTag(n) + QLatin1Char('\n');
        }
        ++result.groups;
        result.words += static_cast<int>(group.entries.size());
    }
    result.text = text.toUtf8();
    return result;
}

} // namespace Groups
