#include "platform/FreedMemory.h"

#include <malloc.h>

namespace platform {

void ReturnFreedMemory() {
    _heapmin();
}

}  // namespace platform
