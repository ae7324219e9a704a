// Answering from the keyboard, and what assistive technology is told of a question.
#include "drillfixture.h"

#include "drillcore/rownumberentry.h"

#include <QAccessible>

class TestDrillKeys : public QObject, private DrillFixture
{
    Q_OBJECT

    std::unique_ptr<DrillWindow> m_drill;
    QList<QObject *> m_announced;

    // Starts a run on n words of one rendering each ("meaning 1" ... ).
    DrillWindow &startRun(int words) { return startRunOn(simpleGroup(words)); }

    DrillWindow &startRunOn(const QByteArray &group)
    {
        writeGroup(1, group);
        m_drill = openDrill();
        m_drill->random() = Random(11);
        choose(*m_drill, 1);
        m_drill->startRun();
        return *m_drill;
    }

    // Types the number shown beside a row (index 0 to 14), as a learner would.
    void typeNumber(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const int number = row + 1;
        if (number >= 10) {
            QTest::keyClick(control<QFrame>(*m_drill, "rowFrame"), Qt::Key_1, modifiers);
            QTest::keyClick(control<QFrame>(*m_drill, "rowFrame"),
                            Qt::Key(Qt::Key_0 + number - 10), modifiers);
        } else {
            QTest::keyClick(control<QFrame>(*m_drill, "rowFrame"), Qt::Key(Qt::Key_0 + number),
                            modifiers);
        }
    }

    int rightRow() const { return m_drill->run().answerRows().first(); }

    // What the screen reader would have been told: each event and its object's name.
    static QList<QPair<QAccessible::Event, QString>> &heard()
    {
        static QList<QPair<QAccessible::Event, QString>> events;
        return events;
    }

    static void hear(QAccessibleEvent *event)
    {
        // The event's own interface is its child's, when it names one.
        QAccessibleInterface *iface = event->accessibleInterface();
        heard().append({event->type(), iface ? iface->text(QAccessible::Name) : QString()});
    }

private slots:
    void init()
    {
        setUp();
        m_announced.clear();
    }

    void cleanup()
    {
        m_drill.reset();
        tearDown();
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
        QTest::keyClick(control<QFrame>(d, "rowFrame"), Qt::Key_1);
        QVERIFY(d.run().isAnswering());
        QVERIFY(control<Forms::Timer>(d, "secondDigitWait")->isEnabled());
        QCOMPARE(control<Forms::Timer>(d, "secondDigitWait")->interval(), 500);
        d.endSecondDigitWait();
        QCOMPARE(d.run().wrong(), 1);
        QCOMPARE(control(d, "feedbackLabel")->caption(),
                 QStringLiteral("Be careful!\r\n仔细点！"));
        QVERIFY(!control<Forms::Timer>(d, "secondDigitWait")->isEnabled());
    }

    // Each row sized to its own caption (not the first it had), and a marked one 1 pixel
    // wider on each side for its border.
    static void checkRowsFitTheirCaptions(const DrillWindow &d)
    {
        for (int r = 0; r <= 14; ++r) {
            const Forms::Label *row = candidateRow(d, r);
            const int border = r == d.markedRow() && d.run().isAnswering() ? 1 : 0;
            QCOMPARE(row->borderStyle(), border);
            QCOMPARE(row->width(),
                     row->fontMetrics().horizontalAdvance(row->caption()) + 2 * border);
        }
    }

