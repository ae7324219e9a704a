// The start-up watch's reading of what the X server reported: which window is the backdrop,
// which one ends the watch, when it counts as painted, and the figures drawn from that.
#include "bench/windowtimeline.h"

#include <QtTest>

namespace
{

constexpr std::uint32_t kRoot = 1;

// Plays a script of X events into a timeline on a 1280 x 800 screen. Events are separated
// by ";": "c ID MS WxH" created, "o ID p|x" _NET_WM_PID names the program or another,
// "r ID TOP" reparented into the top-level window TOP (1: the root), "m ID MS" mapped,
// "s ID WxH" resized, "d ID MS" damaged, "x ID" destroyed.
ScreenWatch::Timeline play(const QString &script)
{
    ScreenWatch::Timeline timeline(1280, 800);
    for (const QString &event : script.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList word = event.simplified().split(QLatin1Char(' '));
        const std::uint32_t id = word.value(1).toUInt();
        const QString what = word.value(0);
        const auto size = [&](int at) { return word.value(at).split(QLatin1Char('x')); };
        if (what == QLatin1String("c")) {
            timeline.created(id, word.value(2).toDouble(), size(3).value(0).toInt(),
                             size(3).value(1).toInt());
        } else if (what == QLatin1String("o")) {
            timeline.ownerKnown(id, word.value(2) == QLatin1String("p")
                                        ? ScreenWatch::Owner::Program
                                        : ScreenWatch::Owner::Other);
        } else if (what == QLatin1String("r")) {
            timeline.reparented(id, word.value(2).toUInt(), kRoot);
        } else if (what == QLatin1String("m")) {
            timeline.mapped(id, word.value(2).toDouble());
        } else if (what == QLatin1String("s")) {
            timeline.configured(id, size(2).value(0).toInt(), size(2).value(1).toInt());
        } else if (what == QLatin1String("d")) {
            timeline.damaged(id, word.value(2).toDouble());
        } else if (what == QLatin1String("x")) {
            timeline.destroyed(id);
        } else {
            qFatal("unknown event in script: %s", qPrintable(event));
        }
    }
    return timeline;
}

// The program as openbox frames it: the backdrop 10 in frame 11, the drill window 20 in
// frame 21, created once the wait is over.
const QString kBackdropFramed =
    QStringLiteral("c 10 25 1280x800; o 10 p; c 11 30 1x1; r 10 11; m 10 37; m 11 37.5; d 10 45;");
const QString kDrillFramed = QStringLiteral(
    "c 20 228 597x526; o 20 p; c 21 236 1x1; r 20 21; m 20 238; m 21 238.5; d 20 250;"
    "d 20 251;");

} // namespace

class TestWindowTimeline : public QObject
{
    Q_OBJECT

private slots:
    void figures_data();
    void figures();
    void quietDeadline_data();
    void quietDeadline();
};

