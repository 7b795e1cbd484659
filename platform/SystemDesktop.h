#pragma once

#include "platform/DesktopArea.h"

namespace platform {

// The desktop's shape as the system tells it, for DesktopArea when no test gives one: on X11
// from the monitors, the panels' struts and the tray's dock; on Windows from the work area and
// the taskbar.
class SystemDesktop {
public:
    static DesktopShape Read();
};

}  // namespace platform
