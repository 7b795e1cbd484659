#pragma once

#include <functional>
#include <thread>

namespace platform {

// A release step for a process that ends through exit() while the object lives instead of
// returning from main: Qt's X11 plugin and Xlib call exit(1) as soon as the display goes away
// (a crashed or closed X server, a session that ends without a signal), at any moment of the
// run, even while windows are being destroyed. The step runs on the thread that made the
// guard, after exit() has already destroyed that thread's own storage, so it must touch no
// window or other object of the window system. The process then ends at once with the status
// exit() was given, since the rest of the teardown would destroy objects under the display's
// reader thread and the About picture's drawing thread, which still run.
// One object at a time; a normal return from main finds it gone and changes nothing.
class ExitRelease {
public:
    explicit ExitRelease(std::function<void()> release);
    ~ExitRelease();
    ExitRelease(const ExitRelease&) = delete;
    ExitRelease& operator=(const ExitRelease&) = delete;

private:
    static void OnExit(int status, void* argument);

    std::function<void()> m_release;
    std::thread::id m_thread;
};

}  // namespace platform
