#include "PopupText.h"
#include "content/PhraseStore.h"
#include "notifier/NotifierHost.h"
#include "script/CodePage1256.h"
#include "tools/PhraseSealer.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Path = CScriptTextLayout::Path;
using script::CodePage1256;

// U+0633 U+0628 U+062D U+0627 U+0646, U+0627 U+0644 U+0644 U+0647, U+0648 U+0628 U+062D
// U+0645 U+062F U+0647 and U+0627 U+0644 U+0639 U+0638 U+064A U+0645.
const std::u16string kSubhan = u"\u0633\u0628\u062D\u0627\u0646";
const std::u16string kAllah = u"\u0627\u0644\u0644\u0647";
const std::u16string kWabihamdihi = u"\u0648\u0628\u062D\u0645\u062F\u0647";
const std::u16string kAlAzim = u"\u0627\u0644\u0639\u0638\u064A\u0645";
const std::u16string kPhrase =
    kSubhan + u" " + kAllah + u" " + kWabihamdihi + u" " + kSubhan + u" " + kAllah + u" " + kAlAzim;

bool isFiller(char16_t c) {
    return c == u'\u200C' || c == u'\u200E' || c == u'\u200F';
}

// Lines before the balancing one that leave it gap short of the phrase sum.
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

CPhraseSealer::Result sealLast(const std::vector<std::u16string>& lines) {
    return CPhraseSealer::Seal(lines, lines.size() - 1);
}

// What the sealer may add: filler characters only, all of them right before the last word.
void expectTextPlusFiller(const std::u16string& text, const std::u16string& sealed) {
    const size_t last = text.find_last_not_of(u' ');
    const size_t space = text.find_last_of(u' ', last);
    const size_t at = space == std::u16string::npos ? 0 : space + 1;
    ASSERT_GE(sealed.size(), text.size());
    const size_t added = sealed.size() - text.size();
    EXPECT_EQ(sealed.substr(0, at), text.substr(0, at));
    EXPECT_EQ(sealed.substr(at + added), text.substr(at));
    const std::u16string filler = sealed.substr(at, added);
    EXPECT_TRUE(std::all_of(filler.begin(), filler.end(), isFiller));
}

// Non-joiners (30), left-to-right marks (126) and right-to-left marks (127) make every
// sum from 1110 on, and some below.
TEST(PhraseSealer, ClosesEveryGapFromTheLastUnreachableOn) {
    for (int64_t gap = 0; gap < 6000; gap += 7) {
        std::vector<std::u16string> lines = nearTheSum(gap, kPhrase);
        const CPhraseSealer::Result result = sealLast(lines);
        if (!result.ok) {
            EXPECT_LE(gap, 1109) << result.error.toStdString();
            continue;
        }
        EXPECT_EQ(
            result.nonJoiners * 30 + result.leftToRightMarks * 126 + result.rightToLeftMarks * 127,
            gap);
        lines.back() = result.line;
        EXPECT_EQ(CPhraseSealer::Sum(lines), CPhraseStore::kPhraseSum) << gap;
        expectTextPlusFiller(kPhrase, result.line);
        EXPECT_EQ(CPhraseSealer::WithoutFiller(result.line), kPhrase);
    }
    // The fewest characters: a mark for each 127, give or take.
    const CPhraseSealer::Result large = sealLast(nearTheSum(127 * 300 + 30, kPhrase));
    ASSERT_TRUE(large.ok);
    EXPECT_LE(large.nonJoiners + large.leftToRightMarks + large.rightToLeftMarks, 301);
}

TEST(PhraseSealer, SealingTwiceGivesTheSameLine) {
    std::vector<std::u16string> lines = nearTheSum(1695, kPhrase + u"  ");
    const CPhraseSealer::Result first = sealLast(lines);
    ASSERT_TRUE(first.ok) << first.error.toStdString();
    lines.back() = first.line;
    const CPhraseSealer::Result second = sealLast(lines);
    ASSERT_TRUE(second.ok);
    EXPECT_EQ(second.line, first.line);
    // The trailing spaces stay where they were, after the filler.
    expectTextPlusFiller(kPhrase + u"  ", first.line);
}

