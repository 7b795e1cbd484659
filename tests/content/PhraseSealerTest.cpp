#include "content/PhraseStore.h"
#include "tools/PhraseSealer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace {

// U+0633 U+0628 U+062D U+0627 U+0646 (a word whose joins take tatweels) and friends.
const std::u16string kWord = u"\u0633\u0628\u062D\u0627\u0646";
const std::u16string kLamAlef = u"\u0644\u0627";

std::vector<std::u16string> nearTheSum(int64_t gap, const std::u16string& balancing) {
    // Filler worth 128 a character (U+06D2 is byte 0xFF) before the balancing line.
    std::vector<std::u16string> lines{balancing};
    int64_t missing = CPhraseStore::kPhraseSum - gap - CPhraseSealer::Sum(lines);
    while (missing >= 128) {
        const int64_t chars = std::min<int64_t>(missing / 128, 2000);
        lines.insert(lines.begin(), std::u16string(static_cast<size_t>(chars), u'\u06D2'));
        missing -= chars * 128;
    }
    // The euro sign is byte 0x80, worth 1.
    lines.insert(lines.begin(), std::u16string(static_cast<size_t>(missing), u'\u20AC'));
    return lines;
}

// With thirty spaces every residue of the tatweel's worth is in reach, so every gap
// above the largest padding of spaces and marks closes.
TEST(PhraseSealer, ClosesEveryGapWithReadablePadding) {
    std::u16string balancing = kLamAlef;
    for (int word = 0; word < 30; ++word)
        balancing += u" " + kWord;
    for (int64_t gap = 1300; gap < 3000; gap += 13) {
        std::vector<std::u16string> lines = nearTheSum(gap, balancing);
        const CPhraseSealer::Result result = CPhraseSealer::Seal(lines, lines.size() - 1);
        ASSERT_TRUE(result.ok) << gap << ": " << result.error.toStdString();
        lines.back() = result.line;
        EXPECT_EQ(CPhraseSealer::Sum(lines), CPhraseStore::kPhraseSum) << gap;
        EXPECT_EQ(CPhraseSealer::WithoutPadding(result.line), balancing) << gap;
        EXPECT_EQ(result.line.find(u"\u0644\u0640"), std::u16string::npos) << "lam-alef broken";
        EXPECT_LE(result.marks, 2);
    }
}

TEST(PhraseSealer, SealingTwiceGivesTheSameLine) {
    const std::u16string balancing = kWord + u" " + kWord + u" " + kWord;
    std::vector<std::u16string> lines = nearTheSum(93 * 3 + 33 * 2, balancing);
    const CPhraseSealer::Result first = CPhraseSealer::Seal(lines, lines.size() - 1);
    ASSERT_TRUE(first.ok) << first.error.toStdString();
    lines.back() = first.line;
    const CPhraseSealer::Result second = CPhraseSealer::Seal(lines, lines.size() - 1);
    ASSERT_TRUE(second.ok);
    EXPECT_EQ(second.line, first.line);
    EXPECT_EQ(first.tatweels, 3);
    EXPECT_EQ(first.noBreakSpaces, 2);
}

TEST(PhraseSealer, RefusesWhatItCannotClose) {
    const auto sealLast = [](const std::vector<std::u16string>& lines) {
        return CPhraseSealer::Seal(lines, lines.size() - 1).ok;
    };
    EXPECT_FALSE(sealLast(nearTheSum(-5, kWord))) << "over the sum";
    EXPECT_FALSE(sealLast(nearTheSum(93, u"abc"))) << "no join to stretch";
    EXPECT_FALSE(CPhraseSealer::Seal({kWord}, 3).ok) << "no such line";
}

}  // namespace
