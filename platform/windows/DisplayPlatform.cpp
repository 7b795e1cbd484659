#include "platform/DisplayPlatform.h"

namespace platform {

bool X11Reachable() {
    return false;
}

// Qt's one platform on Windows always has a display.
bool PrepareDisplayPlatform(int, const char* const*) {
    return true;
}

}  // namespace platform
