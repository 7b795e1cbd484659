// The popup on one desktop layout per run (QB_DESKTOP_LAYOUT: two monitors, a top, left or
// right panel, scale 2 or 1.5). The slide is stepped by the test; after every step the
// popup's place is read from the X server and must lie in the work area of the monitor that
// holds the tray, clear of every panel. At rest and halfway out, the screen shows the skin's
// frame where it belongs.
#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>

#include "TestMainDesktop.h"
#include "TestPhrases.h"
#include "notifier/NotifierHost.h"
#include "notifier/TaskbarNotifier.h"

namespace {

// Slide times so long that only the test moves the popup.
constexpr unsigned kFrozen = 100000000;
constexpr QSize kSkin(233, 167);
// The rectangle the phrase is drawn in, in skin pixels.
constexpr QRect kTextRect(30, 30, 173, 107);

using Panel = DesktopSession::Panel;

// Every request this process made has reached the X server once this returns.
void SyncWithServer() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11->connection();
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

bool Near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// The share of the part's pixels outside the text that the screen shows unchanged.
double FrameMatch(const QImage& screen, const QImage& part, const QRect& text) {
    int same = 0;
    int counted = 0;
    for (int y = 0; y < part.height(); ++y) {
        for (int x = 0; x < part.width(); ++x) {
            if (text.contains(x, y))
                continue;
            ++counted;
            same += Near(screen.pixel(x, y), part.pixel(x, y), 8);
        }
    }
    return counted ? double(same) / counted : 0.0;
}

class NotifierLayoutTest : public testing::Test {
protected:
    // A tray icon of this process, docked in the panel's tray: with a panel on every monitor
    // only the icon tells which monitor the popup belongs to.
    void SetUp() override {
        QPixmap pixmap(24, 24);
        pixmap.fill(Qt::darkBlue);
        tray.setIcon(QIcon(pixmap));
        tray.show();
        const auto shown = std::chrono::steady_clock::now();
        ASSERT_TRUE(desktop.WaitFor(
            [&] {
                const QRect icon = tray.geometry();
                return !icon.isEmpty() && !desktop.TrayMonitor().intersected(icon).isEmpty();
            },
            std::chrono::seconds(30)))
            << "the icon docks on the tray's monitor";
        // For the record of how long a desktop takes, never asserted.
        RecordProperty("icon_docked_ms", int(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                 std::chrono::steady_clock::now() - shown)
                                                 .count()));
    }
    void TearDown() override { CNotifierHost::DestroyInstance(); }

    CTaskbarNotifier& Notifier() { return CNotifierHost::GetInstance()->Notifier(); }
    const DesktopSession::Options& Layout() const { return desktop.GetOptions(); }
    int Scale() const { return Layout().dpi / 96; }
    bool Fractional() const { return Layout().dpi % 96 != 0; }

    // The skin as drawn for this scale, in device pixels (none at a fractional scale).
    QImage Skin() const {
        const QString name = Scale() == 2 ? "NotifierSkin@2x.bmp" : "NotifierSkin.bmp";
        return QImage(qEnvironmentVariable("QB_SOURCE_DIR") + "/res/images/" + name)
            .convertToFormat(QImage::Format_RGB32);
    }

    // The popup as the X server has it; empty while it is not mapped.
    QRect OnScreen() {
        SyncWithServer();
        const auto id = Notifier().winId();
        return desktop.IsViewable(id) ? desktop.WindowGeometry(id) : QRect();
    }

    void ExpectClearOfThePanels(const QRect& popup, int step) {
        const QRect area = desktop.TrayMonitorWorkArea();
        EXPECT_TRUE(area.contains(popup))
            << "step " << step << ": " << popup.x() << "," << popup.y() << " " << popup.width()
            << "x" << popup.height() << " outside " << area.x() << "," << area.y() << " "
            << area.width() << "x" << area.height();
        for (const QRect& panel : panels)
            EXPECT_FALSE(panel.intersects(popup)) << "step " << step << " over a panel";
    }

    // The part of the skin a window of this size shows while it grows out of the panel's
    // edge: the side away from the panel comes first.
    QImage ShownPart(const QImage& skin, const QSize& size) const {
        switch (Layout().panel) {
            case Panel::Top:
                return skin.copy(0, skin.height() - size.height(), size.width(), size.height());
            case Panel::Left:
                return skin.copy(skin.width() - size.width(), 0, size.width(), size.height());
            case Panel::Bottom:
            case Panel::Right:
                break;
        }
        return skin.copy(QRect(QPoint(0, 0), size));
    }

    QImage ScreenPart(const QRect& rect) {
        Notifier().repaint();
        QCoreApplication::processEvents();
        SyncWithServer();
        return desktop.Screenshot(rect).convertToFormat(QImage::Format_RGB32);
    }

    DesktopSession& desktop = TheDesktop();
    QSystemTrayIcon tray;
    std::vector<QRect> panels;
};

