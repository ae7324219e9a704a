#include "shell/startup.h"

#include "shell/inireader.h"

#include <QDir>

namespace Startup
{

QString configDirectory()
{
    const QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
    if (!xdg.isEmpty()) {
        return QString::fromLocal8Bit(xdg).trimmed();
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
