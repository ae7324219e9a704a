// Prints what a learner waits for, each beside a floor measured in the same run. Not a
// test: figures vary with the machine. Run it on the xcb platform, e.g. scripts/bench.sh.
//
//   wordmoor_bench                 load, start-up, Start and a click on a 30,000-word group
//   wordmoor_bench --memory DIR    peak memory once the drill window is painted, with the
//                                  groups of DIR (the bundled ones, say)
//   wordmoor_bench --memory-bare   the same for a bare Qt window, the floor of the above

#include "base/programstate.h"
#include "bench/measure.h"
#include "drill/drillwindow.h"
#include "drillcore/wordfile.h"
#include "shell/backdrop.h"
#include "shell/program.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTimer>
#include <QTimerEvent>

#include <cstdio>

namespace
{

QElapsedTimer g_clock;

double nowMs()
{
    return g_clock.nsecsElapsed() / 1e6;
}

// Peak resident memory of the process so far, in MB.
double peakMemoryMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
    }
    return -1;
}

// Notes when a window has finished painting and putting its picture on the screen.
class PaintWatcher : public QObject
{
public:
    explicit PaintWatcher(QWidget *window) : m_window(window) { window->installEventFilter(this); }

    // Runs the event loop until the window's next paint is on the screen.
    double waitForPaint()
    {
        m_paintedAt = -1;
        while (m_paintedAt < 0) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return m_paintedAt;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::UpdateRequest) {
            m_window->removeEventFilter(this);
            QApplication::sendEvent(m_window, event); // paints and flushes
            m_window->installEventFilter(this);
            m_paintedAt = nowMs();
            return true;
        }
        return false;
    }

private:
    QWidget *m_window;
    double m_paintedAt = -1;
};

// Notes when a given timer ticks.
class TickWatcher : public QObject
{
public:
    explicit TickWatcher(QObject *timerOwner) : m_owner(timerOwner)
    {
        qApp->installEventFilter(this);
    }
    double tickedAt = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Timer && tickedAt < 0 && watched->parent() == m_owner) {
            tickedAt = nowMs();
        }
        return false;
    }

private:
    QObject *m_owner;
};

void writeGb18030Group(const QString &path, int entries)
{
    QString text;
    for (int i = 1; i <= entries; ++i) {
        text += QStringLiteral("词语%1\r\nmeaning %1; sense %1; use %1\r\n").arg(i);
    }
    QStringEncoder encoder("GB18030");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(encoder.encode(text));
    }
}

void writeIni(const QTemporaryDir &dir, const QString &install)
{
    QDir().mkpath(dir.filePath(QStringLiteral("config")));
    QFile ini(dir.filePath(QStringLiteral("config/Wordmoor.INI")));
    if (ini.open(QIODevice::WriteOnly)) {
        ini.write("[InstallSettings]\r\nInstallPath=" + install.toUtf8() + "\r\n");
    }
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
}

// Start-up as the program does it; returns the drill window once it is painted.
DrillWindow *startUp(ProgramState &state, Program *&program, double *afterTick,
                     double *wait = nullptr)
{
    program = new Program(state);
    TickWatcher tick(program->backdrop()->showDrillTimer);
    double waitStarted = -1;
    QObject::connect(program->backdrop()->showDrillTimer, &Forms::Timer::started,
                     [&waitStarted] { waitStarted = nowMs(); });
    program->start();
    while (!program->drillWindow() || !program->drillWindow()->isVisible()) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    PaintWatcher painted(program->drillWindow());
    const double paintedAt = painted.waitForPaint();
    if (afterTick) {
        *afterTick = paintedAt - tick.tickedAt;
    }
    if (wait) {
        *wait = tick.tickedAt - waitStarted;
    }
    return program->drillWindow();
}

int memoryMode(const QString &groups)
{
    QTemporaryDir dir;
    writeIni(dir, groups);
    ProgramState state;
    Program *program = nullptr;
    startUp(state, program, nullptr);
    std::printf("peak memory at the drill window painted (%s): %.1f MB\n", qPrintable(groups),
                peakMemoryMb());
    Forms::setMessageAnswerer([](const Forms::Message &) { return Forms::Answer::Yes; });
    program->endFromOutside();
    delete program;
    return 0;
}

int bareMode()
{
    QWidget window;
    window.resize(597, 526);
    window.show();
    PaintWatcher painted(&window);
    painted.waitForPaint();
    std::printf("peak memory at a bare Qt window painted: %.1f MB\n", peakMemoryMb());
    return 0;
}

} // namespace

using Bench::Figure;
using Bench::measure;
using Bench::print;

