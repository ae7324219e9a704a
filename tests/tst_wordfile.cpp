// Word-group files: line rules, decoding, discovery and the load's limits.
#include "base/files.h"
#include "drillcore/drillrules.h"
#include "drillcore/wordfile.h"
#include "tests/linesmodel.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>

class TestWordFile : public QObject
{
    Q_OBJECT

private slots:
    void splitsLines_data();
    void splitsLines();
    void loadsEntries_data();
    void loadsEntries();
    void decodesEncodings_data();
    void decodesEncodings();
    void decodesEachLineAlone_data();
    void decodesEachLineAlone();
    void discoveryStopsAtFirstGap();
    void discoveryIgnoresFolders();
    void refusesMoreEntriesThanCountsHold();
    void validatesUtf8LikeTheDecoder_data();
    void validatesUtf8LikeTheDecoder();
    void refusesOverlongLines_data();
    void refusesOverlongLines();
    void countsCharacters_data();
    void countsCharacters();
    void refusesUnreadableFiles_data();
    void refusesUnreadableFiles();
    void bundledGroupsLoad();
};

using Lines = QList<QByteArray>;

void TestWordFile::splitsLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Lines>("lines");

    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << Lines{"a", "b"};
    QTest::newRow("lone_cr") << QByteArray("a\rb\r") << Lines{"a", "b"};
    QTest::newRow("lf_only") << QByteArray("a\nb\nc") << Lines{"a", "b", "c"};
    QTest::newRow("lf_final_terminator") << QByteArray("a\nb\n") << Lines{"a", "b"};
    QTest::newRow("mixed_crlf_lf_cr")
        << QByteArray("a\r\nb\nc\rd\r\n") << Lines{"a", "b", "c", "d"};
    QTest::newRow("lone_lf_is_empty_line") << QByteArray("\n") << Lines{""};
    QTest::newRow("no_final_terminator") << QByteArray("a\r\nb") << Lines{"a", "b"};
    QTest::newRow("blank_lines_count") << QByteArray("a\r\n\r\nb\r\n") << Lines{"a", "", "b"};
    QTest::newRow("trailing_empty_line") << QByteArray("a\r\nb\r\n\r\n") << Lines{"a", "b", ""};
    QTest::newRow("cr_then_crlf") << QByteArray("a\r\r\nb") << Lines{"a", "", "b"};
    QTest::newRow("empty") << QByteArray() << Lines{};
    QTest::newRow("lf_cr_is_two_ends") << QByteArray("a\n\rb") << Lines{"a", "", "b"};
    QTest::newRow("cr_crlf_lf") << QByteArray("a\r\r\n\nb") << Lines{"a", "", "", "b"};
}

// Guards the line ends of the reader, and of the model the fuzzer holds it to.
void TestWordFile::splitsLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Lines, lines);
    QStringList texts;
    for (const QByteArray &line : lines) {
        texts.append(QString::fromLatin1(line));
    }
    QCOMPARE(Files::decodeLines(bytes), texts);
    QCOMPARE(modelSplitLines(bytes), lines);
}

static QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return QString();
    }
    file.write(bytes);
    return path;
}

void TestWordFile::loadsEntries_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("flat"); // word, renderings, word, renderings...

    QTest::newRow("two_pairs") << QByteArray("w1\r\nt1\r\nw2\r\nt2\r\n")
                               << QStringList{"w1", "t1", "w2", "t2"};
    QTest::newRow("odd_last_line_dropped")
        << QByteArray("w1\r\nt1\r\nw2\r\nt2\r\nw3\r\n") << QStringList{"w1", "t1", "w2", "t2"};
    QTest::newRow("extra_empty_line_at_end")
        << QByteArray("w1\r\nt1\r\n\r\n") << QStringList{"w1", "t1"};
    QTest::newRow("empty_file") << QByteArray() << QStringList{};
    QTest::newRow("blank_line_shifts_pairs")
        << QByteArray("w1\r\n\r\nt1\r\nw2\r\n") << QStringList{"w1", "", "t1", "w2"};
    QTest::newRow("lf_only") << QByteArray("w1\nt1\nw2\nt2\n")
                             << QStringList{"w1", "t1", "w2", "t2"};
    QTest::newRow("mixed_crlf_lf")
        << QByteArray("w1\r\nt1\nw2\nt2\r\n") << QStringList{"w1", "t1", "w2", "t2"};
    QTest::newRow("spaces_kept") << QByteArray("  w1 \r\n a ; b \r\n")
                                 << QStringList{"  w1 ", " a ; b "};
}

