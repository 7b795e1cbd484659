#include "platform/SystemDesktop.h"

#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>

#include "platform/WorkAreaLayout.h"

namespace platform {

namespace {

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> Owned(Reply* reply) {
    return ReplyPtr<Reply>(reply, &std::free);
}

// The panels, struts and tray as the X server tells them, through Qt's own connection.
class XDesktop {
public:
    explicit XDesktop(xcb_connection_t* connection)
        : connection(connection),
          root(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root) {}

    QSize RootSize() const {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        return QSize(screen->width_in_pixels, screen->height_in_pixels);
    }

    std::vector<quint32> Cardinals(xcb_window_t window, const char* property, xcb_atom_t type,
                                   quint32 most) const {
        const auto reply = Owned(xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, Atom(property), type, 0, most),
            nullptr));
        if (!reply || reply->format != 32)
            return {};
        const auto* values = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
        return std::vector<quint32>(values,
                                    values + xcb_get_property_value_length(reply.get()) / 4);
    }

    QRect NetWorkArea() const {
        const auto values = Cardinals(root, "_NET_WORKAREA", XCB_ATOM_CARDINAL, 4);
        return values.size() == 4
                   ? QRect(int(values[0]), int(values[1]), int(values[2]), int(values[3]))
                   : QRect();
    }

    // The dock windows among the window manager's clients (the root's children without one).
    std::vector<std::pair<xcb_window_t, DockPanel>> Panels() const {
        std::vector<quint32> clients = Cardinals(root, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW, 1024);
        if (clients.empty())
            clients = Children(root);
        const xcb_atom_t dock = Atom("_NET_WM_WINDOW_TYPE_DOCK");
        std::vector<std::pair<xcb_window_t, DockPanel>> panels;
        for (xcb_window_t window : clients) {
            const auto types = Cardinals(window, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM, 32);
            if (std::find(types.begin(), types.end(), dock) != types.end())
                panels.emplace_back(window, DockPanel{Geometry(window), StrutOf(window), false});
        }
        return panels;
    }

    // The windows from this one up to the root's child it lies in.
    std::set<xcb_window_t> Ancestors(xcb_window_t window) const {
        std::set<xcb_window_t> chain;
        while (window != XCB_WINDOW_NONE && window != root && chain.insert(window).second) {
            const auto tree = Owned(
                xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
            window = tree ? tree->parent : xcb_window_t(XCB_WINDOW_NONE);
        }
        return chain;
    }

private:
    xcb_atom_t Atom(const char* name) const {
        const auto reply = Owned(xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    std::vector<quint32> Children(xcb_window_t window) const {
        const auto tree =
            Owned(xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
        if (!tree)
            return {};
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        return std::vector<quint32>(children,
                                    children + xcb_query_tree_children_length(tree.get()));
    }

    QRect Geometry(xcb_window_t window) const {
        const auto geometry = Owned(
            xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
        const auto origin = Owned(xcb_translate_coordinates_reply(
            connection, xcb_translate_coordinates(connection, window, root, 0, 0), nullptr));
        if (!geometry || !origin)
            return {};
        return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
    }

    Strut StrutOf(xcb_window_t window) const {
        const auto partial = Cardinals(window, "_NET_WM_STRUT_PARTIAL", XCB_ATOM_CARDINAL, 12);
        if (partial.size() == 12) {
            const auto v = [&](int i) { return int(partial[i]); };
            return Strut{v(0), v(1), v(2), v(3), v(4), v(5), v(6), v(7), v(8), v(9), v(10), v(11)};
        }
        const auto whole = Cardinals(window, "_NET_WM_STRUT", XCB_ATOM_CARDINAL, 4);
        if (whole.size() == 4)
            return Strut::WholeEdges(int(whole[0]), int(whole[1]), int(whole[2]), int(whole[3]),
                                     RootSize());
        return {};
    }

    xcb_connection_t* connection;
    xcb_window_t root;
};

// A screen's rectangle in device pixels: Qt keeps its origin and divides its size.
QRect DeviceGeometry(const QScreen* screen) {
    const QRect logical = screen->geometry();
    const double scale = screen->devicePixelRatio();
    return QRect(logical.topLeft(),
                 QSize(qRound(logical.width() * scale), qRound(logical.height() * scale)));
}

// Marks the panel that our tray icon was docked into: one of the program's windows lies
// inside it.
void MarkTrayPanel(const XDesktop& x, std::vector<std::pair<xcb_window_t, DockPanel>>& panels) {
    for (const QWindow* window : QGuiApplication::allWindows()) {
        if (!window->handle())
            continue;
        const std::set<xcb_window_t> chain = x.Ancestors(xcb_window_t(window->winId()));
        for (auto& [id, panel] : panels)
            panel.holdsTray = panel.holdsTray || chain.count(id) != 0;
    }
}

DesktopShape FromPrimaryScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QRect available = screen->availableGeometry();
    return {available, DesktopArea::EdgeOf(screen->geometry(), available),
            screen->devicePixelRatio(), screen->geometry().topLeft()};
}

DesktopShape FromXServer(xcb_connection_t* connection) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    XDesktop x(connection);
    MonitorLayout layout;
    layout.root = x.RootSize();
    for (const QScreen* screen : screens)
        layout.monitors.push_back(DeviceGeometry(screen));
    layout.primary = int(screens.indexOf(QGuiApplication::primaryScreen()));
    auto panels = x.Panels();
    MarkTrayPanel(x, panels);
    for (const auto& [id, panel] : panels)
        layout.panels.push_back(panel);
    layout.netWorkArea = x.NetWorkArea();

    const WorkAreaLayout desktop(std::move(layout));
    const int monitor = desktop.TrayMonitor();
    const QScreen* screen = screens.at(monitor);
    const QPoint origin = screen->geometry().topLeft();
    const double scale = screen->devicePixelRatio();
    return {WorkAreaLayout::ToLogical(desktop.WorkArea(monitor), origin, scale),
            desktop.Edge(monitor), scale, origin};
}

}  // namespace

DesktopShape SystemDesktop::Read() {
    // qGuiApp is a plain cast: without a GUI application it would point at the wrong type.
    auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = gui ? gui->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 && x11->connection() && !QGuiApplication::screens().isEmpty())
        return FromXServer(x11->connection());
    return FromPrimaryScreen();
}

}  // namespace platform
