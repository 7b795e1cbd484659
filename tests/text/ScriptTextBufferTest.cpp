#include "text/ScriptTextBuffer.h"

#include <gtest/gtest.h>

#include "TextTestSupport.h"

using texttest::Cp1256;

TEST(ScriptTextBuffer, StartsEmpty) {
    ScriptTextBuffer b;
    EXPECT_FALSE(b.changed);
    EXPECT_EQ(b.capacity, 0);
    EXPECT_EQ(b.length, 0);
    EXPECT_TRUE(b.wideText.empty());
}

TEST(ScriptTextBuffer, GrowsForALongerTextAndIsReusedForAShorterOne) {
    ScriptTextBuffer b;
    b.SetText(Cp1256(texttest::kAllah));
    EXPECT_TRUE(b.changed);
    EXPECT_EQ(b.capacity, 4);
    EXPECT_EQ(b.maxGlyphs, 8);
    EXPECT_EQ(b.maxItems, 6);
    EXPECT_EQ(b.wideText.size(), 5u);
    EXPECT_EQ(b.glyphs.size(), 8u);
    EXPECT_EQ(b.items.size(), 6u);
    EXPECT_EQ(b.logicalWidths.size(), 4u);
    EXPECT_EQ(std::u16string(b.wideText.data()), texttest::kAllah);

    const std::string longer = Cp1256(texttest::Phrase());
    b.SetText(longer);
    const int n = static_cast<int>(longer.size());
    EXPECT_EQ(b.capacity, n);
    EXPECT_EQ(b.length, n);
    EXPECT_EQ(b.maxGlyphs, 2 * n);
    EXPECT_EQ(b.advances.size(), static_cast<size_t>(2 * n));
    EXPECT_EQ(b.logicalAttributes.size(), static_cast<size_t>(n));
    EXPECT_EQ(std::u16string(b.wideText.data()), texttest::Phrase());

    const char16_t* wide = b.wideText.data();
    const uint32_t* glyphs = b.glyphs.data();
    b.changed = false;
    b.SetText(Cp1256(texttest::kSubhan));
    EXPECT_TRUE(b.changed);
    EXPECT_EQ(b.capacity, n);
    EXPECT_EQ(b.length, 5);
    EXPECT_EQ(b.wideText.data(), wide);
    EXPECT_EQ(b.glyphs.data(), glyphs);
    EXPECT_EQ(std::u16string(b.wideText.data()), texttest::kSubhan);

    b.SetText("");
    EXPECT_EQ(b.length, 0);
    EXPECT_EQ(b.capacity, n);
    EXPECT_EQ(b.wideText.data(), wide);
}

TEST(ScriptTextBuffer, ConvertsEveryByteOfTheCodePage) {
    std::string all;
    for (int c = 1; c < 256; ++c)
        all.push_back(static_cast<char>(c));
    ScriptTextBuffer b;
    b.SetText(all);
    ASSERT_EQ(b.length, 255);
    EXPECT_EQ(b.wideText[0xC7 - 1], u'\u0627');  // alef
    EXPECT_EQ(b.wideText[0xE1 - 1], u'\u0644');  // lam
    for (int c = 1; c < 256; ++c) {
        // Nothing comes out as ICU's own substitute 0x1A but 0x1A itself.
        if (c != 0x1A) {
            EXPECT_NE(b.wideText[c - 1], u'\u001A') << c;
        }
    }
    EXPECT_EQ(b.wideText[255], u'\0');
}
