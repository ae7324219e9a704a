// The command line, read before any window: --help and --version need no display, and a
// wrong command line is refused with the usage, leaving Qt's own options to Qt.
#include "shell/commandline.h"

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
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
