#pragma once

#include <QByteArray>
#include <QString>

namespace Ini
{

struct ProfileValue {
    QString text;  // the value, or the default when the file, section or key is missing
    int count = 0; // characters in text; 0 for an empty value
};

// Reads one value from an INI file the way Windows' profile reader does: section and key
// names match case-insensitively, the first match wins, blanks around the value and one
// pair of matching quotes are dropped, lines starting with ';' are comments. The file is
// read as UTF-8.
ProfileValue readProfileString(const QString &iniPath, const QString &section, const QString &key,
                               const QString &defaultText);

// The same on the file's bytes.
ProfileValue readProfileStringFromBytes(const QByteArray &iniBytes, const QString &section,
                                        const QString &key, const QString &defaultText);

} // namespace Ini