TEST(PhraseSealer, RefusesWhatItCannotClose) {
    EXPECT_FALSE(sealLast(nearTheSum(-5, kSubhan)).ok) << "over the sum";
    EXPECT_FALSE(sealLast(nearTheSum(29, kSubhan)).ok) << "below the smallest filler";
    EXPECT_FALSE(sealLast(nearTheSum(127, u"   ")).ok) << "no word";
    EXPECT_FALSE(CPhraseSealer::Seal({kSubhan}, 3).ok) << "no such line";
    // A left-to-right mark alone before a one-word line would make it read left to right,
    // and before a last word "!" after a Latin word it would pull the space between them to
    // the Latin side; nothing else is worth 126.
    EXPECT_FALSE(sealLast(nearTheSum(126, kAllah)).ok);
    EXPECT_FALSE(sealLast(nearTheSum(126, kAllah + u" abc !")).ok);
    EXPECT_TRUE(sealLast(nearTheSum(126, kSubhan + u" " + kAllah)).ok);
}

// Both drawings in a folder of their own that outlives the run, for a look at a failure.
QString KeptForALook(const QImage& before, const QImage& after) {
    QTemporaryDir folder(QDir::tempPath() + "/quietbell-sealed-drawings-XXXXXX");
    folder.setAutoRemove(false);
    before.save(folder.filePath("before.png"));
    after.save(folder.filePath("after.png"));
    return folder.path();
}

// Each phrase drawn before and after sealing, on both paths and at two font sizes, gives
// the very same pixels: the filler draws nothing and moves nothing.
TEST(PhraseSealer, SealedLinesDrawTheSamePixelsOnBothPaths) {
    struct Case {
        const char* name;
        std::u16string text;
        int64_t gap;
    };
    const std::vector<Case> cases = {
        {"OneWordOneMark", kAllah, 127},
        {"OneNonJoiner", kSubhan + u" " + kAllah, 30},
        {"OneLeftToRightMark", kSubhan + u" " + kAllah, 126},
        {"AllThreeKinds", kPhrase, 1695},
        {"ManyMarksOnAWrappedPhrase", kPhrase + u" " + kPhrase + u" " + kPhrase, 40003},
        {"EndsInLamAlefAndShadda", kSubhan + u" \u0644\u0627 \u0627\u0644\u0644\u0651\u0647", 1543},
        {"EndsInDigits", kSubhan + u" " + kAllah + u" 33", 1695},
        {"EndsInALatinWordAndAMark", kAllah + u" abc!", 441},
        {"MarksBeforeALatinWord", kAllah + u" abc!", 10000},
        {"MarksBeforeAMarkAfterALatinWord", kAllah + u" abc !", 20000},
        {"TrailingSpaces", kSubhan + u" " + kAllah + u"   ", 2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::u16string> lines = nearTheSum(c.gap, c.text);
        const CPhraseSealer::Result result = sealLast(lines);
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        ASSERT_NE(result.line, c.text);
        expectTextPlusFiller(c.text, result.line);
        for (const Path path : {Path::Own, Path::System}) {
            for (const int tenths : {85, 160}) {
                const QImage before =
                    popuptext::Draw(CodePage1256::FromUtf16(c.text), path, tenths);
                const QImage after =
                    popuptext::Draw(CodePage1256::FromUtf16(result.line), path, tenths);
                EXPECT_FALSE(popuptext::InkBounds(before).isEmpty());
                if (before != after)
                    ADD_FAILURE() << (path == Path::Own ? "own path" : "system path") << " at "
                                  << tenths << " draws otherwise after sealing; see "
                                  << KeptForALook(before, after).toStdString();
            }
        }
    }
    CNotifierHost::DestroyInstance();
}

}  // namespace
