#include "platform/DisplayPlatform.h"

#include <QByteArray>
#include <QtGlobal>

namespace platform {

void PreferXcbUnderWayland() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
}

}  // namespace platform
