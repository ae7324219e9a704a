// wordmoor-groups import, export and the command line: each format read from files written
// here after that program's documented format, the groups written, and exit statuses.
#include "base/wholefile.h"
#include "drillcore/wordfile.h"
#include "groups/checker.h"
#include "groups/exporter.h"
#include "groups/importer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

using Groups::Format;
Q_DECLARE_METATYPE(Groups::Format)

class TestGroupsImport : public QObject
{
    Q_OBJECT

private slots:
    void readsFormats_data();
    void readsFormats();
    void splitsIntoEqualGroups_data();
    void splitsIntoEqualGroups();
    void appendsGroupsWithoutChangingFiles();
    void refusesToFillAGap();
    void writesNewFilesNeverOverOthers();
    void exportImportsBack();
    void commandLine_data();
    void commandLine();
};

namespace
{

const QByteArray kBom("\xEF\xBB\xBF");

QByteArray gb18030(const QString &text)
{
    return QStringEncoder("GB18030").encode(text);
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
    return path;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList flat(const QList<WordFile::Entry> &entries)
{
    QStringList list;
    for (const WordFile::Entry &entry : entries) {
        list << entry.word + QLatin1Char('|') + entry.renderings;
    }
    return list;
}

QStringList groupsOf(const QString &folder)
{
    QStringList all;
    for (int n = 1; n <= WordFile::discoverGroups(folder); ++n) {
        all << flat(WordFile::loadGroup(WordFile::groupPath(folder, n)).entries);
    }
    return all;
}

const char *const kKvtml = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE kvtml PUBLIC "kvtml2.dtd" "http://edu.kde.org/kvtml/kvtml2.dtd">
<kvtml version="2.0">
  <information><generator>hand</generator><title>Elements</title></information>
  <identifiers>
    <identifier id="0"><name>English</name><locale>en_GB</locale></identifier>
    <identifier id="1"><name>Chinese</name><locale>zh_CN</locale></identifier>
  </identifiers>
  <entries>
    <entry id="0">
      <translation id="0">
        <text>water</text><comparison><absolute>wet</absolute></comparison>
      </translation>
      <translation id="1"><text>水</text></translation>
    </entry>
    <entry id="1"><translation id="0"><text>fire; flame</text></translation>
      <translation id="1"><text>火</text></translation></entry>
    <entry id="2"><translation id="0"><text>earth &amp; soil</text></translation>
      <translation id="1"><text>土</text></translation></entry>
    <entry id="3"><translation id="0"><text>wood</text></translation>
      <translation id="1"><text>木</text></translation></entry>
    <entry id="4"><translation id="0"><text></text></translation>
      <translation id="1"><text>金</text></translation></entry>
  </entries>
  <lessons>
    <container><name>Lesson 1</name><entry id="2"/>
      <container><name>Part</name><entry id="1"/></container>
    </container>
    <container><name>Lesson 2</name><entry id="0"/><entry id="4"/><entry id="1"/></container>
  </lessons>
</kvtml>
)";

} // namespace

