// A reference phrase drawn by each path: the ink lies inside the rectangle and its bounding
// box is centred in it.
#include <gtest/gtest.h>

#include "TextTestSupport.h"

using namespace texttest;
using Path = CScriptTextLayout::Path;

namespace {

// Subhana llahi wa bihamdihi, subhana llahi l-azim, with its vowel marks.
const std::u16string kReference =
    u"\u0633\u064F\u0628\u0652\u062D\u064E\u0627\u0646\u064E \u0627\u0644\u0644\u0651\u064E"
    u"\u0647\u0650 \u0648\u064E\u0628\u0650\u062D\u064E\u0645\u0652\u062F\u0650\u0647\u0650 "
    u"\u0633\u064F\u0628\u0652\u062D\u064E\u0627\u0646\u064E \u0627\u0644\u0644\u0651\u064E"
    u"\u0647\u0650 \u0627\u0644\u0652\u0639\u064E\u0638\u0650\u064A\u0645\u0650";

class Picture : public testing::TestWithParam<Path> {};

TEST_P(Picture, InkIsInsideTheRectangleAndCentred) {
    const QRect rect(40, 30, 170, 120);
    const auto d = DrawText(kReference, rect, GetParam(), PinnedFont(12), QSize(300, 180));
    const QRect ink = InkBounds(d.image);
    ASSERT_FALSE(ink.isNull()) << "nothing was drawn";
    EXPECT_TRUE(rect.contains(ink))
        << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
    const QPointF inkCentre = QRectF(ink).center();
    const QPointF rectCentre = QRectF(rect).center();
    EXPECT_LE(std::abs(inkCentre.x() - rectCentre.x()), 2.0);
    EXPECT_LE(std::abs(inkCentre.y() - rectCentre.y()), 2.0);
    EXPECT_GT(ink.height(), d.lineHeight) << "the phrase should wrap";
}

INSTANTIATE_TEST_SUITE_P(BothPaths, Picture, testing::Values(Path::Own, Path::System),
                         [](const testing::TestParamInfo<Path>& info) {
                             return info.param == Path::Own ? "Own" : "System";
                         });

}  // namespace
