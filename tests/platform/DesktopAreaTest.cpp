#include "platform/DesktopArea.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::DesktopArea;
using platform::PanelEdge;

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
    const platform::DesktopShape shape{QRect(10, 20, 300, 200), PanelEdge::Left};
    DesktopArea::SetSource([&] { return shape; });
    EXPECT_EQ(DesktopArea::Current().workArea, shape.workArea);
    EXPECT_EQ(DesktopArea::Current().panelEdge, PanelEdge::Left);
    DesktopArea::SetSource({});
    // Without a screen (no GUI application here) there is no work area at all.
    EXPECT_TRUE(DesktopArea::Current().workArea.isEmpty());
}

}  // namespace
