#include "WineDesktop.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringList>

#include <chrono>

WineDesktop::WineDesktop() : prefix(Home() + "/.wine") {}

WineDesktop::~WineDesktop() {
    if (!made)
        return;
    Run({"wineserver", "-k"});
    Run({"wineserver", "-w"});
}

bool WineDesktop::Start() {
    return DesktopSession::Start() && MakePrefix();
}

bool WineDesktop::MakePrefix() {
    AddEnvironment("WINEPREFIX", prefix.toStdString());
    // Without these, a fresh prefix asks to download Mono and Gecko.
    AddEnvironment("WINEDLLOVERRIDES", "mscoree,mshtml=");
    AddEnvironment("WINEDEBUG", "-all");
    made = true;
    // The server keeps its socket by the prefix folder, which must exist first.
    if (!QDir().mkpath(prefix))
        return Fail("cannot make the folder " + prefix.toStdString());
    // A persistent server, started here, holds the prefix for the whole run: one that a Wine
    // program starts inherits that program's output and ends a few seconds after the last
    // program, so every `reg query` would wait for it. Daemonised, it answers once ready.
    if (Run({"wineserver", "-p"}).exitCode != 0)
        return Fail("wineserver -p failed");
    // Wine's own services, started by wineboot, outlive it with its output; a log, not a pipe.
    ChildProcess boot = StartProgram({"wineboot", "--init"});
    if (!boot.WaitForExit(std::chrono::minutes(3)) || boot.ExitCode() != 0)
        return Fail("wineboot --init failed");
    return true;
}

QString WineDesktop::LinuxPath(const QString& windowsPath) const {
    QString path = windowsPath;
    path.replace('\\', '/');
    if (path.startsWith("C:", Qt::CaseInsensitive))
        path = prefix + "/drive_c" + path.mid(2);
    return path;
}

std::optional<WineDesktop::RegistryKey> WineDesktop::RegistryValues(const QString& key) const {
    const ChildProcess::Result result = Run({"wine", "reg", "query", key.toStdString()});
    if (result.exitCode != 0)
        return std::nullopt;
    // "    <name>    <type>    <data>", four blanks apart; names hold single blanks.
    static const QRegularExpression line("^    (.+?)    (REG_[A-Z_]+)(?:    (.*))?$");
    RegistryKey values;
    for (QString text : QString::fromStdString(result.output).split('\n')) {
        text.remove('\r');
        const QRegularExpressionMatch match = line.match(text);
        if (match.hasMatch())
            values[match.captured(1)] = {match.captured(2), match.captured(3)};
    }
    return values;
}
