// The drill window over its rules: what it lists and loads, what it shows of a run, the
// timers it arms, and the record a run leaves. Timer ticks are fired directly.
#include "drill/drillwindow.h"
#include "drill/wordfile.h"
#include "records/recordwindow.h"
#include "shell/backdrop.h"
#include "shell/programmenu.h"
#include "shell/programstate.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{

// n words of one rendering each, CR LF line ends.
QByteArray simpleGroup(int n)
{
    QByteArray bytes;
    for (int w = 1; w <= n; ++w) {
        bytes += QStringLiteral("词%1\r\nmeaning %1\r\n").arg(w).toUtf8();
    }
    return bytes;
}

QByteArray place(qint32 point, qint16 words, qint16 rate, qint16 speed)
{
    QByteArray bytes(10, '\0');
    qToLittleEndian(point, bytes.data());
    qToLittleEndian(words, bytes.data() + 4);
    qToLittleEndian(rate, bytes.data() + 6);
    qToLittleEndian(speed, bytes.data() + 8);
    return bytes;
}

int firstWrongRow(const DrillWindow &d)
{
    int row = 0;
    while (d.run().answerRows().contains(row)) {
        ++row;
    }
    return row;
}

} // namespace

class TestDrillWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowAfterLoad();
    void backdropShowsDrillWindowOnce();
    void loadsChosenGroup();
    void choosingLoadedGroupAgainDoesNotReread();
    void selectPlaceholderKeepsGroup();
    void failedLoadsWarnAndKeepGroup_data();
    void failedLoadsWarnAndKeepGroup();
    void refusedStartChangesNothing();
    void showsTheOpenQuestion();
    void mouseReleaseOfAnyButtonJudges_data();
    void mouseReleaseOfAnyButtonJudges();
    void pauseTimersFollowTheRun();
    void wholeRuns_data();
    void wholeRuns();
    void failedSaveIsReported();
    void runEndingWhileRecordWindowOpenRefillsIt();

private:
    void writeGroup(int n, const QByteArray &bytes);
    std::unique_ptr<DrillWindow> openDrill();
    void choose(DrillWindow &d, int group);
    std::unique_ptr<DrillWindow> startRun(const QByteArray &group);
    // R finds every translation of the open question, W clicks a wrong row, T lets the
    // time run out; each move after the first ticks the pause away first.
    void play(DrillWindow &d, const QString &moves);
    QByteArray recordBytes(int group) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    ProgramState m_state;
    QList<Forms::Message> m_messages;
    int m_recordWindowShows = 0;
};

void TestDrillWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("ciku")));
    m_state = ProgramState();
    m_state.installPath = m_dir->path() + QLatin1Char('/');
    m_messages.clear();
    m_recordWindowShows = 0;
    Forms::setMessageAnswerer([this](const Forms::Message &m) {
        m_messages.append(m);
        return Forms::Answer::Ok;
    });
    Forms::setModalObserver([this](Forms::Form *form) {
        if (qobject_cast<RecordWindow *>(form)) {
            ++m_recordWindowShows;
        }
    });
}

void TestDrillWindow::cleanup()
{
    Forms::setMessageAnswerer({});
    Forms::setModalObserver({});
    m_dir.reset();
}

