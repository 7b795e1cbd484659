#include "platform/TerminationSignals.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QPointer>

#include <windows.h>
#include <csignal>

namespace platform {

namespace {

// Touched only on the user-interface thread.
QPointer<TerminationSignals> g_receiver;

// The console's events come on a thread of their own: the answer goes to the
// user-interface thread, where the receiver lives.
BOOL WINAPI OnConsoleEvent(DWORD) {
    if (QCoreApplication* application = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(
            application,
            [] {
                if (g_receiver)
                    emit g_receiver->received(SIGINT);
            },
            Qt::QueuedConnection);
    }
    return TRUE;
}

// The system ends the process as soon as WM_ENDSESSION has been answered, so the signal
// goes out while the message is handled. Every top-level window gets it; one signal is enough.
class SessionEnd : public QAbstractNativeEventFilter {
public:
    explicit SessionEnd(TerminationSignals* receiver) : m_receiver(receiver) {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "windows_generic_MSG" || m_ended)
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_ENDSESSION && msg->wParam) {
            m_ended = true;
            emit m_receiver->received(SIGTERM);
        }
        return false;
    }

private:
    TerminationSignals* m_receiver;
    bool m_ended = false;
};

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent), m_sessionEnd(std::make_unique<SessionEnd>(this)) {
    g_receiver = this;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
    if (QCoreApplication* application = QCoreApplication::instance())
        application->installNativeEventFilter(m_sessionEnd.get());
}

TerminationSignals::~TerminationSignals() {
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    g_receiver = nullptr;
}

}  // namespace platform