void TestWordFile::loadsEntries()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, flat);
    QTemporaryDir dir;
    const WordFile::Group group = WordFile::loadGroup(writeFile(dir, "ci1.txt", bytes));
    QCOMPARE(group.status, WordFile::LoadStatus::Ok);
    QStringList got;
    for (const WordFile::Entry &entry : group.entries) {
        got << entry.word << entry.renderings;
    }
    QCOMPARE(got, flat);
}

void TestWordFile::decodesEncodings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("word");

    const QString word = QStringLiteral("学习");
    QStringEncoder gb("GB18030");
    QVERIFY(gb.isValid());
    const QByteArray gbBytes = gb.encode(word);
    QTest::newRow("gb18030") << QByteArray(gbBytes + "\r\nto study\r\n") << word;
    // 学习 in GB18030 (D1 A7 CF B0) is also well-formed UTF-8 for two other letters.
    QTest::newRow("gb18030_that_passes_as_utf8") << QByteArray(gbBytes) + "\r\nx\r\n" << word;
    QTest::newRow("utf8_latin_beside_chinese")
        << QByteArray(word.toUtf8() + "\r\ncaf\xC3\xA9\r\n") << word;
    QTest::newRow("utf8") << QByteArray(word.toUtf8() + "\r\nto study\r\n") << word;
    QTest::newRow("utf8_bom_dropped")
        << QByteArray("\xEF\xBB\xBF" + word.toUtf8() + "\r\nto study\r\n") << word;
    // A four-byte GB18030 sequence, outside GBK.
    const QString rare = QString::fromUcs4(U"\U00020000");
    QTest::newRow("gb18030_four_byte") << QByteArray(gb.encode(rare) + "\r\nto study\r\n") << rare;
}

void TestWordFile::decodesEncodings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, word);
    QTemporaryDir dir;
    const WordFile::Group group = WordFile::loadGroup(writeFile(dir, "ci1.txt", bytes));
    QCOMPARE(group.entries.size(), 1);
    QCOMPARE(group.entries[0].word, word);
}

void TestWordFile::decodesEachLineAlone_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("encoding"); // the one the whole file is detected as
    QTest::addColumn<QByteArray>("first");    // the word line's bytes
    QTest::addColumn<QString>("second");

    // A stray lead byte at a line's end must not pair with the next line's first byte:
    // CF 65 and CF D1 are both GB18030 characters, 81 30 81 30 ("0" is 30) a four-byte one.
    QTest::newRow("gb18030_lead_byte_then_cr")
        << QByteArray("\xCF\re") << QByteArray("GB18030") << QByteArray("\xCF") << "e";
    QTest::newRow("gb18030_lead_byte_then_crlf")
        << QByteArray("\xCF\r\n\xD1\xA7\r\n") << QByteArray("GB18030") << QByteArray("\xCF")
        << QStringLiteral("学");
    QTest::newRow("gb18030_three_of_four_bytes")
        << QByteArray("\x81\x30\x81\n0x\n") << QByteArray("GB18030") << QByteArray("\x81\x30\x81")
        << "0x";
    // Found by fuzzing: a byte-order mark opening a later line stays in it as a character,
    // the same whether the file decodes whole or line by line.
    QTest::newRow("utf8_bom_opening_a_later_line")
        << QByteArray("\r\xEF\xBB\xBF\xE5\xAD\xA6\rx") << QByteArray("UTF-8") << QByteArray("")
        << QString(QChar(0xFEFF)) + QStringLiteral("学");
    QTest::newRow("utf8_cut_character_then_lf")
        << QByteArray("\xEF\xBB\xBF\xE5\xAD\ne") << QByteArray("UTF-8") << QByteArray("\xE5\xAD")
        << "e";
}

void TestWordFile::decodesEachLineAlone()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, encoding);
    QFETCH(QByteArray, first);
    QFETCH(QString, second);
    QTemporaryDir dir;
    const WordFile::Group group = WordFile::loadGroup(writeFile(dir, "ci1.txt", bytes));
    QCOMPARE(group.entries.size(), 1);
    QCOMPARE(group.entries[0].renderings, second);
    QStringDecoder alone(encoding.constData(), QStringDecoder::Flag::Stateless |
                                                   QStringDecoder::Flag::ConvertInitialBom);
    QCOMPARE(group.entries[0].word, alone.decode(first));
}