TEST_F(NotifierLayoutTest, EveryStepStaysInTheTrayMonitorsWorkAreaAndTheFrameShowsWhereItBelongs) {
    ASSERT_TRUE(desktop.WaitFor([&] { return !desktop.PanelGeometries().empty(); }));
    panels = desktop.PanelGeometries();
    CTaskbarNotifier& popup = Notifier();
    const QImage skin = Skin();
    popup.Show(testphrases::Glory(), 600000, true, kFrozen, kFrozen);

    int step = 0;
    bool seenPartly = false;
    while (popup.Animation().GetState() != SlideAnimation::Waiting && step < 200) {
        popup.OnTimer(SlideAnimation::SlideOutTimer);
        ++step;
        const QRect shown = OnScreen();
        if (shown.isEmpty())
            continue;
        ExpectClearOfThePanels(shown, step);
        // Halfway out: the part of the skin nearest the work area shows, clipped at the edge.
        if (!seenPartly && !Fractional() && step >= 12) {
            seenPartly = true;
            const QImage part = ShownPart(skin, shown.size());
            // On a busy machine the server may show the last paint a moment later.
            double match = 0;
            DesktopSession::WaitFor([&] {
                match = FrameMatch(ScreenPart(shown), part, QRect());
                return match > 0.97;
            });
            EXPECT_GT(match, 0.97) << "step " << step;
        }
    }
    ASSERT_EQ(popup.Animation().GetState(), SlideAnimation::Waiting);
    EXPECT_TRUE(seenPartly || Fractional());

    const QRect rest = OnScreen();
    ExpectClearOfThePanels(rest, step);
    const double scale = Layout().dpi / 96.0;
    EXPECT_EQ(rest.size(), (QSizeF(kSkin) * scale).toSize());
    // In the corner of the work area by the tray: against its far side, within a step of
    // the panel (at the bottom right when the panel is at the bottom or right).
    const QRect area = desktop.TrayMonitorWorkArea();
    const int slack = int(8 * scale) + 1;
    const bool left = Layout().panel == Panel::Left;
    EXPECT_LE(left ? rest.left() - area.left() : area.right() - rest.right(), slack);
    EXPECT_LE(
        Layout().panel == Panel::Top ? rest.top() - area.top() : area.bottom() - rest.bottom(),
        slack);

    const QImage screen = ScreenPart(rest);
    if (!Fractional()) {
        // The frame, pixel for pixel as drawn for this scale: sharp, not a scaled 1x skin.
        const QRect text(kTextRect.topLeft() * Scale(), kTextRect.size() * Scale());
        EXPECT_GT(FrameMatch(screen, skin, text), 0.99);
    }
    // The phrase is drawn in the white field.
    int dark = 0;
    const QRect text(kTextRect.topLeft() * scale, kTextRect.size() * scale);
    for (int y = text.top(); y <= text.bottom(); ++y)
        for (int x = text.left(); x <= text.right(); ++x)
            dark += qGray(screen.pixel(x, y)) < 100;
    EXPECT_GT(dark, 30);

    // Without a compositor it slides back into the panel's edge, again clear of it.
    popup.Hide();
    step = 0;
    while (popup.Animation().GetState() == SlideAnimation::Disappearing && step < 200) {
        popup.OnTimer(SlideAnimation::SlideBackTimer);
        ++step;
        const QRect shown = OnScreen();
        if (!shown.isEmpty())
            ExpectClearOfThePanels(shown, step);
    }
    EXPECT_EQ(popup.Animation().GetState(), SlideAnimation::Hidden);
    EXPECT_TRUE(OnScreen().isEmpty());
}

// At scale 2 the skin is as sharp as at 1x: across the frame's left side, each hairline is one
// device pixel wide (a 1x skin scaled up would make it two), and the dark line turns to the
// white field without a blended pixel between (a smoothly scaled one would blend).
TEST_F(NotifierLayoutTest, TheFramesEdgeProfileIsAsSharpAsAtOneX) {
    if (Fractional())
        GTEST_SKIP() << "a fractional scale blends by nature";
    CTaskbarNotifier& popup = Notifier();
    popup.Show(testphrases::Glory(), 600000, true, kFrozen, kFrozen);
    while (popup.Animation().GetState() != SlideAnimation::Waiting)
        popup.OnTimer(SlideAnimation::SlideOutTimer);
    const int scale = Scale();
    const int row = 80 * scale;
    QImage screen;
    const auto count = [&](int from, int to, QRgb colour) {
        int n = 0;
        for (int x = from * scale; x < to * scale; ++x)
            n += Near(screen.pixel(x, row), colour, 8);
        return n;
    };
    // On a busy machine the server may not have the last paint yet: look until the field shows.
    DesktopSession::WaitFor([&] {
        screen = ScreenPart(OnScreen());
        return count(30, 32, qRgb(255, 255, 255)) > 0;
    });
    // The 1x skin's hairlines at x = 23 and x = 26, its dark line 28-29 and the field from 30.
    EXPECT_EQ(count(23, 24, qRgb(0x7a, 0x4f, 0x0c)), 1);
    EXPECT_EQ(count(26, 27, qRgb(0xff, 0xf3, 0xc4)), 1);
    EXPECT_EQ(count(28, 30, qRgb(0x5e, 0x3a, 0x06)), 2 * scale);
    EXPECT_EQ(count(30, 32, qRgb(255, 255, 255)), 2 * scale);
}

}  // namespace
