// The popup on one desktop layout per run (QB_DESKTOP_LAYOUT: two monitors, a top, left or
// right panel, scale 2 or 1.5). The slide is stepped by the test; after every step the
// popup's place is read from the X server and must lie in the work area of the monitor that
// holds the tray, clear of every panel. At rest and halfway out, the screen shows the skin's
// frame where it belongs, as the popup painted it by itself.
#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

#include "ScreenPixels.h"
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
// Every step moves the popup by a pixel at least, so no slide takes more steps than this.
constexpr int kMostSteps = std::max(kSkin.width(), kSkin.height()) + 1;

// One line of the frame's left side along row kProfileRow of the 1x skin, [from, to) in its
// pixels: hairlines at x = 23 and x = 26, the dark line at 28-29, then the white field.
struct FrameLine {
    int from;
    int to;
    QRgb colour;
    const char* name;
};
constexpr int kProfileRow = 80;
constexpr int kProfileEnd = 32;
constexpr FrameLine kLeftSide[] = {
    {23, 24, qRgb(0x7a, 0x4f, 0x0c), "outer hairline"},
    {26, 27, qRgb(0xff, 0xf3, 0xc4), "inner hairline"},
    {28, 30, qRgb(0x5e, 0x3a, 0x06), "dark line"},
    {30, 32, qRgb(0xff, 0xff, 0xff), "white field"},
};

using Panel = DesktopSession::Panel;
using screenpixels::DarkPixels;
using screenpixels::FrameMatch;
using screenpixels::Near;

// Pixels of the row, from x = from to before x = to, near the colour.
int CountNear(const QImage& image, int row, int from, int to, QRgb colour) {
    int n = 0;
    for (int x = from; x < to; ++x)
        n += Near(image.pixel(x, row), colour, 8);
    return n;
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
        // With two monitors the corner a program that ignores RandR would pick may be the
        // right one too: Qt and the X server must both see the monitors the layout sets up.
        if (Layout().monitors > 1) {
            ASSERT_EQ(desktop.ServerMonitors(), desktop.Monitors());
            ASSERT_EQ(QtScreens(), desktop.Monitors());
        }
        // For the record of how long a desktop takes, never asserted.
        RecordProperty("icon_docked_ms", int(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                 std::chrono::steady_clock::now() - shown)
                                                 .count()));
    }
    void TearDown() override { CNotifierHost::DestroyInstance(); }

    CTaskbarNotifier& Notifier() { return CNotifierHost::GetInstance()->Notifier(); }
    const DesktopSession::Options& Layout() const { return desktop.GetOptions(); }
    double Scale() const { return Layout().dpi / 96.0; }
    bool Fractional() const { return Layout().dpi % 96 != 0; }
    // The skin picture drawn at this scale: the 2x one on any denser screen.
    int SkinRatio() const { return Layout().dpi > 96 ? 2 : 1; }

    QImage Skin() const {
        const QString name = SkinRatio() == 2 ? "NotifierSkin@2x.bmp" : "NotifierSkin.bmp";
        return QImage(qEnvironmentVariable("QB_SOURCE_DIR") + "/res/images/" + name)
            .convertToFormat(QImage::Format_RGB32);
    }

    // Qt's screens, left to right; at the two-monitor layouts' 96 dpi in device pixels.
    static std::vector<QRect> QtScreens() {
        std::vector<QRect> screens;
        for (const QScreen* screen : QGuiApplication::screens())
            screens.push_back(screen->geometry());
        std::sort(screens.begin(), screens.end(),
                  [](const QRect& a, const QRect& b) { return a.x() < b.x(); });
        return screens;
    }

    // Steps the slide's timer until the animation reaches the state, calling afterStep with
    // the popup's place on the server after each step; false when kMostSteps do not get there.
    bool StepUntil(SlideAnimation::Timer timer, SlideAnimation::State state,
                   const std::function<void(const QRect& shown, int step)>& afterStep = {}) {
        for (int step = 1; step <= kMostSteps; ++step) {
            Notifier().OnTimer(timer);
            if (afterStep)
                afterStep(OnScreen(), step);
            if (Notifier().Animation().GetState() == state)
                return true;
        }
        return false;
    }

    // The popup as the X server has it; empty while it is not mapped.
    QRect OnScreen() {
        DesktopSession::SyncWithServer();
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

    // The screen as the X server has it. The popup paints in its own time (while WaitFor
    // handles events), so callers look until it shows what they expect.
    QImage ScreenPart(const QRect& rect) const {
        return desktop.Screenshot(rect).convertToFormat(QImage::Format_RGB32);
    }

    DesktopSession& desktop = TheDesktop();
    QSystemTrayIcon tray;
    std::vector<QRect> panels;
};

