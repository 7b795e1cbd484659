#pragma once

// What every test desktop shares, whatever starts it: a temporary folder with the session's
// home (home/, home/.config) and private runtime folder (runtime/), a log per program started
// there (<folder>/<program>.log), the environment its programs get, and waiting for a state.
// HOME, XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_RUNTIME_DIR point into the folder; every process started
// here is stopped by its own pid when the session ends. Set QB_KEEP_DESKTOP_FOLDER=1 to keep
// the folder after the run.
//
// A kind of desktop starts its programs in Start() and says in Environment() what programs
// run under it need beyond the folders (DesktopSession: Xvfb + openbox + tint2;
// XfcePanelSession; GnomeShellSession; WineDesktop).

#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ChildProcess.h"

class Session {
public:
    using Variables = std::vector<std::pair<std::string, std::string>>;

    virtual ~Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Starts the desktop's programs and waits until all are ready.
    virtual bool Start() = 0;
    // What went wrong in the last failed call.
    const std::string& Error() const { return error; }

    QString Home() const;
    QString ConfigHome() const;
    // The current environment with the session's folders, the desktop's own variables and
    // those added here: what every program started here gets.
    ChildProcess::Strings Environment() const;
    // One more variable for every program started here (a D-Bus address, ...).
    void AddEnvironment(const std::string& name, const std::string& value);

    // Starts a program under this desktop; its output goes to a log in the session folder.
    ChildProcess StartProgram(const ChildProcess::Strings& argv) const;
    // Runs a command under this desktop to its end.
    ChildProcess::Result Run(const ChildProcess::Strings& argv) const;

    // Polls condition until it holds or the deadline passes, handling Qt events in between
    // when an application object exists.
    static bool WaitFor(const std::function<bool()>& condition,
                        std::chrono::milliseconds deadline = std::chrono::seconds(10));
    // Waits until something is gone for good: absent through a whole second, as a window
    // that is being moved can be missed by one look.
    static bool WaitForGone(const std::function<bool()>& present,
                            std::chrono::milliseconds deadline = std::chrono::seconds(30));

protected:
    Session();

    // Makes the home and the private runtime folder: the first step of every Start().
    bool MakeFolders();
    // Records what went wrong, with where the logs are; returns false.
    bool Fail(const std::string& what);
    std::string LogFile(const char* program) const;
    QString FolderPath(const QString& name) const { return folder.filePath(name); }
    QString RuntimeFolder() const { return FolderPath("runtime"); }

    // The desktop's variables beyond the folders (DISPLAY, the buses, ...); an empty value
    // removes one.
    virtual Variables DesktopVariables() const = 0;
    // Where the session is, for error messages (" on display :101").
    virtual std::string Where() const { return {}; }

private:
    QTemporaryDir folder;
    std::string error;
    Variables added;
};
