#include "notifier/SlideAnimation.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

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
    void Place(const QRect& rect) override {
        geometry = rect;
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
        EdgeCase{"LeftStep4",
                 PanelEdge::Left,
                 4,
                 kFromLeft,
                 58,
                 8,
                 {-233, 633},
                 {-229, 633, 233, 167},
                 {31, 633}},
        EdgeCase{"LeftStep8",
                 PanelEdge::Left,
                 8,
                 kFromLeft,
                 29,
                 17,
                 {-233, 633},
                 {-225, 633, 233, 167},
                 {31, 633}},
        EdgeCase{"TopStep4",
                 PanelEdge::Top,
                 4,
                 kFromTop,
                 41,
                 12,
                 {1047, -167},
                 {1047, -163, 233, 167},
                 {1047, 33}},
        EdgeCase{"TopStep8",
                 PanelEdge::Top,
                 8,
                 kFromTop,
                 20,
                 25,
                 {1047, -167},
                 {1047, -159, 233, 167},
                 {1047, 33}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SlideAnimationShow, SecondShowBeforeTheFirstTickStartsAfresh) {
    Popup popup;
    popup.Show(PanelEdge::Bottom);
    popup.Show(PanelEdge::Top);
    EXPECT_EQ(popup.animation.GetState(), SlideAnimation::Hidden);
    EXPECT_EQ(popup.window.starts[SlideAnimation::SlideOutTimer], 2);
    EXPECT_EQ(popup.animation.GetDirection(), SlideAnimation::FromTop);
    EXPECT_EQ(popup.animation.Position(), QPoint(1047, -167));
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
