// Ending the program from outside, and a save that runs into a file-size limit: the run in
// progress must be saved or reported, never lost with the process.
#include "drill/drillwindow.h"
#include "drill/wordfile.h"
#include "shell/backdrop.h"
#include "shell/endrequests.h"
#include "shell/programstate.h"

#include <QDir>
#include <QFile>
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

    // Opens the drill window over a backdrop, on a group of four one-rendering words, and
    // plays `finished` questions (the first right, the rest wrong), then opens the next.
    DrillWindow *runUpTo(Backdrop &backdrop, int finished)
    {
        backdrop.load();
        backdrop.showDrillTimer->setEnabled(false);
        m_state.installPath = m_dir->path() + QLatin1Char('/');
        backdrop.showDrillWindow();
        DrillWindow *drill = backdrop.drillWindow();
        drill->random() = Random(7);
        drill->groupList->setCurrentIndex(1);
        drill->loadChosenGroup();
        drill->startRun();
        for (int q = 0; q < finished; ++q) {
            int row = q == 0 ? drill->run().answerRows().first() : 0;
            while (q > 0 && drill->run().answerRows().contains(row)) {
                ++row;
            }
            drill->judgeRow(row);
            drill->endPauseBeforeNextQuestion();
        }
        return drill;
    }

    QByteArray recordBytes() const
    {
        QFile file(m_state.installPath + QStringLiteral("record_1.divu"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    }

    // Guards against a signal that kills the program instead of reaching the event loop.
    void signalsReachTheEventLoop_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("sigterm") << SIGTERM;
        QTest::newRow("sigint") << SIGINT;
        QTest::newRow("sighup") << SIGHUP;
    }

    void signalsReachTheEventLoop()
    {
        QFETCH(int, signalNumber);
        EndRequests requests;
        QSignalSpy spy(&requests, &EndRequests::endRequested);
        QCOMPARE(::raise(signalNumber), 0);
        QVERIFY(spy.wait(5000));
        QCOMPARE(spy.first().first().toInt(), signalNumber);
    }

    // Guards against ending from outside that asks a question, leaves a window loaded, or
    // loses a run past its first question (and saves one that is not).
    void endingFromOutsideSavesTheRun_data()
    {
        QTest::addColumn<int>("finished");
        QTest::addColumn<QByteArray>("place1"); // hex; empty: no record
        // 1 right, 1 wrong: 1 x 50 x Normal, 2 words, rate 50, speed 2
        QTest::newRow("third_question") << 2 << QByteArray("64000000020032000200");
        QTest::newRow("first_question") << 0 << QByteArray();
    }

    void endingFromOutsideSavesTheRun()
    {
        QFETCH(int, finished);
        QFETCH(QByteArray, place1);
        Backdrop backdrop(m_state);
        runUpTo(backdrop, finished);
        EndRequests requests;
        connect(&requests, &EndRequests::endRequested, &backdrop, &Backdrop::endProgram);
        QCOMPARE(::raise(SIGTERM), 0);
        QTRY_COMPARE(Forms::Form::loadedCount(), 0);
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(recordBytes().left(10).toHex(), place1);
    }

    // Guards against SIGXFSZ killing the program when a save runs into the file-size limit:
    // the save fails, the learner is told, and the program goes on.
    void saveOverFileSizeLimitWarns()
    {
        ignoreFileSizeSignal();
        Backdrop backdrop(m_state);
        DrillWindow *drill = runUpTo(backdrop, 2);
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
        QVERIFY(drill->startButton->isEnabled());
    }
};

QTEST_MAIN(TestProgramEnd)
#include "tst_programend.moc"
