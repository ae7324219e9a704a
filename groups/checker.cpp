#include "groups/checker.h"

#include "base/files.h"
#include "drillcore/drillrules.h"
#include "drillcore/questions.h"
#include "drillcore/wordfile.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>

namespace Groups
{

namespace
{

class Reporter
{
public:
    explicit Reporter(GroupCheck &check) : m_check(check) {}
    void error(int line, const QString &text) { add(line, Severity::Error, text); }
    void warning(int line, const QString &text) { add(line, Severity::Warning, text); }

private:
    void add(int line, Severity severity, const QString &text)
    {
        m_check.diagnostics.append({m_check.path, line, severity, text});
    }
    GroupCheck &m_check;
};

QString counted(int n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// Line ends as the drill cuts lines: CR LF, a lone CR, a lone LF. CR CR LF is a CR and
// then a CR LF, so the drill reads a blank line that the editor does not show.
void checkLineEnds(const QByteArray &bytes, Reporter &report)
{
    enum Style { CrLf, Lf, Cr };
    static const char *const names[] = {"CR LF", "LF", "CR"};
    int line = 1;
    int firstStyle = -1;
    bool mixedReported = false;
    bool crCrLfReported = false;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        int style = -1;
        if (bytes[i] == '\n') {
            style = Lf;
        } else if (bytes[i] == '\r') {
            if (i + 2 < n && bytes[i + 1] == '\r' && bytes[i + 2] == '\n') {
                if (!crCrLfReported) {
                    report.warning(line, QStringLiteral("the line ends in CR CR LF, which the "
                                                        "drill reads as a blank line %1 after "
                                                        "it")
                                             .arg(line + 1));
                    crCrLfReported = true;
                }
                line += 2;
                i += 2;
                continue;
            }
            style = i + 1 < n && bytes[i + 1] == '\n' ? CrLf : Cr;
            i += style == CrLf ? 1 : 0;
        } else {
            continue;
        }
        if (firstStyle < 0) {
            firstStyle = style;
        } else if (style != firstStyle && !mixedReported) {
            report.warning(
                line, QStringLiteral("line ends of mixed styles: this line ends in "
                                     "%1, the first line in %2")
                          .arg(QLatin1String(names[style]), QLatin1String(names[firstStyle])));
            mixedReported = true;
        }
        ++line;
    }
}

// Without a byte-order mark, text that is valid both as UTF-8 and as GB18030 is read by
// a guess that another editor may not share.
void checkEncoding(const QByteArray &bytes, Reporter &report)
{
    QByteArray body;
    const Files::TextEncoding encoding = Files::detectEncoding(bytes, &body);
    const qsizetype firstWide =
        std::find_if(body.begin(), body.end(), [](char c) { return (c & 0x80) != 0; }) -
        body.begin();
    if (body.size() != bytes.size() || firstWide == body.size() || !Files::isValidUtf8(body)) {
        return;
    }
    QStringDecoder gb18030("GB18030", QStringDecoder::Flag::Stateless);
    const QString decoded = gb18030.decode(body); // decode() itself is lazy
    if (gb18030.hasError()) {
        return;
    }
    // The line the first such byte stands on: the lines before it, and its own.
    const int line = static_cast<int>(Files::decodeLines(body.left(firstWide) + 'x').size());
    report.warning(line,
                   QStringLiteral("the encoding is ambiguous: without a byte-order mark these "
                                  "bytes read as UTF-8 and as GB18030 alike, and Wordmoor "
                                  "takes them for %1; save the file as UTF-8 with a "
                                  "byte-order mark")
                       .arg(encoding == Files::TextEncoding::Utf8 ? QStringLiteral("UTF-8")
                                                                  : QStringLiteral("GB18030")));
}

// The loader names the first line that is too long; every such line is named here.
void reportLongLines(const QStringList &lines, Reporter &report)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (DrillRules::lineTooLong(lines[i])) {
            report.error(static_cast<int>(i + 1),
                         QStringLiteral("the line holds %1 characters; the drill refuses a "
                                        "group with a line of more than %2")
                             .arg(DrillRules::characterCount(lines[i]))
                             .arg(DrillRules::kLongestLine));
        }
    }
}

