#include "notifier/SlideAnimation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

using platform::DesktopShape;
using platform::PanelEdge;

namespace {

constexpr QSize kSkin(233, 167);
constexpr unsigned kDisplayTime = 4500;

// The window side of the animation as plain values: which timers run, where the window is.
class RecordingWindow : public SlideAnimation::Window {
public:
    void StartTimer(SlideAnimation::Timer timer, unsigned period) override {
        running[timer] = period;
        ++starts[timer];
    }
    void StopTimer(SlideAnimation::Timer timer) override { running.erase(timer); }
    void Place(const QRect& rect, const QPoint& offset) override {
        geometry = rect;
        skinOffset = offset;
        history.push_back({rect, offset});
        ++placements;
    }
    void RepaintNow() override { ++repaints; }
    bool LeaveFadeOutImage() override {
        fades += fadeAvailable;
        return fadeAvailable;
    }

    bool Runs(SlideAnimation::Timer timer) const { return running.count(timer) != 0; }

    std::map<SlideAnimation::Timer, unsigned> running;
    std::map<SlideAnimation::Timer, int> starts;
    QRect geometry;
    QPoint skinOffset;
    std::vector<std::pair<QRect, QPoint>> history;
    int placements = 0;
    int repaints = 0;
    bool fadeAvailable = false;
    int fades = 0;
};

// A 1280 x 800 screen with a 30-pixel panel on the given side.
DesktopShape Desktop(PanelEdge edge) {
    switch (edge) {
        case PanelEdge::Bottom:
            return {QRect(0, 0, 1280, 770), edge};
        case PanelEdge::Top:
            return {QRect(0, 30, 1280, 770), edge};
        case PanelEdge::Left:
            return {QRect(30, 0, 1250, 800), edge};
        case PanelEdge::Right:
            return {QRect(0, 0, 1250, 800), edge};
        case PanelEdge::None:
            break;
    }
    return {QRect(0, 0, 1280, 800), edge};
}

class Popup {
public:
    explicit Popup(int step = 4, QSize skin = kSkin) : animation(window, step) {
        animation.SetSkinSize(skin);
    }

    void Show(PanelEdge edge = PanelEdge::Bottom, unsigned displayTime = kDisplayTime) {
        animation.Show(displayTime, 500, 500, Desktop(edge));
    }

    // Ticks the timer while it runs, at most limit times; returns the ticks.
    int Run(SlideAnimation::Timer timer, int limit = 1000) {
        int ticks = 0;
        while (window.Runs(timer) && ticks < limit) {
            animation.OnTimer(timer);
            ++ticks;
        }
        return ticks;
    }

    void Tick(SlideAnimation::Timer timer, int count) { Run(timer, count); }

