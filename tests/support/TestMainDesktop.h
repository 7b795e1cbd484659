#pragma once

#include "DesktopSession.h"

// The desktop the test binary runs on, started by its main before the QApplication.
DesktopSession& TheDesktop();
