#include "prefs/PreferenceInput.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <optional>

namespace {

struct TypedUnsigned {
    const char* name;
    const char* text;
    std::optional<unsigned> value;
};

void PrintTo(const TypedUnsigned& typed, std::ostream* out) {
    *out << typed.name;
}

const TypedUnsigned kTypedUnsigned[] = {
    {"Plain", "10", 10u},
    {"BlanksAround", "  7 ", 7u},
    {"LeadingZeros", "007", 7u},
    {"Zero", "0", 0u},
    {"Largest", "4294967295", 4294967295u},
    {"Empty", "", std::nullopt},
    {"OnlyBlanks", "   ", std::nullopt},
    {"Letters", "abc", std::nullopt},
    {"Negative", "-1", std::nullopt},
    {"PlusSign", "+5", std::nullopt},
    {"TrailingLetters", "10x", std::nullopt},
    {"InnerBlank", "1 0", std::nullopt},
    {"Decimal", "1.5", std::nullopt},
    {"TooLarge", "4294967296", std::nullopt},
    {"ArabicIndicDigits", "\u0661\u0660", std::nullopt},
};

class ReadUnsignedCases : public testing::TestWithParam<TypedUnsigned> {};

TEST_P(ReadUnsignedCases, ReadsOnlyWholeUnsignedNumbers) {
    EXPECT_EQ(prefinput::ReadUnsigned(QString::fromUtf8(GetParam().text)), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadUnsignedCases, testing::ValuesIn(kTypedUnsigned),
                         [](const auto& info) { return std::string(info.param.name); });

struct TypedDecimal {
    const char* name;
    const char* text;
    std::optional<float> value;
};

void PrintTo(const TypedDecimal& typed, std::ostream* out) {
    *out << typed.name;
}

const TypedDecimal kTypedDecimal[] = {
    {"Whole", "10", 10.0f},
    {"Decimal", "9.7", 9.7f},
    {"BlanksAround", " 9.74 ", 9.74f},
    {"Exponent", "1e1", 10.0f},
    {"LeadingPoint", ".5", 0.5f},
    {"Negative", "-3", -3.0f},
    {"Empty", "", std::nullopt},
    {"Letters", "abc", std::nullopt},
    {"DecimalComma", "9,7", std::nullopt},
    {"TrailingLetters", "9.7pt", std::nullopt},
    {"Infinity", "inf", std::nullopt},
    {"NotANumber", "nan", std::nullopt},
    {"BeyondFloat", "1e40", std::nullopt},
};

class ReadDecimalCases : public testing::TestWithParam<TypedDecimal> {};

TEST_P(ReadDecimalCases, ReadsOnlyFiniteDecimalNumbers) {
    EXPECT_EQ(prefinput::ReadDecimal(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadDecimalCases, testing::ValuesIn(kTypedDecimal),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FontSizeConversion, StoredTenthsComeBackAsTheSameTenths) {
    for (int tenths : {0, 1, 85, 97, 100, 123, 999, 12345, 2147483})
        EXPECT_EQ(prefinput::TenthsFromPoints(prefinput::PointsFromTenths(tenths)), tenths)
            << tenths;
}

TEST(FontSizeConversion, PointsRoundToTheNearestTenth) {
    EXPECT_EQ(prefinput::TenthsFromPoints(9.74f), 97);
    EXPECT_EQ(prefinput::TenthsFromPoints(9.76f), 98);
    EXPECT_EQ(prefinput::TenthsFromPoints(10.0f), 100);
    EXPECT_EQ(prefinput::TenthsFromPoints(-9.7f), -97);
}

// A hand-edited negative setting is taken as unsigned and so arrives as a huge size;
// its tenths must not wrap round into some other small number.
TEST(FontSizeConversion, SizesBeyondTheSettingsRangeStayAtItsEnds) {
    EXPECT_GT(prefinput::PointsFromTenths(-5), 4.0e8f);
    EXPECT_EQ(prefinput::TenthsFromPoints(prefinput::PointsFromTenths(-5)), INT_MAX);
    EXPECT_EQ(prefinput::TenthsFromPoints(-1.0e30f), INT_MIN);
    EXPECT_EQ(prefinput::TenthsFromPoints(std::nanf("")), 0);
}

TEST(FontSizeDisplay, ShowsAtMostSixSignificantDigits) {
    EXPECT_EQ(prefinput::FormatDecimal(10.0f), "10");
    EXPECT_EQ(prefinput::FormatDecimal(prefinput::PointsFromTenths(97)), "9.7");
    EXPECT_EQ(prefinput::FormatDecimal(12.3456789f), "12.3457");
}

}  // namespace
