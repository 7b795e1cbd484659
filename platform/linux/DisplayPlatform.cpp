#include "platform/DisplayPlatform.h"

#include <QByteArray>
#include <QtGlobal>

#include <xcb/xcb.h>

#include <cstdio>

namespace platform {

bool X11Reachable() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

bool PrepareDisplayPlatform(int argc, const char* const* argv) {
    switch (ChooseDisplayPlatform(ReadDisplayFacts(argc, argv))) {
        case DisplayChoice::AsChosen:
            return true;
        case DisplayChoice::Xcb:
            qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
            return true;
        case DisplayChoice::Wayland:
            qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("wayland"));
            return true;
        case DisplayChoice::None:
            break;
    }
    std::fprintf(stderr, "%s\n", qPrintable(NoDisplayMessage()));
    return false;
}

}  // namespace platform