TEST_F(NotifierLayoutTest, EveryStepStaysInTheTrayMonitorsWorkAreaAndTheFrameShowsWhereItBelongs) {
    // A panel on every monitor, or on one.
    const auto panelCount = std::size_t(Layout().panelMonitor < 0 ? Layout().monitors : 1);
    ASSERT_TRUE(desktop.WaitFor([&] { return desktop.PanelGeometries().size() == panelCount; }));
    panels = desktop.PanelGeometries();
    CTaskbarNotifier& popup = Notifier();
    const QImage skin = Skin();
    popup.Show(testphrases::Glory(), 600000, true, kFrozen, kFrozen);

    bool seenPartly = false;
    const auto checkStep = [&](const QRect& shown, int step) {
        if (shown.isEmpty())
            return;
        ExpectClearOfThePanels(shown, step);
        // Halfway out: the part of the skin nearest the work area shows, clipped at the edge.
        if (seenPartly || Fractional() || step < 12)
            return;
        seenPartly = true;
        const QImage part = ShownPart(skin, shown.size());
        double match = 0;
        DesktopSession::WaitFor([&] {
            match = FrameMatch(ScreenPart(shown), part, QRect());
            return match > 0.97;
        });
        EXPECT_GT(match, 0.97) << "step " << step;
    };
    ASSERT_TRUE(StepUntil(SlideAnimation::SlideOutTimer, SlideAnimation::Waiting, checkStep))
        << "the slide out ends";
    EXPECT_TRUE(seenPartly || Fractional());

    const QRect rest = OnScreen();
    ExpectClearOfThePanels(rest, 0);
    const double scale = Scale();
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

    // The frame, pixel for pixel as drawn for this scale (sharp, not a scaled 1x skin; at a
    // fractional scale no picture is drawn pixel for pixel), and the phrase in the white field.
    const bool pixelForPixel = !Fractional();
    const QRect frameText(kTextRect.topLeft() * SkinRatio(), kTextRect.size() * SkinRatio());
    const QRect text(kTextRect.topLeft() * scale, kTextRect.size() * scale);
    double frame = 0;
    int dark = 0;
    DesktopSession::WaitFor([&] {
        const QImage screen = ScreenPart(rest);
        frame = pixelForPixel ? FrameMatch(screen, skin, frameText) : 0;
        dark = DarkPixels(screen, text);
        return (!pixelForPixel || frame > 0.99) && dark > 30;
    });
    if (pixelForPixel) {
        EXPECT_GT(frame, 0.99);
    }
    EXPECT_GT(dark, 30);

    // Without a compositor it slides back into the panel's edge, again clear of it.
    popup.Hide();
    const auto checkStepBack = [&](const QRect& shown, int step) {
        if (!shown.isEmpty())
            ExpectClearOfThePanels(shown, step);
    };
    EXPECT_TRUE(StepUntil(SlideAnimation::SlideBackTimer, SlideAnimation::Hidden, checkStepBack))
        << "the slide back ends";
    EXPECT_TRUE(OnScreen().isEmpty());
}

// The frame is as sharp at every scale as at 1x: across its left side, every device pixel has
// a colour of the skin picture drawn at this scale (the 2x one on a denser screen), so nothing
// is blended; each line is as wide as that picture's line at this scale, rounded either way (a
// 1x skin scaled up would make a hairline twice as wide at scale 2); and the dark line turns
// to the white field at its place.
TEST_F(NotifierLayoutTest, TheFramesEdgeProfileIsAsSharpAsAtOneX) {
    CTaskbarNotifier& popup = Notifier();
    popup.Show(testphrases::Glory(), 600000, true, kFrozen, kFrozen);
    ASSERT_TRUE(StepUntil(SlideAnimation::SlideOutTimer, SlideAnimation::Waiting))
        << "the slide out ends";
    const QRect rest = OnScreen();
    const double scale = Scale();
    const int ratio = SkinRatio();
    const QImage skin = Skin();
    const int screenRow = qRound(kProfileRow * scale);
    const int skinRow = kProfileRow * ratio;
    // The device pixels that a run of skin pixels covers, partly or wholly.
    const auto deviceFrom = [&](int x) { return int(std::floor(x * scale)); };
    const auto deviceTo = [&](int x) { return int(std::ceil(x * scale)); };

    struct Seen {
        std::vector<int> widths;
        int blended = 0;
    };
    const auto look = [&] {
        const QImage screen = ScreenPart(rest);
        Seen seen;
        for (const FrameLine& line : kLeftSide)
            seen.widths.push_back(CountNear(screen, screenRow, deviceFrom(line.from),
                                            deviceTo(line.to), line.colour));
        for (int x = 0; x < deviceTo(kProfileEnd); ++x) {
            seen.blended +=
                CountNear(skin, skinRow, 0, kProfileEnd * ratio, screen.pixel(x, screenRow)) == 0;
        }
        return seen;
    };
    // Each line's width on the screen, from its width in the picture.
    std::vector<std::pair<int, int>> expected;
    for (const FrameLine& line : kLeftSide) {
        const double width =
            CountNear(skin, skinRow, line.from * ratio, line.to * ratio, line.colour) * scale /
            ratio;
        expected.emplace_back(int(std::floor(width)), int(std::ceil(width)));
    }
    const auto sharp = [&](const Seen& seen) {
        for (std::size_t i = 0; i < expected.size(); ++i) {
            if (seen.widths[i] < expected[i].first || seen.widths[i] > expected[i].second)
                return false;
        }
        return seen.blended == 0;
    };

    Seen seen;
    DesktopSession::WaitFor([&] { return sharp(seen = look()); });
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_GE(seen.widths[i], expected[i].first) << kLeftSide[i].name;
        EXPECT_LE(seen.widths[i], expected[i].second) << kLeftSide[i].name;
    }
    EXPECT_EQ(seen.blended, 0) << "pixels of colours the skin does not have";
}

}  // namespace
