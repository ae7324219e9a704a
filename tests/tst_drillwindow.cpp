// The drill window over its rules: what it lists and loads, and what it shows of an open
// question. Timer ticks are fired directly.
#include "drillfixture.h"

class TestDrillWindow : public QObject, private DrillFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void windowAfterLoad();
    void loadsChosenGroup();
    void choosingLoadedGroupAgainDoesNotReread();
    void selectPlaceholderKeepsGroup();
    void failedLoadsWarnAndKeepGroup_data();
    void failedLoadsWarnAndKeepGroup();
    void refusedStartChangesNothing();
    void showsTheOpenQuestion();
    void mouseReleaseOfAnyButtonJudges_data();
    void mouseReleaseOfAnyButtonJudges();
};

void TestDrillWindow::windowAfterLoad()
{
    writeGroup(1, simpleGroup(2));
    writeGroup(2, simpleGroup(2));
    auto d = openDrill();
    QCOMPARE(m_state.groupCount, qint16(2));
    QCOMPARE(control<QComboBox>(*d, "groupList")->count(), 3);
    QCOMPARE(control<QComboBox>(*d, "groupList")->currentText(), QStringLiteral("- Select -"));
    QCOMPARE(control<QComboBox>(*d, "groupList")->itemText(2), QStringLiteral("Group 2"));
    QVERIFY(!control<QPushButton>(*d, "startButton")->isEnabled());
    QVERIFY(!control<QPushButton>(*d, "stopButton")->isEnabled());
    QCOMPARE(d->run().speed(), SpeedLevel::Normal);
    QCOMPARE(d->run().questionSeconds(), 20);
    QCOMPARE(control(*d, "speedLabel")->caption(), QStringLiteral("Normal"));
    QCOMPARE(rowNumber(*d, 0)->caption(), QStringLiteral("  1.  "));
    for (int r = 1; r <= 14; ++r) {
        QCOMPARE(rowNumber(*d, r)->caption(), QStringLiteral("%1.  ").arg(r + 1));
    }
    for (int r = 0; r <= 14; ++r) {
        QVERIFY(candidateRow(*d, r)->isHidden());
        QVERIFY(rowNumber(*d, r)->isHidden());
        QCOMPARE(Forms::twipTop(candidateRow(*d, r)), 1140.0 + 375 * r);
    }
    QCOMPARE(Forms::twipTop(rowNumber(*d, 14)), 6390.0);
    QCOMPARE(Forms::twipLeft(rowNumber(*d, 14)), 600.0);
    // One control to each name, so that a name finds the row laid out above.
    QCOMPARE(d->findChildren<Forms::Label *>(QStringLiteral("candidateRow_14")).size(), 1);
    QCOMPARE(m_state.group, qint16(0));
}

// Guards the words kept as read, the group line, Start on and Stop off, the menu told
// there is a record to show, and the last place forgotten.
void TestDrillWindow::loadsChosenGroup()
{
    writeGroup(1, "  甲 \r\nalpha\r\n乙\r\nbeta\r\n丙\r\n");
    auto d = openDrill();
    QSignalSpy loaded(d.get(), &DrillWindow::groupLoaded);
    m_state.lastPlace = 4;
    choose(*d, 1);
    QCOMPARE(m_state.group, qint16(1));
    QCOMPARE(d->run().wordCount(), 2);
    QCOMPARE(d->run().word(1).word, QStringLiteral("  甲 "));
    QCOMPARE(control(*d, "questionLabel")->caption(), QStringLiteral("第1组: 2个词语"));
    QVERIFY(control<QPushButton>(*d, "startButton")->isEnabled());
    QVERIFY(!control<QPushButton>(*d, "stopButton")->isEnabled());
    QCOMPARE(loaded.count(), 1);
    QCOMPARE(m_state.lastPlace, qint16(0));
    QCOMPARE(d->focusWidget(), control<QPushButton>(*d, "menuButton"));
    QVERIFY(m_messages.isEmpty());
}

// Guards against re-reading the loaded group when it is chosen again.
void TestDrillWindow::choosingLoadedGroupAgainDoesNotReread()
{
    writeGroup(1, simpleGroup(2));
    writeGroup(2, simpleGroup(3));
    auto d = openDrill();
    choose(*d, 1);
    writeGroup(1, simpleGroup(5));
    choose(*d, 1);
    QCOMPARE(d->run().wordCount(), 2);
    choose(*d, 2);
    choose(*d, 1);
    QCOMPARE(d->run().wordCount(), 5);
}