    RecordingWindow window;
    SlideAnimation animation;
};

struct EdgeCase {
    const char* name;
    PanelEdge edge;
    int step;
    SlideAnimation::Direction direction;
    int steps;  // n
    unsigned period;
    QPoint start;
    QRect firstTick;
    QPoint shown;
};

class SlideGeometryTest : public testing::TestWithParam<EdgeCase> {};

TEST_P(SlideGeometryTest, SlidesFromTheEdgeToTheCorner) {
    const EdgeCase& c = GetParam();
    Popup popup(c.step);
    popup.Show(c.edge);

    EXPECT_EQ(popup.animation.GetDirection(), c.direction);
    EXPECT_EQ(popup.animation.AppearPeriod(), 500u / c.steps);
    EXPECT_EQ(popup.animation.AppearPeriod(), c.period);
    EXPECT_EQ(popup.animation.HidePeriod(), c.period);
    EXPECT_EQ(popup.animation.StartPosition(), c.start);
    EXPECT_EQ(popup.window.running.at(SlideAnimation::SlideOutTimer), c.period);
    EXPECT_EQ(popup.window.placements, 0) << "the window is not moved before the first tick";

    popup.Tick(SlideAnimation::SlideOutTimer, 1);
    EXPECT_EQ(popup.window.geometry, c.firstTick);

    popup.Run(SlideAnimation::SlideOutTimer);
    EXPECT_EQ(popup.animation.GetState(), SlideAnimation::Waiting);
    EXPECT_EQ(popup.window.geometry, QRect(c.shown, kSkin));
    EXPECT_EQ(popup.window.running.at(SlideAnimation::StayTimer), kDisplayTime);

    // Without the fade it slides back to where it started and ends at zero size.
    popup.Tick(SlideAnimation::StayTimer, 1);
    popup.Run(SlideAnimation::SlideBackTimer);
    EXPECT_EQ(popup.animation.GetState(), SlideAnimation::Hidden);
    EXPECT_EQ(popup.animation.Position(), c.start);
    EXPECT_EQ(popup.window.geometry, QRect(0, 0, 0, 0));
    EXPECT_TRUE(popup.window.running.empty());
}

constexpr auto kFromBottom = SlideAnimation::FromBottom;
constexpr auto kFromRight = SlideAnimation::FromRight;
constexpr auto kFromLeft = SlideAnimation::FromLeft;
constexpr auto kFromTop = SlideAnimation::FromTop;

INSTANTIATE_TEST_SUITE_P(
    Edges, SlideGeometryTest,
    testing::Values(
        // The top ends 168 pixels above the work area's bottom, one more than the skin.
        EdgeCase{"BottomStep4",
                 PanelEdge::Bottom,
                 4,
                 kFromBottom,
                 41,
                 12,
                 {1047, 770},
                 {1047, 766, 233, 4},
                 {1047, 602}},
        EdgeCase{"BottomStep8",
                 PanelEdge::Bottom,
                 8,
                 kFromBottom,
                 20,
                 25,
                 {1047, 770},
                 {1047, 762, 233, 8},
                 {1047, 602}},
        EdgeCase{"AutoHideStep4",
                 PanelEdge::None,
                 4,
                 kFromBottom,
                 41,
                 12,
                 {1047, 800},
                 {1047, 796, 233, 4},
                 {1047, 632}},
        EdgeCase{"RightStep4",
                 PanelEdge::Right,
                 4,
                 kFromRight,
                 58,
                 8,
                 {1250, 633},
                 {1246, 633, 4, 167},
                 {1014, 633}},
        EdgeCase{"RightStep8",
                 PanelEdge::Right,
                 8,
                 kFromRight,
                 29,
                 17,
                 {1250, 633},
                 {1242, 633, 8, 167},
                 {1010, 633}},
        // From the left and the top the skin starts just behind the panel and the window
        // grows out of the panel's edge.
        EdgeCase{"LeftStep4",
                 PanelEdge::Left,
                 4,
                 kFromLeft,
                 58,
                 8,
                 {30 - 233, 633},
                 {30, 633, 4, 167},
                 {33, 633}},
        EdgeCase{"LeftStep8",
                 PanelEdge::Left,
                 8,
                 kFromLeft,
                 29,
                 17,
                 {30 - 233, 633},
                 {30, 633, 8, 167},
                 {37, 633}},
        EdgeCase{"TopStep4",
                 PanelEdge::Top,
                 4,
                 kFromTop,
                 41,
                 12,
                 {1047, 30 - 167},
                 {1047, 30, 233, 4},
                 {1047, 31}},
        EdgeCase{"TopStep8",
                 PanelEdge::Top,
                 8,
                 kFromTop,
                 20,
                 25,
                 {1047, 30 - 167},
                 {1047, 30, 233, 8},
                 {1047, 31}}),
    [](const auto& info) { return std::string(info.param.name); });

// A desktop of any shape, scale and monitor for the slide's whole path.
struct PathCase {
    const char* name;
    DesktopShape desktop;
    int step;
};

// Where Qt puts a window on the device: position from the screen's origin and size, each
// scaled and rounded on its own.
QRect OnDevice(const QRect& r, const DesktopShape& d) {
    const auto start = [&](int v, int origin) {
        return origin + int(std::lround((v - origin) * d.scale));
    };
    return QRect(start(r.x(), d.origin.x()), start(r.y(), d.origin.y()),
                 int(std::lround(r.width() * d.scale)), int(std::lround(r.height() * d.scale)));
}

class SlidePathTest : public testing::TestWithParam<PathCase> {};

TEST_P(SlidePathTest, EveryStepOutAndBackLiesInTheWorkAreaAndShowsPartOfTheSkin) {
    const PathCase& c = GetParam();
    Popup popup(c.step);
    popup.animation.Show(kDisplayTime, 500, 500, c.desktop);
    popup.Run(SlideAnimation::SlideOutTimer);
    popup.Tick(SlideAnimation::StayTimer, 1);
    popup.Run(SlideAnimation::SlideBackTimer);
    auto& history = popup.window.history;
    ASSERT_GT(history.size(), 20u);
    ASSERT_EQ(history.back().first, QRect(0, 0, 0, 0)) << "hidden at the end";
    history.pop_back();

    const QRect deviceArea = OnDevice(c.desktop.workArea, c.desktop);
    bool touchedTheEdge = false;
    for (const auto& [window, offset] : history) {
        SCOPED_TRACE(testing::Message() << window.x() << "," << window.y() << " " << window.width()
                                        << "x" << window.height());
        // The last step back leaves nothing on show, as the hidden popup.
        if (window.isEmpty())
            continue;
        EXPECT_TRUE(c.desktop.workArea.contains(window));
        EXPECT_TRUE(deviceArea.contains(OnDevice(window, c.desktop)))
            << "no device pixel past the work area";
        const QRect skin(window.topLeft() + offset, kSkin);
        EXPECT_TRUE(skin.contains(window)) << "the window shows a part of the skin";
        touchedTheEdge = touchedTheEdge || window.size() != kSkin;
    }
    EXPECT_TRUE(touchedTheEdge) << "it grows out of the edge";
    // At rest the whole skin shows from its own corner.
    const auto rest = std::find_if(history.begin(), history.end(),
                                   [](const auto& p) { return p.first.size() == kSkin; });
    ASSERT_NE(rest, history.end());
    EXPECT_EQ(rest->second, QPoint(0, 0));
}

DesktopShape Scaled(QRect area, PanelEdge edge, double scale, QPoint origin = {}) {
    return {area, edge, scale, origin};
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, SlidePathTest,
    testing::Values(
        PathCase{"Bottom", Desktop(PanelEdge::Bottom), 4},
        PathCase{"Top", Desktop(PanelEdge::Top), 4},
        PathCase{"TopStep8", Desktop(PanelEdge::Top), 8},
        PathCase{"Left", Desktop(PanelEdge::Left), 4},
        PathCase{"LeftStep8", Desktop(PanelEdge::Left), 8},
        PathCase{"Right", Desktop(PanelEdge::Right), 4},
        // The right one of two monitors, its panel at the top.
        PathCase{"SecondMonitorTop", Scaled(QRect(1280, 32, 1280, 768), PanelEdge::Top, 1.0), 4},
        PathCase{"SecondMonitorLeft", Scaled(QRect(1320, 0, 1240, 800), PanelEdge::Left, 1.0), 8},
        // 1920 x 1200 at 1.5 with a 48-pixel panel: 233 wide is 349.5 device
        // pixels, which Qt rounds up.
        PathCase{"Scale15Bottom", Scaled(QRect(0, 0, 1280, 768), PanelEdge::Bottom, 1.5), 4},
        PathCase{"Scale15Right", Scaled(QRect(0, 0, 1248, 800), PanelEdge::Right, 1.5), 4},
        PathCase{"Scale15Top", Scaled(QRect(0, 32, 1280, 768), PanelEdge::Top, 1.5), 8},
        PathCase{"Scale15SecondMonitor",
                 Scaled(QRect(1920, 0, 1280, 768), PanelEdge::Bottom, 1.5, QPoint(1920, 0)), 4},
        PathCase{"Scale2Left", Scaled(QRect(32, 0, 1248, 800), PanelEdge::Left, 2.0), 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SlideAnimationShow, AtScaleOneAndAHalfTheShownPopupEndsInsideTheScreen) {
    Popup popup;
    const DesktopShape desktop = Scaled(QRect(0, 0, 1280, 768), PanelEdge::Bottom, 1.5);
    popup.animation.Show(kDisplayTime, 500, 500, desktop);
    popup.Run(SlideAnimation::SlideOutTimer);
    const QRect device = OnDevice(popup.window.geometry, desktop);
    EXPECT_LE(device.x() + device.width(), 1920);
    EXPECT_LE(device.y() + device.height(), 1152);
    EXPECT_GE(device.x() + device.width(), 1919) << "still in the corner";
}

TEST(SlideAnimationShow, SecondShowBeforeTheFirstTickStartsAfresh) {
    Popup popup;
    popup.Show(PanelEdge::Bottom);
    popup.Show(PanelEdge::Top);
    EXPECT_EQ(popup.animation.GetState(), SlideAnimation::Hidden);
    EXPECT_EQ(popup.window.starts[SlideAnimation::SlideOutTimer], 2);
    EXPECT_EQ(popup.animation.GetDirection(), SlideAnimation::FromTop);
    EXPECT_EQ(popup.animation.Position(), QPoint(1047, 30 - 167));
}

TEST(SlideAnimationShow, WhileAppearingTheSlideGoesOnAndTheNewStayAppliesAfter) {
    Popup popup;
    popup.Show();
    popup.Tick(SlideAnimation::SlideOutTimer, 5);
    const QPoint during = popup.animation.Position();
    popup.Show(PanelEdge::Bottom, 9000);
    EXPECT_EQ(popup.animation.GetState(), SlideAnimation::Appearing);
    EXPECT_EQ(popup.animation.Position(), during);
    EXPECT_EQ(popup.window.repaints, 1);
    EXPECT_EQ(popup.window.starts[SlideAnimation::SlideOutTimer], 1);

    popup.Run(SlideAnimation::SlideOutTimer);
    EXPECT_EQ(popup.window.running.at(SlideAnimation::StayTimer), 9000u);
}

TEST(SlideAnimationShow, WhileWaitingTheStayRestartsWithTheNewTime) {
    Popup popup;
    popup.Show();
    popup.Run(SlideAnimation::SlideOutTimer);
    popup.Show(PanelEdge::Bottom, 21500);
    EXPECT_EQ(popup.animation.GetState(), SlideAnimation::Waiting);
    EXPECT_EQ(popup.window.starts[SlideAnimation::StayTimer], 2);
    EXPECT_EQ(popup.window.running.at(SlideAnimation::StayTimer), 21500u);
    EXPECT_EQ(popup.window.repaints, 1);
}

TEST(SlideAnimationShow, WhileDisappearingItJumpsBackToItsShownPlace) {
    Popup popup;
    popup.Show();
    popup.Run(SlideAnimation::SlideOutTimer);
    popup.Tick(SlideAnimation::StayTimer, 1);
    popup.Tick(SlideAnimation::SlideBackTimer, 10);
    ASSERT_EQ(popup.animation.GetState(), SlideAnimation::Disappearing);

    popup.Show(PanelEdge::Bottom, 6000);
    EXPECT_EQ(popup.animation.GetState(), SlideAnimation::Waiting);
    EXPECT_FALSE(popup.window.Runs(SlideAnimation::SlideBackTimer));
    EXPECT_EQ(popup.window.running.at(SlideAnimation::StayTimer), 6000u);
    EXPECT_EQ(popup.window.geometry, QRect(1047, 770 - 167, 233, 167));
}

TEST(SlideAnimationShow, WithoutASkinThePopupStaysHidden) {
    Popup popup(4, QSize(0, 0));
    popup.Show();
    EXPECT_EQ(popup.animation.GetState(), SlideAnimation::Hidden);
    EXPECT_TRUE(popup.window.running.empty());
    EXPECT_EQ(popup.window.placements, 0);
}

// Where the popup is when the click comes.
enum class ClickMoment { Appearing, Waiting, Disappearing };

struct ClickCase {
    const char* name;
    ClickMoment moment;
    bool fade;
};

class SlideClickTest : public testing::TestWithParam<ClickCase> {
protected:
    void Reach(ClickMoment moment) {
        popup.Show();
        popup.Tick(SlideAnimation::SlideOutTimer, 10);
        if (moment == ClickMoment::Appearing)
            return;
        popup.Run(SlideAnimation::SlideOutTimer);
        if (moment == ClickMoment::Waiting)
            return;
        popup.Tick(SlideAnimation::StayTimer, 1);
        popup.Tick(SlideAnimation::SlideBackTimer, 10);
    }

    Popup popup;
};

TEST_P(SlideClickTest, DismissesAtOnceOrSlidesBackFromWhereItStands) {
    const ClickCase& c = GetParam();
    Reach(c.moment);
    popup.window.fadeAvailable = c.fade;
    const QPoint before = popup.animation.Position();

    popup.animation.Hide();

    if (c.fade) {
        EXPECT_EQ(popup.window.fades, 1);
        EXPECT_EQ(popup.animation.GetState(), SlideAnimation::Hidden);
        EXPECT_EQ(popup.window.geometry, QRect(0, 0, 0, 0));
        EXPECT_TRUE(popup.window.running.empty());
        return;
    }
    EXPECT_EQ(popup.animation.GetState(), SlideAnimation::Disappearing);
    ASSERT_TRUE(popup.window.Runs(SlideAnimation::SlideBackTimer));
    EXPECT_EQ(popup.window.running.size(), 1u);
    popup.Tick(SlideAnimation::SlideBackTimer, 1);
    EXPECT_EQ(popup.animation.Position(), before + QPoint(0, 4));
    popup.Run(SlideAnimation::SlideBackTimer);
    EXPECT_EQ(popup.animation.GetState(), SlideAnimation::Hidden);
    EXPECT_EQ(popup.window.geometry, QRect(0, 0, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(
    States, SlideClickTest,
    testing::Values(ClickCase{"AppearingFade", ClickMoment::Appearing, true},
                    ClickCase{"AppearingSlide", ClickMoment::Appearing, false},
                    ClickCase{"WaitingFade", ClickMoment::Waiting, true},
                    ClickCase{"WaitingSlide", ClickMoment::Waiting, false},
                    ClickCase{"DisappearingFade", ClickMoment::Disappearing, true},
                    ClickCase{"DisappearingSlide", ClickMoment::Disappearing, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SlideAnimationHide, TheEndOfTheStayFadesWhereTheDesktopCan) {
    Popup popup;
    popup.window.fadeAvailable = true;
    popup.Show();
    popup.Run(SlideAnimation::SlideOutTimer);
    popup.Tick(SlideAnimation::StayTimer, 1);
    EXPECT_EQ(popup.window.fades, 1);
    EXPECT_EQ(popup.animation.GetState(), SlideAnimation::Hidden);
    EXPECT_TRUE(popup.window.running.empty());
}

TEST(SlideAnimationHide, AHiddenPopupLeavesNoImageAndCancelsAPendingSlide) {
    Popup popup;
    popup.window.fadeAvailable = true;
    popup.Show();
    popup.animation.Hide();
    EXPECT_EQ(popup.window.fades, 0);
    EXPECT_EQ(popup.animation.GetState(), SlideAnimation::Hidden);
    EXPECT_TRUE(popup.window.running.empty());
}

}  // namespace
