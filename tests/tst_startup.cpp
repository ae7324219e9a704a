// Start-up: the INI reader and where the installation folder comes from.
#include "base/programstate.h"
#include "shell/backdrop.h"
#include "startup/inireader.h"
#include "startup/startup.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void readsProfileValues_data();
    void readsProfileValues();
    void installPathFromIni_data();
    void installPathFromIni();
    void configDirectoryFollowsXdg_data();
    void configDirectoryFollowsXdg();
    void backdropReadsIniFromConfigDirectory();
};

void TestStartup::readsProfileValues_data()
{
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("count");

    // Guards against a reader that is case-sensitive, keeps blanks or quotes, or takes a
    // later duplicate.
    QTest::newRow("plain") << "[InstallSettings]\nInstallPath=/opt/wm\n"
                           << "/opt/wm" << 7;
    QTest::newRow("names_in_other_case") << "[installsettings]\r\nINSTALLPATH=/opt/wm\r\n"
                                         << "/opt/wm" << 7;
    QTest::newRow("blanks_around") << "[InstallSettings]\n  InstallPath  =   /a b  \n"
                                   << "/a b" << 4;
    QTest::newRow("double_quotes") << "[InstallSettings]\nInstallPath=\" /q \"\n"
                                   << " /q " << 4;
    QTest::newRow("single_quotes") << "[InstallSettings]\nInstallPath='/q'\n"
                                   << "/q" << 2;
    QTest::newRow("unmatched_quote") << "[InstallSettings]\nInstallPath=\"/q\n"
                                     << "\"/q" << 3;
    QTest::newRow("empty_value") << "[InstallSettings]\nInstallPath=\n"
                                 << "" << 0;
    QTest::newRow("no_key") << "[InstallSettings]\nOther=1\n"
                            << "empty" << 5;
    QTest::newRow("no_section") << "[Else]\nInstallPath=/x\n"
                                << "empty" << 5;
    QTest::newRow("key_in_other_section") << "[Else]\nInstallPath=/x\n[InstallSettings]\nA=1\n"
                                          << "empty" << 5;
    QTest::newRow("first_key_wins") << "[InstallSettings]\nInstallPath=/one\nInstallPath=/two\n"
                                    << "/one" << 4;
    QTest::newRow("comment_skipped") << "[InstallSettings]\n;InstallPath=/c\nInstallPath=/d\n"
                                     << "/d" << 2;
    const QString longPath = QLatin1String("/") + QString(250, QLatin1Char('x'));
    QTest::newRow("long_value_not_cut") << "[InstallSettings]\nInstallPath=" + longPath + "\n"
                                        << longPath << int(longPath.size());
    QTest::newRow("utf8_value") << "[InstallSettings]\nInstallPath=/home/学生\n"
                                << "/home/学生" << 8;
    // Guards against the byte-order mark read as a character that hides the first section.
    QTest::newRow("utf8_bom") << QChar(0xFEFF) +
                                     QStringLiteral("[InstallSettings]\nInstallPath=/b\n")
                              << "/b" << 2;
    // Guards against a value cut at its last "=" (the key then reads "InstallPath=/srv/a").
    QTest::newRow("value_holds_equals") << "[InstallSettings]\nInstallPath=/srv/a=b\n"
                                        << "/srv/a=b" << 8;
}

void TestStartup::readsProfileValues()
{
    QFETCH(QString, ini);
    QFETCH(QString, value);
    QFETCH(int, count);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("Wordmoor.INI")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(ini.toUtf8());
    file.close();

    const Ini::ProfileValue read =
        Ini::readProfileString(file.fileName(), QStringLiteral("InstallSettings"),
                               QStringLiteral("InstallPath"), QStringLiteral("empty"));
    QCOMPARE(read.text, value);
    QCOMPARE(read.count, count);
}

