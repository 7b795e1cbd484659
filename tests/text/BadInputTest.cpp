// Input the layout must survive: nothing drawn, no crash, no hang, nothing out of place.
#include <gtest/gtest.h>


#include "TextTestSupport.h"

using namespace texttest;
using Path = CScriptTextLayout::Path;

namespace {

class BadInput : public testing::TestWithParam<Path> {};

TEST_P(BadInput, EmptyTextDrawsNothing) {
    const auto d = DrawText(u"", QRect(10, 10, 200, 100), GetParam(), PinnedFont());
    EXPECT_TRUE(InkBounds(d.image).isNull());
    EXPECT_TRUE(d.rec.lines.empty());
}

TEST_P(BadInput, EmptyTextAfterALongerOneDrawsNothing) {
    Canvas canvas;
    const QFont font = PinnedFont();
    CScriptTextLayout layout;
    layout.SetPathForTests(GetParam());
    layout.SetText(Cp1256(Phrase()));
    layout.SetText("");
    layout.SelectFont(*canvas.painter, &font);
    layout.Draw(*canvas.painter, QRect(10, 10, 200, 100));
    canvas.End();
    EXPECT_TRUE(InkBounds(canvas.image).isNull());
}

TEST_P(BadInput, ControlCharactersAndOddBytes) {
    // Every control byte, and every byte of the code page, mixed into Arabic words.
    std::string bytes = Cp1256(kSubhan + u" ");
    for (int c = 1; c < 0x20; ++c)
        bytes.push_back(static_cast<char>(c));
    bytes += Cp1256(u" " + kAllah + u" ");
    for (int c = 0x80; c < 0x100; ++c)
        bytes.push_back(static_cast<char>(c));
    Canvas canvas(QSize(500, 900));
    const QFont font = PinnedFont();
    CScriptTextLayout layout;
    layout.SetPathForTests(GetParam());
    CScriptTextLayout::Recording rec;
    layout.SetRecording(&rec);
    layout.SetText(bytes);
    layout.SelectFont(*canvas.painter, &font);
    const QRect rect(100, 100, 300, 700);
    layout.Draw(*canvas.painter, rect);
    canvas.End();
    const QRect ink = InkBounds(canvas.image);
    ASSERT_FALSE(ink.isNull());
    if (GetParam() == Path::Own) {
        // Within the block, give or take a glyph's overhang.
        EXPECT_TRUE(rec.box.adjusted(-8, -4, 8, 4).contains(ink));
        int chars = 0;
        for (const auto& line : rec.lines)
            chars += line.chars;
        EXPECT_EQ(chars, static_cast<int>(bytes.size()));
    } else {
        EXPECT_TRUE(rec.placement.adjusted(-8, -4, 8, 4).contains(ink));
    }
}

TEST_P(BadInput, AHundredThousandCharacters) {
    std::u16string text;
    while (text.size() < 100000)
        text += Phrase() + u" ";
    text.resize(100000);
    const auto d =
        DrawText(text, QRect(0, 0, 300, 200), GetParam(), PinnedFont(10), QSize(300, 200));
    EXPECT_FALSE(InkBounds(d.image).isNull());
    if (GetParam() == Path::Own) {
        int chars = 0;
        for (const auto& line : d.rec.lines)
            chars += line.chars;
        EXPECT_EQ(chars, 100000);
        // Far taller than the rectangle: it overflows equally above and below.
        EXPECT_LT(d.rec.box.top(), -10000);
        EXPECT_LE(std::abs(d.rec.box.top() + d.rec.box.bottom() + 1 - 200), 1);
    }
}

TEST_P(BadInput, ZeroAndNegativeRectanglesDrawNothingOnTheOwnPath) {
    for (const QRect rect : {QRect(50, 50, 0, 0), QRect(50, 50, 0, 80), QRect(50, 50, 80, 0),
                             QRect(50, 50, -30, -30), QRect(50, 50, -30, 60)}) {
        SCOPED_TRACE(rect.width());
        const auto d = DrawText(Phrase(), rect, GetParam(), PinnedFont());
        if (GetParam() == Path::Own) {
            if (rect.width() <= 0) {
                EXPECT_TRUE(InkBounds(d.image).isNull());
                EXPECT_TRUE(d.rec.lines.empty());
            }
        }
        // The system path wraps into what it is given and draws at its placement.
        if (GetParam() == Path::System && !InkBounds(d.image).isNull()) {
            EXPECT_TRUE(d.rec.placement.adjusted(-8, -4, 8, 4).contains(InkBounds(d.image)));
        }
    }
}

TEST(BadInputOwnPath, ALineOfMoreThanTwoHundredRunsIsClosedAtTwoHundred) {
    // Latin letters and Arabic words take turns: every one is a run of its own.
    std::u16string text;
    for (int i = 0; i < 300; ++i)
        text += i % 2 == 0 ? std::u16string(u"a") : std::u16string(u"\u0628");
    const auto d =
        DrawText(text, QRect(0, 0, 30000, 100), Path::Own, PinnedFont(4), QSize(400, 100));
    ASSERT_GE(d.rec.lines.size(), 2u);
    int chars = 0;
    for (const auto& line : d.rec.lines) {
        EXPECT_LE(line.runs.size(), 200u);
        chars += line.chars;
    }
    EXPECT_EQ(d.rec.lines[0].runs.size(), 200u);
    EXPECT_EQ(chars, 300);
}

INSTANTIATE_TEST_SUITE_P(BothPaths, BadInput, testing::Values(Path::Own, Path::System),
                         [](const testing::TestParamInfo<Path>& info) {
                             return info.param == Path::Own ? "Own" : "System";
                         });

TEST(BadInputNoFont, DrawWithoutSelectFontDrawsNothingOnTheOwnPath) {
    Canvas canvas;
    CScriptTextLayout layout;
    layout.SetPathForTests(Path::Own);
    layout.SetText(Cp1256(Phrase()));
    layout.Draw(*canvas.painter, QRect(0, 0, 200, 100));
    canvas.End();
    EXPECT_TRUE(InkBounds(canvas.image).isNull());
}

}  // namespace