void TestDrillWindow::writeGroup(int n, const QByteArray &bytes)
{
    QFile file(WordFile::groupPath(m_state.installPath, n));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

std::unique_ptr<DrillWindow> TestDrillWindow::openDrill()
{
    auto drill = std::make_unique<DrillWindow>(m_state);
    drill->random() = Random(42);
    drill->load();
    return drill;
}

void TestDrillWindow::choose(DrillWindow &d, int group)
{
    d.groupList->setCurrentIndex(group);
    d.loadChosenGroup();
}

std::unique_ptr<DrillWindow> TestDrillWindow::startRun(const QByteArray &group)
{
    writeGroup(1, group);
    auto d = openDrill();
    choose(*d, 1);
    d->startRun();
    return d;
}

void TestDrillWindow::play(DrillWindow &d, const QString &moves)
{
    for (int i = 0; i < moves.size(); ++i) {
        if (i > 0) {
            QVERIFY(d.nextQuestionPause->isEnabled());
            d.endPauseBeforeNextQuestion();
        }
        if (moves[i] == QLatin1Char('R')) {
            const QVector<int> rows = d.run().answerRows();
            for (int row : rows) {
                d.judgeRow(row);
            }
        } else if (moves[i] == QLatin1Char('W')) {
            d.judgeRow(firstWrongRow(d));
        } else {
            while (d.run().isAnswering()) {
                d.tickClock();
            }
        }
    }
}

QByteArray TestDrillWindow::recordBytes(int group) const
{
    QFile file(m_state.installPath + QStringLiteral("record_%1.divu").arg(group));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Guards the group list, the rows laid out below each other and numbered, the speed put
// back to Normal, and Start and Stop off until a group is chosen.
void TestDrillWindow::windowAfterLoad()
{
    writeGroup(1, simpleGroup(2));
    writeGroup(2, simpleGroup(2));
    m_state.speed = 3;
    auto d = openDrill();
    QCOMPARE(m_state.groupCount, qint16(2));
    QCOMPARE(d->groupList->count(), 3);
    QCOMPARE(d->groupList->currentText(), QStringLiteral("- Select -"));
    QCOMPARE(d->groupList->itemText(2), QStringLiteral("Group 2"));
    QVERIFY(!d->startButton->isEnabled());
    QVERIFY(!d->stopButton->isEnabled());
    QCOMPARE(m_state.speed, qint16(2));
    QCOMPARE(d->run().timeStep(), 231.75f);
    QCOMPARE(d->speedLabel->caption(), QStringLiteral("Normal"));
    QCOMPARE(d->rowNumbers(0)->caption(), QStringLiteral("  1.  "));
    for (int r = 1; r <= 14; ++r) {
        QCOMPARE(d->rowNumbers(r)->caption(), QStringLiteral("%1.  ").arg(r + 1));
    }
    for (int r = 0; r <= 14; ++r) {
        QVERIFY(d->candidateRows(r)->isHidden());
        QVERIFY(d->rowNumbers(r)->isHidden());
        QCOMPARE(Forms::twipTop(d->candidateRows(r)), 1140.0 + 375 * r);
    }
    QCOMPARE(Forms::twipTop(d->rowNumbers(14)), 6390.0);
    QCOMPARE(Forms::twipLeft(d->rowNumbers(14)), 600.0);
    QCOMPARE(d->findChild<Forms::Label *>(QStringLiteral("candidateRow_14")),
             d->candidateRows(14));
    QCOMPARE(m_state.group, qint16(0));
}

// Guards against a second drill window, one not owned by the backdrop, or a timer that
// keeps ticking.
void TestDrillWindow::backdropShowsDrillWindowOnce()
{
    Backdrop backdrop(m_state);
    backdrop.load();
    backdrop.showDrillTimer->setEnabled(false);
    m_state.installPath = m_dir->path() + QLatin1Char('/');
    writeGroup(1, simpleGroup(2));
    backdrop.showDrillWindow();
    DrillWindow *first = backdrop.drillWindow();
    QVERIFY(first);
    QVERIFY(first->isVisible());
    QCOMPARE(first->parentWidget(), &backdrop);
    QVERIFY(!backdrop.showDrillTimer->isEnabled());
    backdrop.showDrillWindow();
    QCOMPARE(backdrop.drillWindow(), first);
    QCOMPARE(backdrop.findChildren<DrillWindow *>().size(), 1);
}

// Guards the words kept as read, the group line, Start on and Stop off, the Record item
// switched on, and the last place forgotten.
void TestDrillWindow::loadsChosenGroup()
{
    writeGroup(1, "  甲 \r\nalpha\r\n乙\r\nbeta\r\n丙\r\n");
    auto d = openDrill();
    QVERIFY(!d->programMenu()->recordItem->isEnabled());
    m_state.lastPlace = 4;
    choose(*d, 1);
    QCOMPARE(m_state.group, qint16(1));
    QCOMPARE(d->run().wordCount(), 2);
    QCOMPARE(d->run().word(1).word, QStringLiteral("  甲 "));
    QCOMPARE(d->questionLabel->caption(), QStringLiteral("第1组: 2个词语"));
    QVERIFY(d->startButton->isEnabled());
    QVERIFY(!d->stopButton->isEnabled());
    QVERIFY(d->programMenu()->recordItem->isEnabled());
    QCOMPARE(m_state.lastPlace, qint16(0));
    QCOMPARE(d->focusWidget(), d->menuButton);
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
    QVERIFY(!d->startButton->isEnabled());
    QCOMPARE(m_state.group, qint16(1));
    QCOMPARE(d->questionLabel->caption(), QStringLiteral("第1组: 2个词语"));
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
    QCOMPARE(d->groupList->currentIndex(), loadedBefore ? 1 : 0);
    // As after any choice of a group, Start is on; it runs the group still loaded.
    QVERIFY(d->startButton->isEnabled());
    if (!loadedBefore) {
        QCOMPARE(m_state.group, qint16(0));
        return;
    }
    QCOMPARE(m_state.group, qint16(1));
    QCOMPARE(d->run().wordCount(), 2);
    QCOMPARE(d->questionLabel->caption(), QStringLiteral("第1组: 2个词语"));
}

// Guards against a refused Start that still switches buttons or starts the clock.
void TestDrillWindow::refusedStartChangesNothing()
{
    writeGroup(1, "甲\r\nalpha\r\n");
    auto d = openDrill();
    choose(*d, 1);
    d->startRun();
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].title, QStringLiteral("Warning!"));
    QVERIFY(d->startButton->isEnabled());
    QVERIFY(!d->stopButton->isEnabled());
    QVERIFY(d->groupList->isEnabled());
    QVERIFY(d->programMenu()->settingItem->isEnabled());
    QVERIFY(!d->questionClock->isEnabled());
    QCOMPARE(d->run().questionNumber(), 0);
}