void checkEntries(const QList<WordFile::Entry> &entries, Reporter &report)
{
    QHash<QString, int> wordLines;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const int wordLine = static_cast<int>(2 * i + 1);
        const QString word = entries[i].word.trimmed();
        if (word.isEmpty()) {
            report.warning(wordLine, QStringLiteral("a blank word line; if a line is missing "
                                                    "above, every later line has changed "
                                                    "role"));
        } else if (const int first = wordLines.value(word); first != 0) {
            report.warning(wordLine, QStringLiteral("the word %1 is in the group twice (also "
                                                    "on line %2)")
                                         .arg(quoted(word))
                                         .arg(first));
        } else {
            wordLines.insert(word, wordLine);
        }
        const QStringList split = Questions::splitRenderings(entries[i].renderings);
        if (DrillRules::tooManyRenderings(entries[i].renderings)) {
            report.error(wordLine + 1, QStringLiteral("%1 has %2 renderings; the drill refuses "
                                                      "to start a word with more than %3")
                                           .arg(quoted(word))
                                           .arg(split.size())
                                           .arg(DrillRules::kMostRenderings));
        }
        if (split.contains(QString())) {
            report.warning(wordLine + 1, QStringLiteral("an empty rendering (from \";;\" or a "
                                                        "\";\" at an end of the line)"));
        }
        // Named at its second place only; lines are short, so a set would cost more.
        for (qsizetype k = 1; k < split.size(); ++k) {
            const qsizetype first = split.indexOf(split[k]);
            if (!split[k].isEmpty() && first < k && split.indexOf(split[k], first + 1) == k) {
                report.warning(wordLine + 1, QStringLiteral("the rendering %1 is in the line "
                                                            "more than once")
                                                 .arg(quoted(split[k])));
            }
        }
    }
}

} // namespace

GroupCheck checkGroup(const QString &path, int number)
{
    GroupCheck check;
    check.number = number;
    check.path = path;
    Reporter report(check);

    // The verdict is the drill's own: its loader, then the limits Start keeps.
    const WordFile::Group group = WordFile::loadGroup(path);
    QFile file(path);
    const bool readable = file.open(QIODevice::ReadOnly);
    const QByteArray bytes = readable ? file.readAll() : QByteArray();
    const QStringList lines = Files::decodeLines(bytes);
    if (group.status == WordFile::LoadStatus::LineTooLong) {
        reportLongLines(lines, report);
    } else if (group.status == WordFile::LoadStatus::OpenFailed) {
        report.error(1, QStringLiteral("cannot be read: %1").arg(group.error));
    } else if (group.status != WordFile::LoadStatus::Ok) {
        report.error(1, group.error);
    } else {
        check.loaded = true;
        // Start's own refusal: too few words here, too many renderings by the word below.
        const DrillRules::Refusal refusal = DrillRules::refuseGroup(group.entries);
        check.words = refusal.words;
        if (refusal.reason == DrillRules::Refusal::TooFewWords) {
            report.error(1, QStringLiteral("the group holds %1; the drill needs at least %2 "
                                           "to start a run")
                                .arg(counted(check.words, "word", "words"))
                                .arg(DrillRules::kLeastWords));
        }
        checkEntries(group.entries, report);
        Q_ASSERT(!refusal.refused() || countOf(check.diagnostics, Severity::Error) > 0);
        // One blank line after the last pair is a harmless extra line end.
        if (lines.size() % 2 == 1 && !lines.last().isEmpty()) {
            report.warning(static_cast<int>(lines.size()),
                           QStringLiteral("an odd number of lines: the last word has no "
                                          "renderings line, and the drill drops it"));
        }
    }
    if (readable) {
        checkEncoding(bytes, report);
        checkLineEnds(bytes, report);
    }
    std::stable_sort(check.diagnostics.begin(), check.diagnostics.end(),
                     [](const Diagnostic &a, const Diagnostic &b) { return a.line < b.line; });
    return check;
}

