#include "DesktopSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QStringList>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr std::chrono::milliseconds kDesktopStartDeadline = 30s;

// One short-lived connection per question keeps the session free of Xlib state.
class XConnection {
public:
    explicit XConnection(const QString& display)
        : connection(xcb_connect(display.toLocal8Bit().constData(), nullptr)) {}
    ~XConnection() { xcb_disconnect(connection); }
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    bool Ok() const { return !xcb_connection_has_error(connection); }
    xcb_connection_t* Get() const { return connection; }
    xcb_window_t Root() const {
        return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    }

    xcb_atom_t Atom(const std::string& name) const {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(
                connection, xcb_intern_atom(connection, 1, name.size(), name.c_str()), nullptr),
            &std::free);
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

private:
    xcb_connection_t* connection;
};

// Reads the display number Xvfb writes once it accepts connections.
QString ReadDisplayNumber(int fd, std::chrono::milliseconds deadline) {
    std::string number;
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (std::chrono::steady_clock::now() < end) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, 100) <= 0)
            continue;
        char c;
        const ssize_t n = read(fd, &c, 1);
        if (n <= 0 || c == '\n')
            break;
        number += c;
    }
    return number.empty() ? QString() : ":" + QString::fromStdString(number);
}

std::vector<unsigned long> WindowIds(const std::string& output) {
    std::vector<unsigned long> ids;
    for (const QString& line : QString::fromStdString(output).split('\n', Qt::SkipEmptyParts))
        ids.push_back(line.trimmed().toULong());
    return ids;
}

}  // namespace

MappedWindows::MappedWindows(const QString& display)
    : connection(xcb_connect(display.toLocal8Bit().constData(), nullptr)) {
    if (xcb_connection_has_error(connection))
        return;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    std::free(xcb_request_check(connection, xcb_change_window_attributes_checked(
                                                connection, root, XCB_CW_EVENT_MASK, &mask)));
}

MappedWindows::~MappedWindows() {
    xcb_disconnect(connection);
}

QRect MappedWindows::Geometry(unsigned long window) const {
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
        xcb_get_geometry_reply(
            connection, xcb_get_geometry(connection, static_cast<xcb_window_t>(window)), nullptr),
        &std::free);
    return geometry ? QRect(geometry->x, geometry->y, geometry->width, geometry->height) : QRect();
}

std::vector<QRect> MappedWindows::Places() {
    if (xcb_connection_has_error(connection))
        return mapped;
    // A round trip: every event up to now has arrived once its answer has.
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
        switch (event->response_type & 0x7f) {
            case XCB_CREATE_NOTIFY: {
                const auto* e = reinterpret_cast<xcb_create_notify_event_t*>(event);
                places[e->window] = QRect(e->x, e->y, e->width, e->height);
                break;
            }
            case XCB_CONFIGURE_NOTIFY: {
                const auto* e = reinterpret_cast<xcb_configure_notify_event_t*>(event);
                places[e->window] = QRect(e->x, e->y, e->width, e->height);
                break;
            }
            case XCB_MAP_NOTIFY: {
                const auto* e = reinterpret_cast<xcb_map_notify_event_t*>(event);
                // A window made before the start: its place now, if it is still there.
                if (!places.count(e->window))
                    places[e->window] = Geometry(e->window);
                mapped.push_back(places[e->window]);
                break;
            }
        }
        std::free(event);
    }
    return mapped;
}

DesktopSession::DesktopSession(Options options) : options(options) {
    // The session folder holds each program's log; keep it for a look after a failure.
    folder.setAutoRemove(qEnvironmentVariableIsEmpty("QB_KEEP_DESKTOP_FOLDER"));
}

DesktopSession::~DesktopSession() {
    // Clients first, the server last.
    compositor.Stop();
    panel.Stop();
    windowManager.Stop();
    server.Stop();
}

bool DesktopSession::Fail(const std::string& what) {
    error = what + " on display " + display.toStdString() + " (logs in " +
            folder.path().toStdString() + ")";
    return false;
}

QString DesktopSession::Home() const {
    return folder.filePath("home");
}

std::string DesktopSession::LogFile(const char* program) const {
    return folder.filePath(QString(program) + ".log").toStdString();
}

