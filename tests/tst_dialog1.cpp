#include "records/dialog1.h"

#include "records/recordfile.h"
#include "shell/module1.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

QByteArray entry(qint32 point, int words, int rate, int speed)
{
    return RecordFile::encode({point, qint16(words), qint16(rate), qint16(speed)});
}

// Row n as the learner reads it across: "point|words|speed|rate".
QString row(const Dialog1 &dialog, int n)
{
    return QStringList{dialog.Label5(n)->caption(), dialog.Label2(n)->caption(),
                       dialog.Label4(n)->caption(), dialog.Label3(n)->caption()}
        .join('|');
}

QStringList rows(const Dialog1 &dialog)
{
    QStringList all;
    for (int n = 1; n <= 10; ++n) {
        all += row(dialog, n);
    }
    return all;
}

QList<int> markedPlaces(const Dialog1 &dialog)
{
    QList<int> marked;
    for (int n = 1; n <= 10; ++n) {
        if (dialog.Label1(n)->borderStyle() == 1) {
            marked += n;
        }
    }
    return marked;
}

bool blinking(const Dialog1 &dialog)
{
    return dialog.Timer1->isEnabled();
}

} // namespace

class TestDialog1 : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void designPositions_data();
    void designPositions();
    void showsRecord_data();
    void showsRecord();
    void marksFollowPaging_data();
    void marksFollowPaging();
    void pagingStopsAtEnds_data();
    void pagingStopsAtEnds();
    void clear();
    void showDrillGroupRefreshes();

private:
    QString fileOf(int group) const { return RecordFile::recordPath(gInstallPath, group); }
    void writeRecord(int group, const QByteArray &bytes);

    std::unique_ptr<QTemporaryDir> m_dir;
    QList<Forms::Message> m_questions;
    Forms::Answer m_answer = Forms::Answer::No;
};

void TestDialog1::init()
{
    resetProgramState();
    m_dir = std::make_unique<QTemporaryDir>();
    gInstallPath = m_dir->path() + "/";
    gGroupCount = 3;
    gGroup = 2;
    m_questions.clear();
    Forms::setMessageAnswerer([this](const Forms::Message &message) {
        m_questions += message;
        return m_answer;
    });
}

void TestDialog1::cleanup()
{
    Forms::setMessageAnswerer({});
    resetProgramState();
    m_dir.reset();
}

void TestDialog1::writeRecord(int group, const QByteArray &bytes)
{
    QFile file(fileOf(group));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// Guards the layout against a wrong row top, column or size.
void TestDialog1::designPositions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("title") << "Label6" << QRect(0, 0, 4770, 300);
    QTest::newRow("words_heading_line_2") << "Label2_11" << QRect(1845, 600, 855, 255);
    QTest::newRow("place_10") << "Label1_10" << QRect(330, 3285, 210, 210);
    QTest::newRow("close") << "OKButton" << QRect(3840, 3600, 765, 330);
}

void TestDialog1::designPositions()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    Dialog1 dialog(nullptr);
    auto *control = dialog.findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(QRect(int(Forms::twipLeft(control)), int(Forms::twipTop(control)),
                   int(Forms::twipWidth(control)), int(Forms::twipHeight(control))),
             twips);
}

// Guards each field's column, the speed words, minus signs, and the empty table (with the
// empty file left behind) of a group never recorded or a record that cannot be read.
void TestDialog1::showsRecord_data()
{
    QTest::addColumn<QString>("file"); // "table", "none" or "folder"
    QTest::addColumn<QStringList>("shown");
    QStringList empty;
    for (int n = 1; n <= 10; ++n) {
        empty += "0|0||0";
    }
    QTest::newRow("stored_table")
        << "table"
        << QStringList{"4800|7|Fast|100", "3200|25|Normal|80", "1600|25|Slow|80", "12|3||40",
                       "-5|-3||-2"} + empty.mid(5);
    QTest::newRow("no_file") << "none" << empty;
    QTest::newRow("folder_named_like_record") << "folder" << empty;
}

void TestDialog1::showsRecord()
{
    QFETCH(QString, file);
    QFETCH(QStringList, shown);
    if (file == "table") {
        writeRecord(2, entry(4800, 7, 100, 3) + entry(3200, 25, 80, 2) + entry(1600, 25, 80, 1) +
                           entry(12, 3, 40, 4) + entry(-5, -3, -2, 0));
    } else if (file == "folder") {
        QVERIFY(QDir(m_dir->path()).mkdir("record_2.divu"));
    }
    Dialog1 dialog(nullptr);
    dialog.load();

    QCOMPARE(dialog.Label6->caption(), QString("Record of Group 2"));
    QCOMPARE(rows(dialog), shown);
    if (file == "none") {
        QCOMPARE(QFileInfo(fileOf(2)).size(), 0);
    }
}

// Guards that the border and the blinking notice belong to the drill window's group
// only: paging away removes them, paging back restores them.
void TestDialog1::marksFollowPaging_data()
{
    QTest::addColumn<int>("lastPlace");
    QTest::newRow("earned_place_3") << 3;
    QTest::newRow("earned_no_place") << 0;
}

