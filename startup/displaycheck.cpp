#include "startup/displaycheck.h"

#include <QDir>
#include <QLibraryInfo>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace DisplayCheck
{

namespace
{

bool isWayland(const QString &platform)
{
    return platform.startsWith(QLatin1String("wayland"));
}

QString waylandSocketPath(const Environment &env)
{
    const QString name =
        env.waylandDisplay.isEmpty() ? QStringLiteral("wayland-0") : env.waylandDisplay;
    if (name.startsWith(QLatin1Char('/'))) {
        return name;
    }
    return env.runtimeDir.isEmpty() ? QString() : env.runtimeDir + QLatin1Char('/') + name;
}

// A local X display (":1", "unix:1.0") is reached through its socket; a display on another
// host is left to Qt, which a quick check here could not judge.
bool xDisplayReachable(const Environment &env, const Probes &probes)
{
    const int colon = env.display.lastIndexOf(QLatin1Char(':'));
    if (colon < 0) {
        return false;
    }
    const QString host = env.display.left(colon);
    if (!host.isEmpty() && host != QLatin1String("unix")) {
        return true;
    }
    const QString number = env.display.mid(colon + 1).section(QLatin1Char('.'), 0, 0);
    const QString path = QStringLiteral("/tmp/.X11-unix/X") + number;
    return probes.socketAccepts(QLatin1Char('@') + path) || probes.socketAccepts(path);
}

// Why one platform cannot start, or an empty string when it can.
QString whyNot(const QString &platform, const Environment &env, const Probes &probes)
{
    if (isWayland(platform)) {
        if (!probes.pluginInstalled(platform)) {
            return QStringLiteral("the Wayland platform plugin is not installed (install the "
                                  "package qt6-wayland)");
        }
        if (env.waylandSocket) {
            return QString();
        }
        const QString path = waylandSocketPath(env);
        if (path.isEmpty()) {
            return QStringLiteral("no Wayland display (XDG_RUNTIME_DIR is not set)");
        }
        return probes.socketAccepts(path)
                   ? QString()
                   : QStringLiteral("no Wayland display answers at %1").arg(path);
    }
    if (platform == QLatin1String("xcb")) {
        if (env.display.isEmpty()) {
            return QStringLiteral("no X display (DISPLAY is not set)");
        }
        if (!probes.pluginInstalled(platform)) {
            return QStringLiteral("the X platform plugin is not installed (install the package "
                                  "libqt6gui6)");
        }
        return xDisplayReachable(env, probes)
                   ? QString()
                   : QStringLiteral("the X display %1 cannot be reached").arg(env.display);
    }
    return probes.pluginInstalled(platform)
               ? QString()
               : QStringLiteral("the platform plugin '%1' is not installed").arg(platform);
}

bool unixSocketAccepts(const QString &socketPath)
{
    const QByteArray path = socketPath.toLocal8Bit();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<int>(sizeof address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size());
    if (path.startsWith('@')) {
        address.sun_path[0] = '\0'; // an abstract socket: no file, no closing zero
    } else {
        length += 1;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const bool accepted = ::connect(fd, reinterpret_cast<sockaddr *>(&address), length) == 0;
    ::close(fd);
    return accepted;
}

} // namespace

Environment environmentNow(const QStringList &arguments)
{
    Environment env;
    env.qpaPlatform = qEnvironmentVariable("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("-platform") ||
            arguments[i] == QLatin1String("--platform")) {
            env.qpaPlatform = arguments[i + 1];
        }
    }
    env.waylandDisplay = qEnvironmentVariable("WAYLAND_DISPLAY");
    env.waylandSocket = !qEnvironmentVariableIsEmpty("WAYLAND_SOCKET");
    env.sessionType = qEnvironmentVariable("XDG_SESSION_TYPE");
    env.runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    env.display = qEnvironmentVariable("DISPLAY");
    return env;
}

Probes systemProbes()
{
    QStringList pluginFolders = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH")
                                    .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &path :
         qEnvironmentVariable("QT_PLUGIN_PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        pluginFolders << path + QStringLiteral("/platforms");
    }
    pluginFolders << QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms");
    Probes probes;
    probes.pluginInstalled = [pluginFolders](const QString &platform) {
        // Qt names its platform plugins libq<name>.so; every Wayland flavour comes in the
        // one package.
        const QString pattern = isWayland(platform) ? QStringLiteral("libqwayland*.so")
                                                    : QStringLiteral("libq%1.so").arg(platform);
        for (const QString &folder : pluginFolders) {
            if (!QDir(folder).entryList({pattern}, QDir::Files).isEmpty()) {
                return true;
            }
        }
        return false;
    };
    probes.socketAccepts = unixSocketAccepts;
    return probes;
}

QStringList platformsToTry(const Environment &env)
{
    QStringList platforms;
    if (!env.qpaPlatform.isEmpty()) {
        for (const QString &entry : env.qpaPlatform.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            platforms << entry.section(QLatin1Char(':'), 0, 0).trimmed();
        }
        return platforms;
    }
    if (!env.waylandDisplay.isEmpty() || env.waylandSocket ||
        env.sessionType == QLatin1String("wayland")) {
        platforms << QStringLiteral("wayland");
    }
    platforms << QStringLiteral("xcb");
    return platforms;
}

QString problem(const Environment &env, const Probes &probes)
{
    const QStringList platforms = platformsToTry(env);
    QStringList reasons;
    for (const QString &platform : platforms) {
        const QString reason = whyNot(platform, env, probes);
        if (reason.isEmpty()) {
            return QString();
        }
        reasons << reason;
    }
    if (platforms == QStringList{QStringLiteral("xcb")} && env.display.isEmpty()) {
        return QStringLiteral("no display to open a window on: neither WAYLAND_DISPLAY nor "
                              "DISPLAY is set");
    }
    return QStringLiteral("cannot open a window: ") + reasons.join(QStringLiteral("; "));
}

} // namespace DisplayCheck
