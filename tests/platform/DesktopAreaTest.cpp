#include "platform/DesktopArea.h"
#include "platform/WorkAreaLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::DesktopArea;
using platform::DockPanel;
using platform::MonitorLayout;
using platform::PanelEdge;
using platform::Strut;
using platform::WorkAreaLayout;

const QRect kScreen(0, 0, 1280, 800);

struct EdgeCase {
    const char* name;
    QRect available;
    PanelEdge edge;
};

class PanelEdgeTest : public testing::TestWithParam<EdgeCase> {};

TEST_P(PanelEdgeTest, IsTheSideTheWorkAreaWasCutFrom) {
    EXPECT_EQ(DesktopArea::EdgeOf(kScreen, GetParam().available), GetParam().edge);
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, PanelEdgeTest,
    testing::Values(EdgeCase{"Bottom", QRect(0, 0, 1280, 770), PanelEdge::Bottom},
                    EdgeCase{"Top", QRect(0, 30, 1280, 770), PanelEdge::Top},
                    EdgeCase{"Left", QRect(48, 0, 1232, 800), PanelEdge::Left},
                    EdgeCase{"Right", QRect(0, 0, 1232, 800), PanelEdge::Right},
                    // An auto-hidden panel reserves nothing.
                    EdgeCase{"NothingReserved", kScreen, PanelEdge::None},
                    EdgeCase{"TwoPanels", QRect(0, 30, 1280, 740), PanelEdge::None}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DesktopAreaSource, TestsGiveAnyShapeAndCanRestoreTheScreen) {
    const platform::DesktopShape shape{QRect(10, 20, 300, 200), PanelEdge::Left, 2.0,
                                       QPoint(10, 0)};
    DesktopArea::SetSource([&] { return shape; });
    EXPECT_EQ(DesktopArea::Current().workArea, shape.workArea);
    EXPECT_EQ(DesktopArea::Current().panelEdge, PanelEdge::Left);
    DesktopArea::SetSource({});
    // The system's again: on X11 none without a screen (no GUI application here), on
    // Windows the desktop's work area.
    EXPECT_NE(DesktopArea::Current().workArea, shape.workArea);
}

// Two 1280 x 800 monitors side by side on a 2560 x 800 root window, as RandR gives them.
const QSize kRoot(2560, 800);
const QRect kLeftMonitor(0, 0, 1280, 800);
const QRect kRightMonitor(1280, 0, 1280, 800);

// tint2's reservations for a panel on one monitor, as it writes them.
DockPanel Bottom(const QRect& monitor, int height, bool tray = false) {
    Strut s;
    s.bottom = height;
    s.bottomStartX = monitor.left();
    s.bottomEndX = monitor.right();
    return {QRect(monitor.left(), monitor.bottom() + 1 - height, monitor.width(), height), s, tray};
}

DockPanel Top(const QRect& monitor, int height) {
    Strut s;
    s.top = height;
    s.topStartX = monitor.left();
    s.topEndX = monitor.right();
    return {QRect(monitor.left(), 0, monitor.width(), height), s, false};
}

// A strut counts from the root window's edge: a left panel on the right monitor reserves
// the whole left monitor too.
DockPanel Left(const QRect& monitor, int width) {
    Strut s;
    s.left = monitor.left() + width;
    s.leftStartY = monitor.top();
    s.leftEndY = monitor.bottom();
    return {QRect(monitor.left(), monitor.top(), width, monitor.height()), s, false};
}

DockPanel Right(const QRect& monitor, int width) {
    Strut s;
    s.right = kRoot.width() - monitor.right() - 1 + width;
    s.rightStartY = monitor.top();
    s.rightEndY = monitor.bottom();
    return {QRect(monitor.right() + 1 - width, monitor.top(), width, monitor.height()), s, false};
}

struct LayoutCase {
    const char* name;
    MonitorLayout layout;
    int trayMonitor;
    QRect workArea;
    PanelEdge edge;
};

class WorkAreaLayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(WorkAreaLayoutTest, TheTraysMonitorLessWhatItsPanelsReserve) {
    const LayoutCase& c = GetParam();
    const WorkAreaLayout desktop(c.layout);
    ASSERT_EQ(desktop.TrayMonitor(), c.trayMonitor);
    EXPECT_EQ(desktop.WorkArea(c.trayMonitor), c.workArea);
    EXPECT_EQ(desktop.Edge(c.trayMonitor), c.edge);
}

MonitorLayout TwoMonitors(std::vector<DockPanel> panels, int primary = 0, QRect published = {}) {
    return {kRoot, {kLeftMonitor, kRightMonitor}, primary, std::move(panels), published};
}

MonitorLayout OneMonitor(std::vector<DockPanel> panels, QRect published = {}) {
    return {kScreen.size(), {kScreen}, 0, std::move(panels), published};
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, WorkAreaLayoutTest,
    testing::Values(
        LayoutCase{"OneMonitorBottom", OneMonitor({Bottom(kScreen, 32)}), 0, QRect(0, 0, 1280, 768),
                   PanelEdge::Bottom},
        LayoutCase{"OneMonitorTop", OneMonitor({Top(kScreen, 32)}), 0, QRect(0, 32, 1280, 768),
                   PanelEdge::Top},
        LayoutCase{"OneMonitorOldStrut",
                   OneMonitor({{QRect(0, 770, 1280, 30),
                                Strut::WholeEdges(0, 0, 0, 30, kScreen.size()), false}}),
                   0, QRect(0, 0, 1280, 770), PanelEdge::Bottom},
        // Qt's answer with two screens would be the whole monitor, over the panel.
        LayoutCase{"PanelOnThePrimary", TwoMonitors({Bottom(kLeftMonitor, 32)}), 0,
                   QRect(0, 0, 1280, 768), PanelEdge::Bottom},
        LayoutCase{"PanelOnTheOther", TwoMonitors({Bottom(kRightMonitor, 32)}), 1,
                   QRect(1280, 0, 1280, 768), PanelEdge::Bottom},
        LayoutCase{"PanelOnTheOtherWhichIsPrimary", TwoMonitors({Bottom(kRightMonitor, 32)}, 1), 1,
                   QRect(1280, 0, 1280, 768), PanelEdge::Bottom},
        LayoutCase{"LeftPanelOnTheOther", TwoMonitors({Left(kRightMonitor, 40)}), 1,
                   QRect(1320, 0, 1240, 800), PanelEdge::Left},
        LayoutCase{"RightPanelOnThePrimary", TwoMonitors({Right(kLeftMonitor, 40)}), 0,
                   QRect(0, 0, 1240, 800), PanelEdge::Right},
        // A panel on each monitor: the tray's tells, else the primary.
        LayoutCase{"PanelsOnBothTrayOnTheOther",
                   TwoMonitors({Top(kLeftMonitor, 32), Bottom(kRightMonitor, 32, true)}), 1,
                   QRect(1280, 0, 1280, 768), PanelEdge::Bottom},
        LayoutCase{"PanelsOnBothNothingTells",
                   TwoMonitors({Top(kLeftMonitor, 32), Bottom(kRightMonitor, 32)}), 0,
                   QRect(0, 32, 1280, 768), PanelEdge::Top},
        // Two panels on the tray's monitor: the side of the one with the tray.
        LayoutCase{"TopAndBottomTrayAtTheTop",
                   OneMonitor({{Top(kScreen, 24).geometry, Top(kScreen, 24).strut, true},
                               Bottom(kScreen, 32)}),
                   0, QRect(0, 24, 1280, 744), PanelEdge::Top},
        LayoutCase{"TopAndBottomNothingTells", OneMonitor({Top(kScreen, 24), Bottom(kScreen, 32)}),
                   0, QRect(0, 24, 1280, 744), PanelEdge::None},
        // An auto-hidden panel reserves nothing.
        LayoutCase{"NoStrut", OneMonitor({{QRect(0, 768, 1280, 32), Strut{}, true}}), 0, kScreen,
                   PanelEdge::None},
        // Without panels the window manager's work area, clipped to the monitor.
        LayoutCase{"PublishedOnly", TwoMonitors({}, 0, QRect(0, 0, 2560, 770)), 0,
                   QRect(0, 0, 1280, 770), PanelEdge::Bottom},
        LayoutCase{"PublishedOnlyOnTheOther", TwoMonitors({}, 1, QRect(0, 0, 2560, 770)), 1,
                   QRect(1280, 0, 1280, 770), PanelEdge::Bottom},
        LayoutCase{"NothingAtAll", OneMonitor({}), 0, kScreen, PanelEdge::None}),
    [](const auto& info) { return std::string(info.param.name); });

struct ScaleCase {
    const char* name;
    QRect device;
    QPoint origin;
    double scale;
    QRect logical;
};

class ToLogicalTest : public testing::TestWithParam<ScaleCase> {};

TEST_P(ToLogicalTest, RoundsInwards) {
    const ScaleCase& c = GetParam();
    EXPECT_EQ(WorkAreaLayout::ToLogical(c.device, c.origin, c.scale), c.logical);
}

INSTANTIATE_TEST_SUITE_P(
    Scales, ToLogicalTest,
    testing::Values(
        ScaleCase{"One", QRect(0, 0, 1280, 768), {}, 1.0, QRect(0, 0, 1280, 768)},
        ScaleCase{"Two", QRect(0, 0, 2560, 1536), {}, 2.0, QRect(0, 0, 1280, 768)},
        ScaleCase{"OneAndAHalf", QRect(0, 0, 1920, 1152), {}, 1.5, QRect(0, 0, 1280, 768)},
        ScaleCase{
            "OneAndAHalfOddPanel", QRect(0, 47, 1920, 1153), {}, 1.5, QRect(0, 32, 1280, 768)},
        ScaleCase{"SecondMonitorKeepsItsOrigin", QRect(2560, 0, 2560, 1536), QPoint(2560, 0), 2.0,
                  QRect(2560, 0, 1280, 768)}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