void TestDialog1::marksFollowPaging()
{
    QFETCH(int, lastPlace);
    gLastPlace = qint16(lastPlace);
    const QList<int> mark = lastPlace ? QList<int>{lastPlace} : QList<int>{};
    Dialog1 dialog(nullptr);
    dialog.load();
    QCOMPARE(markedPlaces(dialog), mark);
    QCOMPARE(blinking(dialog), lastPlace == 0);
    QCOMPARE(dialog.Timer1->interval(), 500);

    QVERIFY(dialog.Label1(11)->isHidden());
    if (lastPlace == 0) { // each tick turns the notice over; paging away while it shows
        dialog.Timer1_Timer();
        QVERIFY(!dialog.Label1(11)->isHidden());
        dialog.Timer1_Timer();
        QVERIFY(dialog.Label1(11)->isHidden());
        dialog.Timer1_Timer();
    }

    dialog.Command3_Click();
    QCOMPARE(dialog.Label6->caption(), QString("Record of Group 3"));
    QVERIFY(markedPlaces(dialog).isEmpty());
    QVERIFY(!blinking(dialog));
    QVERIFY(dialog.Label1(11)->isHidden());

    dialog.Command2_Click();
    QCOMPARE(markedPlaces(dialog), mark);
    QCOMPARE(blinking(dialog), lastPlace == 0);
}

// Guards the paging limits, which must neither move nor read a group that is not there.
void TestDialog1::pagingStopsAtEnds_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("beyond");
    QTest::newRow("previous_on_first") << 1 << 0;
    QTest::newRow("next_on_last") << 3 << 4;
}

void TestDialog1::pagingStopsAtEnds()
{
    QFETCH(int, group);
    QFETCH(int, beyond);
    gGroup = qint16(group);
    writeRecord(group, entry(500, 5, 100, 1));
    Dialog1 dialog(nullptr);
    dialog.load();

    beyond ? dialog.Command3_Click() : dialog.Command2_Click();

    QCOMPARE(dialog.mShownGroup, qint16(group));
    QCOMPARE(row(dialog, 1), QString("500|5|Slow|100"));
    QVERIFY(blinking(dialog));
    QVERIFY(!QFile::exists(fileOf(beyond)));
}

// Guards the question, No doing nothing, Yes deleting and resetting the rows, and Yes on
// a group without a file leaving everything as shown.
void TestDialog1::clear()
{
    writeRecord(2, entry(900, 10, 90, 1));
    Dialog1 dialog(nullptr);
    dialog.load();
    dialog.Timer1_Timer();

    dialog.Command1_Click(); // answered No
    QCOMPARE(m_questions.size(), 1);
    const Forms::Message &question = m_questions.first();
    QCOMPARE(question.text, QString("Do you really want to clear the record?"));
    QCOMPARE(question.title, QString("Attention!"));
    QVERIFY(question.buttons == Forms::Buttons::YesNo && question.icon == Forms::Icon::None);
    QVERIFY(question.defaultButton == Forms::Answer::No);
    QVERIFY(QFile::exists(fileOf(2)));
    QCOMPARE(row(dialog, 1), QString("900|10|Slow|90"));

    m_answer = Forms::Answer::Yes;
    dialog.Command1_Click();
    QVERIFY(!QFile::exists(fileOf(2)));
    QCOMPARE(rows(dialog), QStringList(10, "0|0|-|0"));
    QVERIFY(!blinking(dialog) && dialog.Label1(11)->isHidden());

    // Paging back shows empty speeds, recreates the file and blinks again.
    dialog.Command3_Click();
    dialog.Command2_Click();
    QCOMPARE(rows(dialog), QStringList(10, "0|0||0"));
    QVERIFY(blinking(dialog));

    QVERIFY(QFile::remove(fileOf(2)));
    dialog.Command1_Click();
    QCOMPARE(m_questions.size(), 3); // the question only, no message after it
    QCOMPARE(rows(dialog), QStringList(10, "0|0||0"));
    QVERIFY(blinking(dialog));
}

// Guards the refill when a run ends under an open window: the drill group comes back with
// the new numbers, only the new mark, and the blinking started or stopped to match.
void TestDialog1::showDrillGroupRefreshes()
{
    writeRecord(2, entry(900, 10, 90, 1) + entry(500, 10, 50, 1));
    gLastPlace = 2;
    Dialog1 dialog(nullptr);
    dialog.load();

    const RecordFile::SaveResult saved = RecordFile::saveRun(fileOf(2), 20, 5, 80, 3);
    QVERIFY(saved.ok);
    gLastPlace = saved.place;
    dialog.showDrillGroup();
    QCOMPARE(rows(dialog).mid(0, 3),
             QStringList({"4800|25|Fast|80", "900|10|Slow|90", "500|10|Slow|50"}));
    QCOMPARE(markedPlaces(dialog), QList<int>{1});

    dialog.Command3_Click();
    gLastPlace = 0;
    dialog.showDrillGroup();
    QCOMPARE(dialog.mShownGroup, qint16(2));
    QVERIFY(markedPlaces(dialog).isEmpty());
    QVERIFY(blinking(dialog));

    dialog.Timer1_Timer();
    gLastPlace = 4;
    dialog.showDrillGroup();
    QCOMPARE(markedPlaces(dialog), QList<int>{4});
    QVERIFY(!blinking(dialog) && dialog.Label1(11)->isHidden());
}

QTEST_MAIN(TestDialog1)
#include "tst_dialog1.moc"
