#pragma once

// GNOME Shell 43 headless: a Wayland compositor with XWayland for X programs, on a private
// session bus and a stand-in system bus (the shell asks its login manager there), with the
// tests' harness extension, which lets Eval run in the shell. With the AppIndicator
// extension the shell has a tray (a StatusNotifierItem host); without it, GNOME's default,
// it has none. HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR point into a temporary folder;
// every process started here is stopped by its own pid.
//
//     GnomeShellSession gnome({.appIndicator = false});
//     ASSERT_TRUE(gnome.Start()) << gnome.Error();
//     ChildProcess program = gnome.StartProgram({...});   // an X program under XWayland

#include <QSize>
#include <QString>
#include <QTemporaryDir>

#include <optional>
#include <string>

#include "ChildProcess.h"
#include "DbusDaemon.h"

class GnomeShellSession {
public:
    struct Options {
        bool appIndicator = true;
        QSize monitor{1280, 800};
    };

    explicit GnomeShellSession(Options options);
    ~GnomeShellSession();
    GnomeShellSession(const GnomeShellSession&) = delete;
    GnomeShellSession& operator=(const GnomeShellSession&) = delete;

    // Starts the buses and the shell and waits until the shell has started up and XWayland
    // takes clients.
    bool Start();
    const std::string& Error() const { return error; }

    QString Home() const;
    QString ConfigHome() const;
    const std::string& BusAddress() const { return sessionBus.Address(); }
    // For programs: the buses, the folders, and XWayland's DISPLAY and XAUTHORITY beside the
    // shell's WAYLAND_DISPLAY, as a GNOME session gives them.
    ChildProcess::Strings Environment() const;

    // Runs JavaScript in the shell; its result as JSON, or nothing when the call failed.
    std::optional<QString> Eval(const QString& script) const;

    // Brings the window with this title to the front with the keyboard focus, a minimised one
    // too, as choosing it in the overview does (the shell ignores a client's request to).
    bool Activate(const QString& title) const;

    ChildProcess StartProgram(const ChildProcess::Strings& argv) const;
    ChildProcess::Result Run(const ChildProcess::Strings& argv) const;

private:
    bool Fail(const std::string& what);
    bool WriteHarnessExtension() const;
    ChildProcess::Strings ShellEnvironment() const;
    std::string LogFile(const char* program) const;

    Options options;
    QTemporaryDir folder;
    std::string error;
    DbusDaemon systemBus;
    DbusDaemon sessionBus;
    ChildProcess shell;
    std::string display;
    std::string xauthority;
};
