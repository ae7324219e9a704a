#include "groups/importer.h"

#include "base/files.h"
#include "base/wholefile.h"
#include "drillcore/drillrules.h"
#include "drillcore/questions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>

namespace Groups
{

namespace
{

QString shown(const QString &text)
{
    const QString line = QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QLatin1Char('\'') + (line.size() > 40 ? line.left(40) + QStringLiteral("...") : line) +
           QLatin1Char('\'');
}

// Every line break as one LF; most fields hold none, and are not copied.
QString withLineFeeds(const QString &text)
{
    if (!text.contains(QLatin1Char('\r'))) {
        return text;
    }
    return QString(text)
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

// Why an entry cannot be a drill entry, or an empty string when it can.
QString unfit(const QString &word, const QStringList &renderings, const QString &line)
{
    if (word.isEmpty()) {
        return QStringLiteral("an entry with no word (renderings %1)")
            .arg(shown(renderings.join(QStringLiteral("; "))));
    }
    if (word.contains(QLatin1Char('\n'))) {
        return shown(word) + QStringLiteral(": the word spans lines");
    }
    if (renderings.isEmpty()) {
        return shown(word) + QStringLiteral(": no rendering");
    }
    // The drill's own measure, so that the drill takes every line the importer writes.
    if (DrillRules::lineTooLong(word) || DrillRules::lineTooLong(line)) {
        return shown(word) + QStringLiteral(": a line of %1 characters; a line may hold at "
                                            "most %2")
                                 .arg(std::max(DrillRules::characterCount(word),
                                               DrillRules::characterCount(line)))
                                 .arg(WordFile::kMaxLineLength);
    }
    return QString();
}

} // namespace

QList<PreparedEntry> prepareEntries(const QList<SourceEntry> &entries, const QString &path,
                                    QList<Diagnostic> &notes)
{
    struct Pending {
        QString word;
        QStringList renderings;
        int line = 0;
        QString group;
        int offered = 0; // renderings before the drill's limit
    };
    QList<Pending> pending;
    QHash<QString, qsizetype> seen; // group + word -> index in pending
    const qsizetype firstNote = notes.size();
    for (const SourceEntry &source : entries) {
        const QString renderingsText = withLineFeeds(source.renderings);
        const QString word = withLineFeeds(source.word.trimmed());
        if (word.isEmpty() && renderingsText.trimmed().isEmpty()) {
            continue; // an empty row, as spreadsheets leave them
        }
        QStringList renderings;
        for (const QString &part : renderingsText.split(QLatin1Char('\n'))) {
            for (const QString &cut : Questions::splitRenderings(part)) {
                const QString rendering = cut.trimmed();
                if (!rendering.isEmpty() && !renderings.contains(rendering)) {
                    renderings.append(rendering);
                }
            }
        }
        const QString why =
            word.isEmpty() || word.contains(QLatin1Char('\n')) || renderings.isEmpty()
                ? unfit(word, renderings, QString())
                : QString();
        if (!why.isEmpty()) {
            notes.append({path, source.line, Severity::Warning, QStringLiteral("skipped ") + why});
            continue;
        }
        const QString key = source.group + QLatin1Char('\n') + word;
        if (seen.contains(key)) {
            Pending &first = pending[seen.value(key)];
            for (const QString &rendering : renderings) {
                if (!first.renderings.contains(rendering)) {
                    first.renderings.append(rendering);
                }
            }
            notes.append({path, source.line, Severity::Warning,
                          QStringLiteral("merged %1 into its entry on line %2")
                              .arg(shown(word))
                              .arg(first.line)});
            continue;
        }
        seen.insert(key, pending.size());
        pending.append({word, renderings, source.line, source.group, 0});
    }
    QList<PreparedEntry> prepared;
    for (Pending &entry : pending) {
        entry.offered = static_cast<int>(entry.renderings.size());
        if (entry.offered > DrillRules::kMostRenderings) {
            entry.renderings = entry.renderings.mid(0, DrillRules::kMostRenderings);
            notes.append({path, entry.line, Severity::Warning,
                          QStringLiteral("kept the first %1 of the %2 renderings of %3")
                              .arg(DrillRules::kMostRenderings)
                              .arg(entry.offered)
                              .arg(shown(entry.word))});
        }
        const QString line = entry.renderings.join(QStringLiteral("; "));
        const QString why = unfit(entry.word, entry.renderings, line);
        if (!why.isEmpty()) {
            notes.append({path, entry.line, Severity::Warning, QStringLiteral("skipped ") + why});
            continue;
        }
        prepared.append({WordFile::Entry{entry.word, line}, entry.line, entry.group});
    }
    std::stable_sort(notes.begin() + firstNote, notes.end(),
                     [](const Diagnostic &a, const Diagnostic &b) { return a.line < b.line; });
    return prepared;
}

QList<int> groupSizes(int count, int most)
{
    QList<int> sizes;
    if (count <= 0 || most <= 0) {
        return sizes;
    }
    const int groups = (count + most - 1) / most;
    for (int g = 0; g < groups; ++g) {
        sizes.append(count / groups + (g < count % groups ? 1 : 0));
    }
    return sizes;
}

QByteArray groupFileBytes(const QList<WordFile::Entry> &entries)
{
    QString text;
    for (const WordFile::Entry &entry : entries) {
        text += entry.word + QLatin1String("\r\n") + entry.renderings + QLatin1String("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

namespace
{

struct PlannedGroup {
    WrittenGroup written;
    QList<WordFile::Entry> entries;
};

// Reads one file into groups of drill entries; false when none can be made of it.
bool planFile(const QString &fileName, const ImportRequest &request, QList<PlannedGroup> &plan,
              ImportReport &report)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        report.diagnostics.append({fileName, 1, Severity::Error,
                                   QStringLiteral("cannot be read: %1").arg(file.errorString())});
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        report.diagnostics.append({fileName, 1, Severity::Error,
                                   QStringLiteral("cannot be read: %1").arg(file.errorString())});
        return false;
    }
    const Format format = request.format.value_or(detectFormat(bytes, fileName));
    Source source = readSource(bytes, format, request.columns);
    for (Diagnostic &note : source.notes) {
        note.path = fileName;
        report.diagnostics.append(note);
    }
    if (!source.ok) {
        return false;
    }
    report.lines << QStringLiteral("%1: read as %2, taking %3")
                        .arg(fileName, formatName(format), source.columns);
    const QList<PreparedEntry> entries =
        prepareEntries(source.entries, fileName, report.diagnostics);
    if (request.preview) {
        for (qsizetype i = 0; i < entries.size() && i < kPreviewEntries; ++i) {
            report.lines << QStringLiteral("  %1  ->  %2")
                                .arg(entries[i].entry.word, entries[i].entry.renderings);
        }
        report.lines << QStringLiteral("  (%1 entries in all)").arg(entries.size());
    }
    if (entries.size() < DrillRules::kLeastWords) {
        report.diagnostics.append(
            {fileName, 1, Severity::Error,
             QStringLiteral("%1 entries read as %2, and a group needs at least %3; nothing "
                            "imported from it")
                 .arg(entries.size())
                 .arg(formatName(format))
                 .arg(DrillRules::kLeastWords)});
        return false;
    }
    // Each of the source's categories in groups of its own.
    for (qsizetype start = 0, end = 0; start < entries.size(); start = end) {
        while (end < entries.size() && entries[end].group == entries[start].group) {
            ++end;
        }
        if (end - start < DrillRules::kLeastWords) {
            report.diagnostics.append({fileName, entries[start].line, Severity::Warning,
                                       QStringLiteral("skipped the category '%1': it holds one "
                                                      "word, and a group needs %2")
                                           .arg(entries[start].group)
                                           .arg(DrillRules::kLeastWords)});
            continue;
        }
        qsizetype next = start;
        for (int size : groupSizes(static_cast<int>(end - start), request.groupSize)) {
            PlannedGroup group;
            group.written.source = fileName;
            group.written.format = format;
            group.written.words = size;
            group.written.category = entries[start].group;
            // Lesson order need not follow the lines, so the span is given.
            group.written.firstLine = entries[next].line;
            group.written.lastLine = entries[next].line;
            for (int k = 0; k < size; ++k) {
                const PreparedEntry &entry = entries[next + k];
                group.entries.append(entry.entry);
                group.written.firstLine = std::min(group.written.firstLine, entry.line);
                group.written.lastLine = std::max(group.written.lastLine, entry.line);
            }
            next += size;
            plan.append(group);
        }
    }
    return true;
}

} // namespace

ImportReport importFiles(const ImportRequest &request)
{
    ImportReport report;
    if (request.groupSize < kSmallestGroupSize || request.groupSize > WordFile::kMaxEntries) {
        report.status = kCannotRun;
        report.failure = QStringLiteral("--size must lie between %1 and %2")
                             .arg(kSmallestGroupSize)
                             .arg(WordFile::kMaxEntries);
        return report;
    }
    QList<PlannedGroup> plan;
    bool allRead = true;
    for (const QString &fileName : request.files) {
        allRead = planFile(fileName, request, plan, report) && allRead;
    }
    const QString ciku = QFileInfo(WordFile::groupPath(request.folder, 1)).path();
    const int last = WordFile::discoverGroups(request.folder);
    if (last + plan.size() > WordFile::kMaxGroups) {
        report.status = kCannotRun;
        report.failure = QStringLiteral("%1 groups would pass the drill's limit of %2 groups")
                             .arg(last + plan.size())
                             .arg(WordFile::kMaxGroups);
        return report;
    }
    // A file past a gap would become a group of its own once the gap is filled.
    for (qsizetype g = 0; g < plan.size(); ++g) {
        plan[g].written.number = last + 1 + static_cast<int>(g);
        plan[g].written.path = WordFile::groupPath(request.folder, plan[g].written.number);
        if (QFileInfo::exists(plan[g].written.path)) {
            report.status = kCannotRun;
            report.failure = QStringLiteral("%1 already exists past a gap in the numbering; "
                                            "move it away or fill the gap first")
                                 .arg(plan[g].written.path);
            return report;
        }
    }
    if (request.preview) {
        report.status = allRead && !plan.isEmpty() ? kSuccess : kProblemsFound;
        return report;
    }
    QString error;
    if (!plan.isEmpty() && !Files::makePath(ciku, &error)) {
        report.status = kCannotRun;
        report.failure = error;
        return report;
    }
    // Written whole, never over a file that is there, with one flush of the disk for all.
    QList<Files::NewFile> files;
    for (const PlannedGroup &group : plan) {
        files.append({group.written.path, groupFileBytes(group.entries)});
    }
    const Result<int> written = Files::writeNewFiles(files);
    for (int g = 0; g < written.value; ++g) {
        report.written.append(plan[g].written);
    }
    if (!written.ok) {
        // The groups after it are not written either: they would lie past a gap.
        report.status = kCannotRun;
        report.failure = QStringLiteral("cannot be written: %1").arg(written.error);
        return report;
    }
    // A file that brought nothing in is a problem even when another one did.
    report.status = allRead && !plan.isEmpty() ? kSuccess : kProblemsFound;
    return report;
}

QString describe(const WrittenGroup &group)
{
    return QStringLiteral("group %1 (%2): %3 words from %4 (%5, %6lines %7 to %8)")
        .arg(group.number)
        .arg(group.path)
        .arg(group.words)
        .arg(group.source, formatName(group.format),
             group.category.isEmpty() ? QString() : QStringLiteral("'%1', ").arg(group.category))
        .arg(group.firstLine)
        .arg(group.lastLine);
}

} // namespace Groups
