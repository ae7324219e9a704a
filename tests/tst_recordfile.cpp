#include "records/recordfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using RecordFile::PlaceRecord;
Q_DECLARE_METATYPE(PlaceRecord)

namespace {

PlaceRecord place(qint32 point, int words, int rate, int speed)
{
    return PlaceRecord{point, qint16(words), qint16(rate), qint16(speed)};
}

// Stored run n: its other fields tell which place it came from, so a shift that moves
// only points, or the wrong place, shows in the bytes.
QByteArray stored(int n, qint32 point)
{
    return RecordFile::encode(point ? place(point, n, 40 + n, n % 3 + 1) : PlaceRecord());
}

QByteArray tableOf(const QList<int> &points)
{
    QByteArray bytes;
    for (int i = 0; i < points.size(); ++i) {
        bytes += stored(i + 1, points[i]);
    }
    return bytes;
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

const QList<int> kFull = {1000, 900, 800, 700, 600, 500, 400, 300, 200, 100};
const QList<int> kExample = {900, 600, 600, 450, 0, 0, 0, 0, 0, 0};
const QByteArray kEmpty(10, '\0');

} // namespace

class TestRecordFile : public QObject
{
    Q_OBJECT

private slots:
    void codec_data();
    void codec();
    void ranking_data();
    void ranking();
    void read_data();
    void read();
    void saveOddSizes_data();
    void saveOddSizes();
    void failures_data();
    void failures();
    void failedWriteLeavesOldFile_data();
    void failedWriteLeavesOldFile();
};

// Guards against host byte order or a wrong field layout.
void TestRecordFile::codec_data()
{
    QTest::addColumn<PlaceRecord>("record");
    QTest::addColumn<QByteArray>("hex");
    QTest::newRow("slow_run_example")
        << place(1600, 25, 80, 1) << QByteArray("40060000190050000100");
    QTest::newRow("negative") << place(-2, -1, -100, -3) << QByteArray("feffffffffff9cfffdff");
}

void TestRecordFile::codec()
{
    QFETCH(PlaceRecord, record);
    QFETCH(QByteArray, hex);
    QCOMPARE(RecordFile::encode(record).toHex(), hex);
    QCOMPARE(RecordFile::encode(RecordFile::decode(QByteArray::fromHex(hex))).toHex(), hex);
}

// Guards the score formula, the strict comparison (ties rank below), the shift of whole
// places with the old place 10 dropping out, the 100-byte first write, and that a run
// scoring 0 neither creates nor touches a file.
void TestRecordFile::ranking_data()
{
    QTest::addColumn<QString>("file"); // "none", "empty" or "table"
    QTest::addColumn<QList<int>>("points");
    QTest::addColumn<QList<int>>("run"); // correct, wrong, rate, speed
    QTest::addColumn<int>("expectedPoint");
    QTest::addColumn<int>("expectedPlace");
    // Stored place numbers in their new order, "new" for the run, "-" for an empty place;
    // empty when no file may exist.
    QTest::addColumn<QString>("order");

    const QList<int> none;
    QTest::newRow("tie_ranks_below") << "table" << kExample << QList<int>{10, 2, 60, 1} << 600
                                     << 4 << "1 2 3 new 4 - - - - -";
    QTest::newRow("beats_only_place_10") << "table" << kFull << QList<int>{15, 5, 10, 1} << 150
                                         << 10 << "1 2 3 4 5 6 7 8 9 new";
    QTest::newRow("beats_place_1") << "table" << kFull << QList<int>{20, 0, 100, 1} << 2000 << 1
                                   << "new 1 2 3 4 5 6 7 8 9";
    QTest::newRow("ties_place_10") << "table" << kFull << QList<int>{10, 90, 10, 1} << 100 << 0
                                   << "1 2 3 4 5 6 7 8 9 10";
    QTest::newRow("first_write_slow") << "none" << none << QList<int>{20, 5, 80, 1} << 1600 << 1
                                      << "new - - - - - - - - -";
    QTest::newRow("first_write_normal") << "empty" << none << QList<int>{20, 5, 80, 2} << 3200
                                        << 1 << "new - - - - - - - - -";
    QTest::newRow("first_write_fast") << "none" << none << QList<int>{20, 5, 80, 3} << 4800 << 1
                                      << "new - - - - - - - - -";
    QTest::newRow("zero_correct_no_file") << "none" << none << QList<int>{0, 5, 0, 2} << 0 << 0
                                          << "";
    QTest::newRow("zero_speed_no_file") << "none" << none << QList<int>{20, 5, 80, 0} << 0 << 0
                                        << "";
    QTest::newRow("zero_rate_keeps_file") << "table" << kExample << QList<int>{3, 30, 0, 1} << 0
                                          << 0 << "1 2 3 4 - - - - - -";
}

void TestRecordFile::ranking()
{
    QFETCH(QString, file);
    QFETCH(QList<int>, points);
    QFETCH(QList<int>, run);
    QFETCH(int, expectedPoint);
    QFETCH(int, expectedPlace);
    QFETCH(QString, order);
    QTemporaryDir dir;
    const QString path = RecordFile::recordPath(dir.path() + "/", 12);
    if (file != "none") {
        writeBytes(path, tableOf(points));
    }

    const RecordFile::SaveResult result =
        RecordFile::saveRun(path, run[0], run[1], run[2], qint16(run[3]));
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(result.place, qint16(expectedPlace));

    QByteArray expected;
    for (const QString &entry : order.split(' ', Qt::SkipEmptyParts)) {
        expected += entry == "new"   ? RecordFile::encode(place(expectedPoint, run[0] + run[1],
                                                                run[2], run[3]))
                    : entry == "-" ? kEmpty
                                   : stored(entry.toInt(), points[entry.toInt() - 1]);
    }
    QCOMPARE(QFile::exists(dir.filePath("record_12.divu")), !order.isEmpty());
    QCOMPARE(readBytes(path).toHex(' '), expected.toHex(' '));
}

// Guards the reading rule: a short file's missing bytes read as zero, bytes after place
// 10 are ignored, and reading never changes the file.
void TestRecordFile::read_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("short_37") << 37;
    QTest::newRow("long_150") << 150;
}

