#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Whether Qt can open a window system before QApplication is made: where none of the
// platforms Qt would try can start, Qt aborts inside QApplication's constructor with a
// generic message, so the program says what is missing itself and ends with status 1.
namespace DisplayCheck
{

struct Environment {
    QString qpaPlatform;        // QT_QPA_PLATFORM
    QString waylandDisplay;     // WAYLAND_DISPLAY
    bool waylandSocket = false; // WAYLAND_SOCKET, a connection handed over
    QString sessionType;        // XDG_SESSION_TYPE
    QString runtimeDir;         // XDG_RUNTIME_DIR
    QString display;            // DISPLAY
};

// What the check asks of the system; tests answer instead.
struct Probes {
    std::function<bool(const QString &platform)> pluginInstalled;
    std::function<bool(const QString &socketPath)> socketAccepts; // "@..." is abstract
};

// The process's environment; Qt's -platform option on the command line wins over it.
Environment environmentNow(const QStringList &arguments);
// Qt's platform plugin folders (QT_QPA_PLATFORM_PLUGIN_PATH, QT_PLUGIN_PATH, Qt's own) and
// real sockets.
Probes systemProbes();

// The platforms in the order Qt tries them: QT_QPA_PLATFORM's list, else Wayland where a
// Wayland session is announced, X where DISPLAY is set, and X as the last resort.
QStringList platformsToTry(const Environment &env);

// Empty when one of the platforms can start; otherwise one sentence saying what is missing.
QString problem(const Environment &env, const Probes &probes);

} // namespace DisplayCheck
