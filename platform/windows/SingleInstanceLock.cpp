#include "platform/SingleInstanceLock.h"

#include <windows.h>

namespace platform {

// A named mutex marks the running copy; the system closes it when the process ends in any
// way, so a crashed run never blocks the next start.
QString SingleInstanceLock::LockFolder() {
    return {};
}

SingleInstanceLock::SingleInstanceLock(const QString& name) {
    HANDLE mutex = CreateMutexW(nullptr, TRUE, reinterpret_cast<const wchar_t*>(name.utf16()));
    const DWORD error = GetLastError();
    if (!mutex)
        return;
    // The second copy keeps nothing: the handle it got goes at once.
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        m_state = State::AlreadyRunning;
        return;
    }
    m_mutex = mutex;
    m_state = State::Acquired;
}

SingleInstanceLock::~SingleInstanceLock() {
    if (m_mutex)
        CloseHandle(m_mutex);
}

}  // namespace platform
