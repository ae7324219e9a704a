// wordmoor-groups check: what it reports on a group file, and that its verdict is the drill's.
#include "base/random.h"
#include "drillcore/drillrun.h"
#include "drillcore/wordfile.h"
#include "groups/checker.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

class TestGroupsCheck : public QObject
{
    Q_OBJECT

private slots:
    void reportsProblems_data();
    void reportsProblems();
    void agreesWithTheDrill();
    void reportsFilesTheDrillNeverSees();
};

namespace
{

struct Case {
    const char *tag;
    QByteArray bytes;
    QStringList expected; // "LINE:error:TEXT" or "LINE:warning:TEXT", TEXT a part of it
};

const QByteArray kBom("\xEF\xBB\xBF");

QByteArray renderings(int n)
{
    QStringList pieces;
    for (int i = 1; i <= n; ++i) {
        pieces << QStringLiteral("r%1").arg(i);
    }
    return pieces.join(QStringLiteral("; ")).toUtf8();
}

QByteArray manyEntries(int n)
{
    QByteArray bytes = kBom;
    for (int i = 0; i < n; ++i) {
        bytes += "w\r\nr\r\n";
    }
    return bytes;
}

const QList<Case> &cases()
{
    static const QList<Case> all{
        {"clean", kBom + "学习\r\nto study; to learn\r\n你好\r\nhello\r\n", {}},
        {"empty_file", QByteArray(), {"1:error:0 words"}},
        {"one_word", kBom + "学习\r\nto study\r\n", {"1:error:1 word;"}},
        {"fourteen_renderings", kBom + "多\r\n" + renderings(14) + "\r\n少\r\nfew\r\n", {}},
        {"fifteen_renderings",
         kBom + "多\r\n" + renderings(15) + "\r\n少\r\nfew\r\n",
         {"2:error:15 renderings"}},
        {"line_of_4096", kBom + "长\r\n" + QByteArray(4096, 'x') + "\r\n短\r\nshort\r\n", {}},
        {"line_of_4097",
         kBom + "长\r\n" + QByteArray(4097, 'x') + "\r\n短\r\nshort\r\n",
         {"2:error:4097 characters"}},
        // Counted as the drill counts: a character outside the BMP is one.
        {"outside_bmp_line_of_4096",
         kBom + "长\r\n" + QByteArray("\xF0\xA0\x80\x80").repeated(4096) + "\r\n短\r\nb\r\n",
         {}},
        {"outside_bmp_line_of_4097",
         kBom + "长\r\n" + QByteArray("\xF0\xA0\x80\x80").repeated(4097) + "\r\n短\r\nb\r\n",
         {"2:error:4097 characters"}},
        {"too_many_entries", manyEntries(WordFile::kMaxEntries + 1), {"1:error:32767"}},
        {"odd_last_line",
         kBom + "学习\r\nto study\r\n你好\r\nhello\r\n孤\r\n",
         {"5:warning:odd number"}},
        {"extra_line_end_at_end", kBom + "学习\r\nto study\r\n你好\r\nhello\r\n\r\n", {}},
        {"blank_word_line",
         kBom + "学习\r\nto study\r\n  \r\nhello\r\n",
         {"3:warning:blank word"}},
        {"empty_rendering",
         kBom + "学习\r\nto study;;to learn\r\n你好\r\nhello\r\n",
         {"2:warning:empty rendering"}},
        {"repeated_rendering",
         kBom + "学习\r\nto study; learn;to study\r\n你好\r\nhello\r\n",
         {"2:warning:'to study' is in the line more than once"}},
        {"same_word_twice",
         kBom + "学习\r\nto study\r\n 学习\r\nto learn\r\n",
         {"3:warning:also on line 1"}},
        {"mixed_line_ends",
         kBom + "学习\r\nto study\n你好\r\nhello\r\n",
         {"2:warning:mixed styles"}},
        // CR CR LF hides a blank line, which shifts every later pair.
        {"cr_cr_lf",
         kBom + "学习\r\nto study\r\r\n你好\r\nhello\r\n",
         {"2:warning:CR CR LF", "3:warning:blank word", "5:warning:odd number"}},
        // 学习 in GB18030 is also two well-formed UTF-8 characters.
        {"ambiguous_encoding",
         "ab\r\ncd\r\n\xD1\xA7\xCF\xB0\r\nto study\r\n",
         {"3:warning:ambiguous"}},
        {"utf8_settled_without_bom", "猫\r\ncat\r\n狗\r\ndog\r\n", {}},
        {"gb18030_settled",
         QStringEncoder("GB18030").encode(QStringLiteral("中\r\nmiddle\r\n学"
                                                         "习\r\nstudy\r\n")),
         {}},
    };
    return all;
}

bool matches(const Groups::Diagnostic &d, const QString &expected)
{
    const QStringList parts = expected.split(QLatin1Char(':'));
    const auto severity =
        parts[1] == QLatin1String("error") ? Groups::Severity::Error : Groups::Severity::Warning;
    return d.line == parts[0].toInt() && d.severity == severity &&
           d.text.contains(parts.mid(2).join(QLatin1Char(':')));
}

QString writeGroup(const QString &folder, int n, const QByteArray &bytes)
{
    const QString path = WordFile::groupPath(folder, n);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
    return path;
}

} // namespace

