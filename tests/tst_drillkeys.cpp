// Answering from the keyboard, and what assistive technology is told of a question.
#include "drill/drillwindow.h"
#include "drill/rownumberentry.h"
#include "drill/wordfile.h"
#include "shell/programmenu.h"
#include "shell/programstate.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestDrillKeys : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    ProgramState m_state;
    std::unique_ptr<DrillWindow> m_drill;
    QList<QObject *> m_announced;

    // Starts a run on n words of one rendering each ("meaning 1" ... ).
    DrillWindow &startRun(int words)
    {
        QByteArray bytes;
        for (int w = 1; w <= words; ++w) {
            bytes += QStringLiteral("词%1\r\nmeaning %1\r\n").arg(w).toUtf8();
        }
        QFile file(WordFile::groupPath(m_state.installPath, 1));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            qFatal("cannot write the group");
        }
        file.close();
        m_drill = std::make_unique<DrillWindow>(m_state);
        m_drill->random() = Random(11);
        m_drill->load();
        m_drill->groupList->setCurrentIndex(1);
        m_drill->loadChosenGroup();
        m_drill->startRun();
        return *m_drill;
    }

    // Types the number shown beside a row (index 0 to 14), as a learner would.
    void typeNumber(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const int number = row + 1;
        if (number >= 10) {
            QTest::keyClick(m_drill->rowFrame, Qt::Key_1, modifiers);
            QTest::keyClick(m_drill->rowFrame, Qt::Key(Qt::Key_0 + number - 10), modifiers);
        } else {
            QTest::keyClick(m_drill->rowFrame, Qt::Key(Qt::Key_0 + number), modifiers);
        }
    }

    int rightRow() const { return m_drill->run().answerRows().first(); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("ciku")));
        m_state = ProgramState();
        m_state.installPath = m_dir->path() + QLatin1Char('/');
        m_announced.clear();
        Forms::setModalObserver([](Forms::Form *) {});
        Forms::setMessageAnswerer([](const Forms::Message &) { return Forms::Answer::Ok; });
    }

    void cleanup()
    {
        m_drill.reset();
        Forms::setModalObserver({});
        Forms::setMessageAnswerer({});
        Forms::setAnnouncementObserver({});
    }

    // Guards the digits' meaning: 2 to 9 at once, 1 waiting for 0 to 5, a lone 1 (by
    // time or by another digit) meaning row 1, and 0 alone meaning nothing.
    void digitsNameRows_data()
    {
        QTest::addColumn<QString>("typed"); // digits; "w" ends the wait for a second digit
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<bool>("waiting");
        QTest::newRow("two") << "2" << QList<int>{2} << false;
        QTest::newRow("nine") << "9" << QList<int>{9} << false;
        QTest::newRow("one_waits") << "1" << QList<int>{} << true;
        QTest::newRow("ten") << "10" << QList<int>{10} << false;
        QTest::newRow("eleven") << "11" << QList<int>{11} << false;
        QTest::newRow("fifteen") << "15" << QList<int>{15} << false;
        QTest::newRow("one_then_six") << "16" << QList<int>{1, 6} << false;
        QTest::newRow("one_alone_after_wait") << "1w" << QList<int>{1} << false;
        QTest::newRow("zero_alone") << "0" << QList<int>{} << false;
        QTest::newRow("eleven_then_one_waits") << "111" << QList<int>{11} << true;
        QTest::newRow("wait_without_one") << "3w" << QList<int>{3} << false;
    }

    void digitsNameRows()
    {
        QFETCH(QString, typed);
        QFETCH(QList<int>, rows);
        QFETCH(bool, waiting);
        RowNumberEntry entry;
        QList<int> named;
        for (const QChar c : typed) {
            const QVector<int> got =
                c == QLatin1Char('w') ? entry.endWait() : entry.typeDigit(c.digitValue());
            named += QList<int>(got.begin(), got.end());
        }
        QCOMPARE(named, rows);
        QCOMPARE(entry.isWaiting(), waiting);
    }

    // Guards against a typed number that judges another row than the one it names, keypad
    // digits ignored, and two-digit rows unreachable.
    void typedNumberJudgesItsRow_data()
    {
        QTest::addColumn<bool>("keypad");
        QTest::newRow("main_digits") << false;
        QTest::newRow("keypad_digits") << true;
    }

    void typedNumberJudgesItsRow()
    {
        QFETCH(bool, keypad);
        DrillWindow &d = startRun(12);
        int right = 0;
        for (int q = 0; q < 12; ++q) {
            if (q > 0) {
                d.endPauseBeforeNextQuestion();
            }
            typeNumber(rightRow(), keypad ? Qt::KeypadModifier : Qt::NoModifier);
            right += rightRow() >= 9 ? 1 : 0;
            QCOMPARE(d.run().correct(), q + 1);
        }
        QVERIFY2(right > 0, "no answer stood on rows 10 to 15 with this seed");
    }

    // Guards a lone 1 that waits for its second digit and then means row 1 (never an
    // answer, so the question is lost), and one that judges before the wait is over.
    void loneOneMeansRowOne()
    {
        DrillWindow &d = startRun(3);
        QTest::keyClick(d.rowFrame, Qt::Key_1);
        QVERIFY(d.run().isAnswering());
        QVERIFY(d.secondDigitWait->isEnabled());
        QCOMPARE(d.secondDigitWait->interval(), 500);
        d.endSecondDigitWait();
        QCOMPARE(d.run().wrong(), 1);
        QCOMPARE(d.feedbackLabel->caption(), QStringLiteral("Be careful!\r\n仔细点！"));
        QVERIFY(!d.secondDigitWait->isEnabled());
    }

    // Guards the mark's moves over the showing rows, its look, and Space and Enter judging
    // the marked row (and nothing without a mark).
    void arrowsMoveAMarkThatSpaceOrEnterJudges()
    {
        DrillWindow &d = startRun(3);
        QCOMPARE(d.markedRow(), -1);
        QTest::keyClick(d.rowFrame, Qt::Key_Space);
        QVERIFY(d.run().isAnswering());
        const QList<QPair<Qt::Key, int>> moves = {
            {Qt::Key_Down, 0}, {Qt::Key_Down, 1}, {Qt::Key_End, 14}, {Qt::Key_Down, 14},
            {Qt::Key_Up, 13},  {Qt::Key_Home, 0}, {Qt::Key_Up, 0}};
        for (const auto &move : moves) {
            QTest::keyClick(d.rowFrame, move.first);
            QCOMPARE(d.markedRow(), move.second);
        }
        for (int r = 0; r <= 14; ++r) {
            QCOMPARE(d.candidateRows(r)->borderStyle(), r == 0 ? 1 : 0);
        }
        while (d.markedRow() != rightRow()) {
            QTest::keyClick(d.rowFrame, Qt::Key_Down);
        }
        QTest::keyClick(d.rowFrame, Qt::Key_Return);
        QCOMPARE(d.run().correct(), 1);

        d.endPauseBeforeNextQuestion();
        QCOMPARE(d.markedRow(), -1);
        QTest::keyClick(d.rowFrame, Qt::Key_Up);
        QCOMPARE(d.markedRow(), 14);
        QTest::keyClick(d.rowFrame, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(d.run().correct() + d.run().wrong(), 2);
    }

    // Guards against keys counting between questions or after a run, a found row counted
    // again, and the Stop button losing Space to the rows.
    void keysDoNothingWhereClicksDoNothing()
    {
        DrillWindow &d = startRun(3);
        d.judgeRow(0); // wrong: the pause begins
        for (Qt::Key key : {Qt::Key_2, Qt::Key_9, Qt::Key_Down, Qt::Key_Space}) {
            QTest::keyClick(d.rowFrame, key);
        }
        QCOMPARE(d.run().correct() + d.run().wrong(), 1);
        QCOMPARE(d.markedRow(), -1);

        d.endPauseBeforeNextQuestion();
        QTest::keyClick(d.stopButton, Qt::Key_Space);
        QVERIFY(!d.run().isAnswering());
        QTest::keyClick(d.rowFrame, Qt::Key_5);
        QCOMPARE(d.run().correct() + d.run().wrong(), 0);
    }

    // Guards the focus: on the rows as a question opens (no click first), back on Menu
    // once the run is over.
    void focusFollowsTheRun()
    {
        DrillWindow &d = startRun(3);
        QCOMPARE(d.focusWidget(), d.rowFrame);
        d.judgeRow(rightRow());
        d.menuButton->setFocus(); // the learner tabs away in the pause
        d.endPauseBeforeNextQuestion();
        QCOMPARE(d.focusWidget(), d.rowFrame);
        d.stopRun();
        QCOMPARE(d.focusWidget(), d.menuButton);
    }

    // Guards a whole run played from the keys alone, with the record it leaves.
    void wholeRunByKeys()
    {
        DrillWindow &d = startRun(3);
        for (int q = 0; q < 3; ++q) {
            if (q > 0) {
                d.endPauseBeforeNextQuestion();
            }
            if (q == 1) {
                QTest::keyClick(d.rowFrame, Qt::Key_1); // row 1 never holds the answer
                d.endSecondDigitWait();
            } else {
                typeNumber(rightRow());
            }
        }
        d.endPauseBeforeStop();
        QFile record(m_state.installPath + QStringLiteral("record_1.divu"));
        QVERIFY(record.open(QIODevice::ReadOnly));
        // 2 right of 3: rate 67, point 2 x 67 x Normal
        QCOMPARE(record.read(10).toHex(), QByteArray("0c010000030043000200"));
    }

    // Guards what assistive technology reads: each row's number, text and mark, and
    // announcements when the question word and the feedback change.
    void rowsAndChangesAreAnnounced()
    {
        Forms::setAnnouncementObserver([this](QObject *changed) { m_announced << changed; });
        DrillWindow &d = startRun(3);
        const int right = rightRow();
        QAccessibleInterface *row = QAccessible::queryAccessibleInterface(d.candidateRows(right));
        QVERIFY(row);
        const QString plain = QStringLiteral("%1. %2").arg(right + 1).arg(
            d.candidateRows(right)->caption().trimmed());
        QVERIFY(plain.contains(QStringLiteral("meaning")));
        QCOMPARE(row->text(QAccessible::Name), plain);
        QVERIFY(m_announced.contains(d.questionLabel));
        QVERIFY(m_announced.contains(d.candidateRows(right)));
        QVERIFY(!m_announced.contains(d.feedbackLabel)); // still empty
        m_announced.clear();
        d.judgeRow(right);
        QVERIFY(m_announced.contains(d.feedbackLabel));
        QVERIFY(m_announced.contains(d.correctLabel));
        QCOMPARE(QAccessible::queryAccessibleInterface(d.feedbackLabel)->text(QAccessible::Name),
                 QStringLiteral("Good job!\r\n正确！"));
        d.endPauseBeforeNextQuestion();
        m_announced.clear();
        d.moveMark(Qt::Key_Down);
        QCOMPARE(m_announced, QList<QObject *>{d.candidateRows(0)});
        QCOMPARE(
            QAccessible::queryAccessibleInterface(d.candidateRows(0))->text(QAccessible::Name),
            QStringLiteral("1. %1, marked").arg(d.candidateRows(0)->caption().trimmed()));
    }

    // Guards the found state in a row's name while the question is open.
    void foundRowIsAnnounced()
    {
        QByteArray bytes = "甲\r\none;two\r\n乙\r\nthree;four\r\n";
        QFile file(WordFile::groupPath(m_state.installPath, 1));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        m_drill = std::make_unique<DrillWindow>(m_state);
        m_drill->load();
        m_drill->groupList->setCurrentIndex(1);
        m_drill->loadChosenGroup();
        m_drill->startRun();
        const int row = rightRow();
        m_drill->judgeRow(row);
        QVERIFY(m_drill->candidateRows(row)->accessibleName().endsWith(QStringLiteral(", found")));
    }
};

QTEST_MAIN(TestDrillKeys)
#include "tst_drillkeys.moc"
