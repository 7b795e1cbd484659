#include "platform/ScreenReader.h"

namespace platform {

// AT-SPI screen readers speak the popup's notification as it shows.
bool ScreenReaderRunning() {
    return false;
}

}  // namespace platform