// Guards what the window draws of an open question: the word, every row and number, the
// found colour, the cover and the time bar at their twips, the counts and the switches.
void TestDrillWindow::showsTheOpenQuestion()
{
    auto d = startRun("甲\r\none;two;three\r\n乙\r\nbeta\r\n");
    const bool second = d->run().questionWord() != QStringLiteral("甲");
    if (second) {
        d->judgeRow(firstWrongRow(*d));
        d->endPauseBeforeNextQuestion();
    }
    QCOMPARE(d->questionLabel->caption(), QStringLiteral("甲"));
    QVERIFY(d->feedbackLabel->caption().isEmpty());
    QVERIFY(!d->startButton->isEnabled());
    QVERIFY(d->stopButton->isEnabled());
    QVERIFY(!d->groupList->isEnabled());
    QVERIFY(!d->programMenu()->settingItem->isEnabled());
    QVERIFY(d->questionClock->isEnabled());
    QCOMPARE(d->questionNumberLabel->caption(),
             second ? QStringLiteral("2") : QStringLiteral("1"));
    QCOMPARE(Forms::twipWidth(d->timeBar), 13.0);
    QCOMPARE(Forms::twipHeight(d->progressCover), 6330.0);
    QVERIFY(!d->progressCover->isHidden());
    for (int r = 0; r <= 14; ++r) {
        QVERIFY(!d->candidateRows(r)->isHidden());
        QVERIFY(!d->rowNumbers(r)->isHidden());
        QCOMPARE(d->candidateRows(r)->caption(), d->run().row(r).caption);
    }
    const int row = d->run().answerRows()[0];
    QCOMPARE(d->candidateRows(row)->caption(), QStringLiteral("one "));
    d->judgeRow(row);
    QCOMPARE(Forms::backColor(d->candidateRows(row)), QColor(255, 192, 192));
    QCOMPARE(Forms::twipHeight(d->progressCover), 6330.0 - double(d->run().coverStep()));
    d->tickClock();
    QCOMPARE(Forms::twipWidth(d->timeBar), 13.0 + 231.75);
    QCOMPARE(d->correctLabel->caption(), QStringLiteral("0"));
    d->judgeRow(firstWrongRow(*d));
    QCOMPARE(d->feedbackLabel->caption(), QStringLiteral("Be careful!\r\n仔细点！"));
    QCOMPARE(d->wrongLabel->caption(), second ? QStringLiteral("2") : QStringLiteral("1"));
    QCOMPARE(d->rateLabel->caption(), QStringLiteral("0"));
    QCOMPARE(Forms::backColor(d->candidateRows(row)), QColor(192, 255, 192));
    QVERIFY(!d->questionClock->isEnabled());
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
    Forms::Label *row = d->candidateRows(d->run().answerRows()[0]);
    QTest::mouseRelease(row, button, Qt::ShiftModifier, QPoint(2, 2));
    QVERIFY(d->run().isAnswering()); // no press on the row: no answer
    QTest::mousePress(row, button, Qt::ShiftModifier, QPoint(2, 2));
    QTest::mouseRelease(row, button, Qt::ShiftModifier, QPoint(2, 2));
    QCOMPARE(d->run().correct(), 1);
}

