#include "platform/ExitRelease.h"

namespace platform {

// Qt's Windows platform never ends the process through exit() from under the program: a
// session's end comes as window messages to the user-interface thread, which close the
// window normally. So nothing is registered, and the release is the window's own.
ExitRelease::ExitRelease(std::function<void()> release)
    : m_release(std::move(release)), m_thread(std::this_thread::get_id()) {}

ExitRelease::~ExitRelease() = default;

}  // namespace platform