void TestGroupsImport::readsFormats_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Format>("format");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QList<int>>("skipped"); // lines

    const QString fifteen = QStringLiteral("a;b;c;d;e;f;g;h;i;j;k;l;m;n;o");
    QTest::newRow("csv_quotes_heading_bom")
        << "words.csv"
        << kBom +
               "Chinese,English\r\n学习,\"to study; to learn\"\r\n\"你好\",\"hello\r\nhi, "
               "there\"\r\n\"说\"\"话\"\"\",to speak\r\n空,\r\n,orphan\r\n多," +
               fifteen.toUtf8() + "\r\n长," + QByteArray(4097, 'x') + "\r\n,,\r\n"
        << Format::Csv
        << QStringList{"学习|to study; to learn", "你好|hello; hi, there", "说\"话\"|to speak",
                       "多|a; b; c; d; e; f; g; h; i; j; k; l; m; n"}
        << QList<int>{6, 7, 8, 9, 10};
    QTest::newRow("csv_semicolon_lf_no_heading")
        << "list.txt" << QByteArray("学习;to study, to learn\n你好;\" hello ;hello\"\n")
        << Format::Csv << QStringList{"学习|to study, to learn", "你好|hello"} << QList<int>{};
    QTest::newRow("csv_tab_and_heading_without_chinese_kept")
        << "list.tsv" << QByteArray("ma\tmother\nba\tfather\n") << Format::Csv
        << QStringList{"ma|mother", "ba|father"} << QList<int>{};
    QTest::newRow("csv_separator_line_gb18030")
        << "excel.csv" << gb18030(QStringLiteral("sep=;\r\n词;word\r\n句;\"a;b\"\r\n"))
        << Format::Csv << QStringList{"词|word", "句|a; b"} << QList<int>{};
    QTest::newRow("anki_plain_quoted_line_break")
        << "deck.txt"
        << QByteArray(
               "#separator:tab\n#html:false\n#tags column:3\n猫\tcat; kitty\tanimals\n"
               "#a comment line\n狗\t\"dog\nhound\"\tanimals\n\"#井\"\t\"well \"\"deep\"\"\"\t\n")
        << Format::Anki << QStringList{"猫|cat; kitty", "狗|dog; hound", "#井|well \"deep\""}
        << QList<int>{};
    QTest::newRow("anki_html_guid_entities")
        << "export.txt"
        << QByteArray("#separator:Semicolon\n#html:true\n#guid column:1\n"
                      "g1;猫;\"cat<br>kitty&nbsp;cat<div>feline</div>\"\n"
                      "g2;<b>狗</b>;\"dog &amp; hound<br/><i>canine</i>&#x3b;pup\"\n"
                      "g3;鸟;<div><br></div>\n")
        << Format::Anki << QStringList{"猫|cat; kitty cat; feline", "狗|dog & hound; canine; pup"}
        << QList<int>{6};
    QTest::newRow("csv_example_sentences_passed_over")
        << "sentences.csv"
        << QByteArray("我爱你。,爱,ài,to love,I love you all.\n你好吗？,好,hǎo,good; well,Are you "
                      "well today?\n他们是学生。,学生,xuésheng,student,They are all students.\n")
        << Format::Csv << QStringList{"爱|to love", "好|good; well", "学生|student"}
        << QList<int>{};
    QTest::newRow("kvtml_locales_and_lessons")
        << "elements.kvtml" << QByteArray(kKvtml) << Format::Kvtml
        << QStringList{"土|earth & soil", "火|fire; flame", "水|water", "木|wood"}
        << QList<int>{22};
    QTest::newRow("kvtml_without_locales_by_identifier")
        << "plain.xml"
        << QByteArray("<kvtml version=\"2.0\"><entries><entry id=\"0\"><translation id=\"0\">"
                      "<text>书</text></translation><translation id=\"1\"><text>book</text>"
                      "</translation></entry></entries></kvtml>")
        << Format::Kvtml << QStringList{"书|book"} << QList<int>{};
    QTest::newRow("kvtml_sides_by_name_among_three")
        << "three.kvtml"
        << QByteArray("<kvtml version=\"2.0\"><identifiers><identifier id=\"0\"><name>Deutsch"
                      "</name><locale>de</locale></identifier><identifier id=\"1\"><name>中文"
                      "</name></identifier><identifier id=\"2\"><locale>en-US</locale>"
                      "</identifier></identifiers><entries><entry id=\"0\"><translation id=\"0\">"
                      "<text>Buch</text></translation><translation id=\"1\"><text>书</text>"
                      "</translation><translation id=\"2\"><text>book</text></translation>"
                      "</entry></entries></kvtml>")
        << Format::Kvtml << QStringList{"书|book"} << QList<int>{};
    QTest::newRow("wordmoor_gb18030_odd_line")
        << "ci7.txt"
        << gb18030(QStringLiteral(" 学习 \r\nto study;;to study\r\n孤"
                                  "\r\n"))
        << Format::WordFile << QStringList{"学习|to study"} << QList<int>{3};
    QTest::newRow("wordmoor_by_content")
        << "other.txt" << QByteArray("学习\nto study; to learn\n你好\nhello\n") << Format::WordFile
        << QStringList{"学习|to study; to learn", "你好|hello"} << QList<int>{};
}

