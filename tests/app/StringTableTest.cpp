#include "app/StringTable.h"
#include "tests/app/TestDataFolder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include <string>
#include <vector>

namespace {

// U+0645 U+062D U+0631 U+0645 (the first Hijri month) and its code page 1256 bytes.
const std::u16string kMuharramUtf16 = u"\u0645\u062D\u0631\u0645#";
const std::string kMuharram1256 = "\xE3\xCD\xD1\xE3#";

class StringTableTest : public testing::Test {
protected:
    CStringTable* Load(const std::vector<std::u16string>& lines) {
        m_data.Write("resources.txt", testdata::Utf16File(lines));
        return CStringTable::Instance();
    }

    testdata::TempDataFolder m_data;
};

TEST_F(StringTableTest, NumbersTheTextsFromTheFirstLine) {
    CStringTable* table = Load({u"130", u"Muharram#Safar#", kMuharramUtf16});
    EXPECT_EQ(table->GetString(130), "Muharram#Safar#");
    EXPECT_EQ(table->GetString(131), kMuharram1256);
}

TEST_F(StringTableTest, NumbersOutsideTheTextsGiveEmptyStrings) {
    CStringTable* table = Load({u"130", u"a", u"b"});
    for (int id : {129, 132, 0, -1, INT_MIN, INT_MAX})
        EXPECT_EQ(table->GetString(id), "") << id;
}

TEST_F(StringTableTest, BackslashNBecomesALineBreakAndOtherBackslashesStay) {
    CStringTable* table = Load({u"130", u"one\\ntwo\\n", u"a\\tb\\", u"\\\\n"});
    EXPECT_EQ(table->GetString(130), "one\ntwo\n");
    EXPECT_EQ(table->GetString(131), "a\\tb\\");
    EXPECT_EQ(table->GetString(132), "\\\n");
}

struct BaseLineCase {
    const char* name;
    std::u16string firstLine;
    int base;
};

void PrintTo(const BaseLineCase& c, std::ostream* os) {
    *os << c.name;
}

class StringTableBaseTest : public testing::TestWithParam<BaseLineCase> {
protected:
    testdata::TempDataFolder m_data;
};

TEST_P(StringTableBaseTest, ReadsTheLeadingNumberOfLineZero) {
    m_data.Write("resources.txt", testdata::Utf16File({GetParam().firstLine, u"first"}));
    CStringTable* table = CStringTable::Instance();
    EXPECT_EQ(table->GetString(GetParam().base), "first");
    EXPECT_EQ(table->GetString(GetParam().base + 1), "") << "one text only";
}

INSTANTIATE_TEST_SUITE_P(
    FirstLines, StringTableBaseTest,
    testing::Values(BaseLineCase{"Plain", u"130", 130},
                    BaseLineCase{"FollowedByText", u"130 xyz", 130},
                    BaseLineCase{"LeadingBlanksAndSign", u"  +130", 130},
                    BaseLineCase{"Negative", u"-5", -5}, BaseLineCase{"NotANumber", u"abc", 0},
                    BaseLineCase{"Empty", u"", 0}, BaseLineCase{"Beyond32Bits", u"99999999999", 0},
                    BaseLineCase{"Lowest", u"-2147483648", INT_MIN}),
    [](const testing::TestParamInfo<BaseLineCase>& info) { return info.param.name; });

TEST(StringTableFile, MissingEmptyAFolderOrAPipeGivesAnEmptyTable) {
    struct Case {
        const char* name;
        void (*make)(const testdata::TempDataFolder&);
    };
    const Case cases[] = {
        {"missing", [](const testdata::TempDataFolder&) {}},
        {"empty", [](const testdata::TempDataFolder& d) { d.Write("resources.txt", {}); }},
        {"only the mark",
         [](const testdata::TempDataFolder& d) { d.Write("resources.txt", "\xFF\xFE"); }},
        {"a folder",
         [](const testdata::TempDataFolder& d) { QDir().mkpath(d.DataPath("resources.txt")); }},
#ifndef _WIN32
        // No writer: reading it would wait for ever.
        {"a named pipe",
         [](const testdata::TempDataFolder& d) {
             specialfiles::MakeNamedPipe(d.DataPath("resources.txt"));
         }},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testdata::TempDataFolder data;
        ASSERT_NO_FATAL_FAILURE(c.make(data));
        EXPECT_EQ(CStringTable::Instance()->GetString(130), "");
    }
}

}  // namespace

namespace {

TEST(ShippedStringTable, HoldsTwelveMonthNamesInEachList) {
    testdata::TempDataFolder data;
    QFile shipped(qEnvironmentVariable("QB_SOURCE_DIR") + "/res/Data/resources.txt");
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    data.Write("resources.txt", shipped.readAll());
    CStringTable* table = CStringTable::Instance();
    for (int id : {130, 131}) {
        const std::string names = table->GetString(id);
        EXPECT_EQ(std::count(names.begin(), names.end(), '#'), 12) << id;
        EXPECT_EQ(names.back(), '#') << id;
        EXPECT_EQ(names.find("##"), std::string::npos) << "an empty name in " << id;
        EXPECT_EQ(names.find('?'), std::string::npos) << "a character lost in " << id;
    }
    EXPECT_EQ(table->GetString(130).substr(0, 9), "Muharram#");
    EXPECT_EQ(table->GetString(131).substr(0, 5), kMuharram1256);
    EXPECT_EQ(table->GetString(132), "");
}

}  // namespace
