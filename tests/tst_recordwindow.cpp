// The record window: the table it shows, the marks of the last run's place, paging, Clear.

#include "records/recordwindow.h"

#include "base/programstate.h"
#include "recordkeeping/recordfile.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{

// The rows as the learner reads them across: "point|words|speed|rate".
QStringList rows(const RecordWindow &window)
{
    QStringList all;
    for (int n = 1; n <= 10; ++n) {
        all += QStringList{window.pointCells(n)->caption(), window.wordCountCells(n)->caption(),
                           window.speedCells(n)->caption(), window.rateCells(n)->caption()}
                   .join('|');
    }
    return all;
}

// What the window shows at a glance: the group, place 1's point, the bordered places, then
// "blinking" and "notice" while they are on.
QString view(const RecordWindow &window)
{
    QStringList view{window.titleLabel->caption().section(' ', -1),
                     window.pointCells(1)->caption()};
    for (int n = 1; n <= 10; ++n) {
        if (window.placeNumbers(n)->borderStyle() == 1) {
            view += QString::number(n);
        }
    }
    view += window.blinkTimer->isEnabled() ? "blinking" : "";
    view += window.noPlaceNotice->isHidden() ? "" : "notice";
    return view.join(' ').simplified();
}

} // namespace

class TestRecordWindow : public QObject
{
    Q_OBJECT

    QString fileOf(int group) const { return RecordFile::recordPath(m_state.installPath, group); }

    void writeRecord(const QList<RecordFile::PlaceRecord> &places) // group 2's
    {
        QByteArray bytes;
        for (const RecordFile::PlaceRecord &place : places) {
            bytes += RecordFile::encode(place);
        }
        QFile file(fileOf(2));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    ProgramState m_state;
    QList<Forms::Message> m_questions;
    Forms::Answer m_answer = Forms::Answer::No;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_state = ProgramState();
        m_state.installPath = m_dir->path() + "/";
        m_state.groupCount = 3;
        m_state.group = 2; // the drill window's group, shown when the window opens
        m_questions.clear();
        m_answer = Forms::Answer::No;
        Forms::setMessageAnswerer([this](const Forms::Message &message) {
            m_questions += message;
            return m_answer;
        });
    }

    // Guards each field's column, the speed words, minus signs, cells sized to what they now
    // show (not to their first text), and the empty table (and empty file) of a group never
    // recorded or a record that cannot be read.
    void showsRecord_data()
    {
        QTest::addColumn<QString>("file"); // "table", "none" or "folder"
        QTest::addColumn<QStringList>("shown");
        const QStringList empty(10, "0|0||0");
        QTest::newRow("stored_table") << "table"
                                      << QStringList{"4800|7|Fast|100", "3200|25|Normal|80",
                                                     "1600|25|Slow|80", "12|3||40", "-5|-3||-2"} +
                                             empty.mid(5);
        QTest::newRow("no_file") << "none" << empty;
        QTest::newRow("folder_named_like_record") << "folder" << empty;
    }

