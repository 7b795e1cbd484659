#include "platform/LayeredWindows.h"

#include <QScreen>

namespace platform {

bool LayeredWindows::ScreenShowsWindows(const QScreen* screen) {
    // Xwayland names its outputs, and so Qt's screens, XWAYLAND0, XWAYLAND1, ...
    return !screen || !screen->name().startsWith(QLatin1String("XWAYLAND"));
}

}  // namespace platform
