#include "startup/startup.h"

#include "startup/inireader.h"

#include <QDir>

namespace Startup
{

QString configDirectory()
{
    const QString xdg = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")).trimmed();
    // Relative and empty values are invalid by the XDG rules: a relative one would put the
    // INI below whatever folder the program was started in.
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) {
        return xdg;
    }
    return (QDir::homePath() + QLatin1String("/.config")).trimmed();
}

QString iniPath(const QString &configDir)
{
    return configDir + QLatin1String("/Wordmoor.INI");
}

QString installPathFromIni(const QString &iniFile)
{
    const Ini::ProfileValue value =
        Ini::readProfileString(iniFile, QStringLiteral("InstallSettings"),
                               QStringLiteral("InstallPath"), QStringLiteral("empty"));
    if (value.count > 0) {
        // Appended whatever the value ends with, as installers write it without one.
        return value.text + QLatin1Char('/');
    }
    return QString();
}

} // namespace Startup
