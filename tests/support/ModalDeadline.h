#pragma once

#include <QStringList>
#include <QTimer>

#include <chrono>

// Closes, at the deadline, any popup menu or modal dialog still open, so that a test whose
// menu or dialog never closes fails there instead of hanging in its event loop until CTest's
// timeout. The test fails when the object goes if anything had to be closed.
class ModalDeadline {
public:
    explicit ModalDeadline(std::chrono::milliseconds deadline = std::chrono::seconds(20));
    ~ModalDeadline();
    ModalDeadline(const ModalDeadline&) = delete;
    ModalDeadline& operator=(const ModalDeadline&) = delete;

private:
    void CloseWhatIsOpen();

    QTimer timer;
    QStringList closed;
};