// Guards against a format taken for another, a quote or tag read as text, a heading
// imported, or an entry the drill cannot run written instead of skipped.
void TestGroupsImport::readsFormats()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(Format, format);
    QFETCH(QStringList, entries);
    QFETCH(QList<int>, skipped);
    QCOMPARE(Groups::detectFormat(bytes, name), format);
    const Groups::Source source = Groups::readSource(bytes, format);
    QVERIFY(source.ok);
    QList<Groups::Diagnostic> notes = source.notes;
    QList<WordFile::Entry> got;
    for (const Groups::PreparedEntry &e : Groups::prepareEntries(source.entries, name, notes)) {
        got << e.entry;
    }
    QCOMPARE(flat(got), entries);
    QList<int> lines;
    for (const Groups::Diagnostic &d : notes) {
        QVERIFY2(d.text.startsWith(QLatin1String("skipped")) ||
                     d.text.startsWith(QLatin1String("kept")),
                 qPrintable(d.text));
        lines << d.line;
    }
    std::sort(lines.begin(), lines.end()); // the reader's notes come before the importer's
    QCOMPARE(lines, skipped);
}

void TestGroupsImport::splitsIntoEqualGroups_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("most");
    QTest::addColumn<QList<int>>("sizes");
    QTest::newRow("one_full_group") << 50 << 50 << QList<int>{50};
    QTest::newRow("one_over_halves") << 51 << 50 << QList<int>{26, 25};
    QTest::newRow("three_equal") << 120 << 50 << QList<int>{40, 40, 40};
    QTest::newRow("uneven") << 101 << 50 << QList<int>{34, 34, 33};
    QTest::newRow("smallest_size") << 4 << 3 << QList<int>{2, 2};
    QTest::newRow("fewer_than_size") << 2 << 50 << QList<int>{2};
}

// Guards against a last group left with the remainder (51 as 50 and 1).
void TestGroupsImport::splitsIntoEqualGroups()
{
    QFETCH(int, count);
    QFETCH(int, most);
    QFETCH(QList<int>, sizes);
    QCOMPARE(Groups::groupSizes(count, most), sizes);
}

// Guards against an import that touches the existing groups or writes what the drill
// might read as GB18030.
void TestGroupsImport::appendsGroupsWithoutChangingFiles()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("collection/"));
    const QByteArray existing = "学习\r\nto study\r\n你好\r\nhello\r\n";
    writeFile(WordFile::groupPath(folder, 1), existing);
    writeFile(WordFile::groupPath(folder, 2), existing);
    QByteArray csv;
    for (int i = 1; i <= 60; ++i) {
        csv += QStringLiteral("词%1,word %1\n").arg(i).toUtf8();
    }
    Groups::ImportRequest request;
    request.folder = folder;
    request.files = {writeFile(dir.filePath(QStringLiteral("sixty.csv")), csv)};
    const Groups::ImportReport report = Groups::importFiles(request);
    QCOMPARE(report.status, Groups::kSuccess);
    QCOMPARE(report.written.size(), 2);
    QCOMPARE(report.written[1].number, 4);
    QCOMPARE(report.written[1].firstLine, 31);
    QCOMPARE(readAll(WordFile::groupPath(folder, 1)), existing);
    QCOMPARE(readAll(WordFile::groupPath(folder, 2)), existing);
    const QByteArray written = readAll(WordFile::groupPath(folder, 3));
    QVERIFY(written.startsWith(kBom + QStringLiteral("词1\r\nword 1\r\n词2\r\n").toUtf8()));
    QCOMPARE(written.count('\n'), written.count("\r\n"));
    const Groups::CollectionCheck check = Groups::checkCollection(folder);
    QCOMPARE(check.groups.size(), 4);
    QCOMPARE(check.groups[2].words, 30);
    QCOMPARE(Groups::errorCount(check), 0);
    QCOMPARE(QDir(folder + QStringLiteral("ciku")).entryList(QDir::Files | QDir::Hidden).size(),
             4);
}

