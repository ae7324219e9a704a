// First start of an installed copy: the user's folder, group copies and INI.
#include "filesizelimit.h"
#include "startup/firststart.h"
#include "startup/startup.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The system's reason for a folder that cannot be made there, or "" when it can.
static QString mkdirReason(const QString &folder)
{
    const QByteArray name = QFile::encodeName(folder);
    if (::mkdir(name.constData(), 0700) == 0) {
        ::rmdir(name.constData());
        return QString();
    }
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The same for a new file in an existing folder.
static QString createReason(const QString &folder)
{
    const QByteArray name = QFile::encodeName(folder + QStringLiteral("/.wordmoor-probe"));
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd >= 0) {
        ::close(fd);
        ::unlink(name.constData());
        return QString();
    }
    return QString::fromLocal8Bit(std::strerror(errno));
}

void TestFirstStart::setUpUser_data()
{
    QTest::addColumn<bool>("installed");       // groups under <exe>/../share/wordmoor
    QTest::addColumn<QString>("dataHome");     // how XDG_DATA_HOME is set, see below
    QTest::addColumn<QString>("configDir");    // "": a fresh folder; else that folder
    QTest::addColumn<int>("room");             // bytes a file may hold; -1: no limit
    QTest::addColumn<QByteArray>("userIni");   // a Wordmoor.INI already there; null: none
    QTest::addColumn<QByteArray>("userGroup"); // the user's own ciku/ci1.txt; null: none
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("error"); // for Failed; "<root>" is the test's folder

    const QByteArray none;
    const int setUp = FirstStart::Result::SetUp;
    const int notNeeded = FirstStart::Result::NotNeeded;
    auto row = [&](const char *name, bool installed, const QString &dataHome,
                   const QByteArray &ini, const QByteArray &group, int outcome) {
        QTest::newRow(name) << installed << dataHome << QString() << -1 << ini << group << outcome
                            << QString();
    };
    row("fresh_user", true, "set", none, none, setUp);
    row("existing_ini_untouched", true, "set",
        QByteArray("[InstallSettings]\nInstallPath=/srv/mine\n"), none, notNeeded);
    row("existing_ini_even_empty", true, "set", QByteArray(""), none, notNeeded);
    row("user_group_not_overwritten", true, "set", none, QByteArray("mine\r\nmy own\r\n"), setUp);
    row("not_installed", false, "set", none, none, notNeeded);
    row("xdg_data_home_unset", true, "unset", none, none, setUp);
    row("xdg_data_home_relative", true, "relative", none, none, setUp);
    row("xdg_data_home_empty", true, "empty", none, none, setUp);

    // Guards against a failure that does not say which folder or file is in the way and why.
    // Tests run as root, so nothing is refused for want of permission: a file or a dangling
    // link stands where a folder must be, /sys refuses new entries, and a file size limit
    // fails a copy part way as a full disk would.
    auto failed = [&](const char *name, const QString &dataHome, const QString &configDir,
                      int room, const QString &error) {
        QTest::newRow(name) << true << dataHome << configDir << room << none << none
                            << int(FirstStart::Result::Failed) << error;
    };
    const QString notADirectory = QString::fromLocal8Bit(std::strerror(ENOTDIR));
    failed("data_folder_below_a_file", "blocked", "", -1,
           "cannot use <root>/blocker as a folder: " + notADirectory);
    failed("data_home_is_a_file", "file", "", -1,
           "cannot use <root>/blocker as a folder: " + notADirectory);
    failed("data_home_dangling_link", "dangling", "", -1,
           "cannot use <root>/link (a link to <root>/gone) as a folder: " +
               QString::fromLocal8Bit(std::strerror(ENOENT)));
    failed("disk_full_during_copy", "set", "", 12,
           "cannot write <root>/data/Wordmoor/ciku/ci2.txt: " +
               QString::fromLocal8Bit(std::strerror(EFBIG)));
    if (const QString reason = mkdirReason("/sys/Wordmoor"); !reason.isEmpty()) {
        failed("data_home_read_only", "/sys", "", -1,
               "cannot create the folder /sys/Wordmoor: " + reason);
    }
    if (const QString reason = mkdirReason("/sys/wordmoor-config"); !reason.isEmpty()) {
        failed("config_folder_not_creatable", "set", "/sys/wordmoor-config", -1,
               "cannot create the folder /sys/wordmoor-config: " + reason);
    }
    if (const QString reason = createReason("/sys"); !reason.isEmpty()) {
        failed("config_folder_read_only", "set", "/sys", -1,
               "cannot create a temporary file in /sys: " + reason);
    }
}