CollectionCheck checkCollection(const QString &folder)
{
    CollectionCheck check;
    const int count = WordFile::discoverGroups(folder);
    for (int n = 1; n <= count; ++n) {
        check.groups.append(checkGroup(WordFile::groupPath(folder, n), n));
    }
    if (count == 0) {
        check.diagnostics.append({WordFile::groupPath(folder, 1), 1, Severity::Error,
                                  QStringLiteral("there is no group 1, so Wordmoor lists no "
                                                 "groups")});
    }
    // Files that look like groups but lie where discovery never looks.
    static const QRegularExpression groupName(QStringLiteral("^ci([0-9]+)\\.txt$"),
                                              QRegularExpression::CaseInsensitiveOption);
    const QString ciku = QFileInfo(WordFile::groupPath(folder, 1)).path();
    QList<std::pair<qlonglong, QString>> strays;
    for (const QString &name : QDir(ciku).entryList(QDir::Files, QDir::Name)) {
        const QRegularExpressionMatch match = groupName.match(name);
        const qlonglong n = match.hasMatch() ? match.captured(1).toLongLong() : 0;
        const bool isGroup = n >= 1 && n <= count &&
                             name == QFileInfo(WordFile::groupPath(folder, int(n))).fileName();
        if (match.hasMatch() && !isGroup) {
            strays.append({n, name});
        }
    }
    std::sort(strays.begin(), strays.end());
    for (const auto &[n, name] : strays) {
        const QString canonical = QStringLiteral("ci%1.txt").arg(n);
        const QString text =
            name != canonical
                ? QStringLiteral("the drill looks for group %1 as %2, so it never sees this file")
                      .arg(n)
                      .arg(canonical)
                : QStringLiteral("past a gap in the numbering: there is no ci%1.txt, so the drill "
                                 "stops at group %2 and never sees this file")
                      .arg(count + 1)
                      .arg(count);
        check.diagnostics.append({ciku + QLatin1Char('/') + name, 1, Severity::Warning, text});
    }
    return check;
}

int errorCount(const CollectionCheck &check)
{
    int errors = countOf(check.diagnostics, Severity::Error);
    for (const GroupCheck &group : check.groups) {
        errors += countOf(group.diagnostics, Severity::Error);
    }
    return errors;
}

QStringList reportLines(const CollectionCheck &check)
{
    QStringList lines;
    for (const GroupCheck &group : check.groups) {
        for (const Diagnostic &d : group.diagnostics) {
            lines.append(formatDiagnostic(d));
        }
    }
    for (const Diagnostic &d : check.diagnostics) {
        lines.append(formatDiagnostic(d));
    }
    int words = 0;
    for (const GroupCheck &group : check.groups) {
        const int errors = countOf(group.diagnostics, Severity::Error);
        const int warnings = countOf(group.diagnostics, Severity::Warning);
        QString verdict = errors == 0 && warnings == 0
                              ? QStringLiteral("OK")
                              : counted(errors, "error", "errors") + QStringLiteral(", ") +
                                    counted(warnings, "warning", "warnings");
        if (errors > 0) {
            verdict += QStringLiteral(" (the drill refuses it)");
        }
        lines.append(QStringLiteral("group %1 (%2): %3: %4")
                         .arg(group.number)
                         .arg(QFileInfo(group.path).fileName(),
                              group.loaded ? counted(group.words, "word", "words")
                                           : QStringLiteral("not loaded"),
                              verdict));
        words += group.words;
    }
    const int warnings =
        countOf(check.diagnostics, Severity::Warning) +
        std::accumulate(check.groups.begin(), check.groups.end(), 0,
                        [](int sum, const GroupCheck &g) {
                            return sum + countOf(g.diagnostics, Severity::Warning);
                        });
    lines.append(QStringLiteral("%1, %2: %3, %4")
                     .arg(counted(static_cast<int>(check.groups.size()), "group", "groups"),
                          counted(words, "word", "words"),
                          counted(errorCount(check), "error", "errors"),
                          counted(warnings, "warning", "warnings")));
    return lines;
}

} // namespace Groups