// Guards the pause timer armed for the next question or for the end, its length, and Stop
// cancelling whichever is pending.
void TestDrillWindow::pauseTimersFollowTheRun()
{
    auto d = startRun("甲\r\na;b;c;d;e\r\n乙\r\nbeta\r\n");
    const int translations = d->run().answerCount();
    d->judgeRow(firstWrongRow(*d));
    QVERIFY(d->nextQuestionPause->isEnabled());
    QVERIFY(!d->stopPause->isEnabled());
    QCOMPARE(d->nextQuestionPause->interval(), 2000 * translations);
    // A click during the pause must not restart it.
    d->judgeRow(0);
    QVERIFY(d->nextQuestionPause->isTicking());
    d->stopRun();
    QVERIFY(!d->questionClock->isEnabled());
    QVERIFY(!d->nextQuestionPause->isEnabled());
    QVERIFY(!d->nextQuestionPause->isTicking());
    QVERIFY(!d->stopPause->isEnabled());
}

// Guards the record each way a run ends leaves, the record window shown only after a run
// past its first question, and the window back at rest for the next run.
void TestDrillWindow::wholeRuns_data()
{
    QTest::addColumn<int>("words");
    QTest::addColumn<int>("speedIndex");
    QTest::addColumn<QString>("moves");
    QTest::addColumn<QString>("ending");    // pause_ends, stop, stop_in_question
    QTest::addColumn<QByteArray>("place1"); // empty: nothing written
    QTest::addColumn<int>("recordShows");

    // 4 right x 100 % x Normal
    QTest::newRow("all_right") << 4 << 1 << "RRRR"
                               << "pause_ends" << place(800, 4, 100, 2) << 1;
    // 2 right of 3, rate 67, Slow
    QTest::newRow("wrong_click_slow") << 3 << 0 << "RWR"
                                      << "pause_ends" << place(134, 3, 67, 1) << 1;
    QTest::newRow("all_timed_out") << 2 << 1 << "TT"
                                   << "pause_ends" << QByteArray() << 1;
    QTest::newRow("stop_in_first_pause") << 3 << 1 << "R"
                                         << "stop" << QByteArray() << 0;
    QTest::newRow("stop_in_first_question") << 3 << 1 << ""
                                            << "stop" << QByteArray() << 0;
    QTest::newRow("stop_in_third_question") << 5 << 2 << "RR"
                                            << "stop_in_question" << place(600, 2, 100, 3) << 1;
    QTest::newRow("stop_in_last_pause") << 2 << 1 << "RR"
                                        << "stop" << place(400, 2, 100, 2) << 1;
}

