#pragma once

#include <string>

#include "ChildProcess.h"

// A private D-Bus bus for one desktop: dbus-daemon with the session bus configuration (so
// services such as dconf or xfconfd start on demand) listening on a socket of our own,
// stopped by its pid. A desktop that needs a system bus gets a second one in its place.
class DbusDaemon {
public:
    // Ready once the socket exists; false if the daemon did not come up.
    bool Start(const std::string& socketPath, const ChildProcess::Strings& environment,
               const std::string& logFile);
    void Stop() { daemon.Stop(); }
    // "unix:path=...", for DBUS_SESSION_BUS_ADDRESS or DBUS_SYSTEM_BUS_ADDRESS.
    const std::string& Address() const { return address; }

private:
    ChildProcess daemon;
    std::string address;
};
