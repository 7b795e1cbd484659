#include "platform/FreedMemory.h"

#include <malloc.h>

namespace platform {

void ReturnFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#elif defined(_WIN32)
    _heapmin();
#endif
}

}  // namespace platform
