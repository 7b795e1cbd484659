#pragma once

// The tests' Xvfb + openbox + tint2 desktop with a fresh Wine prefix: WINEPREFIX in the
// session's home, Mono's and Gecko's install prompts switched off, Wine's debug output too.
// Every program the session starts (StartProgram, Run) runs with this prefix, so
// {"wine", "C:\\...\\program.exe"} starts a Windows program on the desktop. The destructor ends
// every process of the prefix (wineserver -k) before the desktop goes; the test's ChildProcess
// objects reap their own.
//
//     WineDesktop wine;
//     ASSERT_TRUE(wine.Start()) << wine.Error();
//     ChildProcess program = wine.StartProgram({"wine", "C:\\Program Files\\X\\x.exe"});
//     wine.RegistryValues("HKCU\\Software\\X");

#include <QString>

#include <map>
#include <optional>
#include <string>

#include "DesktopSession.h"

class WineDesktop : public DesktopSession {
public:
    struct RegistryValue {
        QString type;  // REG_SZ, REG_DWORD, ...
        QString data;  // as `reg query` prints it: 0x1 for a DWORD
    };
    using RegistryKey = std::map<QString, RegistryValue>;

    WineDesktop();
    ~WineDesktop() override;

    // Starts the desktop, then the prefix's server, and makes the prefix (wineboot --init,
    // about 10 s).
    bool Start() override;

    // The Linux path of a Windows path on drive C: ("C:\\Program Files" -> <prefix>/drive_c/...).
    QString LinuxPath(const QString& windowsPath) const;
    // The values of a registry key as Wine's reg tool reads them; nothing if the key is missing.
    std::optional<RegistryKey> RegistryValues(const QString& key) const;

private:
    bool MakePrefix();

    QString prefix;
    bool made = false;
};
