#pragma once

// A fresh Wine prefix on a test desktop: WINEPREFIX in the session's temporary home, Mono's and
// Gecko's install prompts switched off, Wine's debug output too. Every program the session
// starts from then on (DesktopSession::StartProgram, Run) runs with this prefix, so
// {"wine", "C:\\...\\program.exe"} starts a Windows program on the desktop. The destructor ends
// every process of the prefix (wineserver -k); the test's ChildProcess objects reap their own.
//
//     WinePrefix wine(desktop);
//     ASSERT_TRUE(wine.Init()) << wine.Error();
//     ChildProcess program = desktop.StartProgram({"wine", "C:\\Program Files\\X\\x.exe"});
//     wine.RegistryValues("HKCU\\Software\\X");

#include <QString>

#include <map>
#include <optional>
#include <string>

class DesktopSession;

class WinePrefix {
public:
    struct RegistryValue {
        QString type;  // REG_SZ, REG_DWORD, ...
        QString data;  // as `reg query` prints it: 0x1 for a DWORD
    };
    using RegistryKey = std::map<QString, RegistryValue>;

    explicit WinePrefix(DesktopSession& desktop);
    ~WinePrefix();
    WinePrefix(const WinePrefix&) = delete;
    WinePrefix& operator=(const WinePrefix&) = delete;

    // Points the session at the prefix, starts its server and makes it (wineboot --init, about
    // 10 s).
    bool Init();
    const std::string& Error() const { return error; }

    // The Linux path of a Windows path on drive C: ("C:\\Program Files" -> <prefix>/drive_c/...).
    QString LinuxPath(const QString& windowsPath) const;
    // The values of a registry key as Wine's reg tool reads them; nothing if the key is missing.
    std::optional<RegistryKey> RegistryValues(const QString& key) const;

private:
    bool Fail(const std::string& what);

    DesktopSession& desktop;
    QString prefix;
    std::string error;
    bool made = false;
};
