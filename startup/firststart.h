#pragma once

#include <QString>
#include <QStringList>

// The first start of an installed copy: the installed tree is read-only and shared, so a
// user without a Wordmoor.INI gets a folder of their own holding copies of the bundled
// groups (records are written beside them) and an INI that points at it.
namespace FirstStart
{

struct Result {
    enum Outcome {
        NotNeeded, // an INI exists, or this copy is not installed: nothing was touched
        SetUp,     // the user folder is filled and the INI written
        Failed     // something could not be written; no INI was written
    };
    Outcome outcome = NotNeeded;
    QString installPath;     // the user folder the INI names (or would have named)
    QStringList copiedFiles; // files copied into the user folder, by their paths there
    QString error;           // for Failed: the folder or file in the way and the system's reason
};

// Where user data lives: XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
QString dataHome();

// The user folder below a data home: dataHome/Wordmoor.
QString userInstallPath(const QString &dataHome);

// Sets up the user's copy when configDir holds no Wordmoor.INI and installed groups lie
// at executableDir/../share/wordmoor/ciku/ci1.txt. Copies the installed group files (and
// SOURCE.md) into the user folder below dataHome without overwriting any file there, then
// writes the INI atomically. Never writes into the installed tree.
Result setUpUser(const QString &executableDir, const QString &configDir, const QString &dataHome);

// The same for this process: the executable's folder and the folders of the environment.
Result setUpUser();

} // namespace FirstStart
