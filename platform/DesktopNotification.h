#pragma once

#include <QString>

namespace platform {

// The desktop's own notification service: where the program cannot place a window of its own
// (Wayland), the phrase goes there instead of the popup. The service shows it for timeoutMs.
// False when no service took it: none is running, or it did not answer in time.
bool SendDesktopNotification(const QString& summary, const QString& body, int timeoutMs);

}  // namespace platform