    void showsRecord()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, shown);
        if (file == "table") {
            writeRecord({{4800, 7, 100, 3},
                         {3200, 25, 80, 2},
                         {1600, 25, 80, 1},
                         {12, 3, 40, 4},
                         {-5, -3, -2, 0}});
        }
        QVERIFY(file != "folder" || QDir(m_dir->path()).mkdir("record_2.divu"));
        RecordWindow window(m_state, nullptr);
        window.load();
        QCOMPARE(rows(window), shown);
        for (int n = 1; n <= 10; ++n) {
            for (const Forms::Label *cell : {window.pointCells(n), window.wordCountCells(n),
                                             window.speedCells(n), window.rateCells(n)}) {
                QCOMPARE(cell->width(), cell->fontMetrics().horizontalAdvance(cell->caption()));
            }
        }
        const QFileInfo left(fileOf(2)); // a group never recorded keeps an empty file
        QVERIFY(file != "none" || (left.isFile() && left.size() == 0));
    }

    // Guards what a screen reader reads of the record: a table (not loose labels) named by
    // its group and the last run's place, each place a row of cells under their headers,
    // and the new group said on paging, while the focus stays on the button.
    void isATableForScreenReaders()
    {
        writeRecord({{4800, 7, 100, 3}, {3200, 25, 80, 2}, {1600, 25, 80, 1}});
        m_state.lastPlace = 3;
        QList<QString> said;
        Forms::setAnnouncementObserver([&said](QAccessibleEvent *event) {
            if (event->type() == QAccessible::ObjectShow) {
                said << event->accessibleInterface()->text(QAccessible::Name);
            }
        });
        RecordWindow window(m_state, nullptr);
        window.load();
        QAccessibleInterface *table = QAccessible::queryAccessibleInterface(window.tableArea);
        QCOMPARE(table->role(), QAccessible::Table);
        QCOMPARE(table->text(QAccessible::Name), "Record of Group 2, the last run took place 3");
        QAccessibleTableInterface *cells = table->tableInterface();
        QCOMPARE(cells->rowCount(), 10);
        QCOMPARE(cells->columnCount(), 5);
        QCOMPARE(cells->cellAt(0, 1)->text(QAccessible::Name), "4800");
        QCOMPARE(cells->cellAt(1, 3)->text(QAccessible::Name), "Normal");
        QCOMPARE(cells->cellAt(2, 0)->text(QAccessible::Name), "3, the last run's place");
        QCOMPARE(cells->cellAt(0, 4)->tableCellInterface()->columnHeaderCells().first()->text(
                     QAccessible::Name),
                 "Correctness Rate (%)");
        QAccessibleInterface *tree = QAccessible::queryAccessibleInterface(&window);
        QCOMPARE(tree->indexOfChild(QAccessible::queryAccessibleInterface(window.pointCells(1))),
                 -1);
        QVERIFY(tree->indexOfChild(table) >= 0);
        window.showNextGroup();
        QCOMPARE(said, QList<QString>{"Record of Group 3"});
        QCOMPARE(table->tableInterface()->cellAt(0, 1)->text(QAccessible::Name), "0");
        Forms::setAnnouncementObserver({});
    }

    // Guards against marks shown on other groups or lost on paging back, paging past either
    // end, and a stale table or mark after a run ends under the window.
    void marks_data()
    {
        QTest::addColumn<int>("lastPlace");
        // ">>", "<<", "tick" of the blink timer, or "ran N": a run ended taking place N.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("views"); // on opening, then after each step
        QTest::newRow("earned_place_3")
            << 3 << QStringList{">>", ">>", "<<", "<<", "<<", ">>", "ran 1", ">>", "ran 0"}
            << QStringList{"2 0 3", "3 0",   "3 0",      "2 0 3", "1 0",
                           "1 0",   "2 0 3", "2 4800 1", "3 0",   "2 4800 blinking"};
        QTest::newRow("earned_no_place")
            << 0 << QStringList{"tick", "tick", "tick", ">>", "<<", "tick", "ran 4"}
            << QStringList{"2 0 blinking",
                           "2 0 blinking notice",
                           "2 0 blinking",
                           "2 0 blinking notice",
                           "3 0",
                           "2 0 blinking",
                           "2 0 blinking notice",
                           "2 4800 4"};
    }

    void marks()
    {
        QFETCH(int, lastPlace);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, views);
        m_state.lastPlace = qint16(lastPlace);
        RecordWindow window(m_state, nullptr);
        window.load();
        QStringList seen{view(window)};
        for (const QString &step : steps) {
            if (step.startsWith("ran")) {
                writeRecord({{4800, 25, 80, 3}});
                m_state.lastPlace = qint16(step.mid(4).toInt());
                window.showDrillGroup();
            } else {
                step == "tick" ? window.blinkNoPlaceNotice()
                : step == ">>" ? window.showNextGroup()
                               : window.showPreviousGroup();
            }
            seen += view(window);
        }
        QCOMPARE(seen, views);
        QCOMPARE(window.blinkTimer->interval(), 500);
        QVERIFY(!QFile::exists(fileOf(0)) && !QFile::exists(fileOf(4)));
    }

    // Guards the question, No keeping the record, Yes deleting it and resetting the rows and
    // marks, and Yes on a group without a file changing nothing.
    void clear()
    {
        writeRecord({{900, 10, 90, 1}});
        RecordWindow window(m_state, nullptr);
        window.load();
        window.blinkNoPlaceNotice();
        window.clearShownRecord(); // answered No
        QCOMPARE(m_questions.size(), 1);
        const Forms::Message &q = m_questions.first();
        QCOMPARE(q.text, QString("Do you really want to clear the record?"));
        QVERIFY(q.title == "Attention!" && q.buttons == Forms::Buttons::YesNo &&
                q.icon == Forms::Icon::None && q.defaultButton == Forms::Answer::No);
        QVERIFY(QFile::exists(fileOf(2)));
        QCOMPARE(rows(window).first(), QString("900|10|Slow|90"));

        m_answer = Forms::Answer::Yes;
        window.clearShownRecord();
        QVERIFY(!QFile::exists(fileOf(2)));
        QCOMPARE(rows(window), QStringList(10, "0|0|-|0"));
        QCOMPARE(view(window), QString("2 0"));

        window.showNextGroup(); // paging back shows empty speeds and blinks again
        window.showPreviousGroup();
        QVERIFY(QFile::remove(fileOf(2)));
        window.clearShownRecord();
        QCOMPARE(m_questions.size(), 3);
        QCOMPARE(rows(window), QStringList(10, "0|0||0"));
        QCOMPARE(view(window), QString("2 0 blinking"));
    }
};

QTEST_MAIN(TestRecordWindow)
#include "tst_recordwindow.moc"