void TestDrillWindow::wholeRuns()
{
    QFETCH(int, words);
    QFETCH(int, speedIndex);
    QFETCH(QString, moves);
    QFETCH(QString, ending);
    QFETCH(QByteArray, place1);
    QFETCH(int, recordShows);
    writeGroup(1, simpleGroup(words));
    auto d = openDrill();
    d->applySpeed(speedIndex);
    choose(*d, 1);
    d->startRun();
    play(*d, moves);
    if (ending == QLatin1String("pause_ends")) {
        QVERIFY(d->stopPause->isEnabled());
        QVERIFY(!d->nextQuestionPause->isEnabled());
        d->endPauseBeforeStop();
    } else {
        if (ending == QLatin1String("stop_in_question")) {
            d->endPauseBeforeNextQuestion();
        }
        d->stopRun();
    }

    const QByteArray bytes = recordBytes(1);
    if (place1.isEmpty()) {
        QVERIFY(bytes.isEmpty());
    } else {
        QCOMPARE(bytes.size(), 100);
        QCOMPARE(bytes.left(10).toHex(), place1.toHex());
        QCOMPARE(bytes.mid(10), QByteArray(90, '\0'));
    }
    QCOMPARE(m_state.lastPlace, qint16(place1.isEmpty() ? 0 : 1));
    QCOMPARE(m_recordWindowShows, recordShows);
    QVERIFY(!d->questionClock->isEnabled() && !d->nextQuestionPause->isEnabled() &&
            !d->stopPause->isEnabled());
    QVERIFY(d->startButton->isEnabled());
    QVERIFY(!d->stopButton->isEnabled());
    QVERIFY(d->groupList->isEnabled());
    QVERIFY(d->programMenu()->settingItem->isEnabled());
    QCOMPARE(d->questionLabel->caption(), WordFile::groupLine(1, words));
    for (Forms::Label *label :
         {d->correctLabel, d->wrongLabel, d->rateLabel, d->questionNumberLabel}) {
        QCOMPARE(label->caption(), QStringLiteral("0"));
    }
    QCOMPARE(Forms::twipWidth(d->timeBar), 4635.0);
    QVERIFY(d->progressCover->isHidden());
    QVERIFY(d->feedbackLabel->caption().isEmpty());
    for (int r = 0; r <= 14; ++r) {
        QVERIFY(d->candidateRows(r)->isHidden());
        QVERIFY(d->rowNumbers(r)->isHidden());
        // No found mark survives into the next run.
        QCOMPARE(Forms::backColor(d->candidateRows(r)), QColor(192, 255, 192));
    }
}

// Guards against a failed save passing silently or leaving a place behind.
void TestDrillWindow::failedSaveIsReported()
{
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("record_1.divu")));
    auto d = startRun(simpleGroup(3));
    play(*d, "RR");
    d->endPauseBeforeNextQuestion();
    d->stopRun();
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].title, QStringLiteral("Warning!"));
    QCOMPARE(m_messages[0].icon, Forms::Icon::Exclamation);
    QVERIFY2(m_messages[0].text.contains(QStringLiteral("group 1")),
             qPrintable(m_messages[0].text));
    QCOMPARE(m_state.lastPlace, qint16(0));
    QVERIFY(d->startButton->isEnabled());
}

// Guards against a second record window stacked over the one opened from the menu.
void TestDrillWindow::runEndingWhileRecordWindowOpenRefillsIt()
{
    auto d = startRun(simpleGroup(2));
    play(*d, "RR");
    int shows = 0;
    int shownAfterRun = 0;
    Forms::setModalObserver([&](Forms::Form *form) {
        ++shows;
        auto *window = qobject_cast<RecordWindow *>(form);
        QVERIFY(window);
        if (shows == 1) {
            d->endPauseBeforeStop();
            shownAfterRun = window->shownGroup();
        }
    });
    d->programMenu()->openRecordWindow();
    QCOMPARE(shows, 1);
    QCOMPARE(shownAfterRun, 1);
    QCOMPARE(m_state.lastPlace, qint16(1));
    QCOMPARE(recordBytes(1).left(10).toHex(), place(400, 2, 100, 2).toHex());
}

QTEST_MAIN(TestDrillWindow)
#include "tst_drillwindow.moc"
