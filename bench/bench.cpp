// Prints timings of the drill's heavier paths. Not a test: figures vary with the machine.
//   wordmoor_bench            (run with QT_QPA_PLATFORM=offscreen or under Xvfb)

#include "drill/begin1.h"
#include "drill/wordfile.h"
#include "shell/background.h"
#include "shell/module1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

// Milliseconds since the kernel started this process.
double msSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray statText = stat.readAll();
    const QList<QByteArray> fields = statText.mid(statText.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble(); // field 22 of the whole line
    const double up = uptime.readAll().split(' ').value(0).toDouble();
    return (up - startTicks / sysconf(_SC_CLK_TCK)) * 1000.0;
}

void writeBigGroup(const QString &path, int entries)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return;
    }
    QByteArray bytes;
    for (int i = 1; i <= entries; ++i) {
        bytes += QStringLiteral("词语%1\r\nmeaning %1; sense %1; use %1\r\n").arg(i).toUtf8();
    }
    file.write(bytes);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("install/ciku")));
    QDir().mkpath(dir.filePath(QStringLiteral("config")));
    const QString install = dir.filePath(QStringLiteral("install"));
    writeBigGroup(install + QStringLiteral("/ciku/ci1.txt"), 30000);
    QFile ini(dir.filePath(QStringLiteral("config/Wordmoor.INI")));
    if (ini.open(QIODevice::WriteOnly)) {
        ini.write("[InstallSettings]\r\nInstallPath=" + install.toUtf8() + "\r\n");
        ini.close();
    }
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());

    // Start-up: the backdrop, then the drill window 200 ms later, as in the program.
    auto *backdrop = new Background;
    backdrop->load();
    backdrop->show();
    double shownAt = -1;
    // A local loop: quitting the application would first ask every window to close.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        Begin1 *drill = backdrop->drillWindow();
        if (drill && drill->isVisible()) {
            QApplication::processEvents();
            shownAt = msSinceProcessStart();
            loop.quit();
        }
    });
    poll.start(1);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    poll.stop();
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("process start to drill window shown: %.0f ms (200 ms of it is the "
                "backdrop's timer; clock resolution 10 ms)\n",
                shownAt);

    Begin1 *drill = backdrop->drillWindow();
    if (!drill) {
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    const WordFile::Group group = WordFile::loadGroup(WordFile::groupPath(gInstallPath, 1));
    std::printf("read and decode a 30,000-entry group file: %.1f ms (%lld entries)\n",
                timer.nsecsElapsed() / 1e6, static_cast<long long>(group.entries.size()));
    timer.restart();
    drill->Combo1->setCurrentIndex(1);
    drill->Combo1_Click();
    std::printf("choose that group in the drill window: %.1f ms\n", timer.nsecsElapsed() / 1e6);

    drill->Command2_Click();
    const int builds = 200;
    timer.restart();
    for (int i = 0; i < builds; ++i) {
        drill->Timer1->setEnabled(false);
        drill->Common04();
    }
    std::printf("Common04, one question in a 30,000-entry group: %.3f ms (mean of %d)\n",
                timer.nsecsElapsed() / 1e6 / builds, builds);

    // The click on the last right row, through to the feedback painted on screen.
    double total = 0;
    const int clicks = 50;
    for (int i = 0; i < clicks; ++i) {
        drill->Common04();
        QApplication::processEvents();
        for (int j = 2; j <= drill->mAnswerCount; ++j) {
            drill->Label2_MouseUp(drill->mAnswers[j][2].toInt(), Qt::LeftButton, {}, 0, 0);
        }
        timer.restart();
        drill->Label2_MouseUp(drill->mAnswers[1][2].toInt(), Qt::LeftButton, {}, 0, 0);
        drill->repaint();
        total += timer.nsecsElapsed() / 1e6;
        drill->Timer2->setEnabled(false);
        drill->Timer3->setEnabled(false);
    }
    std::printf("last right click to feedback painted: %.3f ms (mean of %d)\n", total / clicks,
                clicks);
    // End the run without waiting on the record window.
    Forms::setModalObserver([](Forms::Form *) {});
    drill->Command3_Click();
    drill->unload();
    backdrop->unload();
    delete backdrop;
    return 0;
}