// A file past a gap would become a group once the gap is filled, so nothing is written.
void TestGroupsImport::refusesToFillAGap()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    const QByteArray group = "学习\r\nto study\r\n你好\r\nhello\r\n";
    writeFile(WordFile::groupPath(folder, 1), group);
    writeFile(WordFile::groupPath(folder, 3), group);
    Groups::ImportRequest request;
    request.folder = folder;
    request.files = {writeFile(dir.filePath(QStringLiteral("a.csv")), "猫,cat\n狗,dog\n鸟,bird\n"),
                     writeFile(dir.filePath(QStringLiteral("b.csv")), "鱼,fish\n虫,worm\n")};
    const Groups::ImportReport report = Groups::importFiles(request);
    QCOMPARE(report.status, Groups::kCannotRun);
    QVERIFY(report.failure.contains(QLatin1String("ci3.txt")));
    QVERIFY(!QFileInfo::exists(WordFile::groupPath(folder, 2)));
    QCOMPARE(readAll(WordFile::groupPath(folder, 3)), group);
}

// Guards against a new group written over a file that appeared meanwhile, a group after it
// written past the gap, and temporary files left behind.
void TestGroupsImport::writesNewFilesNeverOverOthers()
{
    QTemporaryDir dir;
    const QList<Files::NewFile> files{{dir.filePath("ci1.txt"), "one"},
                                      {dir.filePath("ci2.txt"), "two"},
                                      {dir.filePath("ci3.txt"), "three"}};
    writeFile(files[1].path, "theirs");
    const Result<int> written = Files::writeNewFiles(files);
    QVERIFY(!written.ok);
    QCOMPARE(written.value, 1);
    QCOMPARE(written.error, files[1].path + QStringLiteral(": the file exists"));
    QCOMPARE(readAll(files[0].path), QByteArray("one"));
    QCOMPARE(readAll(files[1].path), QByteArray("theirs"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({"ci1.txt", "ci2.txt"}));
}

// Guards against an export that Anki's rules or our own import read differently.
void TestGroupsImport::exportImportsBack()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source/"));
    writeFile(WordFile::groupPath(source, 1),
              kBom +
                  "学习\r\nto study; to learn\r\n\"引号\"\r\nquote \"marks\"\r\n#井\r\nwell\r\n");
    writeFile(WordFile::groupPath(source, 2),
              gb18030(QStringLiteral("中\r\nmiddle\r\n好\r\ngood; fine\r\n")));
    const Groups::Export exported = Groups::exportCollection(source);
    QCOMPARE(exported.groups, 2);
    QVERIFY(exported.text.startsWith("#separator:tab\n#html:false\n#tags column:3\n"));
    QVERIFY(exported.text.contains("好\tgood; fine\t" + Groups::groupTag(2).toUtf8() + "\n"));

    Groups::ImportRequest request;
    request.folder = dir.filePath(QStringLiteral("empty/"));
    request.files = {writeFile(dir.filePath(QStringLiteral("export.txt")), exported.text)};
    const Groups::ImportReport report = Groups::importFiles(request);
    QCOMPARE(report.status, Groups::kSuccess);
    QCOMPARE(report.written.value(0).format, Format::Anki);
    QCOMPARE(groupsOf(request.folder), groupsOf(source));
}

