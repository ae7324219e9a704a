// wordmoor-groups import on vocabulary files that other programs and people wrote
// (tests/data, each file's source in its README), in the encodings and line ends learners
// have them in, and the failures to write that must not pass for success.
#include "drillcore/wordfile.h"
#include "groups/importer.h"
#include "groups/meanings.h"

#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

class TestGroupsFiles : public QObject
{
    Q_OBJECT

private slots:
    void importsRealFiles_data();
    void importsRealFiles();
    void cleansSenses_data();
    void cleansSenses();
    void exportToClosedPipeFails();
};

namespace
{

QByteArray dataFile(const QString &name)
{
    QFile file(QStringLiteral(WORDMOOR_SOURCE_DIR "/tests/data/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The file as another program might have saved it.
QByteArray recoded(const QByteArray &bytes, const QString &how)
{
    const QString text = QString::fromUtf8(bytes);
    if (how == QLatin1String("utf16le") || how == QLatin1String("utf16be")) {
        QStringEncoder encoder(how == QLatin1String("utf16le") ? QStringEncoder::Utf16LE
                                                               : QStringEncoder::Utf16BE,
                               QStringEncoder::Flag::WriteBom);
        return encoder.encode(text);
    }
    if (how == QLatin1String("utf16le_lone_surrogate")) {
        // "8; " becomes "8<a lone surrogate>; 8<U+FFFD>; ", one rendering twice once read.
        return recoded(bytes, QStringLiteral("utf16le"))
            .replace(QByteArray("8\0;\0", 4), QByteArray("8\0\xFF\xDF;\0 \08\0\xFD\xFF;\0", 14));
    }
    if (how == QLatin1String("gb18030_crlf")) {
        return QStringEncoder("GB18030").encode(
            QString(text).replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
    }
    if (how == QLatin1String("cr_no_final")) {
        return QByteArray(bytes).replace('\n', '\r').chopped(1);
    }
    if (how == QLatin1String("relabel_zh")) {
        return QByteArray(bytes).replace("l=\"de\"", "l=\"zh\"");
    }
    return bytes;
}

} // namespace

void TestGroupsFiles::importsRealFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("recode");
    QTest::addColumn<int>("wordColumn");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("groups");
    QTest::addColumn<QString>("told"); // a part of the columns line or of the error
    QTest::addColumn<QStringList>("entries");

    const QString tsv = QStringLiteral("hsk1-meanings.tsv");
    const QString csv = QStringLiteral("hsk1-meanings.csv");
    const QStringList tsvEntries{"八|eight; 8", "爸爸|(informal) father",
                                 "白天|daytime; during the day; day", "半年|half a year"};
    const QStringList csvEntries{"爱|love; like; be fond of; be keen on; cherish; be apt to",
                                 "帮|help",
                                 "白|white; clear; pure; plain; wrongly written/mispronounced"};
    QTest::newRow("anki_notes_html")
        << "hsk1-anki-notes.txt"
        << "" << 0 << 0 << 1
        << "column 1 (simplified) as the words and column 6 (English) as the meanings"
        << QStringList{"的|of; ~'s (possessive particle); (used after an attribute); (used to "
                       "form a nominal expression); (used at the end of a declarative sentence "
                       "for emphasis); really and truly; aim; clear",
                       "是|is; are; am; yes; to be; (used in given names)",
                       "我们|we; us; ourselves; our"};
    QTest::newRow("tsv_semicolons")
        << tsv << "" << 0 << 0 << 1 << "column 1 (simplified) as the words and column 4 (English)"
        << tsvEntries;
    QTest::newRow("csv_traditional_first_commas")
        << csv << "" << 0 << 0 << 1 << "column 2 (simplified) as the words and column 4 (English)"
        << csvEntries;
    QTest::newRow("tsv_html_sound")
        << "hsk1-zhuyin-html.tsv"
        << "" << 0 << 0 << 1
        << "column 5 (English) as the meanings; column 2 traditional, 3 pinyin, 4 sound"
        << QStringList{"八|eight; 8", "百|surname Bai; hundred; numerous; all kinds of"};
    QTest::newRow("pleco_categories")
        << "cccc-pleco.txt"
        << "" << 0 << 0 << 2 << "each category"
        << QStringList{"他|he/she, him/her", "名字|name", "事|matter"};
    QTest::newRow("kwordquiz_without_chinese")
        << "kwordquiz-example.kvtml"
        << "" << 0 << 1 << 0 << "no Chinese side (identifier 0 (English), identifier 1 (German))"
        << QStringList{};
    QTest::newRow("kvtml1_without_chinese")
        << "kvoctrain-sample-en.kvtml"
        << "" << 0 << 1 << 0
        << "no Chinese side (identifier 0 (de), identifier 1 (en), identifier 2 (fr))"
        << QStringList{};
    QTest::newRow("kvtml1_conjugations_left_out")
        << "kvoctrain-sample-en.kvtml"
        << "relabel_zh" << 0 << 0 << 1 << "identifier 0 (zh) as the words and identifier 1 (en)"
        << QStringList{"gut|good", "gehen|go", "bezwingen|quell", "Unheil, Schaden|mischief"};
    QTest::newRow("utf16le_bom") << tsv << "utf16le" << 0 << 0 << 1 << "column 4" << tsvEntries;
    QTest::newRow("utf16_lone_surrogate")
        << tsv << "utf16le_lone_surrogate" << 0 << 0 << 1 << "column 4"
        << QStringList{QStringLiteral("八|eight; 8\uFFFD")};
    QTest::newRow("utf16be_bom") << csv << "utf16be" << 0 << 0 << 1 << "column 4" << csvEntries;
    QTest::newRow("gb18030_crlf") << tsv << "gb18030_crlf" << 0 << 0 << 1 << "column 4"
                                  << tsvEntries;
    QTest::newRow("lone_cr_no_final_line_end")
        << csv << "cr_no_final" << 0 << 0 << 1 << "column 4" << csvEntries;
    QTest::newRow("word_column_given")
        << tsv << "" << 2 << 0 << 1 << "column 2 (traditional) as the words"
        << QStringList{"愛好|to like; to take pleasure "
                       "in; keen on; fond of; interest; "
                       "hobby; appetite for"};
}

// Guards against a column taken by its place rather than its content (pinyin, traditional
// characters, IDs or HTML read as the meanings), markup or dictionary notes left in the
// meanings, a foreign encoding written as mojibake, and a file without Chinese imported.
void TestGroupsFiles::importsRealFiles()
{
    QFETCH(QString, file);
    QFETCH(QString, recode);
    QFETCH(int, wordColumn);
    QFETCH(int, status);
    QFETCH(int, groups);
    QFETCH(QString, told);
    QFETCH(QStringList, entries);
    QTemporaryDir dir;
    const QByteArray bytes = recoded(dataFile(file), recode);
    QVERIFY(!bytes.isEmpty());
    // Windows saves "Unicode text" as .txt, which tells nothing of the format.
    QFile source(dir.filePath(
        recode.startsWith(QLatin1String("utf16")) ? file + QStringLiteral(".txt") : file));
    QVERIFY(source.open(QIODevice::WriteOnly) && source.write(bytes) == bytes.size());
    source.close();
    Groups::ImportRequest request;
    request.folder = dir.filePath(QStringLiteral("collection/"));
    request.files = {source.fileName()};
    request.columns.wordColumn = wordColumn;
    const Groups::ImportReport report = Groups::importFiles(request);
    QString messages = report.lines.join(QLatin1Char('\n'));
    for (const Groups::Diagnostic &d : report.diagnostics) {
        messages += QLatin1Char('\n') + Groups::formatDiagnostic(d);
    }
    QVERIFY2(report.status == status, qPrintable(messages));
    QVERIFY2(messages.contains(told), qPrintable(messages));
    QCOMPARE(WordFile::discoverGroups(request.folder), groups);
    QStringList written;
    for (int n = 1; n <= groups; ++n) {
        const WordFile::Group group = WordFile::loadGroup(WordFile::groupPath(request.folder, n));
        QCOMPARE(group.status, WordFile::LoadStatus::Ok);
        for (const WordFile::Entry &entry : group.entries) {
            written << entry.word + QLatin1Char('|') + entry.renderings;
        }
    }
    for (const QString &entry : entries) {
        QVERIFY2(written.contains(entry), qPrintable(written.join(QLatin1Char('\n'))));
    }
}

void TestGroupsFiles::cleansSenses_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("meanings");
    QTest::newRow("cloze_and_sound")
        << "{{c1::to study::verb}}; [sound:xue.mp3]" << QStringList{"to study"};
    QTest::newRow("classifier_and_pronunciation")
        << "person; CL:個|个[ge4],位[wei4]; also pr. [shui2]; who (Taiwan pr. [shui2]); a "
           "moment (Taiwan pr. for this sense is [hui3])"
        << QStringList{"person", "who", "a moment"};
    QTest::newRow("cross_references")
        << "see 的士[di1 shi4]; variant of 是[shi4]; aim" << QStringList{"aim"};
    QTest::newRow("brackets_and_quotes_not_split")
        << "to hit (a ball; a drum); \"yes; no\" question"
        << QStringList{"to hit (a ball; a drum)", "\"yes; no\" question"};
    QTest::newRow("pinyin_chinese_zhuyin_alone") << "wǒ; 我; ㄨㄛˇ; I" << QStringList{"I"};
}

// Guards against dictionary apparatus offered as a rendering in the drill, or a sense cut
// at a ";" inside its brackets.
void TestGroupsFiles::cleansSenses()
{
    QFETCH(QString, field);
    QFETCH(QStringList, meanings);
    QCOMPARE(Groups::meaningsOf(field, false, Groups::SenseSplit{}), meanings);
}

// A reader gone away is a failed export, not a silent death or a success.
void TestGroupsFiles::exportToClosedPipeFails()
{
    QTemporaryDir dir;
    QFile group(WordFile::groupPath(dir.path() + QLatin1Char('/'), 1));
    QVERIFY(QDir().mkpath(QFileInfo(group).path()) && group.open(QIODevice::WriteOnly));
    group.write("学习\r\nto study\r\n你好\r\nhello\r\n");
    group.close();
    int ends[2];
    QVERIFY(::pipe(ends) == 0);
    ::close(ends[0]);
    QProcess program;
    program.setChildProcessModifier([&ends] { ::dup2(ends[1], STDOUT_FILENO); });
    program.start(QStringLiteral(WORDMOOR_GROUPS_PROGRAM), {QStringLiteral("export"), dir.path()});
    QVERIFY(program.waitForFinished(30000));
    ::close(ends[1]);
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 2);
    QVERIFY(program.readAllStandardError().contains("standard output: Broken pipe"));
}

QTEST_GUILESS_MAIN(TestGroupsFiles)
#include "tst_groupsfiles.moc"
