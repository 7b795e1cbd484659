#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// Once set, ends every wait, the one in progress and all later ones, until reset.
class CManualResetEvent {
public:
    CManualResetEvent() = default;
    CManualResetEvent(const CManualResetEvent&) = delete;
    CManualResetEvent& operator=(const CManualResetEvent&) = delete;
    virtual ~CManualResetEvent() = default;

    void Set();
    void Reset();

    // True when the event was set, false when the time ran out. Tests replace the passing of
    // time here, so that an animation can be stepped frame by frame.
    virtual bool WaitFor(std::chrono::milliseconds timeout);

protected:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bSet = false;
};
