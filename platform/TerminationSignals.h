#pragma once

#include <QObject>

#include <memory>

class QAbstractNativeEventFilter;
class QSocketNotifier;

namespace platform {

// Turns SIGTERM, SIGINT and SIGHUP (a logout, a kill, Ctrl+C) into a Qt signal on the
// user-interface thread, so the program can close normally and save what it keeps.
// The handler only writes the signal number into a pipe; everything else happens in the
// event loop. One object at a time; the previous handlers come back when it goes.
// On Windows the same signal tells of the end of the session (WM_ENDSESSION, as SIGTERM,
// before the system ends the process) and of the console's Ctrl+C, Ctrl+Break and close
// (as SIGINT).
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signalNumber);

private:
#ifdef _WIN32
    std::unique_ptr<QAbstractNativeEventFilter> m_sessionEnd;
#else
    void ReadPending();

    std::unique_ptr<QSocketNotifier> m_notifier;
#endif
};

}  // namespace platform
