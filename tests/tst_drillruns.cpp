// Whole runs through the drill window: the timers it arms for the pauses, the record each
// way a run ends leaves, and the windows that follow. Timer ticks are fired directly.
#include "drillfixture.h"

#include "recordkeeping/runrecord.h"
#include "shell/programmenu.h"

class TestDrillRuns : public QObject, private DrillFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void pauseTimersFollowTheRun();
    void wholeRuns_data();
    void wholeRuns();
    void failedSaveIsReported();
    void runEndingWhileRecordWindowOpenRefillsIt();
    void runRecordedOnce_data();
    void runRecordedOnce();
};

void TestDrillRuns::pauseTimersFollowTheRun()
{
    auto d = startRun("甲\r\na;b;c;d;e\r\n乙\r\nbeta\r\n");
    const int renderings = d->run().answerCount();
    d->judgeRow(firstWrongRow(*d));
    QVERIFY(control<Forms::Timer>(*d, "nextQuestionPause")->isEnabled());
    QVERIFY(!control<Forms::Timer>(*d, "stopPause")->isEnabled());
    QCOMPARE(control<Forms::Timer>(*d, "nextQuestionPause")->interval(), 2000 * renderings);
    // A click during the pause must not restart it.
    d->judgeRow(0);
    QVERIFY(control<Forms::Timer>(*d, "nextQuestionPause")->isTicking());
    d->stopRun();
    QVERIFY(!control<Forms::Timer>(*d, "questionClock")->isEnabled());
    QVERIFY(!control<Forms::Timer>(*d, "nextQuestionPause")->isEnabled());
    QVERIFY(!control<Forms::Timer>(*d, "nextQuestionPause")->isTicking());
    QVERIFY(!control<Forms::Timer>(*d, "stopPause")->isEnabled());
}

// Guards the record each way a run ends leaves, the record window shown only after a run
// past its first question, and the window back at rest for the next run.
void TestDrillRuns::wholeRuns_data()
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

void TestDrillRuns::wholeRuns()
{
    QFETCH(int, words);
    QFETCH(int, speedIndex);
    QFETCH(QString, moves);
    QFETCH(QString, ending);
    QFETCH(QByteArray, place1);
    QFETCH(int, recordShows);
    writeGroup(1, simpleGroup(words));
    auto d = openDrill();
    d->applySpeed(Speed::kLevels[speedIndex]);
    choose(*d, 1);
    QSignalSpy running(d.get(), &DrillWindow::runningChanged);
    d->startRun();
    play(*d, moves);
    if (ending == QLatin1String("pause_ends")) {
        QVERIFY(control<Forms::Timer>(*d, "stopPause")->isEnabled());
        QVERIFY(!control<Forms::Timer>(*d, "nextQuestionPause")->isEnabled());
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
    QVERIFY(!control<Forms::Timer>(*d, "questionClock")->isEnabled() &&
            !control<Forms::Timer>(*d, "nextQuestionPause")->isEnabled() &&
            !control<Forms::Timer>(*d, "stopPause")->isEnabled());
    QVERIFY(control<QPushButton>(*d, "startButton")->isEnabled());
    QVERIFY(!control<QPushButton>(*d, "stopButton")->isEnabled());
    QVERIFY(control<QComboBox>(*d, "groupList")->isEnabled());
    QCOMPARE(running.size(), 2);
    QVERIFY(running[0][0].toBool() && !running[1][0].toBool());
    QCOMPARE(control(*d, "questionLabel")->caption(), WordFile::groupLine(1, words));
    for (Forms::Label *label : {control(*d, "correctLabel"), control(*d, "wrongLabel"),
                                control(*d, "rateLabel"), control(*d, "questionNumberLabel")}) {
        QCOMPARE(label->caption(), QStringLiteral("0"));
    }
    QCOMPARE(Forms::twipWidth(control(*d, "timeBar")), 4635.0);
    QVERIFY(control(*d, "progressCover")->isHidden());
    QVERIFY(control(*d, "feedbackLabel")->caption().isEmpty());
    for (int r = 0; r <= 14; ++r) {
        QVERIFY(candidateRow(*d, r)->isHidden());
        QVERIFY(rowNumber(*d, r)->isHidden());
        // No found mark survives into the next run.
        QCOMPARE(Forms::backColor(candidateRow(*d, r)), QColor(192, 255, 192));
    }
}

// Guards against a failed save passing silently or leaving a place behind.
void TestDrillRuns::failedSaveIsReported()
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
    QVERIFY(control<QPushButton>(*d, "startButton")->isEnabled());
}

// Guards against a second record window stacked over the one opened from the menu.
void TestDrillRuns::runEndingWhileRecordWindowOpenRefillsIt()
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
    ProgramMenu menu(m_state, d.get());
    menu.openRecordWindow();
    QCOMPARE(shows, 1);
    QCOMPARE(shownAfterRun, 1);
    QCOMPARE(m_state.lastPlace, qint16(1));
    QCOMPARE(recordBytes(1).left(10).toHex(), place(400, 2, 100, 2).toHex());
}

// Guards the record-keeping of a run on its own: the end saved once, a commit taken back
// by whatever is saved next, nothing written for a run with nothing to save.
void TestDrillRuns::runRecordedOnce_data()
{
    QTest::addColumn<QString>("steps");     // save N / commit N: N right, "-" no score
    QTest::addColumn<QList<int>>("points"); // the record's places afterwards; none: no file
    QTest::addColumn<int>("lastPlace");     // what the last step reports
    QTest::newRow("stop") << "save 2" << QList<int>{200} << 1;
    QTest::newRow("commit_then_stop") << "commit 1,save 3" << QList<int>{300} << 1;
    QTest::newRow("commit_twice") << "commit 3,commit 2" << QList<int>{200} << 1;
    QTest::newRow("end_from_outside_after_commit")
        << "commit 2,save 1,save 3" << QList<int>{100} << 1;
    QTest::newRow("commit_after_end") << "save 1,commit 3" << QList<int>{100} << 0;
    QTest::newRow("next_run_kept_apart") << "save 1,begin,commit 2" << QList<int>{200, 100} << 1;
    QTest::newRow("nothing_to_save") << "commit -,save -" << QList<int>{} << 0;
}

void TestDrillRuns::runRecordedOnce()
{
    QFETCH(QString, steps);
    QFETCH(QList<int>, points);
    RunRecord record;
    RecordFile::SaveResult saved;
    for (const QString &step : ("begin," + steps).split(',')) {
        const RunRecord::Score score{step.section(' ', 1).toInt(), 1, 50, 2};
        const auto given = step.endsWith('-') ? std::nullopt : std::make_optional(score);
        if (step == "begin") {
            record.begin(m_state.installPath + "record_1.divu");
        } else {
            saved = step.startsWith("save") ? record.save(given) : record.commit(given);
            QVERIFY2(saved.ok, qPrintable(saved.error));
        }
    }
    QTEST(int(saved.place), "lastPlace");
    QByteArray expected;
    for (int point : points) {
        expected += place(point, qint16(point / 100 + 1), 50, 2);
    }
    expected = expected.leftJustified(points.isEmpty() ? 0 : 100, '\0');
    QCOMPARE(recordBytes(1).toHex(), expected.toHex());
}

QTEST_MAIN(TestDrillRuns)
#include "tst_drillruns.moc"
