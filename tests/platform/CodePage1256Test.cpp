#include "platform/CodePage1256.h"

#include <gtest/gtest.h>

using platform::CodePage1256;

namespace {

struct Case {
    const char* name;
    std::u16string wide;
    std::string narrow;
};

class CodePage1256Test : public testing::TestWithParam<Case> {};

TEST_P(CodePage1256Test, ConvertsToTheCodePage)
{
    EXPECT_EQ(CodePage1256::FromUtf16(GetParam().wide), GetParam().narrow);
}

// U+0627 ALEF is 0xC7, U+0644 LAM 0xE1, U+0647 HEH 0xE5 in code page 1256.
INSTANTIATE_TEST_SUITE_P(
    Table, CodePage1256Test,
    testing::Values(Case{"Empty", u"", ""},
                    Case{"Ascii", u"abc 12", "abc 12"},
                    Case{"Arabic", u"\u0627\u0644\u0644\u0647", "\xC7\xE1\xE1\xE5"},
                    // The code page lacks Arabic-Indic digits, Farsi yeh and the
                    // ligature U+FDFA: each becomes the default '?', never 0x1A.
                    Case{"ArabicIndicDigits", u"\u0660\u0669", "??"},
                    Case{"FarsiYeh", u"\u06CC", "?"},
                    Case{"Ligature", u"\uFDFA", "?"},
                    Case{"LoneSurrogate", std::u16string(1, char16_t(0xD800)) + u"a", "?a"},
                    Case{"Nul", std::u16string(u"a\0b", 3), std::string("a\0b", 3)}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

TEST(CodePage1256RoundTrip, EveryByteComesBackUnchanged)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(CodePage1256::FromUtf16(CodePage1256::ToUtf16(all)), all);
    EXPECT_EQ(CodePage1256::ToUtf16("\xC7").front(), u'\u0627');
}

}  // namespace
