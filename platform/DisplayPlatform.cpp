#include "platform/DisplayPlatform.h"

#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStringList>
#include <QtGlobal>

namespace platform {

namespace {

// WAYLAND_DISPLAY is a socket name in XDG_RUNTIME_DIR, or an absolute path.
bool WaylandReachable() {
    const QString name = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (name.isEmpty())
        return false;
    const QString path =
        QDir::isAbsolutePath(name) ? name : qEnvironmentVariable("XDG_RUNTIME_DIR") + '/' + name;
    return QFileInfo::exists(path);
}

// Where Qt looks for its platform plugins: QT_PLUGIN_PATH first, then its own folder.
bool WaylandPluginInstalled() {
    QStringList folders =
        qEnvironmentVariable("QT_PLUGIN_PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    folders << QLibraryInfo::path(QLibraryInfo::PluginsPath);
    for (const QString& folder : folders) {
        if (!QDir(folder + QStringLiteral("/platforms"))
                 .entryList({QStringLiteral("*qwayland*")}, QDir::Files)
                 .isEmpty())
            return true;
    }
    return false;
}

}  // namespace

DisplayChoice ChooseDisplayPlatform(const DisplayFacts& facts) {
    if (facts.platformArgument || facts.variable == PlatformVariable::Other)
        return DisplayChoice::AsChosen;
    if (facts.x11Reachable)
        return DisplayChoice::Xcb;
    if (facts.waylandReachable && facts.waylandPlugin)
        return DisplayChoice::Wayland;
    return DisplayChoice::None;
}

PlatformVariable ReadPlatformVariable(const QString& value) {
    const QString first = value.section(';', 0, 0).trimmed();
    if (first.isEmpty())
        return PlatformVariable::Unset;
    return first.startsWith(QStringLiteral("wayland")) ? PlatformVariable::Wayland
                                                       : PlatformVariable::Other;
}

// Qt takes the word after -platform as the platform's name, and reads --platform the same way.
bool HasPlatformArgument(int argc, const char* const* argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "-platform" || argument == "--platform")
            return true;
    }
    return false;
}

DisplayFacts ReadDisplayFacts(int argc, const char* const* argv) {
    DisplayFacts facts;
    facts.platformArgument = HasPlatformArgument(argc, argv);
    facts.variable = ReadPlatformVariable(qEnvironmentVariable("QT_QPA_PLATFORM"));
    if (facts.platformArgument || facts.variable == PlatformVariable::Other)
        return facts;
    facts.x11Reachable = X11Reachable();
    facts.waylandReachable = WaylandReachable();
    facts.waylandPlugin = WaylandPluginInstalled();
    return facts;
}

QString NoDisplayMessage() {
    return QStringLiteral(
        "quietbell: found no display to show its windows on. It needs an X11 display "
        "(DISPLAY), which Wayland desktops give through Xwayland, or on a Wayland desktop "
        "without Xwayland Qt's Wayland platform plugin (Debian package qt6-wayland).");
}

}  // namespace platform
