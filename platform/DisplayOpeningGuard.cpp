#include "platform/DisplayOpeningGuard.h"

#include <QByteArray>
#include <QString>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

QtMessageHandler previousHandler = nullptr;

void EndOnFatal(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        previousHandler(type, context, message);
        return;
    }
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
    std::_Exit(1);
}

// Only what is safe in a signal handler: the display is gone, nothing to write or keep.
extern "C" void EndOnFault(int) {
    std::_Exit(1);
}

}  // namespace

DisplayOpeningGuard::DisplayOpeningGuard()
    : m_previous(qInstallMessageHandler(EndOnFatal)),
      m_previousFaultHandler(std::signal(SIGSEGV, EndOnFault)) {
    previousHandler = m_previous;
}

DisplayOpeningGuard::~DisplayOpeningGuard() {
    std::signal(SIGSEGV, m_previousFaultHandler == SIG_ERR ? SIG_DFL : m_previousFaultHandler);
    qInstallMessageHandler(m_previous);
}

}  // namespace platform
