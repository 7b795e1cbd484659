#pragma once

#include <QImage>
#include <QString>

namespace platform {

// Pictures drawn twice, at 1x and at 2x (the @2x file beside the plain one, as Qt names them).
class HiDpiPicture {
public:
    // The file to read for a device pixel ratio: "name@2x.ext" beside "name.ext" above 1x when
    // it exists, else the plain one.
    static QString PathFor(const QString& path, double devicePixelRatio);
    // The picture for the ratio, its device pixel ratio set so that it paints at its 1x size.
    static QImage Load(const QString& path, double devicePixelRatio);
    // The ratio of the desktop's densest screen (1 without a GUI application).
    static double DesktopRatio();
};

}  // namespace platform