bool DesktopSession::Start() {
    if (!folder.isValid())
        return Fail("no temporary folder");
    QDir(folder.path()).mkpath("home/.config");
    QDir(folder.path()).mkpath("runtime");
    QFile::setPermissions(folder.filePath("runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return StartServer() && SetUpMonitors() && SetUpDpi() && StartWindowManager() &&
           (!options.trayPanel || StartPanel()) && (!options.compositor || StartCompositor());
}

bool DesktopSession::StartServer() {
    // Display numbers are tried from one that depends on the pid, so that parallel sessions
    // rarely meet; a number another server holds makes Xvfb exit, and the next is tried.
    const int first = 100 + int(getpid() % 400);
    for (int number = first; number < first + 50; ++number) {
        if (StartServerOn(number))
            return true;
    }
    return Fail("Xvfb did not start");
}

bool DesktopSession::StartServerOn(int number) {
    // Xvfb names the display on this pipe once it accepts connections. Without -noreset the
    // server would start afresh whenever its last client leaves, between two questions here.
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    const std::string screen = std::to_string(options.screen.width()) + "x" +
                               std::to_string(options.screen.height()) + "x24";
    server = ChildProcess::Start(
        {"Xvfb", ":" + std::to_string(number), "-displayfd", std::to_string(fds[1]), "-screen", "0",
         screen, "-nolisten", "tcp", "-noreset", "-br", "+extension", "Composite"},
        Environment(), LogFile("Xvfb"));
    close(fds[1]);
    display = ReadDisplayNumber(fds[0], 20s);
    close(fds[0]);
    if (server.Running() && !display.isEmpty())
        return true;
    server.Stop();
    display.clear();
    return false;
}

void DesktopSession::KillServer() {
    if (server.Running())
        kill(server.Pid(), SIGKILL);
    server.Stop();
}

std::optional<DesktopSession::Options> DesktopSession::Options::Layout(const std::string& name) {
    Options o;
    if (name == "two-monitors-panel-on-primary" || name == "two-monitors-panel-on-other" ||
        name == "two-monitors-tray-on-other") {
        o.screen = QSize(2560, 800);
        o.monitors = 2;
        o.panelMonitor = name == "two-monitors-panel-on-other" ? 1 : 0;
        if (name == "two-monitors-tray-on-other") {
            o.panelMonitor = -1;
            o.trayMonitor = 1;
        }
    } else if (name == "top-panel" || name == "left-panel" || name == "right-panel") {
        o.panel = name == "top-panel"    ? Panel::Top
                  : name == "left-panel" ? Panel::Left
                                         : Panel::Right;
        o.panelHeight = o.panel == Panel::Top ? 32 : 40;
    } else if (name == "scale-2") {
        o.screen = QSize(2560, 1600);
        o.dpi = 192;
        o.panelHeight = 64;
    } else if (name == "scale-1.5") {
        o.screen = QSize(1920, 1200);
        o.dpi = 144;
        o.panelHeight = 48;
    } else if (name != "default") {
        return std::nullopt;
    }
    return o;
}

std::vector<QRect> DesktopSession::Monitors() const {
    std::vector<QRect> monitors;
    const int width = options.screen.width() / std::max(1, options.monitors);
    for (int m = 0; m < std::max(1, options.monitors); ++m)
        monitors.emplace_back(m * width, 0, width, options.screen.height());
    return monitors;
}

std::vector<QRect> DesktopSession::ServerMonitors() const {
    // " 0: +*QB1 1280/338x800/211+0+0  screen"
    const QRegularExpression line(R"(^\s*\d+: \S+ (\d+)/\d+x(\d+)/\d+\+(\d+)\+(\d+))",
                                  QRegularExpression::MultilineOption);
    std::vector<QRect> monitors;
    const QString listed = QString::fromStdString(Run({"xrandr", "--listmonitors"}).output);
    for (const QRegularExpressionMatch& m : line.globalMatch(listed))
        monitors.emplace_back(m.captured(3).toInt(), m.captured(4).toInt(), m.captured(1).toInt(),
                              m.captured(2).toInt());
    return monitors;
}

QRect DesktopSession::TrayMonitor() const {
    return Monitors().at(options.panelMonitor >= 0 ? options.panelMonitor : options.trayMonitor);
}

QRect DesktopSession::TrayMonitorWorkArea() const {
    QRect area = TrayMonitor();
    const int thickness = options.panelHeight;
    switch (options.panel) {
        case Panel::Bottom:
            return area.adjusted(0, 0, 0, -thickness);
        case Panel::Top:
            return area.adjusted(0, thickness, 0, 0);
        case Panel::Left:
            return area.adjusted(thickness, 0, 0, 0);
        case Panel::Right:
            return area.adjusted(0, 0, -thickness, 0);
    }
    return area;
}

std::vector<QRect> DesktopSession::PanelGeometries() const {
    std::vector<QRect> panels;
    for (unsigned long window : FindWindowsByClass("tint2"))
        panels.push_back(WindowGeometry(window));
    return panels;
}

// RandR monitors, so that Qt and the panel see several screens on the one Xvfb screen.
bool DesktopSession::SetUpMonitors() {
    if (options.monitors <= 1)
        return true;
    const std::vector<QRect> monitors = Monitors();
    for (std::size_t m = 0; m < monitors.size(); ++m) {
        const QRect& r = monitors[m];
        const auto millimetres = [](int pixels) { return std::to_string(pixels * 254 / 960); };
        const std::string geometry = std::to_string(r.width()) + "/" + millimetres(r.width()) +
                                     "x" + std::to_string(r.height()) + "/" +
                                     millimetres(r.height()) + "+" + std::to_string(r.x()) + "+" +
                                     std::to_string(r.y());
        // The first monitor takes the place of the screen's only output.
        if (Run({"xrandr", "--setmonitor", "QB" + std::to_string(m + 1), geometry,
                 m == 0 ? "screen" : "none"})
                .exitCode != 0)
            return Fail("xrandr did not set monitor " + std::to_string(m + 1));
    }
    if (Run({"xrandr", "--output", "screen", "--primary"}).exitCode != 0)
        return Fail("xrandr did not set the primary output");
    return true;
}

// Xft.dpi on the root window, as a desktop's settings daemon sets it for a dense screen.
bool DesktopSession::SetUpDpi() {
    if (options.dpi == 96)
        return true;
    const QString resources = folder.filePath("Xresources");
    QFile file(resources);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return Fail("cannot write the X resources");
    file.write(("Xft.dpi: " + std::to_string(options.dpi) + "\n").c_str());
    file.close();
    if (Run({"xrdb", "-merge", resources.toStdString()}).exitCode != 0)
        return Fail("xrdb did not merge Xft.dpi");
    return true;
}

bool DesktopSession::StartWindowManager() {
    windowManager = StartProgram({"openbox", "--sm-disable"});
    // Generous deadlines: on a busy machine a desktop takes far longer than its usual second.
    if (!WaitFor([this] { return SelectionOwned("WM_S0"); }, kDesktopStartDeadline))
        return Fail("openbox did not take the screen");
    return true;
}

bool DesktopSession::StartPanel() {
    const QString config = folder.filePath("tint2rc");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return Fail("cannot write the panel config");
    file.write(PanelConfig().c_str());
    file.close();
    panel = StartProgram({"tint2", "-c", config.toStdString()});
    if (!WaitFor([&] { return SelectionOwned("_NET_SYSTEM_TRAY_S0") && PanelReserved(); },
                 kDesktopStartDeadline))
        return Fail("tint2 did not reserve its strip");
    return true;
}

// One monitor: the published work area is the screen less the strip. Several: the window
// manager's one rectangle for all of them has shrunk somehow.
bool DesktopSession::PanelReserved() const {
    const QRect area = WorkArea();
    if (options.monitors > 1)
        return !area.isEmpty() && area != QRect(QPoint(0, 0), options.screen);
    return area == TrayMonitorWorkArea();
}

std::string DesktopSession::PanelConfig() const {
    const char* const positions[] = {"bottom center horizontal", "top center horizontal",
                                     "center left vertical", "center right vertical"};
    const std::string position = positions[int(options.panel)];
    const std::string monitor =
        options.panelMonitor < 0 ? "all" : std::to_string(options.panelMonitor + 1);
    return "rounded = 0\n"
           "border_width = 0\n"
           "background_color = #303030 100\n"
           "border_color = #000000 0\n"
           "panel_items = TS\n"
           "panel_monitor = " +
           monitor +
           "\n"
           "systray_monitor = " +
           std::to_string(options.trayMonitor + 1) +
           "\n"
           "panel_position = " +
           position +
           "\n"
           "panel_size = 100% " +
           std::to_string(options.panelHeight) +
           "\n"
           "panel_margin = 0 0\n"
           "panel_padding = 2 0 2\n"
           "panel_background_id = 1\n"
           "panel_layer = top\n"
           "panel_dock = 0\n"
           "wm_menu = 0\n"
           "strut_policy = follow_size\n"
           "autohide = 0\n"
           "taskbar_mode = single_desktop\n"
           "systray_padding = 2 2 2\n"
           "systray_background_id = 0\n"
           "systray_icon_size = " +
           std::to_string(24 * options.dpi / 96) + "\n";
}

bool DesktopSession::SetPanel(Panel edge) {
    panel.Stop();
    options.panel = edge;
    return StartPanel();
}

bool DesktopSession::StartCompositor() {
    compositor = StartProgram({"picom", "--backend", "xrender", "--config", "/dev/null"});
    if (!WaitFor([this] { return CompositorRunning(); }))
        return Fail("picom did not take the compositing selection");
    options.compositor = true;
    return true;
}

void DesktopSession::StopCompositor() {
    compositor.Stop();
    options.compositor = false;
    WaitFor([this] { return !CompositorRunning(); });
}

bool DesktopSession::CompositorRunning() const {
    return SelectionOwned("_NET_WM_CM_S0");
}

ChildProcess::Strings DesktopSession::Environment() const {
    std::vector<std::pair<std::string, std::string>> overrides = {
        {"DISPLAY", display.toStdString()},
        {"HOME", Home().toStdString()},
        {"XDG_CONFIG_HOME", folder.filePath("home/.config").toStdString()},
        {"XDG_DATA_HOME", folder.filePath("home/.local/share").toStdString()},
        {"XDG_RUNTIME_DIR", folder.filePath("runtime").toStdString()},
    };
    overrides.insert(overrides.end(), extraEnvironment.begin(), extraEnvironment.end());
    return ChildProcess::CurrentEnvironmentWith(overrides);
}

void DesktopSession::AddEnvironment(const std::string& name, const std::string& value) {
    extraEnvironment.emplace_back(name, value);
}

void DesktopSession::ApplyToThisProcess() const {
    for (const std::string& variable : Environment()) {
        const auto equals = variable.find('=');
        setenv(variable.substr(0, equals).c_str(), variable.substr(equals + 1).c_str(), 1);
    }
    setenv("QT_QPA_PLATFORM", "xcb", 1);
}

QRect DesktopSession::WorkArea() const {
    XConnection x(display);
    if (!x.Ok())
        return {};
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(x.Get(),
                               xcb_get_property(x.Get(), 0, x.Root(), x.Atom("_NET_WORKAREA"),
                                                XCB_ATOM_CARDINAL, 0, 4),
                               nullptr),
        &std::free);
    if (!reply || xcb_get_property_value_length(reply.get()) < 16)
        return {};
    const auto* value = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
    return QRect(int(value[0]), int(value[1]), int(value[2]), int(value[3]));
}

bool DesktopSession::SelectionOwned(const std::string& name) const {
    XConnection x(display);
    if (!x.Ok())
        return false;
    std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> reply(
        xcb_get_selection_owner_reply(x.Get(), xcb_get_selection_owner(x.Get(), x.Atom(name)),
                                      nullptr),
        &std::free);
    return reply && reply->owner != XCB_WINDOW_NONE;
}

QImage DesktopSession::Screenshot(const QRect& area) const {
    ChildProcess::Strings argv = {"import", "-window", "root"};
    if (!area.isEmpty()) {
        argv.push_back("-crop");
        argv.push_back(std::to_string(area.width()) + "x" + std::to_string(area.height()) + "+" +
                       std::to_string(area.x()) + "+" + std::to_string(area.y()));
    }
    argv.push_back("png:-");
    const ChildProcess::Result shot = Run(argv);
    return QImage::fromData(reinterpret_cast<const uchar*>(shot.output.data()),
                            int(shot.output.size()), "PNG");
}

bool DesktopSession::MoveMouse(const QPoint& where) const {
    return Run({"xdotool", "mousemove", "--sync", std::to_string(where.x()),
                std::to_string(where.y())})
               .exitCode == 0;
}

bool DesktopSession::Click(const QPoint& where, int button) const {
    return MoveMouse(where) && Run({"xdotool", "click", std::to_string(button)}).exitCode == 0;
}

std::vector<unsigned long> DesktopSession::Search(const char* field, const QString& pattern) const {
    return WindowIds(
        Run({"xdotool", "search", "--onlyvisible", field, pattern.toStdString()}).output);
}

std::vector<unsigned long> DesktopSession::FindWindows(const QString& name) const {
    return Search("--name", name);
}

std::vector<unsigned long> DesktopSession::FindWindowsByClass(const QString& className) const {
    return Search("--class", className);
}

unsigned long DesktopSession::FocusedWindow() const {
    const auto ids = WindowIds(Run({"xdotool", "getwindowfocus", "-f"}).output);
    return ids.empty() ? 0 : ids.front();
}

QRect DesktopSession::WindowGeometry(unsigned long window) const {
    XConnection x(display);
    if (!x.Ok())
        return {};
    const auto id = static_cast<xcb_window_t>(window);
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
        xcb_get_geometry_reply(x.Get(), xcb_get_geometry(x.Get(), id), nullptr), &std::free);
    std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> origin(
        xcb_translate_coordinates_reply(
            x.Get(), xcb_translate_coordinates(x.Get(), id, x.Root(), 0, 0), nullptr),
        &std::free);
    if (!geometry || !origin)
        return {};
    return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

QRect DesktopSession::FrameGeometry(unsigned long window) const {
    XConnection x(display);
    if (!x.Ok())
        return {};
    const auto client = static_cast<xcb_window_t>(window);
    xcb_window_t frame = client;
    for (;;) {
        std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
            xcb_query_tree_reply(x.Get(), xcb_query_tree(x.Get(), frame), nullptr), &std::free);
        if (!tree)
            return {};
        if (tree->parent == tree->root)
            break;
        frame = tree->parent;
    }
    if (frame == client)
        return {};
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> extents(
        xcb_get_property_reply(x.Get(),
                               xcb_get_property(x.Get(), 0, client, x.Atom("_NET_FRAME_EXTENTS"),
                                                XCB_ATOM_CARDINAL, 0, 4),
                               nullptr),
        &std::free);
    if (!extents || xcb_get_property_value_length(extents.get()) < 16)
        return {};
    // left, right, top, bottom
    const auto* side = static_cast<const quint32*>(xcb_get_property_value(extents.get()));
    const QRect framed =
        WindowGeometry(client).adjusted(-int(side[0]), -int(side[2]), int(side[1]), int(side[3]));
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> outer(
        xcb_get_geometry_reply(x.Get(), xcb_get_geometry(x.Get(), frame), nullptr), &std::free);
    if (!outer)
        return {};
    const int border = 2 * outer->border_width;
    const QRect drawn(outer->x, outer->y, outer->width + border, outer->height + border);
    return drawn == framed ? drawn : QRect();
}

bool DesktopSession::IsViewable(unsigned long window) const {
    XConnection x(display);
    if (!x.Ok())
        return false;
    std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
        xcb_get_window_attributes_reply(
            x.Get(), xcb_get_window_attributes(x.Get(), static_cast<xcb_window_t>(window)),
            nullptr),
        &std::free);
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

ChildProcess DesktopSession::StartProgram(const ChildProcess::Strings& argv) const {
    return ChildProcess::Start(argv, Environment(), LogFile(argv.front().c_str()));
}

ChildProcess::Result DesktopSession::Run(const ChildProcess::Strings& argv) const {
    return ChildProcess::Run(argv, Environment());
}

void DesktopSession::SyncWithServer() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* connection = x11->connection();
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

bool DesktopSession::WaitFor(const std::function<bool()>& condition,
                             std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(10ms);
    }
    return true;
}
