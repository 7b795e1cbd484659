#include "notifier/DisplayTime.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct DisplayTimeCase {
    const char* name;
    std::string text;
    unsigned expected;
};

std::string Letters(std::size_t count) {
    // U+0627 ARABIC LETTER ALEF is 0xC7 in code page 1256.
    return std::string(count, '\xC7');
}

std::string SpacedLetters(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += i ? " \xC7" : "\xC7";
    return text;
}

class DisplayTimeTest : public testing::TestWithParam<DisplayTimeCase> {};

TEST_P(DisplayTimeTest, FollowsTheCountedLength) {
    EXPECT_EQ(notifier::DisplayTimeFor(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Phrases, DisplayTimeTest,
    testing::Values(DisplayTimeCase{"Empty", "", 4500},
                    DisplayTimeCase{"TwentyLettersStayAtTheFloor", Letters(20), 4500},
                    DisplayTimeCase{"TwentyOneLettersPassTheFloor", Letters(21), 4650},
                    DisplayTimeCase{"HundredLetters", Letters(100), 16500},
                    DisplayTimeCase{"HundredThirtyThreeLetters", Letters(133), 21450},
                    DisplayTimeCase{"HundredThirtyFourLettersAtTheCeiling", Letters(134), 21500},
                    DisplayTimeCase{"InnerSpacesDoNotCount", SpacedLetters(40), 7500},
                    DisplayTimeCase{"TrailingSpaceCountsOneMore", Letters(30) + " ", 6150},
                    DisplayTimeCase{"OneInnerOneTrailingSpace",
                                    Letters(15) + " " + Letters(15) + " ", 6150},
                    DisplayTimeCase{"OnlySpaces", "     ", 4500},
                    DisplayTimeCase{"HundredThousandLettersCapped", Letters(100000), 21500},
                    // 150 times this count is 2^32 + 104: a 32-bit product would wrap
                    // round to the floor.
                    DisplayTimeCase{"LengthWhoseProductWraps32Bits", Letters(28633116), 21500}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
