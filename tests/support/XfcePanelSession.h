#pragma once

// The XFCE panel, whose tray is a StatusNotifierItem host, on the DesktopSession's Xvfb and
// openbox, with a private session bus. A Qt program started here with its environment
// registers its tray icon with the panel's watcher over that bus instead of docking it by
// XEmbed.
//
//     XfcePanelSession xfce;
//     ASSERT_TRUE(xfce.Start()) << xfce.Error();
//     StatusNotifierProbe tray(xfce.BusAddress());
//     ChildProcess program = xfce.Desktop().StartProgram({...});

#include <string>

#include "ChildProcess.h"
#include "DbusDaemon.h"
#include "DesktopSession.h"

class XfcePanelSession {
public:
    XfcePanelSession();

    // Starts the bus, X server, window manager and panel, and waits until the panel's tray
    // has told the watcher that it hosts items.
    bool Start();
    const std::string& Error() const { return error; }

    DesktopSession& Desktop() { return desktop; }
    const DesktopSession& Desktop() const { return desktop; }
    const std::string& BusAddress() const { return bus.Address(); }

private:
    bool Fail(const std::string& what);
    bool WritePanelLayout() const;

    DbusDaemon bus;
    DesktopSession desktop;
    ChildProcess panel;
    std::string error;
};
