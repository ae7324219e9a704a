#include "shell/firststart.h"

#include "shell/startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace FirstStart
{

namespace
{

// A dangling link counts too: writing through it would not be "leaving it alone".
bool pathTaken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

Result failure(Result result, const QString &error)
{
    result.outcome = Result::Failed;
    result.error = error;
    return result;
}

// Copies from into to unless to is taken; gives the error text, or an empty one.
// QFile::copy goes through a temporary file, so a failed copy leaves no part-written file.
QString copyMissing(const QString &from, const QString &to, Result &result)
{
    if (pathTaken(to)) {
        return QString();
    }
    QFile source(from);
    if (!source.copy(to)) {
        return QStringLiteral("cannot copy %1 to %2: %3").arg(from, to, source.errorString());
    }
    // The installed file may be read-only; the user's copy is theirs to edit or replace.
    QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                  QFile::ReadOther);
    result.copiedFiles.append(to);
    return QString();
}

} // namespace

QString dataHome()
{
    const QString xdg = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
    // Relative values are invalid by the XDG rules; the INI must name an absolute folder.
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) {
        return xdg;
    }
    return QDir::homePath() + QLatin1String("/.local/share");
}

QString userInstallPath(const QString &dataHome)
{
    return QDir::cleanPath(dataHome + QLatin1String("/Wordmoor"));
}

Result setUpUser(const QString &executableDir, const QString &configDir, const QString &dataHome)
{
    Result result;
    const QString iniFile = Startup::iniPath(configDir);
    const QString installed = QDir::cleanPath(executableDir + QLatin1String("/../share/wordmoor"));
    if (pathTaken(iniFile) || !QFileInfo(installed + QLatin1String("/ciku/ci1.txt")).isFile()) {
        return result;
    }

    result.installPath = userInstallPath(dataHome);
    const QString userGroups = result.installPath + QLatin1String("/ciku");
    if (!QDir().mkpath(userGroups)) {
        return failure(result, QStringLiteral("cannot create %1").arg(userGroups));
    }

    QStringList from;
    QStringList to;
    const QDir installedGroups(installed + QLatin1String("/ciku"));
    const QStringList groups =
        installedGroups.entryList({QStringLiteral("ci*.txt")}, QDir::Files, QDir::Name);
    for (const QString &name : groups) {
        from.append(installedGroups.filePath(name));
        to.append(userGroups + QLatin1Char('/') + name);
    }
    // The word material's licence and attribution travel with the copies.
    if (QFileInfo(installed + QLatin1String("/SOURCE.md")).isFile()) {
        from.append(installed + QLatin1String("/SOURCE.md"));
        to.append(result.installPath + QLatin1String("/SOURCE.md"));
    }
    for (int i = 0; i < from.size(); ++i) {
        const QString error = copyMissing(from.at(i), to.at(i), result);
        if (!error.isEmpty()) {
            return failure(result, error);
        }
    }

    if (!QDir().mkpath(configDir)) {
        return failure(result, QStringLiteral("cannot create %1").arg(configDir));
    }
    QSaveFile ini(iniFile);
    if (!ini.open(QIODevice::WriteOnly)) {
        return failure(result, ini.errorString());
    }
    ini.write("[InstallSettings]\r\nInstallPath=" + result.installPath.toUtf8() + "\r\n");
    if (!ini.commit()) {
        return failure(result, ini.errorString());
    }
    result.outcome = Result::SetUp;
    return result;
}

Result setUpUser()
{
    return setUpUser(QCoreApplication::applicationDirPath(), Startup::configDirectory(),
                     dataHome());
}

} // namespace FirstStart
