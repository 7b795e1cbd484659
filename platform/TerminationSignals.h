#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace platform {

// Turns SIGTERM, SIGINT and SIGHUP (a logout, a kill, Ctrl+C) into a Qt signal on the
// user-interface thread, so the program can close normally and save what it keeps.
// The handler only writes the signal number into a pipe; everything else happens in the
// event loop. One object at a time; the previous handlers come back when it goes.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signalNumber);

private:
    void ReadPending();

    std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace platform
