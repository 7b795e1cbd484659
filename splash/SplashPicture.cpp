#include "splash/SplashPicture.h"

#include "platform/RegularFile.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QRect>

#include "platform/HiDpiPicture.h"

namespace {

// A picture without a stored resolution is taken at 96 dots per inch.
constexpr int kDefaultDotsPerMeter = 3780;
constexpr long kHimetricPerMeter = 100000;

long ToHimetric(int pixels, int dotsPerMeter) {
    if (dotsPerMeter <= 0)
        dotsPerMeter = kDefaultDotsPerMeter;
    return static_cast<long>(pixels) * kHimetricPerMeter / dotsPerMeter;
}

}  // namespace

CSplashPicture::CSplashPicture(const QString& path, int stretch) : stretch(stretch) {
    // On a dense screen the picture drawn at 2x, stretched over the same rectangle.
    QFile file;
    if (!platform::OpenRegularFile(
            file, platform::HiDpiPicture::PathFor(path, platform::HiDpiPicture::DesktopRatio())))
        return;
    QImageReader reader(&file);
    QImage image = reader.read();
    if (image.isNull())
        return;
    picture = std::move(image);
    hmWidth = ToHimetric(picture.width(), picture.dotsPerMeterX());
    hmHeight = ToHimetric(picture.height(), picture.dotsPerMeterY());
}

CSplashPicture::~CSplashPicture() {
    picture = QImage();
    hmWidth = 0;
    hmHeight = 0;
}

void CSplashPicture::Draw(QPainter& painter, const QRect& rect) const {
    if (rect.isEmpty() || picture.isNull())
        return;
    painter.drawImage(rect, picture);
}