// Guards against "- Select -" unloading the group or changing the group line.
void TestDrillWindow::selectPlaceholderKeepsGroup()
{
    writeGroup(1, simpleGroup(2));
    auto d = openDrill();
    choose(*d, 1);
    choose(*d, 0);
    QVERIFY(!control<QPushButton>(*d, "startButton")->isEnabled());
    QCOMPARE(m_state.group, qint16(1));
    QCOMPARE(control(*d, "questionLabel")->caption(), QStringLiteral("第1组: 2个词语"));
}

// Guards the warning's text, title and icon, and the loaded group kept when another fails.
// The list then shows the loaded group again (or "- Select -"), not the refused one.
void TestDrillWindow::failedLoadsWarnAndKeepGroup_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("loadedBefore");
    QTest::addColumn<QString>("text");
    QTest::newRow("file_gone") << "remove" << true << "Fail to find file 'ci2'.";
    QTest::newRow("too_many_entries") << "oversize" << true << "Group 2 cannot be loaded: ";
    QTest::newRow("line_too_long")
        << "long_line" << true << "Group 2 cannot be loaded: line 2 of ci2.txt holds 50000";
    QTest::newRow("file_gone_none_loaded") << "remove" << false << "Fail to find file 'ci2'.";
}

void TestDrillWindow::failedLoadsWarnAndKeepGroup()
{
    QFETCH(QString, how);
    QFETCH(bool, loadedBefore);
    QFETCH(QString, text);
    writeGroup(1, simpleGroup(2));
    writeGroup(2, simpleGroup(3));
    auto d = openDrill();
    if (loadedBefore) {
        choose(*d, 1);
    }
    if (how == QLatin1String("remove")) {
        QVERIFY(QFile::remove(WordFile::groupPath(m_state.installPath, 2)));
    } else if (how == QLatin1String("long_line")) {
        writeGroup(2, "w\r\n" + QByteArray(50000, 'x') + "\r\nv\r\ny\r\n");
    } else {
        QByteArray big;
        for (int i = 0; i <= WordFile::kMaxEntries; ++i) {
            big += "w\r\nt\r\n";
        }
        writeGroup(2, big);
    }
    choose(*d, 2);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages[0].text.startsWith(text), qPrintable(m_messages[0].text));
    QCOMPARE(m_messages[0].title, QStringLiteral("Warning!"));
    QCOMPARE(m_messages[0].icon, Forms::Icon::Exclamation);
    QCOMPARE(m_messages[0].buttons, Forms::Buttons::Ok);
    QCOMPARE(control<QComboBox>(*d, "groupList")->currentIndex(), loadedBefore ? 1 : 0);
    // As after any choice of a group, Start is on; it runs the group still loaded.
    QVERIFY(control<QPushButton>(*d, "startButton")->isEnabled());
    if (!loadedBefore) {
        QCOMPARE(m_state.group, qint16(0));
        return;
    }
    QCOMPARE(m_state.group, qint16(1));
    QCOMPARE(d->run().wordCount(), 2);
    QCOMPARE(control(*d, "questionLabel")->caption(), QStringLiteral("第1组: 2个词语"));
}

// Guards against a refused Start that still switches buttons or starts the clock.
void TestDrillWindow::refusedStartChangesNothing()
{
    writeGroup(1, "甲\r\nalpha\r\n");
    auto d = openDrill();
    choose(*d, 1);
    QSignalSpy running(d.get(), &DrillWindow::runningChanged);
    d->startRun();
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].title, QStringLiteral("Warning!"));
    QVERIFY(control<QPushButton>(*d, "startButton")->isEnabled());
    QVERIFY(!control<QPushButton>(*d, "stopButton")->isEnabled());
    QVERIFY(control<QComboBox>(*d, "groupList")->isEnabled());
    QCOMPARE(running.count(), 0);
    QVERIFY(!control<Forms::Timer>(*d, "questionClock")->isEnabled());
    QCOMPARE(d->run().questionNumber(), 0);
}

