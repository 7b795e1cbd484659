#include "about/ManualResetEvent.h"

void CManualResetEvent::Set() {
    std::lock_guard lock(m_mutex);
    m_bSet = true;
    m_changed.notify_all();
}

void CManualResetEvent::Reset() {
    std::lock_guard lock(m_mutex);
    m_bSet = false;
}

bool CManualResetEvent::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this] { return m_bSet; });
}
