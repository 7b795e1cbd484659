#include "platform/DisplayOpeningGuard.h"

#include <QByteArray>
#include <QString>

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

}  // namespace

DisplayOpeningGuard::DisplayOpeningGuard() : m_previous(qInstallMessageHandler(EndOnFatal)) {
    previousHandler = m_previous;
}

DisplayOpeningGuard::~DisplayOpeningGuard() {
    qInstallMessageHandler(m_previous);
}

}  // namespace platform
