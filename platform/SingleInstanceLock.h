#pragma once

#include <QString>

namespace platform {

// The guard that lets one copy of the program run per user: an exclusive lock on a file
// named after the guard's name, on Windows a named mutex of that name. The system drops
// either when the process ends in any way, so a crashed run never blocks the next start.
class SingleInstanceLock {
public:
    enum class State {
        Acquired,        // this copy is the only one
        AlreadyRunning,  // another copy holds the lock
        Unavailable      // no lock could be made: run as if alone
    };

    explicit SingleInstanceLock(const QString& name);
    ~SingleInstanceLock();

    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    State state() const { return m_state; }
    // Where the lock file lies; empty when no folder could be used, and on Windows.
    QString path() const { return m_path; }

    // $XDG_RUNTIME_DIR when it is set and ours, else a private folder in the temp folder;
    // empty on Windows, whose guard is no file.
    static QString LockFolder();

private:
#ifdef _WIN32
    void* m_mutex = nullptr;
#else
    int m_fd = -1;
#endif
    State m_state = State::Unavailable;
    QString m_path;
};

}  // namespace platform
