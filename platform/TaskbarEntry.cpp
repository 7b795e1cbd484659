#include "platform/TaskbarEntry.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

#ifdef Q_OS_LINUX
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#elif defined(Q_OS_WIN)
#include <windows.h>
#endif

namespace platform {

#ifdef Q_OS_LINUX
namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, std::char_traits<char>::length(name), name),
            nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

}  // namespace
#endif

void TaskbarEntry::Suppress(QWindow* window) {
    if (!window)
        return;
    new TaskbarEntry(window);
    MarkSkipTaskbar(window);
}

TaskbarEntry::TaskbarEntry(QWindow* window) : QObject(window) {
    window->installEventFilter(this);
}

bool TaskbarEntry::eventFilter(QObject* watched, QEvent* event) {
    // The show event comes before the window is mapped, while the state is still ours to set.
    if (event->type() == QEvent::Show)
        MarkSkipTaskbar(static_cast<QWindow*>(watched));
    return false;
}

void TaskbarEntry::MarkSkipTaskbar(QWindow* window) {
#ifdef Q_OS_LINUX
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* connection = x11->connection();
    // Replaced while unmapped: Qt merges its own states (above, modal) into it as it maps.
    const xcb_atom_t states[] = {Atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                 Atom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE,
                        static_cast<xcb_window_t>(window->winId()),
                        Atom(connection, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 2, states);
    xcb_flush(connection);
#elif defined(Q_OS_WIN)
    // A tool window has no taskbar button; an app window would get one whatever its style.
    const auto handle = reinterpret_cast<HWND>(window->winId());
    const LONG_PTR style = GetWindowLongPtrW(handle, GWL_EXSTYLE);
    SetWindowLongPtrW(handle, GWL_EXSTYLE, (style | WS_EX_TOOLWINDOW) & ~WS_EX_APPWINDOW);
#else
    Q_UNUSED(window);
#endif
}

}  // namespace platform