void TestFirstStart::setUpUser()
{
    QFETCH(bool, installed);
    QFETCH(QString, dataHome);
    QFETCH(QString, configDir);
    QFETCH(int, room);
    QFETCH(QByteArray, userIni);
    QFETCH(QByteArray, userGroup);
    QFETCH(int, outcome);
    QFETCH(QString, error);

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
    if (dataHome == QLatin1String("blocked") || dataHome == QLatin1String("file")) {
        QVERIFY(writeFile(root.filePath(QStringLiteral("blocker")), "a file"));
        expectedDataHome = root.filePath(QStringLiteral("blocker"));
        if (dataHome == QLatin1String("blocked")) {
            expectedDataHome += QStringLiteral("/data");
        }
    } else if (dataHome == QLatin1String("dangling")) {
        expectedDataHome = root.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(root.filePath(QStringLiteral("gone")), expectedDataHome));
    } else if (dataHome.startsWith(QLatin1Char('/'))) {
        expectedDataHome = dataHome;
    }
    if (dataHome == QLatin1String("unset")) {
        qunsetenv("XDG_DATA_HOME");
        expectedDataHome = home + QStringLiteral("/.local/share");
    } else if (dataHome == QLatin1String("relative") || dataHome == QLatin1String("empty")) {
        qputenv("XDG_DATA_HOME", dataHome == QLatin1String("empty") ? "" : "relative/data");
        expectedDataHome = home + QStringLiteral("/.local/share");
    } else {
        qputenv("XDG_DATA_HOME", expectedDataHome.toLocal8Bit());
    }
    QCOMPARE(FirstStart::dataHome(), expectedDataHome);
    const QString userDir = expectedDataHome + QStringLiteral("/Wordmoor");

    if (configDir.isEmpty()) {
        configDir = root.filePath(QStringLiteral("config"));
    }
    const QString iniFile = Startup::iniPath(configDir);
    if (!userIni.isNull()) {
        QVERIFY(writeFile(iniFile, userIni));
    }
    if (!userGroup.isNull()) {
        QVERIFY(writeFile(userDir + QStringLiteral("/ciku/ci1.txt"), userGroup));
    }

    FirstStart::Result result;
    {
        FileSizeLimit limit(room);
        QVERIFY(limit.isSet());
        result = FirstStart::setUpUser(exeDir, configDir, FirstStart::dataHome());
    }

    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(result.error, QString(error).replace(QStringLiteral("<root>"), root.path()));
    QCOMPARE(snapshot(share), installedBefore);
    if (!userIni.isNull()) {
        QCOMPARE(readFile(iniFile), userIni);
    } else if (outcome == FirstStart::Result::SetUp) {
        QCOMPARE(readFile(iniFile),
                 "[InstallSettings]\r\nInstallPath=" + userDir.toUtf8() + "\r\n");
        QCOMPARE(Startup::installPathFromIni(iniFile), userDir + QLatin1Char('/'));
    } else {
        // No INI, and no temporary file from an aborted write either.
        QVERIFY(!QFileInfo::exists(iniFile));
        QCOMPARE(QDir(configDir).entryList({QStringLiteral("*Wordmoor.INI*")},
                                           QDir::Files | QDir::Hidden),
                 QStringList());
    }

    if (outcome == FirstStart::Result::SetUp) {
        const QByteArray ownOrCopied = userGroup.isNull() ? group1 : userGroup;
        QCOMPARE(readFile(userDir + QStringLiteral("/ciku/ci1.txt")), ownOrCopied);
        QCOMPARE(readFile(userDir + QStringLiteral("/ciku/ci2.txt")), group2);
        QCOMPARE(readFile(userDir + QStringLiteral("/SOURCE.md")), notice);
    }
    // Whatever a failure left in the user folder is whole: no part of a copy, no temporary.
    const QMap<QString, QByteArray> whole = {{userDir + QStringLiteral("/ciku/ci1.txt"), group1},
                                             {userDir + QStringLiteral("/ciku/ci2.txt"), group2},
                                             {userDir + QStringLiteral("/SOURCE.md"), notice}};
    const QMap<QString, QByteArray> left = snapshot(userDir);
    for (auto it = left.begin(); it != left.end(); ++it) {
        QVERIFY2(userGroup == it.value() || whole.value(it.key()) == it.value(),
                 qPrintable(it.key()));
    }
}

QTEST_MAIN(TestFirstStart)
#include "tst_firststart.moc"
