#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "ChildProcess.h"

class DesktopSession;

// The accessibility bus of a desktop whose screen reader is on: the launcher on the session's
// bus starts the bus the program's accessible objects live on.
class AccessibilityBus {
public:
    bool Start(const DesktopSession& desktop, const std::string& sessionBus);

    // Says on the session's bus that a screen reader runs, as Orca does at its start.
    bool TurnScreenReaderOn() const;

    // Whether the registry lists an application: the program has joined the bus.
    bool HasApplication() const;

    // The launcher and the bus daemon it started end at once, as they do with the session.
    void Kill();

    // The session's environment with the session bus that carries this accessibility bus.
    const ChildProcess::Strings& Environment() const { return environment; }

private:
    std::string Address() const;
    static std::vector<pid_t> Children(pid_t parent);

    ChildProcess::Strings environment;
    ChildProcess launcher;
};
