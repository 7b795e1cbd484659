#pragma once

// The real program as the desktop tests run it: the build's quietbell beside the test binary,
// with a set wall clock (faketime preloaded into the program itself, so that the process the
// test starts, signals and waits for is the program); the clock runs on from there. And what
// a user or another program sees of it from outside: its settings file and its windows.

#include <QString>
#include <QStringList>
#include <QVariant>

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace quietbell {

// The default leaves nine minutes before the first timed reminder, whatever the real time.
inline constexpr const char* kDefaultFakeTime = "2024-03-14 10:00:20";

bool FakeTimeInstalled();
// The build's quietbell beside the test binary.
QString ProgramPath();
// The lines of the program's phrase file, as Unicode: the start-up phrase first, then the two
// lines before the rotation, then the rotation.
QStringList Phrases();
// executable: the program under another path (a link to it), or empty for ProgramPath().
ChildProcess Start(ChildProcess::Strings environment, const std::string& logFile,
                   const std::string& fakeTime = kDefaultFakeTime, const QString& executable = {});

// The start-up phrase rises and goes by itself, whatever the user does. shown tells whether its
// popup is on the screen now.
bool StartupPhraseCameAndWent(const std::function<bool()>& shown);

// A preference in the settings file under the given XDG_CONFIG_HOME.
QVariant Stored(const QString& configHome, const char* key);
void Store(const QString& configHome, const char* key, int value);

// The program reads the stored rotation position at start and writes its own when it ends. A
// test stores kStoredPosition before the run and writes another value over the program's while
// it runs: finding the program's value back after the end shows that the end saved it, however
// slowly the program started and whatever the run wrote before.
inline constexpr int kStoredPosition = 7;
void OverwritePosition(const QString& configHome);

// The program's X windows (visible ones only, or all, iconified ones included).
std::vector<unsigned long> Windows(const ChildProcess::Strings& environment, pid_t pid,
                                   bool onlyVisible = true);
// The program's windows that a taskbar lists: managed by the window manager
// (_NET_CLIENT_LIST) and not marked to skip the taskbar.
std::vector<unsigned long> TaskbarEntries(const ChildProcess::Strings& environment, pid_t pid);
// Whether the window manager keeps the window iconified (_NET_WM_STATE_HIDDEN).
bool Iconified(const ChildProcess::Strings& environment, unsigned long window);
// Whether the window asks to be treated as a dialog (_NET_WM_WINDOW_TYPE_DIALOG).
bool IsDialog(const ChildProcess::Strings& environment, unsigned long window);
// The window's name (WM_NAME or _NET_WM_NAME) as xdotool reads it.
QString WindowName(const ChildProcess::Strings& environment, unsigned long window);

// Activates the window (as a taskbar does) and types the keys into it.
bool Keys(const ChildProcess::Strings& environment, unsigned long window,
          const ChildProcess::Strings& keys);

}  // namespace quietbell