void TestStartup::installPathFromIni_data()
{
    QTest::addColumn<QString>("ini"); // empty: no file at all
    QTest::addColumn<QString>("installPath");

    QTest::newRow("no_file") << QString() << "empty/";
    QTest::newRow("value") << "[InstallSettings]\nInstallPath=/srv/Drill\n"
                           << "/srv/Drill/";
    QTest::newRow("value_keeps_case") << "[InstallSettings]\nInstallPath=/Srv/DRILL\n"
                                      << "/Srv/DRILL/";
    QTest::newRow("ending_in_slash_gets_another") << "[InstallSettings]\nInstallPath=/srv/d/\n"
                                                  << "/srv/d//";
    QTest::newRow("empty_value_stays_empty") << "[InstallSettings]\nInstallPath=\n"
                                             << "";
    QTest::newRow("no_key") << "[InstallSettings]\n"
                            << "empty/";
}

void TestStartup::installPathFromIni()
{
    QFETCH(QString, ini);
    QFETCH(QString, installPath);
    QTemporaryDir dir;
    const QString path = Startup::iniPath(dir.path());
    if (!ini.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ini.toUtf8());
    }
    QCOMPARE(Startup::installPathFromIni(path), installPath);
}

// Guards against a relative or empty XDG_CONFIG_HOME taken as a folder (a relative one would
// put the INI below the working directory): the XDG rules call such values invalid.
void TestStartup::configDirectoryFollowsXdg_data()
{
    QTest::addColumn<QByteArray>("xdg"); // null: unset
    QTest::addColumn<QString>("folder"); // "~" stands for the home folder
    QTest::newRow("absolute_blanks_dropped")
        << QByteArray(" /tmp/some where ") << "/tmp/some where";
    QTest::newRow("unset") << QByteArray() << "~/.config";
    QTest::newRow("empty") << QByteArray("") << "~/.config";
    QTest::newRow("blanks_only") << QByteArray("   ") << "~/.config";
    QTest::newRow("relative") << QByteArray("conf") << "~/.config";
    QTest::newRow("dot_relative") << QByteArray("./conf") << "~/.config";
}

void TestStartup::configDirectoryFollowsXdg()
{
    QFETCH(QByteArray, xdg);
    QFETCH(QString, folder);
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    if (xdg.isNull()) {
        qunsetenv("XDG_CONFIG_HOME");
    } else {
        qputenv("XDG_CONFIG_HOME", xdg);
    }
    const QString found = Startup::configDirectory();
    if (saved.isNull()) {
        qunsetenv("XDG_CONFIG_HOME");
    } else {
        qputenv("XDG_CONFIG_HOME", saved);
    }
    QCOMPARE(found, folder.replace(QLatin1Char('~'), QDir::homePath()));
}

void TestStartup::backdropReadsIniFromConfigDirectory()
{
    // The INI name keeps its case: on this file system "WORDMOOR.INI" is another file.
    QTemporaryDir config;
    QFile file(config.filePath(QStringLiteral("Wordmoor.INI")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[InstallSettings]\r\nInstallPath=/opt/Wordmoor Data\r\n");
    file.close();
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());

    ProgramState state;
    Backdrop backdrop(state);
    // The wait starts when the INI has been read, and is 200 ms to the millisecond.
    QVERIFY(!backdrop.showDrillTimer->isTicking());
    backdrop.load();
    QVERIFY(backdrop.showDrillTimer->isTicking());
    QVERIFY(backdrop.showDrillTimer->isPrecise());
    QCOMPARE(backdrop.showDrillTimer->interval(), 200);
    QCOMPARE(state.installPath, QStringLiteral("/opt/Wordmoor Data/"));
    QVERIFY(backdrop.windowState() & Qt::WindowMaximized);
    QCOMPARE(backdrop.windowTitle(), QStringLiteral("Wordmoor"));
    backdrop.showDrillTimer->setEnabled(false);

    qputenv("XDG_CONFIG_HOME", saved);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
