#include "filesizelimit.h"
#include "recordkeeping/recordfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
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

// The entry of a run of `correct` right answers, no wrong ones, at rate 100 and Slow.
QByteArray runOf(int correct)
{
    return entry(correct * 100, correct, 100, 1);
}

QString reasonOf(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
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
    // else: the learner's files however they are named (a backup, or a name like a temporary
    // file of another program's), another group's leftovers, folders or links.
    void removesOwnLeftovers_data()
    {
        QTest::addColumn<QString>("name"); // beside group 1's record
        QTest::addColumn<QString>("kind"); // file, folder or link
        QTest::addColumn<bool>("removed");
        const QString own = ".record_1.divu.wordmoor-save-";
        QTest::newRow("own_leftover") << own + "aBcDeF"
                                      << "file" << true;
        QTest::newRow("own_leftover_digits") << own + "Q9w8E7"
                                             << "file" << true;
        QTest::newRow("learner_backup") << "record_1.divu.backup"
                                        << "file" << false;
        QTest::newRow("six_letters_after_the_name") << "record_1.divu.aBcDeF"
                                                    << "file" << false;
        QTest::newRow("other_group") << ".record_12.divu.wordmoor-save-aBcDeF"
                                     << "file" << false;
        QTest::newRow("five_chars") << own + "aBcDe"
                                    << "file" << false;
        QTest::newRow("seven_chars") << own + "aBcDeFg"
                                     << "file" << false;
        QTest::newRow("not_letters") << own + "aB-DeF"
                                     << "file" << false;
        QTest::newRow("no_leading_dot") << "record_1.divu.wordmoor-save-aBcDeF"
                                        << "file" << false;
        QTest::newRow("other_case") << ".RECORD_1.DIVU.wordmoor-save-aBcDeF"
                                    << "file" << false;
        QTest::newRow("prefixed") << ".xrecord_1.divu.wordmoor-save-aBcDeF"
                                  << "file" << false;
        QTest::newRow("folder") << own + "aBcDeF"
                                << "folder" << false;
        QTest::newRow("link") << own + "aBcDeF"
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
        // Every save cleans up, so what survives one must survive them all.
        for (int save = 1; save <= 3; ++save) {
            const auto result =
                RecordFile::saveRun(RecordFile::recordPath(root.path() + "/", 1), 10, 0, 50, 2);
            QVERIFY2(result.ok, qPrintable(result.error));
            QCOMPARE(result.place, qint16(save));
            QCOMPARE(QFileInfo::exists(path), !removed);
        }
        QCOMPARE(readBytes(root.filePath("notes.txt")), QByteArray("notes"));
        if (kind == "file" && !removed) {
            QCOMPARE(readBytes(path), QByteArray("half a table"));
        }
        const auto all = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
        QCOMPARE(root.entryList(all).size(), removed ? 2 : 3);
    }

    // Guards the run saved early (when the session asks) and again at its end: recorded once,
    // the earlier entry taken back when the final result beats no place, and the file as it
    // is now used when it no longer holds what the earlier save left.
    void replacesEarlierSave_data()
    {
        QTest::addColumn<QByteArray>("before"); // "none": no file
        // Saves of one run by correct answers (rate 100, Slow, no wrong answers: a point of
        // 100 each); each save after the first replaces the one before it.
        QTest::addColumn<QList<int>>("saves");
        QTest::addColumn<QString>("between");  // done to the file before the last save
        QTest::addColumn<QByteArray>("after"); // "none": no file
        QTest::addColumn<int>("place");
        const QByteArray none = "none";
        const QByteArray example = tableOf({900, 600, 600, 450, 0, 0, 0, 0, 0, 0});
        const QByteArray full = tableOf(kFull);
        const QByteArray empty(10, 0);
        const QByteArray top = runOf(20) + example.left(90);
        QTest::newRow("final_takes_the_place") << example << QList<int>{5, 20} << "" << top << 1;
        QTest::newRow("three_saves_one_entry")
            << example << QList<int>{5, 7, 20} << "" << top << 1;
        QTest::newRow("final_beats_nothing_file_put_back")
            << full << QList<int>{2, 1} << "" << full << 0;
        QTest::newRow("final_zero_point_file_put_back")
            << full << QList<int>{20, 0} << "" << full << 0;
        QTest::newRow("final_zero_point_created_file_removed")
            << none << QList<int>{5, 0} << "" << none << 0;
        QTest::newRow("earlier_beat_nothing")
            << full << QList<int>{1, 20} << "" << runOf(20) + full.left(90) << 1;
        QTest::newRow("earlier_zero_point") << example << QList<int>{0, 20} << "" << top << 1;
        QTest::newRow("after_removal_saved_again")
            << none << QList<int>{5, 0, 7} << "" << runOf(7) + empty.repeated(9) << 1;
        QTest::newRow("cleared_between")
            << example << QList<int>{5, 20} << "clear" << runOf(20) + empty.repeated(9) << 1;
        QTest::newRow("cleared_and_shown_between")
            << example << QList<int>{5, 20} << "clear show" << runOf(20) + empty.repeated(9) << 1;
        // Another run saved meanwhile: the earlier entry can no longer be told apart, so both
        // stay.
        QTest::newRow("other_run_saved_between")
            << example << QList<int>{5, 20} << "other"
            << runOf(20) + example.left(10) + runOf(8) + example.mid(10, 20) + runOf(5) +
                   example.mid(30, 40)
            << 1;
    }

    void replacesEarlierSave()
    {
        QFETCH(QByteArray, before);
        QFETCH(QList<int>, saves);
        QFETCH(QString, between);
        QFETCH(QByteArray, after);
        QFETCH(int, place);
        if (before != "none") {
            writeBytes(m_path, before);
        }
        RecordFile::SaveResult saved;
        for (int i = 0; i < saves.size(); ++i) {
            if (i == saves.size() - 1) {
                if (between.contains("clear")) {
                    QVERIFY(RecordFile::clearRecord(m_path));
                }
                if (between.contains("show")) {
                    QVERIFY(RecordFile::readRecord(m_path).ok);
                }
                if (between == "other") {
                    QVERIFY(RecordFile::saveRun(m_path, 8, 0, 100, 1).ok);
                }
            }
            const RecordFile::SavedImage earlier = saved.image;
            saved = RecordFile::saveRun(m_path, saves[i], 0, 100, 1, &earlier);
            QVERIFY2(saved.ok, qPrintable(saved.error));
        }
        QCOMPARE(saved.place, qint16(place));
        QCOMPARE(QFile::exists(m_path), after != "none");
        QCOMPARE(readBytes(m_path).toHex(' '), after == "none" ? "" : after.toHex(' '));
        QVERIFY(saved.image.valid);
        QCOMPARE(saved.image.after.toHex(' '), readBytes(m_path).toHex(' '));

        // The final save once more in its own place changes nothing.
        const RecordFile::SavedImage last = saved.image;
        QCOMPARE(RecordFile::saveRun(m_path, saves.last(), 0, 100, 1, &last).place, qint16(place));
        QCOMPARE(QFile::exists(m_path), after != "none");
        QCOMPARE(readBytes(m_path).toHex(' '), after == "none" ? "" : after.toHex(' '));
    }

    // Guards against a learner's link to a record kept elsewhere replaced by a file of its own,
    // and a record's permissions lost by the save that replaces it.
    void savesThroughLinkKeepingPermissions()
    {
        const QDir root(m_dir->path());
        QVERIFY(root.mkdir("elsewhere"));
        const QString target = root.filePath("elsewhere/shared.divu");
        writeBytes(target, tableOf(kFull));
        const auto mode =
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup;
        QVERIFY(QFile::setPermissions(target, mode));
        QVERIFY(QFile::link("elsewhere/shared.divu", m_path));
        const RecordFile::SaveResult result = RecordFile::saveRun(m_path, 20, 0, 100, 1);
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.place, qint16(1));
        QVERIFY(QFileInfo(m_path).isSymLink());
        QCOMPARE(readBytes(target).toHex(' '),
                 (entry(2000, 20, 100, 1) + tableOf(kFull).left(90)).toHex(' '));
        QCOMPARE(QFile::permissions(target) & 0x7077, mode); // owner, group, others
        const auto all = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden;
        QCOMPARE(QDir(root.filePath("elsewhere")).entryList(all), QStringList{"shared.divu"});
        QCOMPARE(root.entryList(all), QStringList({"elsewhere", "record_12.divu"}));
    }

    // Guards against a false success, a changed file or a stray one when the record cannot
    // be read, written or deleted, even when the disk fills part way through the write.
    void failures_data()
    {
        QTest::addColumn<QString>("obstacle"); // in the record's place or the install folder's
        QTest::addColumn<int>("room");         // bytes a file may hold, of the 150 to write
        QTest::addColumn<QString>("reason");   // the system's reason the error ends in; "": any
        QTest::newRow("folder_named_like_record") << "folder" << -1 << "";
        QTest::newRow("install_folder_is_a_file") << "plain/" << -1 << reasonOf(ENOTDIR);
        QTest::newRow("install_folder_missing") << "missing/" << -1 << reasonOf(ENOENT);
        QTest::newRow("no_room") << "table" << 0 << reasonOf(EFBIG);
        QTest::newRow("room_for_half_the_table") << "table" << 45 << reasonOf(EFBIG);
        QTest::newRow("room_for_table_not_tail") << "table" << 120 << reasonOf(EFBIG);
        // The record itself can be written, but no temporary file fits beside it: the save
        // must fail and never fall back to writing the record in place.
        QTest::newRow("no_temporary_file_beside_record")
            << "long/" << -1 << reasonOf(ENAMETOOLONG);
    }

    // A folder below root whose path leaves room for the record's name within PATH_MAX (4096
    // bytes with the NUL) but not for its temporary file's longer name.
    static QString longFolder(const QDir &root)
    {
        const int length = 4096 - 1 - 26; // "/record_12.divu" fits, ".wordmoor-save-" not
        QString folder = root.path();
        while (folder.size() < length) {
            const int part = std::min<int>(240, int(length - folder.size()) - 1);
            folder += '/' + QString(part, QLatin1Char('d'));
        }
        return QDir().mkpath(folder) ? folder + '/' : QString();
    }

    void failures()
    {
#ifdef Q_OS_UNIX
        QFETCH(QString, obstacle);
        QFETCH(int, room);
        QFETCH(QString, reason);
        const QDir root(m_dir->path());
        const QByteArray before = tableOf(kFull) + QByteArray(50, '\x55');
        writeBytes(root.filePath("plain"), "text");
        writeBytes(m_path, before);
        QVERIFY(obstacle != "folder" || (QFile::remove(m_path) && root.mkdir(m_path)));
        const bool moved = obstacle.endsWith('/');
        QString path = moved ? RecordFile::recordPath(root.filePath(obstacle), 12) : m_path;
        QString deep;
        if (obstacle == "long/") {
            deep = longFolder(root);
            QVERIFY(!deep.isEmpty());
            path = RecordFile::recordPath(deep, 12);
            writeBytes(path, before);
        }

        RecordFile::SaveResult result;
        {
            FileSizeLimit limit(room);
            QVERIFY(limit.isSet());
            result = RecordFile::saveRun(path, 30, 0, 100, 3);
        }

        QVERIFY(!result.ok && !result.error.isEmpty() && result.place == 0);
        QVERIFY2(reason.isEmpty() || result.error.endsWith(": " + reason),
                 qPrintable(result.error));
        QVERIFY(!result.image.valid);
        if (!deep.isEmpty()) {
            QCOMPARE(readBytes(path).toHex(' '), before.toHex(' '));
            QCOMPARE(QDir(deep).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                     QStringList({"record_12.divu"}));
            return;
        }
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
