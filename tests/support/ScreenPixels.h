#pragma once

// Screenshots compared with the pictures a window should show.

#include <QImage>
#include <QRect>
#include <QRgb>

#include <cstdlib>

namespace screenpixels {

inline bool Near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// The share of the picture's pixels outside leftOut that the screen, a shot as large as the
// picture, shows unchanged.
inline double FrameMatch(const QImage& screen, const QImage& picture, const QRect& leftOut) {
    int same = 0;
    int counted = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (leftOut.contains(x, y))
                continue;
            ++counted;
            same += Near(screen.pixel(x, y), picture.pixel(x, y), 8);
        }
    }
    return counted ? double(same) / counted : 0.0;
}

// Pixels of rect dark enough to be ink.
inline int DarkPixels(const QImage& image, const QRect& rect) {
    int dark = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            dark += qGray(image.pixel(x, y)) < 100;
    return dark;
}

}  // namespace screenpixels