void TestWordFile::discoveryStopsAtFirstGap()
{
    QTemporaryDir dir;
    for (int n : {1, 2, 3, 5}) {
        QVERIFY(!writeFile(dir, QStringLiteral("ciku/ci%1.txt").arg(n), "w\r\nt\r\n").isEmpty());
    }
    QCOMPARE(WordFile::discoverGroups(dir.path() + "/"), 3);
    QCOMPARE(WordFile::discoverGroups(dir.path() + "/missing/"), 0);
}

void TestWordFile::discoveryIgnoresFolders()
{
    // A folder named like a group file is not a group.
    QTemporaryDir dir;
    QVERIFY(!writeFile(dir, "ciku/ci1.txt", "w\r\nt\r\n").isEmpty());
    QVERIFY(QDir(dir.path()).mkpath("ciku/ci2.txt"));
    QVERIFY(!writeFile(dir, "ciku/ci3.txt", "w\r\nt\r\n").isEmpty());
    QCOMPARE(WordFile::discoverGroups(dir.path() + "/"), 1);
    QCOMPARE(WordFile::loadGroup(dir.filePath("ciku/ci2.txt")).status,
             WordFile::LoadStatus::OpenFailed);
}

void TestWordFile::refusesMoreEntriesThanCountsHold()
{
    QTemporaryDir dir;
    QByteArray bytes;
    bytes.reserve(WordFile::kMaxEntries * 12);
    for (int i = 0; i < WordFile::kMaxEntries; ++i) {
        bytes += "w\r\nt\r\n";
    }
    const QString fits = writeFile(dir, "ci1.txt", bytes);
    QCOMPARE(WordFile::loadGroup(fits).entries.size(), WordFile::kMaxEntries);

    const QString over = writeFile(dir, "ci2.txt", bytes + "w\r\nt\r\n");
    const WordFile::Group group = WordFile::loadGroup(over);
    QCOMPARE(group.status, WordFile::LoadStatus::TooManyEntries);
    QVERIFY(group.entries.isEmpty());
    QVERIFY(group.error.contains(QStringLiteral("32768")));
}

// Guards the quick scan that picks the encoding: it must call valid exactly what Qt's UTF-8
// decoder decodes without error, and see the three-byte characters that mark Chinese.
void TestWordFile::validatesUtf8LikeTheDecoder_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("wide");
    QTest::newRow("ascii") << QByteArray("plain text\r\n") << false;
    QTest::newRow("two_byte") << QByteArray("caf\xC3\xA9") << false;
    QTest::newRow("chinese") << QString::fromUtf8("学习").toUtf8() << true;
    QTest::newRow("four_byte") << QByteArray("\xF0\xA0\x80\x80") << true;
    QTest::newRow("overlong_nul") << QByteArray("\xC0\x80") << false;
    QTest::newRow("overlong_three") << QByteArray("\xE0\x80\xAF") << false;
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false;
    QTest::newRow("past_unicode") << QByteArray("\xF4\x90\x80\x80") << false;
    QTest::newRow("cut_short") << QByteArray("a\xE5\xAD") << false;
    QTest::newRow("lone_continuation") << QByteArray("\x80") << false;
    QTest::newRow("noncharacter") << QByteArray("\xEF\xBF\xBE") << true;
    QTest::newRow("gb18030_study") << QByteArray("\xD1\xA7\xCF\xB0") << false;
    // Found by fuzzing: a leading byte-order mark is a three-byte character of its own.
    QTest::newRow("initial_bom") << QByteArray("\xEF\xBB\xBFr2\r") << true;
}

void TestWordFile::validatesUtf8LikeTheDecoder()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, wide);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    const QString decoded = decoder.decode(bytes);
    bool sawWide = false;
    QCOMPARE(Files::isValidUtf8(bytes, &sawWide), !decoder.hasError());
    if (!decoder.hasError()) {
        QCOMPARE(sawWide, wide);
        QCOMPARE(decoded.toUtf8(), bytes);
    }
}

