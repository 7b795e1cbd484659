#pragma once

#include <QtGlobal>

namespace platform {

// Qt aborts when its platform cannot open the display, and the display can go in the moment
// between our own look at it and the QApplication's start (a session that ends right after
// login). Qt's xcb platform also reads some of the server's replies without checking them
// while it sets up the screens, and a display gone then is a segmentation fault there. While
// a guard lives, a fatal message from Qt or such a fault ends the process with status 1
// instead of a crash: nothing of the user's is open yet, so nothing is lost.
class DisplayOpeningGuard {
public:
    DisplayOpeningGuard();
    ~DisplayOpeningGuard();
    DisplayOpeningGuard(const DisplayOpeningGuard&) = delete;
    DisplayOpeningGuard& operator=(const DisplayOpeningGuard&) = delete;

private:
    QtMessageHandler m_previous;
    void (*m_previousFaultHandler)(int);
};

}  // namespace platform
