#include "script/CodePage1256.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/utf16.h>

#include <memory>
#include <random>
#include <vector>

using script::CodePage1256;

namespace {

struct Case {
    const char* name;
    std::u16string wide;
    std::string narrow;
};

class CodePage1256Test : public testing::TestWithParam<Case> {};

TEST_P(CodePage1256Test, ConvertsToTheCodePage) {
    EXPECT_EQ(CodePage1256::FromUtf16(GetParam().wide), GetParam().narrow);
}

// U+0627 ALEF is 0xC7, U+0644 LAM 0xE1, U+0647 HEH 0xE5 in code page 1256.
INSTANTIATE_TEST_SUITE_P(
    Table, CodePage1256Test,
    testing::Values(Case{"Empty", u"", ""}, Case{"Ascii", u"abc 12", "abc 12"},
                    Case{"Arabic", u"\u0627\u0644\u0644\u0647", "\xC7\xE1\xE1\xE5"},
                    // The code page lacks Arabic-Indic digits, Farsi yeh and the
                    // ligature U+FDFA: each becomes the default '?', never 0x1A.
                    Case{"ArabicIndicDigits", u"\u0660\u0669", "??"},
                    Case{"FarsiYeh", u"\u06CC", "?"}, Case{"Ligature", u"\uFDFA", "?"},
                    Case{"LoneSurrogate", std::u16string(1, char16_t(0xD800)) + u"a", "?a"},
                    // Default-ignorable characters the code page lacks are no exception:
                    // zero width space, Arabic letter mark, word joiner, a byte-order mark
                    // inside a line, a tag character.
                    Case{"ZeroWidthSpace", u"a\u200Bb", "a?b"},
                    Case{"IgnorablesInArabic", u"\u0627\u061C\u0644\u2060\uFEFF\U000E0001",
                         "\xC7?\xE1???"},
                    Case{"Nul", std::u16string(u"a\0b", 3), std::string("a\0b", 3)}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

TEST(CodePage1256RoundTrip, EveryByteComesBackUnchanged) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(CodePage1256::FromUtf16(CodePage1256::ToUtf16(all)), all);
    EXPECT_EQ(CodePage1256::ToUtf16("\xC7").front(), u'\u0627');
}

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

// ICU's stock conversion, with its own substitution.
std::string IcuFromUtf16(const std::u16string& text) {
    UErrorCode status = U_ZERO_ERROR;
    static const std::unique_ptr<UConverter, ConverterCloser> conv = [] {
        UErrorCode openStatus = U_ZERO_ERROR;
        UConverter* c = ucnv_open("windows-1256", &openStatus);
        ucnv_setSubstChars(c, "?", 1, &openStatus);
        return std::unique_ptr<UConverter, ConverterCloser>(c);
    }();
    ucnv_resetFromUnicode(conv.get());
    std::string out(text.size() + 1, '\0');
    const int32_t n = ucnv_fromUChars(conv.get(), out.data(), static_cast<int32_t>(out.size()),
                                      reinterpret_cast<const UChar*>(text.data()),
                                      static_cast<int32_t>(text.size()), &status);
    EXPECT_TRUE(U_SUCCESS(status));
    out.resize(static_cast<size_t>(n));
    return out;
}

// What the code page must give: ICU's conversion of each character (a surrogate pair as
// one, a lone half on its own), except that ICU's substitution skips default-ignorable
// characters the code page lacks, which become the default character like any other.
std::string ExpectedFromUtf16(const std::u16string& text) {
    std::string out;
    const auto length = static_cast<int32_t>(text.size());
    int32_t i = 0;
    while (i < length) {
        const int32_t start = i;
        UChar32 c;
        U16_NEXT(text.data(), i, length, c);
        std::string one =
            IcuFromUtf16(text.substr(static_cast<size_t>(start), static_cast<size_t>(i - start)));
        if (one.empty()) {
            EXPECT_TRUE(u_hasBinaryProperty(c, UCHAR_DEFAULT_IGNORABLE_CODE_POINT)) << c;
            one = std::string(1, CodePage1256::kDefaultChar);
        }
        out += one;
    }
    return out;
}

TEST(CodePage1256AgainstIcu, EveryUnitOnItsOwn) {
    for (unsigned unit = 0; unit <= 0xFFFF; ++unit) {
        const std::u16string text(1, static_cast<char16_t>(unit));
        ASSERT_EQ(CodePage1256::FromUtf16(text), ExpectedFromUtf16(text)) << "unit " << unit;
    }
}

// The line reader turns byte 0 into the default character after the conversion, which
// equals replacing U+0000 before it only while no other unit gives byte 0.
TEST(CodePage1256AgainstIcu, OnlyNulGivesByteZero) {
    for (unsigned unit = 1; unit <= 0xFFFF; ++unit)
        ASSERT_NE(IcuFromUtf16(std::u16string(1, static_cast<char16_t>(unit))),
                  std::string(1, '\0'))
            << "unit " << unit;
}

TEST(CodePage1256AgainstIcu, SurrogatesPairedAndAlone) {
    const char16_t high = 0xD800, low = 0xDC00, lastHigh = 0xDBFF, lastLow = 0xDFFF;
    const std::u16string cases[] = {
        {high, low},
        {lastHigh, lastLow},
        {0xD83D, 0xDE00},
        {high},
        {low},
        {low, high},
        {high, high, low},
        {high, low, low},
        {u'a', high, u'b'},
        {u'a', low, u'b'},
        {u'\u0627', high, low, u'\u0644', lastHigh},
        {high, u'\0', low},
        {high, low, high, low},
        // Default-ignorable characters the code page lacks.
        {0xDB40, 0xDC01},
        {0xD834, 0xDD73},
        {u'a', 0xDB40, 0xDD00, u'b'},
        {0xFEFF, high, 0x2060},
    };
    for (const std::u16string& text : cases)
        EXPECT_EQ(CodePage1256::FromUtf16(text), ExpectedFromUtf16(text));
}

// Random texts of units drawn mostly from the awkward ones: surrogates of both halves,
// Arabic with and without a byte, U+0000 and the ends of the ranges.
TEST(CodePage1256AgainstIcu, MixedTexts) {
    const char16_t pool[] = {0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xD83D, 0xDE00, u'\0',  u'a',   u' ',
                             0x0627, 0x0660, 0x06CC, 0xFDFA, 0xFFFF, 0xFEFF, 0x00E9, 0x200C, 0x061F,
                             u'\r',  0xE000, 0xDB40, 0xDC01, 0xDD00, 0x2060, 0xFE0F};
    std::mt19937 random(1256);
    std::uniform_int_distribution<size_t> pick(0, std::size(pool) - 1);
    std::uniform_int_distribution<size_t> length(0, 24);
    for (int round = 0; round < 5000; ++round) {
        std::u16string text(length(random), u'\0');
        for (char16_t& unit : text)
            unit = pool[pick(random)];
        ASSERT_EQ(CodePage1256::FromUtf16(text), ExpectedFromUtf16(text)) << "round " << round;
    }
}

TEST(CodePage1256AgainstIcu, IntoABufferOfTheTextsSize) {
    const std::u16string text = {u'\u0627', 0xD800, 0xDC00, u'b'};
    std::string out(text.size(), '!');
    const size_t n = CodePage1256::FromUtf16(text, out.data());
    EXPECT_EQ(out.substr(0, n), ExpectedFromUtf16(text));
    EXPECT_EQ(out.substr(n), "!");
}

}  // namespace
