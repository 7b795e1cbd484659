#include "platform/FreedMemory.h"

#include <malloc.h>

namespace platform {

void ReturnFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

}  // namespace platform
