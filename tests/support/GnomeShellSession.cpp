#include "GnomeShellSession.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>

namespace {

using namespace std::chrono_literals;

const char* const kWaylandDisplay = "wayland-qb";
const char* const kAppIndicator = "ubuntu-appindicators@ubuntu.com";
const char* const kHarness = "harness@local";
const char* const kReadyLine = "harness: startup-complete";

const char* const kHarnessMetadata =
    R"({"uuid": "harness@local", "name": "Test harness", "description": "Lets tests run Eval", )"
    R"("shell-version": ["43"]})";

// Eval answers only in unsafe mode; the overview would cover the windows under test.
const char* const kHarnessScript = R"(const Main = imports.ui.main;
function init() {}
function enable() {
    global.context.unsafe_mode = true;
    Main.overview.hide();
    if (Main.layoutManager._startingUp)
        Main.layoutManager.connect('startup-complete', () => log('harness: startup-complete'));
    else
        log('harness: startup-complete');
}
function disable() {}
)";

bool WriteFile(const QString& path, const char* text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) >= 0;
}

bool LogHas(const std::string& path, const char* line) {
    QFile log(QString::fromStdString(path));
    return log.open(QIODevice::ReadOnly) && log.readAll().contains(line);
}

}  // namespace

GnomeShellSession::GnomeShellSession(Options options) : options(options) {}

GnomeShellSession::~GnomeShellSession() {
    // XWayland and the shell's helpers follow the shell; the buses go last.
    shell.Stop(std::chrono::seconds(5));
    sessionBus.Stop();
    systemBus.Stop();
}

Session::Variables GnomeShellSession::DesktopVariables() const {
    const bool xwayland = !display.empty();
    return {
        {"DBUS_SESSION_BUS_ADDRESS", sessionBus.Address()},
        {"DBUS_SYSTEM_BUS_ADDRESS", systemBus.Address()},
        {"DISPLAY", display},
        {"XAUTHORITY", xauthority},
        {"WAYLAND_DISPLAY", xwayland ? kWaylandDisplay : ""},
        {"QT_QPA_PLATFORM", ""},
    };
}

bool GnomeShellSession::WriteHarnessExtension() const {
    const QString extension =
        Home() + "/.local/share/gnome-shell/extensions/" + QString::fromLatin1(kHarness);
    return QDir().mkpath(extension) && WriteFile(extension + "/metadata.json", kHarnessMetadata) &&
           WriteFile(extension + "/extension.js", kHarnessScript);
}

bool GnomeShellSession::Start() {
    if (!MakeFolders())
        return false;
    if (!WriteHarnessExtension())
        return Fail("cannot write the harness extension");
    const std::string runtime = RuntimeFolder().toStdString();
    if (!systemBus.Start(runtime + "/system-bus", Environment(), LogFile("system-bus")) ||
        !sessionBus.Start(runtime + "/session-bus", Environment(), LogFile("session-bus")))
        return Fail("dbus-daemon did not start");

    // The extensions are set before the shell starts, so it enables them as it starts up.
    std::string extensions = std::string("['") + kHarness + "'";
    if (options.appIndicator)
        extensions += std::string(", '") + kAppIndicator + "'";
    extensions += "]";
    if (Run({"gsettings", "set", "org.gnome.shell", "disable-user-extensions", "false"}).exitCode !=
            0 ||
        Run({"gsettings", "set", "org.gnome.shell", "enabled-extensions", extensions}).exitCode !=
            0)
        return Fail("gsettings could not enable the extensions");

    const std::string monitor =
        std::to_string(options.monitor.width()) + "x" + std::to_string(options.monitor.height());
    shell = StartProgram({"gnome-shell", "--headless", "--wayland", "--virtual-monitor", monitor,
                          std::string("--wayland-display=") + kWaylandDisplay});
    if (!WaitFor(
            [&] { return !shell.Running() || LogHas(LogFile("gnome-shell"), kReadyLine); }, 90s) ||
        !shell.Running())
        return Fail("gnome-shell did not start up");

    // XWayland is up once the shell gives its display to the programs it starts.
    std::optional<QString> answer;
    if (!WaitFor([&] {
            answer = Eval(QStringLiteral("GLib.getenv('DISPLAY')"));
            return answer && answer->startsWith("\":");
        }))
        return Fail("XWayland did not start");
    display = answer->mid(1, answer->size() - 2).toStdString();
    const QStringList auth = QDir(RuntimeFolder())
                                 .entryList({".mutter-Xwaylandauth.*"}, QDir::Files | QDir::Hidden);
    if (auth.isEmpty())
        return Fail("XWayland wrote no authority file");
    xauthority = (RuntimeFolder() + "/" + auth.front()).toStdString();
    return true;
}

std::optional<QString> GnomeShellSession::Eval(const QString& script) const {
    const QString name = QStringLiteral("gnome-eval");
    QDBusConnection bus =
        QDBusConnection::connectToBus(QString::fromStdString(sessionBus.Address()), name);
    QDBusMessage eval = QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell"),
        QStringLiteral("org.gnome.Shell"), QStringLiteral("Eval"));
    eval << script;
    const QDBusMessage reply = bus.call(eval, QDBus::Block, 5000);
    QDBusConnection::disconnectFromBus(name);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2 ||
        !reply.arguments().at(0).toBool())
        return std::nullopt;
    return reply.arguments().at(1).toString();
}

bool GnomeShellSession::Activate(const QString& title) const {
    const QString script = QStringLiteral(
                               "const w = global.get_window_actors().map(a => a.meta_window)"
                               ".find(w => w.get_title() === %1);"
                               "if (w) w.activate(global.get_current_time()); !!w && w.has_focus()")
                               .arg("'" + title + "'");
    return Eval(script) == QStringLiteral("true");
}
