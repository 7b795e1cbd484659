#pragma once

#include <QString>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// Files that are not regular files, made where a test's code under test looks for one. Each
// maker fails the test when the system did not make the file, so that a refusal of a file
// that was never there cannot pass for the refusal of the special file; call it inside
// ASSERT_NO_FATAL_FAILURE where the test must stop then.
namespace specialfiles {

void MakeNamedPipe(const QString& path);
// A socket's file, left behind when the socket goes.
void MakeSocketFile(const QString& path);
void MakeLink(const QString& target, const QString& path);

// Bounds a wait on a named pipe that nobody writes into. Should anything still wait to open a
// named pipe in the folder (or reached through a link there) when the deadline passes, the
// pipe gets a writer for a moment, so that the wait ends, and the test fails when this object
// goes: a fault costs the deadline, not CTest's timeout.
class PipeWaitDeadline {
public:
    explicit PipeWaitDeadline(const QString& folder,
                              std::chrono::milliseconds deadline = std::chrono::seconds(20));
    ~PipeWaitDeadline();
    PipeWaitDeadline(const PipeWaitDeadline&) = delete;
    PipeWaitDeadline& operator=(const PipeWaitDeadline&) = delete;

private:
    void Watch(std::chrono::milliseconds deadline);
    QString ReleaseWaitingReaders() const;

    const QString folder;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    QString released;  // the pipes whose readers had to be let go
    std::thread watcher;
};

}  // namespace specialfiles
