#pragma once

namespace platform {

// Hands memory the program has freed back to the system. The allocator keeps freed small
// blocks for reuse, so after a large load that was thrown away the process would go on
// holding it for the rest of the run.
void ReturnFreedMemory();

}  // namespace platform
