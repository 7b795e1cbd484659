#pragma once

// GNOME Shell 43 headless: a Wayland compositor with XWayland for X programs, on a private
// session bus and a stand-in system bus (the shell asks its login manager there), with the
// tests' harness extension, which lets Eval run in the shell. With the AppIndicator
// extension the shell has a tray (a StatusNotifierItem host); without it, GNOME's default,
// it has none. Its folders, logs and child processes are a Session's.
//
//     GnomeShellSession gnome({.appIndicator = false});
//     ASSERT_TRUE(gnome.Start()) << gnome.Error();
//     ChildProcess program = gnome.StartProgram({...});   // an X program under XWayland

#include <QSize>
#include <QString>

#include <optional>
#include <string>

#include "ChildProcess.h"
#include "DbusDaemon.h"
#include "Session.h"

class GnomeShellSession : public Session {
public:
    struct Options {
        bool appIndicator = true;
        QSize monitor{1280, 800};
    };

    explicit GnomeShellSession(Options options);
    ~GnomeShellSession() override;

    // Starts the buses and the shell and waits until the shell has started up and XWayland
    // takes clients.
    bool Start() override;

    const std::string& BusAddress() const { return sessionBus.Address(); }

    // Runs JavaScript in the shell; its result as JSON, or nothing when the call failed.
    std::optional<QString> Eval(const QString& script) const;

    // Brings the window with this title to the front with the keyboard focus, a minimised one
    // too, as choosing it in the overview does (the shell ignores a client's request to).
    bool Activate(const QString& title) const;

protected:
    // The buses, and once XWayland runs its DISPLAY and XAUTHORITY beside the shell's
    // WAYLAND_DISPLAY, as a GNOME session gives them; before, none of the three, so that
    // the shell starts as a compositor of its own.
    Variables DesktopVariables() const override;

private:
    bool WriteHarnessExtension() const;

    Options options;
    DbusDaemon systemBus;
    DbusDaemon sessionBus;
    ChildProcess shell;
    std::string display;
    std::string xauthority;
};
