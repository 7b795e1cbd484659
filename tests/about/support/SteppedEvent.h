#pragma once

#include "about/ManualResetEvent.h"

#include <functional>
#include <vector>

// A stop event whose time passes only when the test says so: each wait is recorded and
// lasts until Step() or until the event is set. A test can make it ignore being set, as a
// thread stuck past the stop wait would.
class CSteppedEvent : public CManualResetEvent {
public:
    explicit CSteppedEvent(std::function<void()> onDestroyed = {}, bool ignoreSet = false)
        : m_onDestroyed(std::move(onDestroyed)), m_bIgnoreSet(ignoreSet) {}
    ~CSteppedEvent() override {
        if (m_onDestroyed)
            m_onDestroyed();
    }

    bool WaitFor(std::chrono::milliseconds timeout) override {
        std::unique_lock lock(m_mutex);
        m_waits.push_back(timeout.count());
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return Released() || m_nSteps > 0; });
        if (Released())
            return true;
        --m_nSteps;
        return false;
    }

    void Step() {
        std::lock_guard lock(m_mutex);
        ++m_nSteps;
        m_changed.notify_all();
    }

    // Blocks until the animation has entered its n-th wait, with the frame drawn; false when
    // it has not within a deadline that only a fault reaches.
    [[nodiscard]] bool AwaitWait(std::size_t n) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(20),
                                  [&] { return m_waits.size() >= n; });
    }

    std::vector<long long> Waits() {
        std::lock_guard lock(m_mutex);
        return m_waits;
    }

private:
    bool Released() const { return m_bSet && !m_bIgnoreSet; }

    std::function<void()> m_onDestroyed;
    bool m_bIgnoreSet;
    int m_nSteps = 0;
    std::vector<long long> m_waits;
};
