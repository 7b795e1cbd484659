#pragma once

// The desktop services that say whether the user is busy, stood in for on a test's own session
// bus by tests/support/busy-stand-in.py (Debian's python3 with GLib's D-Bus): the screensaver's
// GetActive and, on request, the notification server's Inhibited (KDE's do-not-disturb). It
// counts the screensaver's questions, which the program asks first at each look.
//
//     BusyStandIn standIn;
//     ASSERT_TRUE(standIn.Start(bus.Address(), desktop.Environment(), log, true));
//     standIn.Set("inhibited", true);
//     DesktopSession::WaitFor([&] { return standIn.Asked() >= 2; });

#include <QString>

#include <string>

#include "ChildProcess.h"

class BusyStandIn {
public:
    BusyStandIn();
    ~BusyStandIn();
    BusyStandIn(const BusyStandIn&) = delete;
    BusyStandIn& operator=(const BusyStandIn&) = delete;

    // Ready once it answers on the bus.
    bool Start(const std::string& busAddress, const ChildProcess::Strings& environment,
               const std::string& logFile, bool notifications);
    // "active" (the screensaver), "inhibited" (do-not-disturb), or "slow" (the screensaver
    // answers a second late).
    bool Set(const char* state, bool on) const;
    // How often the program asked the screensaver; -1 when the stand-in does not answer.
    int Asked() const;

private:
    ChildProcess process;
    QString connectionName;
};