void TestRecordFile::read()
{
    QFETCH(int, size);
    QTemporaryDir dir;
    const QString path = dir.filePath("record_1.divu");
    const QByteArray bytes = (tableOf(kFull) + QByteArray(50, '\x7f')).left(size);
    writeBytes(path, bytes);

    const RecordFile::ReadResult result = RecordFile::readRecord(path);
    QVERIFY2(result.ok, qPrintable(result.error));
    QByteArray shown;
    for (const PlaceRecord &p : result.places) {
        shown += RecordFile::encode(p);
    }
    QCOMPARE(shown.toHex(' '), (bytes + QByteArray(100, '\0')).left(100).toHex(' '));
    QCOMPARE(readBytes(path), bytes);
}

// Guards that odd files end as a place-by-place update would leave them: a cut place
// keeps its bytes padded with zeros, and what follows place 10 is kept.
void TestRecordFile::saveOddSizes_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("correct"); // at 10 %, Slow: the point is correct x 10
    QTest::addColumn<int>("expectedPlace");
    QTest::addColumn<QByteArray>("after");

    const QByteArray cut = RecordFile::encode(place(300, 4, 0x0203, 1)).left(7);
    const QByteArray cutPadded = cut + QByteArray(3, '\0');
    const QByteArray head = tableOf({900, 600, 450});
    const auto run = [](int correct) {
        return RecordFile::encode(place(correct * 10, correct + 1, 10, 1));
    };
    QTest::newRow("short_run_above_cut_place")
        << head + cut << 50 << 3
        << head.left(20) + run(50) + head.mid(20) + cutPadded + kEmpty.repeated(5);
    QTest::newRow("short_run_below_cut_place")
        << head + cut << 20 << 5 << head + cutPadded + run(20) + kEmpty.repeated(5);

    QByteArray tail;
    for (int i = 0; i < 50; ++i) {
        tail += char(0xa0 + i);
    }
    const QByteArray full = tableOf(kFull);
    QTest::newRow("long_takes_place_2")
        << full + tail << 95 << 2 << full.left(10) + run(95) + full.mid(10, 80) + tail;
}

