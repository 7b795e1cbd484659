#include "platform/DesktopNotification.h"

namespace platform {

// Windows lets every window place itself, so the popup always shows and no other service is
// asked.
bool SendDesktopNotification(const QString&, const QString&, int) {
    return false;
}

}  // namespace platform
