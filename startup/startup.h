#pragma once

#include <QString>

namespace Startup
{

// Where the configuration lives: XDG_CONFIG_HOME when it is an absolute path (blanks around
// it dropped), else ~/.config.
QString configDirectory();

// The INI file in the configuration directory (the directory may be empty).
QString iniPath(const QString &configDir);

// The installation folder as the program uses it: the INI value with "/" appended, or
// "empty/" when the file, section or key is missing, or "" for an empty value.
QString installPathFromIni(const QString &iniFile);

} // namespace Startup
