#include "platform/LayeredWindows.h"

#include <QByteArray>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace platform {

namespace {

// The screen number of DISPLAY ("host:display.screen"); 0 when it names none.
int DefaultScreenNumber() {
    const QByteArray display = qgetenv("DISPLAY");
    const int colon = display.lastIndexOf(':');
    const int dot = display.indexOf('.', colon + 1);
    return dot < 0 ? 0 : display.mid(dot + 1).toInt();
}

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

bool SelectionHasOwner(xcb_connection_t* connection, const QByteArray& name) {
    ReplyPtr<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 1, name.size(), name.constData()), nullptr),
        &std::free);
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return false;
    ReplyPtr<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom),
                                      nullptr),
        &std::free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

}  // namespace

bool LayeredWindows::Available() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    // The offscreen platform answers for X11 too, but without a connection.
    if (!x11 || !x11->connection())
        return false;
    return SelectionHasOwner(x11->connection(),
                             "_NET_WM_CM_S" + QByteArray::number(DefaultScreenNumber()));
}

}  // namespace platform