// Guards against a line too long to show loading anyway (and freezing the window at Start),
// the refusal not naming the line, a line of exactly the limit refused, and characters
// outside the BMP counted twice (as the two UTF-16 units that hold them).
void TestWordFile::refusesOverlongLines_data()
{
    QTest::addColumn<int>("line");   // 1-based line of the file made long
    QTest::addColumn<int>("length"); // its length in characters
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("character"); // what the line is made of, written as UTF-8
    const QString x = QStringLiteral("x");
    const QString rare = QString::fromUcs4(U"\U00020000");
    QTest::newRow("rendering_at_limit") << 4 << WordFile::kMaxLineLength << false << x;
    QTest::newRow("rendering_over_limit") << 4 << WordFile::kMaxLineLength + 1 << true << x;
    QTest::newRow("word_over_limit") << 3 << 40000 << true << x;
    QTest::newRow("odd_last_line_over_limit_dropped") << 5 << 40000 << false << x;
    QTest::newRow("outside_bmp_half_the_limit") << 3 << 2049 << false << rare;
    QTest::newRow("outside_bmp_at_limit") << 3 << WordFile::kMaxLineLength << false << rare;
    QTest::newRow("outside_bmp_over_limit") << 4 << WordFile::kMaxLineLength + 1 << true << rare;
}

void TestWordFile::refusesOverlongLines()
{
    QFETCH(int, line);
    QFETCH(int, length);
    QFETCH(bool, refused);
    QFETCH(QString, character);
    QList<QByteArray> lines = {"w1", "t1", "w2", "t2", "w3"};
    lines[line - 1] = character.repeated(length).toUtf8();
    QTemporaryDir dir;
    const WordFile::Group group =
        WordFile::loadGroup(writeFile(dir, "ci7.txt", lines.join("\r\n") + "\r\n"));
    QCOMPARE(group.status, refused ? WordFile::LoadStatus::LineTooLong : WordFile::LoadStatus::Ok);
    if (refused) {
        QVERIFY(group.entries.isEmpty());
        QVERIFY2(
            group.error.startsWith(
                QStringLiteral("line %1 of ci7.txt holds %2 characters").arg(line).arg(length)),
            qPrintable(group.error));
    } else {
        QCOMPARE(group.entries.size(), 2);
    }
}

// Guards against a group that cannot be read to its end loading the part read before the
// failure, and a refusal that names neither the file nor the system's reason.
// Guards against the checker and the loader counting a line apart: one count, on code
// points, each lone surrogate one character (they were counted two ways before).
void TestWordFile::countsCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("characters");
    const QChar high(0xD840);
    const QChar low(0xDC00);
    QTest::newRow("plain") << QStringLiteral("学习 study") << 8;
    QTest::newRow("outside_bmp_pair") << QString::fromUcs4(U"\U00020000x") << 2;
    QTest::newRow("lone_high") << QString(high) + 'x' << 2;
    QTest::newRow("lone_low") << QString(low) + 'x' << 2;
    QTest::newRow("low_before_high") << QString(low) + high << 2;
}

void TestWordFile::countsCharacters()
{
    QFETCH(QString, text);
    QTEST(int(DrillRules::characterCount(text)), "characters");
}

void TestWordFile::refusesUnreadableFiles_data()
{
    QTest::addColumn<QString>("target"); // what ci9.txt is: missing, or a link to this path
    QTest::addColumn<WordFile::LoadStatus>("status");
    QTest::addColumn<QString>("error"); // "" for any
    QTest::newRow("missing") << QString() << WordFile::LoadStatus::OpenFailed << QString();
    // A regular file whose read at offset 0 fails with EIO, even for root.
    QTest::newRow("read_fails") << "/proc/self/mem" << WordFile::LoadStatus::ReadFailed
                                << "ci9.txt could not be read to its end: " +
                                       QString::fromLocal8Bit(std::strerror(EIO));
}

void TestWordFile::refusesUnreadableFiles()
{
    QFETCH(QString, target);
    QFETCH(WordFile::LoadStatus, status);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = dir.filePath("ci9.txt");
    QVERIFY(target.isEmpty() || QFile::link(target, path));
    const WordFile::Group group = WordFile::loadGroup(path);
    QCOMPARE(group.status, status);
    QVERIFY(group.entries.isEmpty());
    if (!error.isEmpty()) {
        QCOMPARE(group.error, error);
    }
}

void TestWordFile::bundledGroupsLoad()
{
    // The shipped collection: 20 groups of 50 words, Chinese decoded from GB18030.
    const QString install = QStringLiteral(WORDMOOR_SOURCE_DIR "/data/");
    QCOMPARE(WordFile::discoverGroups(install), 20);
    const WordFile::Group group = WordFile::loadGroup(WordFile::groupPath(install, 1));
    QCOMPARE(group.entries.size(), 50);
    QCOMPARE(group.entries[0].word, QStringLiteral("的"));
    QCOMPARE(WordFile::groupLine(1, group.entries.size()), QStringLiteral("第1组: 50个词语"));
}

QTEST_MAIN(TestWordFile)
#include "tst_wordfile.moc"
