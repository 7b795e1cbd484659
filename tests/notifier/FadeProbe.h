#pragma once

// Looking at a fade-out image on a real screen: its own timer is held so that the test takes
// the steps, and the screen's pixels are compared with the faded picture mixed over what lies
// behind it.

#include <QApplication>
#include <QColor>
#include <QEvent>
#include <QImage>
#include <QObject>
#include <QPainter>
#include <QRect>
#include <QString>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <ostream>

#include <QCoreApplication>
#include <QPointer>

#include <gtest/gtest.h>

#include "DesktopSession.h"
#include "notifier/FadeOutWindow.h"

namespace fadeprobe {

// While it lives, the fade-out windows' own timer ticks are swallowed: the test steps them.
class HeldFadeTimers : public QObject {
public:
    HeldFadeTimers() { qApp->installEventFilter(this); }
    ~HeldFadeTimers() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        return event->type() == QEvent::Timer && qobject_cast<CFadeOutWindow*>(watched);
    }
};

inline CFadeOutWindow* VisibleFadeOutWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* fade = qobject_cast<CFadeOutWindow*>(widget);
        if (fade && fade->isVisible())
            return fade;
    }
    return nullptr;
}

// The fade-out window's place as the X server has it once it shows there; empty if it never
// shows.
inline QRect FadeOnScreen(const DesktopSession& desktop, const CFadeOutWindow& fade) {
    return DesktopSession::WaitFor([&] { return desktop.IsViewable(fade.winId()); })
               ? desktop.WindowGeometry(fade.winId())
               : QRect();
}

// A fade from full opacity takes 51 steps of 5 down to nothing, and one more that ends it.
constexpr int kFadeSteps = 255 / 5 + 1;
// Steps a fade from full opacity to about 40 % of its way: 20 of its steps, opacity 155.
constexpr int kStepsToFortyPercent = 20;
inline double OpacityAfter(int steps) {
    return (255 - 5 * steps) / 255.0;
}

// A desktop of two colours in stripes, so that what shows through can be told from the image.
class StripedBackdrop : public QWidget {
public:
    explicit StripedBackdrop(const QRect& area)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setGeometry(area);
    }

    static QColor ColourAt(int x) {
        return (x / 16) % 2 ? QColor(30, 140, 60) : QColor(40, 70, 210);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        for (int x = 0; x < width(); x += 16)
            painter.fillRect(x, 0, 16, height(), ColourAt(x + geometry().x()));
    }
};

struct BlendReport {
    int compared = 0;  // pixels where the picture and the backdrop differ clearly
    int off = 0;       // of those, pixels with a channel outside the expected mix
    QString firstOff;
    QRect offBounds;  // where the pixels off the mix lie

    bool Blended(int atLeast) const { return compared >= atLeast && off == 0; }
};

// Each channel of the screen inside area must lie between the picture's and the backdrop's and
// within tolerance levels of picture × opacity + backdrop × (1 − opacity). All three images are
// whole-screen shots; area, and the part of it to leave out, are in screen coordinates.
inline void PrintTo(const BlendReport& report, std::ostream* out) {
    const QRect& r = report.offBounds;
    *out << report.compared << " pixels compared, " << report.off << " off the mix";
    if (report.off)
        *out << " within " << r.width() << "x" << r.height() << "+" << r.x() << "+" << r.y()
             << "; first " << report.firstOff.toStdString();
}

inline BlendReport CompareBlend(const QImage& screen, const QImage& picture, const QImage& behind,
                                const QRect& area, double opacity, const QRect& leftOut = {},
                                int tolerance = 4) {
    BlendReport report;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (leftOut.contains(x, y))
                continue;
            const QRgb front = picture.pixel(x, y);
            const QRgb back = behind.pixel(x, y);
            const QRgb seen = screen.pixel(x, y);
            const int channels[3][3] = {{qRed(front), qRed(back), qRed(seen)},
                                        {qGreen(front), qGreen(back), qGreen(seen)},
                                        {qBlue(front), qBlue(back), qBlue(seen)}};
            bool distinct = false;
            bool off = false;
            for (const auto& c : channels) {
                distinct = distinct || std::abs(c[0] - c[1]) >= 60;
                const double expected = c[0] * opacity + c[1] * (1 - opacity);
                const bool between =
                    c[2] >= std::min(c[0], c[1]) - 1 && c[2] <= std::max(c[0], c[1]) + 1;
                off = off || !between || std::abs(c[2] - expected) > tolerance;
            }
            if (!distinct)
                continue;
            ++report.compared;
            if (off)
                report.offBounds |= QRect(x, y, 1, 1);
            if (off && report.off++ == 0)
                report.firstOff =
                    QString("at %1,%2 picture %3 behind %4 seen %5")
                        .arg(x)
                        .arg(y)
                        .arg(QColor(front).name(), QColor(back).name(), QColor(seen).name());
        }
    }
    return report;
}

// Pixels of area where the screen differs from what lay there before by more than a few levels.
inline int ChangedPixels(const QImage& screen, const QImage& before, const QRect& area) {
    int changed = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb a = screen.pixel(x, y);
            const QRgb b = before.pixel(x, y);
            changed += std::abs(qRed(a) - qRed(b)) > 3 || std::abs(qGreen(a) - qGreen(b)) > 3 ||
                       std::abs(qBlue(a) - qBlue(b)) > 3;
        }
    }
    return changed;
}

// The whole screen once it shows the fade's own image at full opacity over area: the image is
// a picture the program took of the screen, which a compositor may not yet show when the
// target goes. Null if the screen never shows it.
inline QImage FadePictureOnScreen(const DesktopSession& desktop, CFadeOutWindow& fade,
                                  const QImage& behind, const QRect& area) {
    QImage expected = behind.convertToFormat(QImage::Format_RGB32);
    QPainter(&expected).drawPixmap(area.topLeft(), fade.grab());
    QImage screen;
    const bool shown = DesktopSession::WaitFor(
        [&] { return ChangedPixels(screen = desktop.Screenshot(), expected, area) == 0; });
    return shown ? screen : QImage();
}

// Takes a held fade from full opacity to about 40 %, where the screen must show the picture
// mixed over what lay behind, then to its end, after which nothing of it may be left.
inline void ExpectFadeOnScreenThenNothing(const DesktopSession& desktop,
                                          QPointer<CFadeOutWindow> fade, const QImage& picture,
                                          const QImage& behind, const QRect& area) {
    for (int step = 0; step < kStepsToFortyPercent; ++step)
        fade->OnTimer();
    BlendReport blend;
    EXPECT_TRUE(DesktopSession::WaitFor([&] {
        blend = CompareBlend(desktop.Screenshot(), picture, behind, area,
                             OpacityAfter(kStepsToFortyPercent));
        return blend.Blended(area.width() * area.height() / 2);
    })) << testing::PrintToString(blend);

    for (int step = kStepsToFortyPercent; fade && step < kFadeSteps; ++step) {
        fade->OnTimer();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    ASSERT_TRUE(fade.isNull()) << "the fade ends after its last step";
    int left = 0;
    EXPECT_TRUE(DesktopSession::WaitFor([&] {
        return (left = ChangedPixels(desktop.Screenshot(), behind, area)) == 0;
    })) << left
        << " pixels of the image are left";
}

}  // namespace fadeprobe