void TestWindowTimeline::figures_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("line");

    QTest::newRow("backdrop then drill window, both framed")
        << kBackdropFramed + kDrillFramed
        << "windows=2 exec_to_backdrop_created=25.00 exec_to_backdrop_mapped=37.50 "
           "exec_to_drill_created=228.00 backdrop_created_to_drill_mapped=213.50 "
           "drill_mapped_to_painted=12.50 exec_to_drill_painted=251.00 "
           "tick_estimate_to_painted=26.00 drill_damage_events=2 vmhwm_mb=40.0";
    // Guards against taking the drill window's creation for its showing.
    QTest::newRow("drill window created during the wait, mapped at its end")
        << "c 10 25 1280x800; m 10 37; d 10 45; c 20 40 597x526; m 20 226; d 20 240;"
        << "windows=2 exec_to_backdrop_created=25.00 exec_to_backdrop_mapped=37.00 "
           "exec_to_drill_created=40.00 backdrop_created_to_drill_mapped=201.00 "
           "drill_mapped_to_painted=14.00 exec_to_drill_painted=240.00 "
           "tick_estimate_to_painted=15.00 drill_damage_events=1 vmhwm_mb=40.0";
    // The frame's title bar takes some of the screen: still the backdrop.
    QTest::newRow("backdrop made smaller by its frame")
        << "c 10 25 1280x800; s 10 1280x779; m 10 37; d 10 45; c 20 228 597x526; m 20 238;"
           "d 20 250;"
        << "windows=2 exec_to_backdrop_created=25.00 exec_to_backdrop_mapped=37.00 "
           "exec_to_drill_created=228.00 backdrop_created_to_drill_mapped=213.00 "
           "drill_mapped_to_painted=12.00 exec_to_drill_painted=250.00 "
           "tick_estimate_to_painted=25.00 drill_damage_events=1 vmhwm_mb=40.0";
    QTest::newRow("one window") << "c 5 40 597x526; m 5 50; d 5 60; d 5 62;"
                                << "windows=1 exec_to_window_created=40.00 "
                                   "window_created_to_mapped=10.00 "
                                   "window_mapped_to_painted=12.00 exec_to_window_painted=62.00 "
                                   "window_damage_events=2 vmhwm_mb=40.0";
    QTest::newRow("a full-size window made small before it maps is no backdrop")
        << "c 5 40 1280x800; s 5 597x526; m 5 50; d 5 60;"
        << "windows=1 exec_to_window_created=40.00 window_created_to_mapped=10.00 "
           "window_mapped_to_painted=10.00 exec_to_window_painted=60.00 "
           "window_damage_events=1 vmhwm_mb=40.0";
    // Guards against counting drawing on a window that nobody can see yet.
    QTest::newRow("damage before the map is not painting")
        << "c 5 40 597x526; d 5 45; m 5 50; d 5 60;"
        << "windows=1 exec_to_window_created=40.00 window_created_to_mapped=10.00 "
           "window_mapped_to_painted=10.00 exec_to_window_painted=60.00 "
           "window_damage_events=1 vmhwm_mb=40.0";
    QTest::newRow("framed window is viewable when its frame maps")
        << "c 5 40 597x526; c 6 45 1x1; r 5 6; m 5 50; m 6 55; d 5 60;"
        << "windows=1 exec_to_window_created=40.00 window_created_to_mapped=15.00 "
           "window_mapped_to_painted=5.00 exec_to_window_painted=60.00 "
           "window_damage_events=1 vmhwm_mb=40.0";
    QTest::newRow("window taken back from its frame maps by itself")
        << "c 5 40 597x526; c 6 45 1x1; r 5 6; r 5 1; m 5 50; d 5 60;"
        << "windows=1 exec_to_window_created=40.00 window_created_to_mapped=10.00 "
           "window_mapped_to_painted=10.00 exec_to_window_painted=60.00 "
           "window_damage_events=1 vmhwm_mb=40.0";
    // The frame holds the client's picture, so it is damaged too, and it is never the
    // program's window.
    QTest::newRow("frame drawn, its client not yet")
        << "c 6 30 1x1; c 5 40 597x526; r 5 6; m 5 50; m 6 50; d 6 52;"
        << "";
    QTest::newRow("another process's window is left out")
        << "c 5 30 400x300; o 5 x; m 5 35; d 5 40; c 7 50 597x526; o 7 p; m 7 60; d 7 70;"
        << "windows=1 exec_to_window_created=50.00 window_created_to_mapped=10.00 "
           "window_mapped_to_painted=10.00 exec_to_window_painted=70.00 "
           "window_damage_events=1 vmhwm_mb=40.0";
    QTest::newRow("destroyed window") << "c 5 30 597x526; m 5 35; d 5 40; x 5;"
                                      << "";
    QTest::newRow("window id given again after its window was destroyed")
        << "c 5 30 597x526; m 5 35; d 5 40; x 5; c 5 50 597x526; m 5 60; d 5 70;"
        << "windows=1 exec_to_window_created=50.00 window_created_to_mapped=10.00 "
           "window_mapped_to_painted=10.00 exec_to_window_painted=70.00 "
           "window_damage_events=1 vmhwm_mb=40.0";
    QTest::newRow("backdrop alone") << kBackdropFramed << "";
    QTest::newRow("drill window mapped, not drawn")
        << kBackdropFramed + "c 20 228 597x526; m 20 238;"
        << "";
}

void TestWindowTimeline::figures()
{
    QFETCH(QString, script);
    QFETCH(QString, line);
    const ScreenWatch::Timeline timeline = play(script);
    QCOMPARE(QString::fromStdString(timeline.figures(200, 40)), line);
    QCOMPARE(timeline.paintedAt() >= 0, !line.isEmpty());
}

void TestWindowTimeline::quietDeadline_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<double>("quietMs");
    QTest::addColumn<double>("deadline");

    QTest::newRow("after the last damage") << kBackdropFramed + kDrillFramed << 150.0 << 401.0;
    QTest::newRow("a late damage moves it")
        << kBackdropFramed + kDrillFramed + "d 20 300;" << 150.0 << 450.0;
    QTest::newRow("quiet of its own length") << kBackdropFramed + kDrillFramed << 20.0 << 271.0;
    // Guards against the backdrop's painting ending the watch before the drill window shows.
    QTest::newRow("none while only the backdrop is drawn") << kBackdropFramed << 150.0 << -1.0;
    QTest::newRow("backdrop drawn after the drill window does not move it")
        << kBackdropFramed + kDrillFramed + "d 10 320;" << 150.0 << 401.0;
}

void TestWindowTimeline::quietDeadline()
{
    QFETCH(QString, script);
    QFETCH(double, quietMs);
    QFETCH(double, deadline);
    QCOMPARE(play(script).quietDeadline(quietMs), deadline);
}

QTEST_APPLESS_MAIN(TestWindowTimeline)
#include "tst_windowtimeline.moc"
