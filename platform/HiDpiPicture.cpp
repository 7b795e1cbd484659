#include "platform/HiDpiPicture.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace platform {

QString HiDpiPicture::PathFor(const QString& path, double devicePixelRatio) {
    if (devicePixelRatio <= 1.0)
        return path;
    const QFileInfo plain(path);
    const QString suffix = plain.suffix();
    const QString base = suffix.isEmpty() ? path : path.left(path.size() - suffix.size() - 1);
    const QString doubled = base + QStringLiteral("@2x") + (suffix.isEmpty() ? "" : "." + suffix);
    return QFileInfo::exists(doubled) ? doubled : path;
}

QImage HiDpiPicture::Load(const QString& path, double devicePixelRatio) {
    const QString chosen = PathFor(path, devicePixelRatio);
    QImage image(chosen);
    if (!image.isNull() && chosen != path)
        image.setDevicePixelRatio(2.0);
    return image;
}

double HiDpiPicture::DesktopRatio() {
    return qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
}

}  // namespace platform
