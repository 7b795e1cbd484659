#include "platform/LayeredWindows.h"

namespace platform {

bool LayeredWindows::Available() {
    return true;
}

}  // namespace platform
