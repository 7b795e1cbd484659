#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace platform {

// Opening a document or link the way the desktop does, with results as the shell's codes:
// above 32 means the target was opened. Programs run with an argument vector, never
// through a shell, so nothing in a target is ever read as a command. Nothing here waits on
// a program: its answer comes later from the event loop, and only while the context object
// that asked still exists.
class ShellOpen {
public:
    static constexpr int kOpened = 42;
    static constexpr int kStarted = 33;
    static constexpr int kFileNotFound = 2;
    static constexpr int kAccessDenied = 5;
    // A handler still running after this long has opened the target and is left to run.
    static constexpr int kOpenWaitMs = 10000;

    // xdg-open with the target as its one argument (on Windows the shell's own open); done
    // gets the result code.
    static void Open(const QString& target, QObject* context, std::function<void(int)> done);

    // The Exec line of the desktop's default text/html handler (xdg-mime), unescaped; on
    // Windows the open command of the class ".htm" files belong to.
    static void HtmlHandlerCommand(QObject* context,
                                   std::function<void(std::optional<QString>)> done);

    // Starts the program arguments[0] with the rest as its arguments and does not wait for
    // it: kStarted, or kFileNotFound when it cannot be found, kAccessDenied when it cannot be
    // run. The same on every system.
    static int Run(const QStringList& arguments);

    // xdg-open's exit status as the shell's result code (not on Windows, whose shell gives one).
    static int ResultForExitStatus(int status);
};

}  // namespace platform
