// The program's lifetime: every way it ends (a confirmed Exit, a signal from outside with
// any window or box open, the application told to quit), the desktop session's request to
// commit data, and a save that runs into a file-size limit. A run in progress is saved
// once, never lost with the process and never written twice.
#include "drillfixture.h"

#include "base/programstate.h"
#include "drill/drillwindow.h"
#include "drillcore/wordfile.h"
#include "shell/backdrop.h"
#include "shell/program.h"
#include "shell/programmenu.h"
#include "startup/endrequests.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

class TestProgramEnd : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    ProgramState m_state;
    QList<Forms::Message> m_messages;

    // Opens the drill window over the backdrop, on a group of four one-rendering words,
    // and plays `finished` questions (the first right, the rest wrong), then opens the next.
    DrillWindow *runUpTo(Program &program, int finished)
    {
        program.start();
        program.backdrop()->showDrillTimer->setEnabled(false);
        m_state.installPath = m_dir->path() + QLatin1Char('/');
        program.showDrillWindow();
        DrillWindow *drill = program.drillWindow();
        drill->random() = Random(7);
        control<QComboBox>(*drill, "groupList")->setCurrentIndex(1);
        drill->loadChosenGroup();
        drill->startRun();
        for (int q = 0; q < finished; ++q) {
            answer(drill, q == 0);
            drill->endPauseBeforeNextQuestion();
        }
        return drill;
    }

    static void answer(DrillWindow *drill, bool right)
    {
        const QVector<int> rows = drill->run().answerRows();
        int row = right ? rows.first() : 0;
        while (!right && rows.contains(row)) {
            ++row;
        }
        drill->judgeRow(row);
    }

    QByteArray recordBytes() const
    {
        QFile file(m_state.installPath + QStringLiteral("record_1.divu"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static QByteArray place(qint32 point, qint16 words, qint16 rate, qint16 speed)
    {
        return RecordFile::encode({point, words, rate, speed});
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("ciku")));
        QFile group(m_dir->filePath(QStringLiteral("ciku/ci1.txt")));
        QVERIFY(group.open(QIODevice::WriteOnly));
        group.write("shan\r\nmountain\r\nshui\r\nwater\r\nhuo\r\nfire\r\nmu\r\ntree\r\n");
        group.close();
        m_state = ProgramState();
        m_messages.clear();
        Forms::setMessageAnswerer([this](const Forms::Message &message) {
            m_messages << message;
            return Forms::Answer::Ok;
        });
        Forms::setModalObserver([](Forms::Form *) {});
    }

    void cleanup()
    {
        Forms::setMessageAnswerer({});
        Forms::setModalObserver({});
        Forms::setPopupChooser({});
    }

    // Guards against a signal that kills the program instead of reaching the event loop,
    // also one that arrives before there is a loop to hear it.
    void signalsReachTheEventLoop_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<bool>("beforeTheLoop");
        QTest::newRow("sigterm") << SIGTERM << false;
        QTest::newRow("sigint") << SIGINT << false;
        QTest::newRow("sighup") << SIGHUP << false;
        QTest::newRow("sigterm_before_the_loop") << SIGTERM << true;
    }

    void signalsReachTheEventLoop()
    {
        QFETCH(int, signalNumber);
        QFETCH(bool, beforeTheLoop);
        std::unique_ptr<EndRequests> requests;
        if (beforeTheLoop) {
            EndRequests::catchSignals();
            QCOMPARE(::raise(signalNumber), 0);
        }
        requests = std::make_unique<EndRequests>();
        QSignalSpy spy(requests.get(), &EndRequests::endRequested);
        if (!beforeTheLoop) {
            QCOMPARE(::raise(signalNumber), 0);
        }
        QVERIFY(spy.wait(5000));
        QCOMPARE(spy.first().first().toInt(), signalNumber);
    }

    // Guards against an ending from outside that leaves a window or box on screen (the
    // program then never ends), asks a question, saves a run twice or not at all, saves one
    // still in its first question, or reports a failed save as success. The windows are
    // real modal shows and real message boxes; the signal arrives while one is open.
    void endingFromOutsideClosesEverything_data()
    {
        QTest::addColumn<QString>("open"); // what is showing when the signal comes
        QTest::addColumn<int>("finished"); // questions played before it
        QTest::addColumn<bool>("saveFails");
        QTest::addColumn<QByteArray>("place1"); // empty: no record
        QTest::addColumn<int>("status");
        // 1 right, 1 wrong: 1 x 50 x Normal, 2 words, rate 50, speed 2
        const QByteArray third = place(100, 2, 50, 2);
        QTest::newRow("nothing") << "nothing" << 2 << false << third << 0;
        QTest::newRow("first_question") << "nothing" << 0 << false << QByteArray() << 0;
        QTest::newRow("about") << "aboutItem" << 2 << false << third << 0;
        QTest::newRow("notice") << "myWordsItem" << 2 << false << third << 0;
        QTest::newRow("record_from_menu") << "recordItem" << 2 << false << third << 0;
        QTest::newRow("exit_question") << "exitItem" << 2 << false << third << 0;
        QTest::newRow("record_after_stop") << "stop" << 2 << false << third << 0;
        QTest::newRow("speed_before_a_run") << "settingItem" << -1 << false << QByteArray() << 0;
        QTest::newRow("save_fails") << "aboutItem" << 2 << true << QByteArray() << 1;
        QTest::newRow("warning_of_failed_stop") << "stop" << 2 << true << QByteArray() << 1;
        QTest::newRow("quit_event") << "quit" << 2 << false << third << 0;
    }

    void endingFromOutsideClosesEverything()
    {
        QFETCH(QString, open);
        QFETCH(int, finished);
        QFETCH(bool, saveFails);
        QFETCH(QByteArray, place1);
        QFETCH(int, status);
        Program program(m_state);
        DrillWindow *drill = runUpTo(program, qMax(finished, 0));
        if (finished < 0) {
            drill->stopRun(); // no run in progress
        }
        if (saveFails) {
            QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("record_1.divu")));
        }
        EndRequests requests;
        connect(&requests, &EndRequests::endRequested, &program, &Program::endFromOutside);
        qApp->installEventFilter(&program);
        QSignalSpy ended(&program, &Program::ended);
        // Real boxes and modal loops from here on: only the ending can close them.
        Forms::setMessageAnswerer({});
        Forms::setModalObserver({});
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, this, [] { qFatal("a window outlived the end"); });
        watchdog.start(20000);
        QTimer::singleShot(0, this, [open] {
            if (open == QLatin1String("quit")) {
                // As the session manager's last word reaches a Qt program.
                QEvent quit(QEvent::Quit);
                QCoreApplication::sendEvent(qApp, &quit);
            } else {
                ::raise(SIGTERM);
            }
        });
        if (open == QLatin1String("stop")) {
            drill->stopRun();
        } else if (open.endsWith(QLatin1String("Item"))) {
            Forms::setPopupChooser(
                [open](QMenu *menu) { return menu->findChild<QAction *>(open); });
            drill->openMenu();
        }
        QTRY_COMPARE(ended.size(), 1);
        qApp->removeEventFilter(&program);
        QCOMPARE(ended[0][0].toInt(), status);
        QCOMPARE(Forms::Form::loadedCount(), 0);
        for (QWidget *window : QApplication::topLevelWidgets()) {
            QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
        }
        QVERIFY(!QApplication::activeModalWidget());
        if (place1.isEmpty()) {
            QVERIFY(saveFails || !QFile::exists(m_state.installPath + "record_1.divu"));
        } else {
            QCOMPARE(recordBytes().toHex(), (place1 + QByteArray(90, '\0')).toHex());
        }
    }

    // Guards the desktop session's commit: the run so far is saved but goes on, and its
    // later end (Stop, another commit, an ending) takes that entry's place, so the run is
    // recorded once, with the numbers it has at its end.
    void committedRunIsRecordedOnce_data()
    {
        QTest::addColumn<QString>("after"); // what follows the commit in question 3
        QTest::addColumn<QByteArray>("places");
        const QByteArray rest(90, '\0');
        // Committed: 1 right, 1 wrong (100 points). Then question 3 right: 2 of 3, rate 67.
        QTest::newRow("stop") << "right_then_stop" << place(268, 3, 67, 2) + rest;
        QTest::newRow("commit_again") << "right_commit_stop" << place(268, 3, 67, 2) + rest;
        QTest::newRow("end_from_outside") << "right_then_end" << place(268, 3, 67, 2) + rest;
        QTest::newRow("nothing_more") << "end" << place(100, 2, 50, 2) + rest;
    }

    void committedRunIsRecordedOnce()
    {
        QFETCH(QString, after);
        QFETCH(QByteArray, places);
        Program program(m_state);
        DrillWindow *drill = runUpTo(program, 2);
        program.commitData();
        QVERIFY(drill->isLoaded() && drill->run().isAnswering());
        QCOMPARE(recordBytes().left(10).toHex(), place(100, 2, 50, 2).toHex());
        QSignalSpy ended(&program, &Program::ended);
        if (after.startsWith(QLatin1String("right"))) {
            answer(drill, true);
            drill->endPauseBeforeNextQuestion();
        }
        if (after.contains(QLatin1String("commit"))) {
            program.commitData();
        }
        if (after.endsWith(QLatin1String("stop"))) {
            drill->stopRun();
            QVERIFY(ended.isEmpty());
        }
        program.endFromOutside();
        QCOMPARE(ended.size(), 1);
        QCOMPARE(ended[0][0].toInt(), 0);
        QCOMPARE(recordBytes().toHex(), places.toHex());
    }

    // Guards against SIGXFSZ killing the program when a save runs into the file-size limit:
    // the save fails, the learner is told, and the program goes on.
    void saveOverFileSizeLimitWarns()
    {
        ignoreFileSizeSignal();
        Program program(m_state);
        DrillWindow *drill = runUpTo(program, 2);
        rlimit saved = {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit limited = saved;
        limited.rlim_cur = 0;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        drill->stopRun();
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].title, QStringLiteral("Warning!"));
        QVERIFY(recordBytes().isEmpty());
        QVERIFY(drill->isLoaded());
        QVERIFY(control<QPushButton>(*drill, "startButton")->isEnabled());
    }

    // Guards against an ending in the wait that leaves the unseen drill window loaded, or
    // a tick after the end that shows it.
    void endingDuringTheWaitEndsCleanly()
    {
        Program program(m_state);
        QSignalSpy ended(&program, &Program::ended);
        program.start();
        program.prepareDrillWindow();
        QPointer<DrillWindow> drill = program.drillWindow();
        QVERIFY(drill && drill->isLoaded());
        program.endFromOutside();
        QCOMPARE(ended.size(), 1);
        QCOMPARE(ended[0][0].toInt(), 0);
        QCOMPARE(Forms::Form::loadedCount(), 0);
        program.backdrop()->endWait();
        QVERIFY(!drill || !drill->isVisible());
    }

    // Guards against a drill window or a warning shown during the wait, a second drill
    // window, one not owned by the backdrop, a timer that keeps ticking, a first-start
    // warning not shown (or shown twice), and a minimized drill window that a click on the
    // backdrop does not bring back.
    void drillWindowShowsOnceWithItsWarning()
    {
        Program program(m_state);
        program.setStartWarning(QStringLiteral("cannot create /nowhere: Permission denied"));
        program.start();
        // Made during the wait, with its window system window, but neither it nor the
        // warning shows before the wait ends.
        program.prepareDrillWindow();
        DrillWindow *first = program.drillWindow();
        QVERIFY(first && first->isLoaded() && program.menu());
        QVERIFY(first->testAttribute(Qt::WA_WState_Created));
        QTest::mouseClick(program.backdrop(), Qt::LeftButton); // the learner looks for it
        QVERIFY(!first->isVisible());
        QVERIFY(m_messages.isEmpty());
        program.showDrillWindow();
        QCOMPARE(program.drillWindow(), first);
        QVERIFY(first->isVisible());
        QCOMPARE(first->parentWidget(), program.backdrop());
        QVERIFY(!program.backdrop()->showDrillTimer->isEnabled() ||
                program.backdrop()->showDrillTimer->isTicking());
        program.backdrop()->endWait();
        QVERIFY(!program.backdrop()->showDrillTimer->isEnabled());
        QCOMPARE(program.drillWindow(), first);
        QCOMPARE(program.backdrop()->findChildren<DrillWindow *>().size(), 1);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].title, QStringLiteral("Warning!"));
        QVERIFY(m_messages[0].text.contains(QStringLiteral("/nowhere: Permission denied")));
        first->showMinimized();
        QVERIFY(first->isMinimized());
        QTest::mouseClick(program.backdrop(), Qt::LeftButton);
        QVERIFY(!first->isMinimized() && first->isVisible());
    }
};

QTEST_MAIN(TestProgramEnd)
#include "tst_programend.moc"
