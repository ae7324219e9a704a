// First start of an installed copy: the user's folder, group copies and INI.
#include "shell/firststart.h"
#include "shell/startup.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file below dir with its bytes, to see that a tree was left as it was.
QMap<QString, QByteArray> snapshot(const QString &dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, readFile(path));
    }
    return files;
}

const QByteArray group1 = "\xd2\xbb\r\none\r\n";
const QByteArray group2 = "\xb6\xfe\r\ntwo; second\r\n";
const QByteArray notice = "# Word material: CC BY-SA 4.0\n";

} // namespace

class TestFirstStart : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void setUpUser_data();
    void setUpUser();

private:
    QByteArray savedHome;
    QByteArray savedDataHome;
};

void TestFirstStart::init()
{
    savedHome = qgetenv("HOME");
    savedDataHome = qgetenv("XDG_DATA_HOME");
}

void TestFirstStart::cleanup()
{
    qputenv("HOME", savedHome);
    if (savedDataHome.isNull()) {
        qunsetenv("XDG_DATA_HOME");
    } else {
        qputenv("XDG_DATA_HOME", savedDataHome);
    }
}

void TestFirstStart::setUpUser_data()
{
    QTest::addColumn<bool>("installed");       // groups under <exe>/../share/wordmoor
    QTest::addColumn<QString>("dataHome");     // how XDG_DATA_HOME is set, see below
    QTest::addColumn<QByteArray>("userIni");   // a Wordmoor.INI already there; null: none
    QTest::addColumn<QByteArray>("userGroup"); // the user's own ciku/ci1.txt; null: none
    QTest::addColumn<int>("outcome");

    const QByteArray none;
    QTest::newRow("fresh_user") << true << "set" << none << none << int(FirstStart::Result::SetUp);
    QTest::newRow("existing_ini_untouched")
        << true << "set" << QByteArray("[InstallSettings]\nInstallPath=/srv/mine\n") << none
        << int(FirstStart::Result::NotNeeded);
    QTest::newRow("existing_ini_even_empty")
        << true << "set" << QByteArray("") << none << int(FirstStart::Result::NotNeeded);
    QTest::newRow("user_group_not_overwritten")
        << true << "set" << none << QByteArray("mine\r\nmy own\r\n")
        << int(FirstStart::Result::SetUp);
    QTest::newRow("not_installed")
        << false << "set" << none << none << int(FirstStart::Result::NotNeeded);
    QTest::newRow("xdg_data_home_unset")
        << true << "unset" << none << none << int(FirstStart::Result::SetUp);
    QTest::newRow("xdg_data_home_relative")
        << true << "relative" << none << none << int(FirstStart::Result::SetUp);
    // Below a regular file no folder can be made, even as root.
    QTest::newRow("data_folder_unwritable")
        << true << "blocked" << none << none << int(FirstStart::Result::Failed);
}

void TestFirstStart::setUpUser()
{
    QFETCH(bool, installed);
    QFETCH(QString, dataHome);
    QFETCH(QByteArray, userIni);
    QFETCH(QByteArray, userGroup);
    QFETCH(int, outcome);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString exeDir = root.filePath(QStringLiteral("prefix/bin"));
    const QString share = root.filePath(QStringLiteral("prefix/share"));
    QVERIFY(QDir().mkpath(exeDir));
    if (installed) {
        QVERIFY(writeFile(share + QStringLiteral("/wordmoor/ciku/ci1.txt"), group1));
        QVERIFY(writeFile(share + QStringLiteral("/wordmoor/ciku/ci2.txt"), group2));
        QVERIFY(writeFile(share + QStringLiteral("/wordmoor/SOURCE.md"), notice));
    }
    const QMap<QString, QByteArray> installedBefore = snapshot(share);

    const QString home = root.filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(home));
    qputenv("HOME", home.toLocal8Bit());
    QString expectedDataHome = root.filePath(QStringLiteral("data"));
    if (dataHome == QLatin1String("set")) {
        qputenv("XDG_DATA_HOME", expectedDataHome.toLocal8Bit());
    } else if (dataHome == QLatin1String("blocked")) {
        QVERIFY(writeFile(root.filePath(QStringLiteral("blocker")), "a file"));
        expectedDataHome = root.filePath(QStringLiteral("blocker/data"));
        qputenv("XDG_DATA_HOME", expectedDataHome.toLocal8Bit());
    } else {
        if (dataHome == QLatin1String("relative")) {
            qputenv("XDG_DATA_HOME", "relative/data");
        } else {
            qunsetenv("XDG_DATA_HOME");
        }
        expectedDataHome = home + QStringLiteral("/.local/share");
    }
    QCOMPARE(FirstStart::dataHome(), expectedDataHome);
    const QString userDir = expectedDataHome + QStringLiteral("/Wordmoor");

    const QString configDir = root.filePath(QStringLiteral("config"));
    const QString iniFile = Startup::iniPath(configDir);
    if (!userIni.isNull()) {
        QVERIFY(writeFile(iniFile, userIni));
    }
    if (!userGroup.isNull()) {
        QVERIFY(writeFile(userDir + QStringLiteral("/ciku/ci1.txt"), userGroup));
    }

    const FirstStart::Result result =
        FirstStart::setUpUser(exeDir, configDir, FirstStart::dataHome());

    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(snapshot(share), installedBefore);
    if (!userIni.isNull()) {
        QCOMPARE(readFile(iniFile), userIni);
    } else if (outcome == FirstStart::Result::SetUp) {
        QCOMPARE(readFile(iniFile),
                 "[InstallSettings]\r\nInstallPath=" + userDir.toUtf8() + "\r\n");
        QCOMPARE(Startup::installPathFromIni(iniFile), userDir + QLatin1Char('/'));
    } else {
        // No INI, and no temporary file from an aborted write either.
        QCOMPARE(QDir(configDir).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    if (outcome == FirstStart::Result::SetUp) {
        const QByteArray ownOrCopied = userGroup.isNull() ? group1 : userGroup;
        QCOMPARE(readFile(userDir + QStringLiteral("/ciku/ci1.txt")), ownOrCopied);
        QCOMPARE(readFile(userDir + QStringLiteral("/ciku/ci2.txt")), group2);
        QCOMPARE(readFile(userDir + QStringLiteral("/SOURCE.md")), notice);
    } else if (userGroup.isNull()) {
        QVERIFY(!QFileInfo::exists(userDir));
    }
    if (outcome == FirstStart::Result::Failed) {
        QVERIFY(!result.error.isEmpty());
    }
}

QTEST_MAIN(TestFirstStart)
#include "tst_firststart.moc"