void TestRecordFile::saveOddSizes()
{
    QFETCH(QByteArray, before);
    QFETCH(int, correct);
    QFETCH(int, expectedPlace);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath("record_1.divu");
    writeBytes(path, before);

    const RecordFile::SaveResult result = RecordFile::saveRun(path, correct, 1, 10, 1);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(result.place, qint16(expectedPlace));
    QCOMPARE(readBytes(path).toHex(' '), after.toHex(' '));
}

// Guards against a crash, a false success or a changed obstacle when the record cannot
// be created, read, written or deleted.
void TestRecordFile::failures_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::newRow("folder_named_like_record") << "folder";
    QTest::newRow("install_folder_is_a_file") << "file";
    QTest::newRow("install_folder_missing") << "missing";
}

void TestRecordFile::failures()
{
    QFETCH(QString, obstacle);
    QTemporaryDir dir;
    const QDir root(dir.path());
    QString installPath = dir.path() + "/";
    if (obstacle == "folder") {
        QVERIFY(root.mkdir("record_1.divu"));
    } else {
        writeBytes(dir.filePath("plain"), "text");
        installPath = dir.filePath(obstacle == "file" ? "plain/" : "missing/");
    }
    const QString path = RecordFile::recordPath(installPath, 1);

    const RecordFile::ReadResult read = RecordFile::readRecord(path);
    QVERIFY(!read.ok && !read.error.isEmpty());
    const RecordFile::SaveResult saved = RecordFile::saveRun(path, 20, 5, 80, 1);
    QVERIFY(!saved.ok && !saved.error.isEmpty());
    QCOMPARE(saved.place, qint16(0));
    QVERIFY(!RecordFile::clearRecord(path));

    QCOMPARE(root.entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{obstacle == "folder" ? "record_1.divu" : "plain"});
    QCOMPARE(readBytes(dir.filePath("plain")), QByteArray(obstacle == "folder" ? "" : "text"));
}

// Guards against a torn table: when the disk refuses the new bytes part way, the old file
// stays whole and no stray file is left beside it.
void TestRecordFile::failedWriteLeavesOldFile_data()
{
    QTest::addColumn<int>("tailSize");
    QTest::addColumn<int>("room"); // bytes a file may hold
    QTest::newRow("no_room") << 0 << 0;
    QTest::newRow("room_for_half_the_table") << 0 << 45;
    QTest::newRow("room_for_table_not_tail") << 50 << 120;
}

void TestRecordFile::failedWriteLeavesOldFile()
{
#ifdef Q_OS_UNIX
    QFETCH(int, tailSize);
    QFETCH(int, room);
    QTemporaryDir dir;
    const QString path = dir.filePath("record_1.divu");
    const QByteArray before = tableOf(kFull) + QByteArray(tailSize, '\x55');
    writeBytes(path, before);

    // A file size limit fails writes as a full disk would, even for root.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = rlim_t(room);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const RecordFile::SaveResult result = RecordFile::saveRun(path, 30, 0, 100, 3);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!result.ok && !result.error.isEmpty());
    QCOMPARE(readBytes(path).toHex(' '), before.toHex(' '));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"record_1.divu"});
#else
    QSKIP("needs a file size limit");
#endif
}

QTEST_GUILESS_MAIN(TestRecordFile)
#include "tst_recordfile.moc"
