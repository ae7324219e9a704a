#include "records/recordfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace
{

QByteArray entry(qint32 point, int words, int rate, int speed)
{
    return RecordFile::encode({point, qint16(words), qint16(rate), qint16(speed)});
}

// Place n also stores n, 40 + n and n % 3 + 1, so that a shift that moves only points, or
// the wrong place, shows in the bytes. A point of 0 is an empty place.
QByteArray tableOf(const QList<int> &points)
{
    QByteArray bytes;
    for (int n = 1; n <= points.size(); ++n) {
        bytes += points[n - 1] ? entry(points[n - 1], n, 40 + n, n % 3 + 1) : QByteArray(10, 0);
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

} // namespace

class TestRecordFile : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path; // group 12's record in m_dir

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = RecordFile::recordPath(m_dir->path() + "/", 12);
    }

    // Guards against host byte order, a wrong field layout or lost signs.
    void codec()
    {
        QCOMPARE(entry(1600, 25, 80, 1).toHex(), "40060000190050000100"); // 20 right 5 wrong Slow
        const QByteArray negative = QByteArray::fromHex("feffffffffff9cfffdff");
        QCOMPARE(entry(-2, -1, -100, -3), negative);
        QCOMPARE(RecordFile::encode(RecordFile::decode(negative)), negative);
    }

    // Guards the score, ties ranking below, whole places shifting (place 10 dropped), the
    // 100-byte first write, no file for a zero point, odd sizes not kept place by place, and
    // values too large for their fields held at the ends of the range instead of wrapping.
    void save_data()
    {
        QTest::addColumn<QByteArray>("before"); // "none": no file
        // correct, wrong, rate, speed, then the words and rate stored when not wrong + correct
        // and rate
        QTest::addColumn<QList<int>>("run");
        QTest::addColumn<int>("point");
        // The new file by old place number, "new" for the run, "-" for an empty place, "tail"
        // for the bytes after place 10; empty when no file may exist.
        QTest::addColumn<QString>("order");
        const QByteArray example = tableOf({900, 600, 600, 450, 0, 0, 0, 0, 0, 0});
        const QByteArray full = tableOf(kFull);
        const QByteArray cut = tableOf({900, 600, 450}) + entry(300, 4, 0x0203, 1).left(7);
        const QByteArray none = "none";
        const QString first = "new - - - - - - - - -";
        QTest::newRow("tie_ranks_below")
            << example << QList<int>{10, 2, 60, 1} << 600 << "1 2 3 new 4 - - - - -";
        QTest::newRow("beats_only_place_10")
            << full << QList<int>{15, 5, 10, 1} << 150 << "1 2 3 4 5 6 7 8 9 new";
        QTest::newRow("beats_place_1")
            << full << QList<int>{20, 0, 100, 1} << 2000 << "new 1 2 3 4 5 6 7 8 9";
        QTest::newRow("beats_nothing")
            << full << QList<int>{10, 90, 10, 1} << 100 << "1 2 3 4 5 6 7 8 9 10";
        QTest::newRow("first_write_slow") << none << QList<int>{20, 5, 80, 1} << 1600 << first;
        QTest::newRow("first_write_normal")
            << QByteArray("") << QList<int>{20, 5, 80, 2} << 3200 << first;
        QTest::newRow("first_write_fast") << none << QList<int>{20, 5, 80, 3} << 4800 << first;
        QTest::newRow("zero_point_no_file") << none << QList<int>{0, 5, 0, 2} << 0 << "";
        QTest::newRow("short_37_run_above_cut_place")
            << cut << QList<int>{50, 1, 10, 1} << 500 << "1 2 new 3 4 - - - - -";
        QTest::newRow("short_37_run_below_cut_place")
            << cut << QList<int>{20, 1, 10, 1} << 200 << "1 2 3 4 new - - - - -";
        QTest::newRow("long_150_takes_place_2")
            << full + tableOf({11, 22, 33, 44, 55}) << QList<int>{95, 1, 10, 1} << 950
            << "1 new 2 3 4 5 6 7 8 9 tail";
        const int max32 = std::numeric_limits<qint32>::max();
        const int min32 = std::numeric_limits<qint32>::min();
        const QString top = "new 1 2 3 4 5 6 7 8 9";
        QTest::newRow("point_above_32_bits_held_at_max")
            << full << QList<int>{max32, 0, 100, 3, 32767, 100} << max32 << top;
        QTest::newRow("point_above_64_bits_held_at_max")
            << full << QList<int>{max32, 0, max32, 32767, 32767, 32767} << max32 << top;
        QTest::newRow("point_below_64_bits_beats_nothing")
            << full << QList<int>{min32, 0, max32, 32767, -32768, 32767} << min32
            << "1 2 3 4 5 6 7 8 9 10";
        QTest::newRow("negative_factors_point_above_0")
            << full << QList<int>{-1, 0, -100000, 1, -1, -32768} << 100000 << top;
        QTest::newRow("words_above_32_bits_held_at_max")
            << full << QList<int>{40, max32, 10, 1, 32767, 10} << 400 << "1 2 3 4 5 6 7 new 8 9";
        QTest::newRow("words_below_16_bits_held_at_min")
            << full << QList<int>{50, min32, 10, 1, -32768, 10} << 500 << "1 2 3 4 5 6 new 7 8 9";
        QTest::newRow("rate_above_16_bits_held_at_max")
            << full << QList<int>{1, 0, 100000, 1, 1, 32767} << 100000 << top;
    }

    void save()
    {
        QFETCH(QByteArray, before);
        QFETCH(QList<int>, run);
        QFETCH(int, point);
        QFETCH(QString, order);
        const QList<int> stored =
            run.size() > 4 ? run.mid(4) : QList<int>{run[0] + run[1], run[2]};
        if (before != "none") {
            writeBytes(m_path, before);
            const RecordFile::ReadResult read = RecordFile::readRecord(m_path);
            QVERIFY2(read.ok, qPrintable(read.error));
            QByteArray shown;
            for (const RecordFile::PlaceRecord &p : read.places) {
                shown += RecordFile::encode(p);
            }
            QCOMPARE(shown.toHex(' '), (before + QByteArray(100, 0)).left(100).toHex(' '));
            QCOMPARE(readBytes(m_path), before);
        }

        const auto result = RecordFile::saveRun(m_path, run[0], run[1], run[2], qint16(run[3]));
        QVERIFY2(result.ok, qPrintable(result.error));
        const QStringList places = order.split(' ', Qt::SkipEmptyParts);
        QCOMPARE(result.place, qint16(places.indexOf("new") + 1));
        QByteArray expected;
        for (const QString &p : places) {
            expected += p == "new"    ? entry(point, stored[0], stored[1], run[3])
                        : p == "-"    ? QByteArray(10, 0)
                        : p == "tail" ? before.mid(100)
                                      : before.mid(p.toInt() * 10 - 10, 10).leftJustified(10, 0);
        }
        QCOMPARE(QFile::exists(m_dir->filePath("record_12.divu")), !order.isEmpty());
        QCOMPARE(readBytes(m_path).toHex(' '), expected.toHex(' '));
    }

    // Guards against litter from killed saves staying forever, and against removing anything
    // else: another group's leftovers, other names, folders or links.
    void removesOwnLeftovers_data()
    {
        QTest::addColumn<QString>("name"); // beside group 1's record
        QTest::addColumn<QString>("kind"); // file, folder or link
        QTest::addColumn<bool>("removed");
        QTest::newRow("own_leftover") << "record_1.divu.aBcDeF"
                                      << "file" << true;
        QTest::newRow("own_leftover_digits") << "record_1.divu.Q9w8E7"
                                             << "file" << true;
        QTest::newRow("other_group") << "record_12.divu.aBcDeF"
                                     << "file" << false;
        QTest::newRow("five_chars") << "record_1.divu.aBcDe"
                                    << "file" << false;
        QTest::newRow("seven_chars") << "record_1.divu.aBcDeFg"
                                     << "file" << false;
        QTest::newRow("not_letters") << "record_1.divu.aB-DeF"
                                     << "file" << false;
        QTest::newRow("no_dot") << "record_1.divuaBcDeF"
                                << "file" << false;
        QTest::newRow("other_case") << "RECORD_1.DIVU.aBcDeF"
                                    << "file" << false;
        QTest::newRow("prefixed") << "xrecord_1.divu.aBcDeF"
                                  << "file" << false;
        QTest::newRow("folder") << "record_1.divu.aBcDeF"
                                << "folder" << false;
        QTest::newRow("link") << "record_1.divu.aBcDeF"
                              << "link" << false;
    }

    void removesOwnLeftovers()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(bool, removed);
        const QDir root(m_dir->path());
        const QString path = root.filePath(name);
        writeBytes(root.filePath("notes.txt"), "notes");
        if (kind == "folder") {
            QVERIFY(root.mkdir(name));
        } else if (kind == "link") {
            QVERIFY(QFile::link(root.filePath("notes.txt"), path));
        } else {
            writeBytes(path, "half a table");
        }
        const auto result =
            RecordFile::saveRun(RecordFile::recordPath(root.path() + "/", 1), 10, 0, 50, 2);
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.place, qint16(1));
        QCOMPARE(QFileInfo::exists(path), !removed);
        QCOMPARE(readBytes(root.filePath("notes.txt")), QByteArray("notes"));
        const auto all = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
        QCOMPARE(root.entryList(all).size(), removed ? 2 : 3);
    }

    // Guards against a false success, a changed file or a stray one when the record cannot
    // be read, written or deleted, even when the disk fills part way through the write.
    void failures_data()
    {
        QTest::addColumn<QString>("obstacle"); // in the record's place or the install folder's
        QTest::addColumn<int>("room");         // bytes a file may hold, of the 150 to write
        QTest::newRow("folder_named_like_record") << "folder" << -1;
        QTest::newRow("install_folder_is_a_file") << "plain/" << -1;
        QTest::newRow("install_folder_missing") << "missing/" << -1;
        QTest::newRow("no_room") << "table" << 0;
        QTest::newRow("room_for_half_the_table") << "table" << 45;
        QTest::newRow("room_for_table_not_tail") << "table" << 120;
    }

    void failures()
    {
#ifdef Q_OS_UNIX
        QFETCH(QString, obstacle);
        QFETCH(int, room);
        const QDir root(m_dir->path());
        const QByteArray before = tableOf(kFull) + QByteArray(50, '\x55');
        writeBytes(root.filePath("plain"), "text");
        writeBytes(m_path, before);
        QVERIFY(obstacle != "folder" || (QFile::remove(m_path) && root.mkdir(m_path)));
        const bool moved = obstacle.endsWith('/');
        const QString path = moved ? RecordFile::recordPath(root.filePath(obstacle), 12) : m_path;

        // A file size limit fails writes as a full disk would, even for root.
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = room < 0 ? saved.rlim_cur : rlim_t(room);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        const RecordFile::SaveResult result = RecordFile::saveRun(path, 30, 0, 100, 3);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!result.ok && !result.error.isEmpty() && result.place == 0);
        if (room < 0) {
            const RecordFile::ReadResult read = RecordFile::readRecord(path);
            QVERIFY(!read.ok && !read.error.isEmpty() && !RecordFile::clearRecord(path));
        }
        const auto all = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden;
        QCOMPARE(root.entryList(all), QStringList({"plain", "record_12.divu"}));
        QCOMPARE(readBytes(root.filePath("plain")), QByteArray("text"));
        QCOMPARE(readBytes(m_path).toHex(' '), obstacle == "folder" ? "" : before.toHex(' '));
        QCOMPARE(QFileInfo(m_path).isDir(), obstacle == "folder");
#else
        QSKIP("needs a file size limit");
#endif
    }
};

QTEST_GUILESS_MAIN(TestRecordFile)
#include "tst_recordfile.moc"
