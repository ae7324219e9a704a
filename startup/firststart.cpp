#include "startup/firststart.h"

#include "base/files.h"
#include "base/wholefile.h"
#include "startup/startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// Copies from into to unless to is taken; gives the error text, or an empty one. The copy is
// written whole or not at all and never replaces a file that appeared meanwhile.
QString copyMissing(const QString &from, const QString &to, Result &result)
{
    if (pathTaken(to)) {
        return QString();
    }
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        return QStringLiteral("cannot open %1: %2").arg(from, source.errorString());
    }
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError) {
        return QStringLiteral("cannot read %1: %2").arg(from, source.errorString());
    }
    // A copy of the installed file is the user's to edit or replace: it gets a new file's
    // permissions, not the installed one's.
    Files::removeWriteLeftovers(to);
    const Files::WriteResult written = Files::writeWhole(to, bytes, Files::Existing::Keep);
    if (!written.ok) {
        return written.error;
    }
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
    QString error;
    if (!Files::makePath(userGroups, &error)) {
        return failure(result, error);
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
        error = copyMissing(from.at(i), to.at(i), result);
        if (!error.isEmpty()) {
            return failure(result, error);
        }
    }

    if (!Files::makePath(configDir, &error)) {
        return failure(result, error);
    }
    Files::removeWriteLeftovers(iniFile);
    const Files::WriteResult ini = Files::writeWhole(
        iniFile, "[InstallSettings]\r\nInstallPath=" + result.installPath.toUtf8() + "\r\n",
        Files::Existing::Keep);
    if (!ini.ok) {
        return failure(result, ini.error);
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