void TestGroupsCheck::reportsProblems_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");
    for (const Case &c : cases()) {
        QTest::newRow(c.tag) << c.bytes << c.expected;
    }
}

// Guards against a problem missed, reported on the wrong line, or reported when the drill
// is content.
void TestGroupsCheck::reportsProblems()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    const Groups::GroupCheck check = Groups::checkGroup(writeGroup(folder, 1, bytes), 1);
    QStringList got;
    for (const Groups::Diagnostic &d : check.diagnostics) {
        got << Groups::formatDiagnostic(d);
    }
    QCOMPARE(check.diagnostics.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QVERIFY2(matches(check.diagnostics[i], expected[i]), qPrintable(got.join('\n')));
    }
}

// A group that check passes is one the drill loads and starts, and the other way round.
void TestGroupsCheck::agreesWithTheDrill()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    for (qsizetype i = 0; i < cases().size(); ++i) {
        writeGroup(folder, static_cast<int>(i + 1), cases()[i].bytes);
    }
    const Groups::CollectionCheck check = Groups::checkCollection(folder);
    QCOMPARE(check.groups.size(), cases().size());
    Random random(1);
    int refused = 0;
    for (const Groups::GroupCheck &group : check.groups) {
        const WordFile::Group loaded = WordFile::loadGroup(group.path);
        DrillRun run(random);
        run.setWords(loaded.entries);
        const bool drillRuns =
            loaded.status == WordFile::LoadStatus::Ok && run.refusal(group.number).isEmpty();
        const bool checkPasses = Groups::countOf(group.diagnostics, Groups::Severity::Error) == 0;
        QVERIFY2(drillRuns == checkPasses, cases()[group.number - 1].tag);
        QCOMPARE(group.words, int(loaded.entries.size()));
        refused += drillRuns ? 0 : 1;
    }
    QCOMPARE(refused, 6); // the cases above that the drill refuses
    QCOMPARE(Groups::errorCount(check), 6);
}

// Guards against files past a gap, or with names the drill does not look for, going unnoticed.
void TestGroupsCheck::reportsFilesTheDrillNeverSees()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    Groups::CollectionCheck check = Groups::checkCollection(folder);
    QCOMPARE(check.diagnostics.size(), 1);
    QVERIFY(check.diagnostics[0].text.contains(QLatin1String("no group 1")));

    const QByteArray good = cases()[0].bytes;
    writeGroup(folder, 1, good);
    writeGroup(folder, 2, good);
    writeGroup(folder, 4, good);
    QFile::copy(WordFile::groupPath(folder, 1), folder + QStringLiteral("ciku/ci01.txt"));
    check = Groups::checkCollection(folder);
    QCOMPARE(check.groups.size(), 2);
    QStringList got;
    for (const Groups::Diagnostic &d : check.diagnostics) {
        QCOMPARE(d.severity, Groups::Severity::Warning);
        got << QFileInfo(d.path).fileName() + QLatin1Char(' ') + d.text;
    }
    QCOMPARE(got.size(), 2);
    QVERIFY2(got[0].startsWith(QLatin1String("ci01.txt")) && got[0].contains("ci1.txt"),
             qPrintable(got[0]));
    QVERIFY2(got[1].startsWith(QLatin1String("ci4.txt")) && got[1].contains("no ci3.txt"),
             qPrintable(got[1]));
    QCOMPARE(Groups::reportLines(check).last(),
             QStringLiteral("2 groups, 4 words: 0 errors, 2 warnings"));
}

QTEST_GUILESS_MAIN(TestGroupsCheck)
#include "tst_groupscheck.moc"