void TestGroupsImport::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");   // a part of standard output
    QTest::addColumn<QString>("messages"); // a part of standard error; none when empty

    const QString tryHelp = QStringLiteral("Try 'wordmoor-groups");
    QTest::newRow("help") << QStringList{"--help"} << 0 << "Commands:"
                          << "";
    QTest::newRow("command_help") << QStringList{"import", "--help"} << 0 << "--size <N>"
                                  << "";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "wordmoor-groups 2.0"
                             << "";
    QTest::newRow("no_command") << QStringList{} << 2 << ""
                                << "Commands:";
    QTest::newRow("unknown_command") << QStringList{"frob"} << 2 << "" << tryHelp;
    QTest::newRow("unknown_option") << QStringList{"check", "--frob"} << 2 << "" << tryHelp;
    QTest::newRow("no_such_folder") << QStringList{"list", "@/none"} << 2 << ""
                                    << "no such folder";
    QTest::newRow("size_too_small")
        << QStringList{"import", "--into", "@/new", "--size", "2", "@/a.csv"} << 2 << ""
        << "--size must lie between 3";
    QTest::newRow("unknown_format")
        << QStringList{"import", "--into", "@/new", "--format", "xls", "@/a.csv"} << 2 << ""
        << "unknown format 'xls'";
    QTest::newRow("check_good") << QStringList{"check", "@/good"} << 0 << "1 group, 2 words"
                                << "";
    QTest::newRow("check_learners_folder")
        << QStringList{"check"} << 1 << "@/learner/ciku/ci1.txt:1: error: the group"
        << "";
    QTest::newRow("import_unreadable")
        << QStringList{"import", "--into", "@/new", "@/a.csv", "@/none.csv"} << 1
        << "group 1 (@/new/ciku/ci1.txt): 3 words from @/a.csv (csv, lines 1 to 3)"
        << "@/none.csv:1: error: cannot be read";
    QTest::newRow("import_anki_package")
        << QStringList{"import", "--into", "@/new",
                       WORDMOOR_SOURCE_DIR "/tests/data/anki/hsk-fields.colpkg"}
        << 0 << "group 1 (@/new/ciku/ci1.txt): 6 words from"
        << "";
    QTest::newRow("import_as_package_not_zip")
        << QStringList{"import", "--into", "@/new", "--format", "apkg", "@/a.csv"} << 1 << ""
        << "@/a.csv:1: error: not a zip file, so not an Anki package";
    QTest::newRow("list") << QStringList{"list", "@/good"} << 0
                          << "2 words  学习, 你好  | best 1600, 1 of 10 places filled"
                          << "";
    QTest::newRow("list_without_record")
        << QStringList{"list"} << 0 << "1 word   one  | no runs recorded"
        << "";
    QTest::newRow("export_file") << QStringList{"export", "@/good", "-o", "@/out.txt"} << 0
                                 << "written to @/out.txt"
                                 << "";
    QTest::newRow("export_full_device")
        << QStringList{"export", "@/good", "-o", "/dev/full"} << 2 << ""
        << "No space left on device";
    QTest::newRow("import_folder_not_made")
        << QStringList{"import", "--into", "@/a.csv/new", "@/a.csv"} << 2 << ""
        << "cannot use @/a.csv as a folder: Not a directory";
    QTest::newRow("import_preview_writes_nothing")
        << QStringList{"import", "--preview", "--into", "@/learner", "@/a.csv"} << 0
        << "@/a.csv: read as csv, taking column 1 (simplified) as the words and column 2 "
           "(English) as the meanings\n  猫  ->  cat"
        << "";
}

// Guards against the exit statuses 0, 1 and 2 mixed up, and a missing FOLDER not taken
// from Wordmoor.INI as the drill takes it.
void TestGroupsImport::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QString, messages);
    QTemporaryDir dir;
    writeFile(WordFile::groupPath(dir.filePath(QStringLiteral("good/")), 1),
              "学习\r\nto study\r\n你好\r\nhello\r\n");
    writeFile(WordFile::groupPath(dir.filePath(QStringLiteral("learner/")), 1), "one\r\nword\r\n");
    writeFile(dir.filePath(QStringLiteral("config/Wordmoor.INI")),
              "[InstallSettings]\r\nInstallPath=" +
                  dir.filePath(QStringLiteral("learner")).toUtf8());
    writeFile(dir.filePath(QStringLiteral("a.csv")), "猫,cat\n狗,dog\n鸟,bird\n");
    // Place 1: 1600 points, 25 words, rate 80, speed 1; nine empty places.
    writeFile(dir.filePath(QStringLiteral("good/record_1.divu")),
              QByteArray::fromHex("40060000190050000100") + QByteArray(90, '\0'));
    for (QString &argument : arguments) {
        argument.replace(QLatin1Char('@'), dir.path());
    }
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(WORDMOOR_GROUPS_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(30000));
    const QString out = QString::fromUtf8(program.readAllStandardOutput());
    const QString err = QString::fromUtf8(program.readAllStandardError());
    QVERIFY2(program.exitCode() == status, qPrintable(out + err));
    QVERIFY2(out.contains(output.replace(QLatin1Char('@'), dir.path())), qPrintable(out + err));
    // Listing reads records; it must not create one, as the record window does.
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("learner/record_1.divu"))));
    QVERIFY2(messages.isEmpty() ? err.isEmpty() : err.contains(messages.replace('@', dir.path())),
             qPrintable(err));
}

QTEST_GUILESS_MAIN(TestGroupsImport)
#include "tst_groupsimport.moc"