// Guards what the window draws of an open question: the word, every row and number, the
// found colour, the cover and the time bar at their twips, the counts and the switches, and a
// right find that restarts the clock's second.
void TestDrillWindow::showsTheOpenQuestion()
{
    auto d = startRun("甲\r\none;two;three\r\n乙\r\nbeta\r\n");
    const bool second = d->run().questionWord() != QStringLiteral("甲");
    if (second) {
        d->judgeRow(firstWrongRow(*d));
        d->endPauseBeforeNextQuestion();
    }
    QCOMPARE(control(*d, "questionLabel")->caption(), QStringLiteral("甲"));
    QVERIFY(control(*d, "feedbackLabel")->caption().isEmpty());
    QVERIFY(!control<QPushButton>(*d, "startButton")->isEnabled());
    QVERIFY(control<QPushButton>(*d, "stopButton")->isEnabled());
    QVERIFY(!control<QComboBox>(*d, "groupList")->isEnabled());
    QVERIFY(control<Forms::Timer>(*d, "questionClock")->isEnabled());
    QCOMPARE(control(*d, "questionNumberLabel")->caption(),
             second ? QStringLiteral("2") : QStringLiteral("1"));
    QCOMPARE(Forms::twipWidth(control(*d, "timeBar")), 13.0);
    QCOMPARE(Forms::twipHeight(control(*d, "progressCover")), 6330.0);
    QVERIFY(!control(*d, "progressCover")->isHidden());
    for (int r = 0; r <= 14; ++r) {
        QVERIFY(!candidateRow(*d, r)->isHidden());
        QVERIFY(!rowNumber(*d, r)->isHidden());
        QCOMPARE(candidateRow(*d, r)->caption(), d->run().row(r).caption);
    }
    const int row = d->run().answerRows()[0];
    QCOMPARE(candidateRow(*d, row)->caption(), QStringLiteral("one "));
    QSignalSpy clockStarts(control<Forms::Timer>(*d, "questionClock"), &Forms::Timer::started);
    d->judgeRow(row);
    QCOMPARE(Forms::backColor(candidateRow(*d, row)), QColor(255, 192, 192));
    QCOMPARE(Forms::twipHeight(control(*d, "progressCover")), 6330.0 - (6330.0 / 3 - 13));
    // A right find that is not the last leaves the question's clock running as it was.
    QCOMPARE(clockStarts.count(), 0);
    d->tickClock();
    QCOMPARE(Forms::twipWidth(control(*d, "timeBar")), 13.0 + 231.75);
    QCOMPARE(control(*d, "correctLabel")->caption(), QStringLiteral("0"));
    d->judgeRow(firstWrongRow(*d));
    QCOMPARE(control(*d, "feedbackLabel")->caption(), QStringLiteral("Be careful!\r\n仔细点！"));
    QCOMPARE(control(*d, "wrongLabel")->caption(),
             second ? QStringLiteral("2") : QStringLiteral("1"));
    QCOMPARE(control(*d, "rateLabel")->caption(), QStringLiteral("0"));
    QCOMPARE(Forms::backColor(candidateRow(*d, row)), QColor(192, 255, 192));
    QVERIFY(!control<Forms::Timer>(*d, "questionClock")->isEnabled());
}

// Guards against judging only the left button, or a press that started elsewhere.
void TestDrillWindow::mouseReleaseOfAnyButtonJudges_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("left") << Qt::LeftButton;
    QTest::newRow("right") << Qt::RightButton;
    QTest::newRow("middle") << Qt::MiddleButton;
}

void TestDrillWindow::mouseReleaseOfAnyButtonJudges()
{
    QFETCH(Qt::MouseButton, button);
    auto d = startRun(simpleGroup(3));
    Forms::Label *row = candidateRow(*d, d->run().answerRows()[0]);
    QTest::mouseRelease(row, button, Qt::ShiftModifier, QPoint(2, 2));
    QVERIFY(d->run().isAnswering()); // no press on the row: no answer
    QTest::mousePress(row, button, Qt::ShiftModifier, QPoint(2, 2));
    QTest::mouseRelease(row, button, Qt::ShiftModifier, QPoint(2, 2));
    QCOMPARE(d->run().correct(), 1);
}

// Guards the pause timer armed for the next question or for the end, its length, and Stop
// cancelling whichever is pending.

QTEST_MAIN(TestDrillWindow)
#include "tst_drillwindow.moc"
