// Our script layer under the own path: ICU itemizing and line breaks, visual order.
#include <unicode/uscript.h>

#include <gtest/gtest.h>

#include <vector>

#include "script/ScriptBreaker.h"
#include "script/ScriptItemizer.h"

using namespace script;

namespace {

struct Item {
    int charPos;
    int level;
    int script;
    bool operator==(const Item&) const = default;
};

std::vector<Item> Itemize(const std::u16string& text, int maxItems = 100) {
    std::vector<ScriptItem> items(static_cast<size_t>(maxItems));
    int count = 0;
    const ScriptState rtl{1, true, true};
    if (!ScriptItemizer::Itemize(text.data(), static_cast<int>(text.size()), maxItems,
                                 ScriptControl{1}, rtl, items.data(), &count))
        return {};
    std::vector<Item> out;
    for (int i = 0; i < count; ++i)
        out.push_back({items[i].charPos, items[i].a.state.bidiLevel, items[i].a.script});
    EXPECT_EQ(items[count].charPos, static_cast<int>(text.size()));
    return out;
}

TEST(ScriptItemizer, ArabicWithSpacesIsOneItem) {
    EXPECT_EQ(Itemize(u"\u0633\u0628\u062D\u0627\u0646 \u0627\u0644\u0644\u0647"),
              (std::vector<Item>{{0, 1, USCRIPT_ARABIC}}));
}

TEST(ScriptItemizer, SplitsAtLevelsAndScripts) {
    // U+0628 sp 1 2 sp a b sp U+0628
    // Digits are common: they keep the script before them. The space after the Latin word
    // sits at the paragraph's level and goes with the Arabic word after it.
    EXPECT_EQ(Itemize(u"\u0628 12 ab \u0628"), (std::vector<Item>{{0, 1, USCRIPT_ARABIC},
                                                                  {2, 2, USCRIPT_ARABIC},
                                                                  {4, 1, USCRIPT_ARABIC},
                                                                  {5, 2, USCRIPT_LATIN},
                                                                  {7, 1, USCRIPT_ARABIC}}));
    // Leading common characters take the first real script.
    EXPECT_EQ(Itemize(u"(\u0628)"), (std::vector<Item>{{0, 1, USCRIPT_ARABIC}}));
}

TEST(ScriptItemizer, FailsWhenTheItemsDoNotFit) {
    // Three items and the closing entry need four places.
    EXPECT_TRUE(Itemize(u"\u0628 ab \u0628", 3).empty());
    EXPECT_EQ(Itemize(u"\u0628 ab \u0628", 4).size(), 3u);
    EXPECT_TRUE(Itemize(u"").empty());
}

TEST(ScriptItemizer, LayoutOrdersRunsVisually) {
    // Levels of a right-to-left line: Arabic, digits, space, Latin, space, Arabic.
    const uint8_t levels[] = {1, 2, 1, 2, 1, 1};
    int visualToLogical[6], logicalToVisual[6];
    ASSERT_TRUE(ScriptItemizer::Layout(6, levels, visualToLogical, logicalToVisual));
    EXPECT_EQ(std::vector<int>(visualToLogical, visualToLogical + 6),
              (std::vector<int>{5, 4, 3, 2, 1, 0}));
    const uint8_t nested[] = {1, 2, 2, 1};
    ASSERT_TRUE(ScriptItemizer::Layout(4, nested, visualToLogical, logicalToVisual));
    EXPECT_EQ(std::vector<int>(logicalToVisual, logicalToVisual + 4),
              (std::vector<int>{3, 1, 2, 0}));
}

TEST(ScriptBreaker, BreaksAfterSpacesAndMarksWhiteSpace) {
    const std::u16string text = u"\u0628\u0628 \u0627\u0644  \u0647";
    std::vector<ScriptLogAttr> attrs(text.size());
    ASSERT_TRUE(ScriptBreaker::Break(text.data(), static_cast<int>(text.size()), ScriptAnalysis{},
                                     attrs.data()));
    std::vector<int> soft, white;
    for (size_t i = 0; i < attrs.size(); ++i) {
        if (attrs[i].softBreak)
            soft.push_back(static_cast<int>(i));
        if (attrs[i].whiteSpace)
            white.push_back(static_cast<int>(i));
    }
    EXPECT_EQ(soft, (std::vector<int>{3, 7}));
    EXPECT_EQ(white, (std::vector<int>{2, 5, 6}));
}

}  // namespace