    // Guards the mark's moves over the showing rows, its look (a border that fits, gone in
    // the reveal), rows that fit their captions, and Space and Enter judging the marked row
    // (and nothing without a mark).
    void arrowsMoveAMarkThatSpaceOrEnterJudges()
    {
        DrillWindow &d = startRun(3);
        QCOMPARE(d.markedRow(), -1);
        QTest::keyClick(control<QFrame>(d, "rowFrame"), Qt::Key_Space);
        QVERIFY(d.run().isAnswering());
        const QList<QPair<Qt::Key, int>> moves = {
            {Qt::Key_Down, 0}, {Qt::Key_Down, 1}, {Qt::Key_End, 14}, {Qt::Key_Down, 14},
            {Qt::Key_Up, 13},  {Qt::Key_Home, 0}, {Qt::Key_Up, 0}};
        for (const auto &move : moves) {
            QTest::keyClick(control<QFrame>(d, "rowFrame"), move.first);
            QCOMPARE(d.markedRow(), move.second);
        }
        checkRowsFitTheirCaptions(d);
        while (d.markedRow() != rightRow()) {
            QTest::keyClick(control<QFrame>(d, "rowFrame"), Qt::Key_Down);
        }
        QTest::keyClick(control<QFrame>(d, "rowFrame"), Qt::Key_Return);
        QCOMPARE(d.run().correct(), 1);
        checkRowsFitTheirCaptions(d); // the reveal drops the mark's border

        d.endPauseBeforeNextQuestion();
        QCOMPARE(d.markedRow(), -1);
        QTest::keyClick(control<QFrame>(d, "rowFrame"), Qt::Key_Down);
        checkRowsFitTheirCaptions(d); // new captions, new widths
        QTest::keyClick(control<QFrame>(d, "rowFrame"), Qt::Key_Home);
        QTest::keyClick(control<QFrame>(d, "rowFrame"), Qt::Key_End);
        QCOMPARE(d.markedRow(), 14);
        QTest::keyClick(control<QFrame>(d, "rowFrame"), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(d.run().correct() + d.run().wrong(), 2);
    }

    // Guards against keys counting between questions or after a run, a found row counted
    // again, the Stop button losing Space to the rows, and the word said on S there or Ctrl+S.
    void keysDoNothingWhereClicksDoNothing()
    {
        DrillWindow &d = startRun(3);
        QSignalSpy said(&d, &DrillWindow::wordToSay);
        QTest::keyClick(control<QFrame>(d, "rowFrame"), Qt::Key_S,
                        Qt::ControlModifier); // the desktop's
        d.judgeRow(0);                        // wrong: the pause begins
        for (Qt::Key key : {Qt::Key_2, Qt::Key_9, Qt::Key_Down, Qt::Key_Space, Qt::Key_S}) {
            QTest::keyClick(control<QFrame>(d, "rowFrame"), key);
        }
        QCOMPARE(d.run().correct() + d.run().wrong(), 1);
        QCOMPARE(d.markedRow(), -1);
        QCOMPARE(said.count(), 0);

        d.endPauseBeforeNextQuestion();
        QTest::keyClick(control<QPushButton>(d, "stopButton"), Qt::Key_Space);
        QVERIFY(!d.run().isAnswering());
        QTest::keyClick(control<QFrame>(d, "rowFrame"), Qt::Key_5);
        QCOMPARE(d.run().correct() + d.run().wrong(), 0);
    }

    // Guards the focus: on the rows as a question opens (no click first), back on Menu
    // once the run is over.
    void focusFollowsTheRun()
    {
        DrillWindow &d = startRun(3);
        QCOMPARE(d.focusWidget(), control<QFrame>(d, "rowFrame"));
        d.judgeRow(rightRow());
        control<QPushButton>(d, "menuButton")->setFocus(); // the learner tabs away in the pause
        d.endPauseBeforeNextQuestion();
        QCOMPARE(d.focusWidget(), control<QFrame>(d, "rowFrame"));
        d.stopRun();
        QCOMPARE(d.focusWidget(), control<QPushButton>(d, "menuButton"));
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
                QTest::keyClick(control<QFrame>(d, "rowFrame"),
                                Qt::Key_1); // row 1 never holds the answer
                d.endSecondDigitWait();
            } else {
                typeNumber(rightRow());
            }
        }
        d.endPauseBeforeStop();
        // 2 right of 3: rate 67, point 2 x 67 x Normal
        QCOMPARE(recordBytes(1).left(10).toHex(), QByteArray("0c010000030043000200"));
    }

    // Guards what a screen reader is given of a question: the rows as one list (their
    // labels out of the window's tree, each row's number read once), the question in the
    // list's name, the marked row as the current item taking the focus, a row's action,
    // "found" and the feedback said as notifications (name changes are not read), the time
    // bar's value, named score figures, and Chinese marked as such.
    void screenReadersWalkTheRows()
    {
        QList<QPair<QAccessible::Event, QString>> &said = heard();
        said.clear();
        Forms::setAnnouncementObserver(&hear);
        DrillWindow &d = startRunOn("甲\r\none;two\r\n乙\r\nthree;four\r\n丙\r\nfive\r\n");
        d.show();
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        control<QFrame>(d, "rowFrame")->setFocus();

        QAccessibleInterface *window = QAccessible::queryAccessibleInterface(&d);
        QAccessibleInterface *list =
            QAccessible::queryAccessibleInterface(control<QFrame>(d, "rowFrame"));
        QCOMPARE(list->role(), QAccessible::List);
        QCOMPARE(list->childCount(), 15);
        QCOMPARE(list->text(QAccessible::Name), "Question 1: " + d.run().questionWord());
        QVERIFY(window->indexOfChild(list) >= 0);
        for (int r = 0; r <= 14; ++r) {
            for (QWidget *label : {static_cast<QWidget *>(candidateRow(d, r)),
                                   static_cast<QWidget *>(rowNumber(d, r))}) {
                QCOMPARE(window->indexOfChild(QAccessible::queryAccessibleInterface(label)), -1);
            }
        }
        const int right = rightRow();
        QAccessibleInterface *item = list->child(right);
        QCOMPARE(item->role(), QAccessible::ListItem);
        QCOMPARE(item->text(QAccessible::Name), QStringLiteral("%1. %2").arg(right + 1).arg(
                                                    candidateRow(d, right)->caption().trimmed()));

        said.clear();
        QVERIFY(control<QFrame>(d, "rowFrame")->hasFocus());
        d.moveMark(Qt::Key_Down);
        QVERIFY(!said.isEmpty());
        QCOMPARE(said.last().first, QAccessible::Focus);
        QCOMPARE(said.last().second, list->child(0)->text(QAccessible::Name));
        QVERIFY(list->child(0)->state().focused && list->child(0)->state().selected);
        QCOMPARE(list->focusChild(), list->child(0));

        QAccessibleInterface *timeBar =
            QAccessible::queryAccessibleInterface(control(d, "timeBarBackground"));
        QCOMPARE(timeBar->role(), QAccessible::ProgressBar);
        QCOMPARE(timeBar->valueInterface()->currentValue().toInt(), 20);
        d.tickClock();
        QCOMPARE(timeBar->valueInterface()->currentValue().toInt(), 19);
        QCOMPARE(timeBar->valueInterface()->maximumValue().toInt(), 20);

        const QVector<int> rows = d.run().answerRows();
        said.clear();
        list->child(rows[0])->actionInterface()->doAction(
            QAccessibleActionInterface::pressAction());
        QVERIFY(list->child(rows[0])->text(QAccessible::Name).endsWith(", found"));
        const QString more = rows.size() > 1 ? "found, 1 more to find" : "Good job! 正确！";
        QVERIFY(said.contains({QAccessible::ObjectShow, more}));
        if (rows.size() > 1) {
            d.judgeRow(rows[1]);
        }
        QVERIFY(said.contains({QAccessible::ObjectShow, "Good job! 正确！"}));
        QAccessibleInterface *notice =
            QAccessible::queryAccessibleInterface(d.findChild<QWidget *>("screenReaderAnnouncer"));
        QCOMPARE(notice->role(), QAccessible::Notification);
        QVERIFY(notice->text(QAccessible::Description).startsWith("Right answers: "));
        int start = 0;
        int end = 0;
        QCOMPARE(notice->textInterface()->attributes(10, &start, &end), "language:zh-CN;");
        QCOMPARE(notice->textInterface()->text(start, end), "正确！");
        QCOMPARE(notice->textInterface()->attributes(0, &start, &end), "language:en;");
        QCOMPARE(QAccessible::queryAccessibleInterface(control(d, "correctLabel"))
                     ->text(QAccessible::Name),
                 "Correct 1");
        QCOMPARE(QAccessible::queryAccessibleInterface(control(d, "rateLabel"))
                     ->text(QAccessible::Name),
                 "Correctness rate 100 %");

        // The next question, the rows still focused: the question is said.
        said.clear();
        d.endPauseBeforeNextQuestion();
        QVERIFY(said.contains({QAccessible::ObjectShow, "Question 2: " + d.run().questionWord()}));
    }
};

QTEST_MAIN(TestDrillKeys)
#include "tst_drillkeys.moc"
