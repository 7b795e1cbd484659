#pragma once

// The XFCE panel, whose tray is a StatusNotifierItem host, on a DesktopSession's Xvfb and
// openbox (without tint2), with a private session bus. A Qt program started here registers
// its tray icon with the panel's watcher over that bus instead of docking it by XEmbed.
//
//     XfcePanelSession xfce;
//     ASSERT_TRUE(xfce.Start()) << xfce.Error();
//     StatusNotifierProbe tray(xfce.BusAddress());
//     ChildProcess program = xfce.StartProgram({...});

#include <string>

#include "ChildProcess.h"
#include "DbusDaemon.h"
#include "DesktopSession.h"

class XfcePanelSession : public DesktopSession {
public:
    XfcePanelSession();
    ~XfcePanelSession() override;

    // Starts the X server, window manager, bus and panel, and waits until the panel's tray
    // has told the watcher that it hosts items.
    bool Start() override;

    const std::string& BusAddress() const { return bus.Address(); }

private:
    bool WritePanelLayout() const;

    DbusDaemon bus;
    ChildProcess panel;
};
