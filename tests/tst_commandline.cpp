// The command line, read before any window: --help and --version need no display, and a
// wrong command line is refused with the usage, leaving Qt's own options to Qt.
#include "startup/commandline.h"
#include "startup/displaycheck.h"

#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Wordmoor"));
        QCoreApplication::setApplicationVersion(QStringLiteral("2.0"));
    }

    // Guards against the windows started for --help or --version, a status other than
    // 0 / 2, usage on the wrong stream, and Qt's options (also a session to restore)
    // taken for unknown ones.
    void reads_data()
    {
        QTest::addColumn<QStringList>("arguments"); // after the program's name
        QTest::addColumn<bool>("run");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output"); // start of standard output
        QTest::addColumn<QString>("errors"); // start of standard error
        QTest::newRow("none") << QStringList() << true << 0 << ""
                              << "";
        QTest::newRow("help") << QStringList{"--help"} << false << 0 << "Usage: "
                              << "";
        QTest::newRow("help_short") << QStringList{"-h"} << false << 0 << "Usage: "
                                    << "";
        QTest::newRow("version") << QStringList{"--version"} << false << 0 << "Wordmoor 2.0\n"
                                 << "";
        QTest::newRow("unknown_option") << QStringList{"--bogus"} << false << 2 << ""
                                        << "Unknown option 'bogus'.\nUsage:";
        QTest::newRow("stray_argument") << QStringList{"ci1.txt"} << false << 2 << ""
                                        << "Unexpected argument 'ci1.txt'";
        QTest::newRow("speak_and_no_speak") << QStringList{"--speak", "--no-speak"} << false << 2
                                            << "" << "--speak and --no-speak exclude each other.";
        QTest::newRow("qt_platform") << QStringList{"-platform", "offscreen"} << true << 0 << ""
                                     << "";
        QTest::newRow("qt_session_restore")
            << QStringList{"-session", "10abc", "-reverse"} << true << 0 << ""
            << "";
    }

    void reads()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, run);
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(QString, errors);
        const CommandLine::Outcome outcome =
            CommandLine::read(QStringList{QStringLiteral("/usr/bin/wordmoor")} + arguments);
        QCOMPARE(outcome.run, run);
        QCOMPARE(outcome.status, status);
        const auto begins = [](const QString &text, const QString &start) {
            return start.isEmpty() ? text.isEmpty() : text.startsWith(start);
        };
        QVERIFY2(begins(outcome.output, output), qPrintable(outcome.output));
        QVERIFY2(begins(outcome.errors, errors), qPrintable(outcome.errors));
    }

    // Guards against an abort where no platform can start (Qt's own message and status 134),
    // a refusal where one of Qt's choices can start, and a message that does not name what
    // is missing.
    void windowSystemChecked_data()
    {
        QTest::addColumn<QString>("platform");  // QT_QPA_PLATFORM, or -platform
        QTest::addColumn<QString>("wayland");   // WAYLAND_DISPLAY
        QTest::addColumn<QString>("display");   // DISPLAY
        QTest::addColumn<QStringList>("there"); // plugins installed, sockets that answer
        QTest::addColumn<QString>("problem");   // a part of it; empty: none
        const QString xSocket = "@/tmp/.X11-unix/X0";
        const QString waySocket = "/run/user/1000/wayland-0";
        QTest::newRow("nothing") << ""
                                 << ""
                                 << "" << QStringList{"xcb", "wayland"}
                                 << "neither WAYLAND_DISPLAY nor DISPLAY is set";
        QTest::newRow("wayland_without_plugin")
            << ""
            << "wayland-0"
            << "" << QStringList{"xcb", waySocket}
            << "not installed (install the package qt6-wayland); no X display";
        QTest::newRow("wayland") << ""
                                 << "wayland-0"
                                 << "" << QStringList{"wayland", waySocket} << "";
        QTest::newRow("wayland_gone_x_there")
            << ""
            << "wayland-0"
            << ":0" << QStringList{"wayland", "xcb", xSocket} << "";
        QTest::newRow("wayland_chosen_without_plugin")
            << "wayland"
            << ""
            << ":0" << QStringList{"xcb", xSocket} << "qt6-wayland";
        QTest::newRow("x_unreachable")
            << ""
            << ""
            << ":7" << QStringList{"xcb", xSocket} << "the X display :7 cannot be reached";
        QTest::newRow("x_on_other_host") << ""
                                         << ""
                                         << "far:0" << QStringList{"xcb"} << "";
        QTest::newRow("offscreen") << "offscreen:size=800x600"
                                   << ""
                                   << "" << QStringList{"offscreen"} << "";
    }

    void windowSystemChecked()
    {
        QFETCH(QString, platform);
        QFETCH(QString, wayland);
        QFETCH(QString, display);
        QFETCH(QStringList, there);
        QFETCH(QString, problem);
        DisplayCheck::Environment env;
        env.qpaPlatform = platform;
        env.waylandDisplay = wayland;
        env.runtimeDir = "/run/user/1000";
        env.display = display;
        DisplayCheck::Probes probes;
        probes.pluginInstalled = [&](const QString &name) {
            return there.contains(name.section(':', 0, 0));
        };
        probes.socketAccepts = [&](const QString &path) { return there.contains(path); };
        const QString found = DisplayCheck::problem(env, probes);
        QVERIFY2(problem.isEmpty() ? found.isEmpty() : found.contains(problem), qPrintable(found));
        QCOMPARE(DisplayCheck::environmentNow({"wordmoor", "-platform", "offscreen"}).qpaPlatform,
                 QStringLiteral("offscreen"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
