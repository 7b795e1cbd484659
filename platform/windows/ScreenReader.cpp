#include "platform/ScreenReader.h"

#include <windows.h>

namespace platform {

bool ScreenReaderRunning() {
    BOOL running = FALSE;
    return SystemParametersInfoW(SPI_GETSCREENREADER, 0, &running, 0) && running;
}

}  // namespace platform
