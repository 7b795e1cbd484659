#pragma once

// Screenshots compared with the pictures a window should show, and what the desktop and Wine
// tests read off the screen: the skin's gold, the popup's place, the rows of a menu.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QRgb>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

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

inline bool IsDark(QRgb pixel) {
    return qGray(pixel) < 100;
}

// Pixels of rect that pass test.
inline int PixelsWhere(const QImage& image, const QRect& rect, bool (*test)(QRgb)) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            count += test(image.pixel(x, y));
    return count;
}

// Pixels of rect dark enough to be ink.
inline int DarkPixels(const QImage& image, const QRect& rect) {
    return PixelsWhere(image, rect, IsDark);
}

// The gold of the popup's skin.
inline bool IsGold(const QColor& c) {
    return c.red() > 120 && c.red() > c.blue() + 60;
}

// Whether a window stands where the popup does once it has risen out of the bottom panel:
// against the work area's right side, its foot on the work area's bottom or at most one pixel
// above it.
inline bool AtWorkAreaCorner(const QRect& window, const QRect& workArea) {
    const int rise = workArea.bottom() - window.bottom();
    return window.right() == workArea.right() && rise >= 0 && rise <= 1;
}

// A row of text in a picture of a menu: its first and last line, and the darkest grey of its
// ink (0 black, 255 white), since a greyed entry is drawn lighter than the others.
struct TextRow {
    int top = 0;
    int bottom = 0;
    int ink = 255;
};

// The rows of text in a picture of a menu, top to bottom: bands of lines, a 3-pixel border
// aside, with a pixel darker than the paper (the picture's commonest colour) by more than
// contrast. Separators, a line or two high, are left out.
inline std::vector<TextRow> TextRows(const QImage& menu, int contrast) {
    std::map<QRgb, int> counts;
    for (int y = 0; y < menu.height(); ++y)
        for (int x = 0; x < menu.width(); ++x)
            ++counts[menu.pixel(x, y)];
    if (counts.empty())
        return {};
    const int paper = qGray(std::max_element(counts.begin(), counts.end(), [](auto a, auto b) {
                                return a.second < b.second;
                            })->first);
    std::vector<TextRow> rows;
    TextRow band{-1, -1, 255};
    for (int y = 3; y < menu.height() - 3; ++y) {
        int ink = 255;
        for (int x = 3; x < menu.width() - 3; ++x)
            ink = std::min(ink, qGray(menu.pixel(x, y)));
        if (ink < paper - contrast) {
            if (band.top < 0)
                band.top = y;
            band.bottom = y;
            band.ink = std::min(band.ink, ink);
            continue;
        }
        if (band.top >= 0 && band.bottom - band.top + 1 > 2)
            rows.push_back(band);
        band = TextRow{-1, -1, 255};
    }
    return rows;
}

}  // namespace screenpixels