int main(int argc, char *argv[])
{
    g_clock.start();
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
    const QStringList args = QApplication::arguments();
    if (args.value(1) == QLatin1String("--memory")) {
        return memoryMode(args.value(2));
    }
    if (args.value(1) == QLatin1String("--memory-bare")) {
        return bareMode();
    }

    QTemporaryDir dir;
    const QString install = dir.filePath(QStringLiteral("install"));
    QDir().mkpath(install + QStringLiteral("/ciku"));
    const QString groupFile = install + QStringLiteral("/ciku/ci1.txt");
    writeGb18030Group(groupFile, 30000);
    writeGb18030Group(install + QStringLiteral("/ciku/ci2.txt"), 30000);
    writeIni(dir, install);
    constexpr int kRuns = 21;

    // Loading: the reader against reading the file, one decode and one split.
    const Figure load = measure(kRuns, [&] {
        const double start = nowMs();
        const WordFile::Group group = WordFile::loadGroup(groupFile);
        const double took = nowMs() - start;
        return group.entries.size() == 30000 ? took : -1.0;
    });
    const Figure loadFloor = measure(kRuns, [&] {
        const double start = nowMs();
        QFile file(groupFile);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        QStringDecoder decoder("GB18030");
        const QString text = decoder.decode(bytes);
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        return lines.size() > 60000 ? nowMs() - start : -1.0;
    });
    print("load a 30,000-entry GB18030 group", load, "read + decode + split", loadFloor);

    ProgramState state;
    Program *program = nullptr;
    double afterTick = 0;
    double wait = 0;
    DrillWindow *drill = startUp(state, program, &afterTick, &wait);
    std::printf("the wait: the timer ticked %.2f ms after it started, for %d ms\n", wait,
                Backdrop::kDrillWaitMs);
    // Its floor: an empty window of the same size and kind, over the same backdrop, shown
    // and painted (the window manager's part of the work).
    double bareShown = 0;
    {
        QWidget bare(program->backdrop(), Qt::Dialog);
        bare.resize(drill->size());
        PaintWatcher bareWatcher(&bare);
        const double start = nowMs();
        bare.show();
        bareShown = bareWatcher.waitForPaint() - start;
    }
    std::printf("drill window painted %.1f ms after the backdrop's 200 ms timer ticked   | "
                "floor (an empty window of its size shown and painted): %.1f ms\n",
                afterTick, bareShown);
    Forms::setModalObserver([](Forms::Form *) {});
    Forms::setMessageAnswerer([](const Forms::Message &) { return Forms::Answer::Ok; });

    PaintWatcher painted(drill);
    // The floor of everything on screen: a repaint of the whole drill window.
    const Figure repaint = measure(kRuns, [&] {
        const double start = nowMs();
        drill->update();
        return painted.waitForPaint() - start;
    });

    // Choosing a group in the list, through to the group line painted.
    int choice = 0;
    const Figure choose = measure(kRuns, [&] {
        choice = choice == 1 ? 2 : 1;
        drill->findChild<QComboBox *>(QStringLiteral("groupList"))->setCurrentIndex(choice);
        // A learner chooses seconds apart: the group before last is freed by then.
        const double settle = nowMs();
        while (nowMs() - settle < 10) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        const double start = nowMs();
        drill->loadChosenGroup();
        return painted.waitForPaint() - start;
    });
    print("choose a 30,000-word group, to painted", choose, "repaint", repaint);
    const Figure loadAndRepaint{loadFloor.first + repaint.first,
                                loadFloor.median + repaint.median};
    print("choose a 30,000-word group, to painted", choose, "read+decode+split + repaint",
          loadAndRepaint);

    // Start, through a real click on the button, to the first question painted.
    auto *startButton = drill->findChild<QPushButton *>(QStringLiteral("startButton"));
    const QPoint startCentre = startButton->rect().center();
    const Figure start = measure(kRuns, [&] {
        if (drill->run().questionNumber() > 0) {
            drill->stopRun();
            painted.waitForPaint();
        }
        const double begin = nowMs();
        QMouseEvent press(QEvent::MouseButtonPress, startCentre,
                          startButton->mapToGlobal(startCentre), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, startCentre,
                            startButton->mapToGlobal(startCentre), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(startButton, &press);
        QApplication::sendEvent(startButton, &release);
        return painted.waitForPaint() - begin;
    });
    print("Start on 30,000 words, to question painted", start, "repaint", repaint);

    // A real click on the question's last right row, through to the feedback painted.
    const Figure click = measure(kRuns, [&] {
        drill->endPauseBeforeNextQuestion();
        painted.waitForPaint();
        const QVector<int> rows = drill->run().answerRows();
        for (int j = 1; j < rows.size(); ++j) {
            drill->judgeRow(rows[j]);
        }
        auto *row =
            drill->findChild<Forms::Label *>(QStringLiteral("candidateRow_%1").arg(rows.first()));
        const QPoint at(2, 2);
        QMouseEvent press(QEvent::MouseButtonPress, at, row->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, row->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        const double begin = nowMs();
        QApplication::sendEvent(row, &press);
        QApplication::sendEvent(row, &release);
        return painted.waitForPaint() - begin;
    });
    print("last right click, to feedback painted", click, "repaint", repaint);

    drill->stopRun();
    program->endFromOutside();
    delete program;
    return 0;
}
