#include "hijri/HijriCalendar.h"

#include "app/PreferenceKeys.h"
#include "app/SettingsStore.h"
#include "platform/Clock.h"
#include "script/CodePage1256.h"
#include "tests/app/TestDataFolder.h"

#include <QFile>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Dialog names are Latin so that expectations read plainly; the Arabic names are
// U+0634 U+0647 U+0631 ("month") and the month number.
std::u16string DialogNames() {
    std::u16string names;
    for (int month = 1; month <= 12; ++month)
        names += u"M" + QString::number(month).toStdU16String() + u"#";
    return names;
}

std::u16string ArabicName(int month) {
    return u"\u0634\u0647\u0631 " + QString::number(month).toStdU16String();
}

std::u16string ArabicNames() {
    std::u16string names;
    for (int month = 1; month <= 12; ++month)
        names += ArabicName(month) + u"#";
    return names;
}

std::string Cp1256(const std::u16string& text) {
    return script::CodePage1256::FromUtf16(text);
}

// A data folder with strings 130 and 131, a settings file of its own, today fixed, and
// a calendar object created afresh from them.
class HijriCalendarTest : public testing::Test {
protected:
    HijriCalendarTest() { WriteMonthNames(DialogNames(), ArabicNames()); }

    ~HijriCalendarTest() override {
        CHijriCalendar::DestroyInstance();
        CHijriCalendar::SetDateSource({});
        platform::Clock::SetSource({});
    }

    void WriteMonthNames(const std::u16string& dialog, const std::u16string& arabic) {
        m_data.Write("resources.txt", testdata::Utf16File({u"130", dialog, arabic}));
    }

    static void SetToday(QDate date) {
        platform::Clock::SetSource([date] { return QDateTime(date, QTime(12, 0)); });
    }

    static void SetArabicInterface(int on) { WritePreferenceInt(prefkeys::kArabicInterface, on); }

    static std::vector<std::string> Dates(bool dialogNames) {
        std::vector<std::string> dates;
        CHijriCalendar::Instance()->GetDates(dates, dialogNames);
        return dates;
    }

    testdata::ScopedApplicationName m_name{"quietbell-hijri-tests"};
    testdata::TempDataFolder m_data;
};

struct WorkedShift {
    const char* name;
    QDate today;  // its Umm al-Qura date in the comment
    int entry;    // 0 … 5 for the shifts -2 … +3
    const char* expected;
};

void PrintTo(const WorkedShift& shift, std::ostream* out) {
    *out << shift.name;
}

const WorkedShift kWorkedShifts[] = {
    // 29 of Ramadan 1444 was the month's last day; the 30-day rule still gives a 30th.
    {"Day29OfMonth9PlusOne", QDate(2023, 4, 20), 3, "30 M9 1444"},
    {"Day30OfMonth9PlusOne", QDate(2020, 5, 23), 3, "1 M10 1441"},
    {"Day1OfMonth1Of1428MinusTwo", QDate(2007, 1, 20), 0, "29 M12 1427"},
    {"Day29OfMonth12Of1427PlusThree", QDate(2007, 1, 19), 5, "2 M1 1428"},
    {"NoLeadingZerosInDayAndMonth", QDate(2024, 3, 15), 2, "5 M9 1445"},
    {"Day5OfMonth9MinusTwo", QDate(2024, 3, 15), 0, "3 M9 1445"},
};

class HijriWorkedShifts : public HijriCalendarTest,
                          public testing::WithParamInterface<WorkedShift> {};

TEST_P(HijriWorkedShifts, EntryOfTheDateListFollowsTheThirtyDayRule) {
    SetToday(GetParam().today);
    const std::vector<std::string> dates = Dates(true);
    ASSERT_EQ(dates.size(), 6u);
    EXPECT_EQ(dates[GetParam().entry], GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Shifts, HijriWorkedShifts, testing::ValuesIn(kWorkedShifts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HijriCalendarTest, DateListRunsFromTwoDaysBeforeToThreeDaysAfterAndIsAppended) {
    SetToday(QDate(2020, 5, 23));  // 30 09 1441
    std::vector<std::string> dates{"kept"};
    CHijriCalendar::Instance()->GetDates(dates, true);
    EXPECT_EQ(dates, (std::vector<std::string>{"kept", "28 M9 1441", "29 M9 1441", "30 M9 1441",
                                               "1 M10 1441", "2 M10 1441", "3 M10 1441"}));
}

struct Adjustment {
    const char* name;
    int adjust;
    const char* expected;
};

void PrintTo(const Adjustment& adjustment, std::ostream* out) {
    *out << adjustment.name;
}

// Outside 0 … 5 only a hand-edited setting can give; it counts as no shift.
const Adjustment kAdjustments[] = {
    {"TwoDaysEarlier", 0, "3 M9 1445"},          {"NoShift", 2, "5 M9 1445"},
    {"ThreeDaysLater", 5, "8 M9 1445"},          {"NegativeMeansNoShift", -1, "5 M9 1445"},
    {"PastTheListMeansNoShift", 6, "5 M9 1445"}, {"FarPastMeansNoShift", 1000, "5 M9 1445"},
};

class HijriAdjustments : public HijriCalendarTest,
                         public testing::WithParamInterface<Adjustment> {};

TEST_P(HijriAdjustments, AdjustedDateIsTheChosenEntry) {
    SetToday(QDate(2024, 3, 15));  // 05 09 1445
    CHijriCalendar::Instance()->adjust = GetParam().adjust;
    EXPECT_EQ(CHijriCalendar::Instance()->GetAdjustedDate(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Adjust, HijriAdjustments, testing::ValuesIn(kAdjustments),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HijriCalendarTest, ArabicInterfaceGivesTheTooltipTheArabicNamesOnly) {
    SetArabicInterface(1);
    SetToday(QDate(2024, 3, 15));
    EXPECT_EQ(CHijriCalendar::Instance()->GetAdjustedDate(),
              Cp1256(u"5 " + ArabicName(9) + u" 1445"));
    EXPECT_EQ(Dates(false)[2], Cp1256(u"5 " + ArabicName(9) + u" 1445"));
    EXPECT_EQ(Dates(true)[2], "5 M9 1445");
}

TEST_F(HijriCalendarTest, WithoutArabicInterfaceBothUseTheDialogNames) {
    SetArabicInterface(0);
    SetToday(QDate(2024, 3, 15));
    EXPECT_EQ(CHijriCalendar::Instance()->GetAdjustedDate(), "5 M9 1445");
    EXPECT_EQ(Dates(true)[2], "5 M9 1445");
}

// Only names ended by '#' count: "Third" is text after the last '#'.
TEST_F(HijriCalendarTest, TextAfterTheLastHashIsNoName) {
    WriteMonthNames(u"First#Second#Third", ArabicNames());
    const struct {
        QDate today;
        const char* expected;
    } cases[] = {
        {QDate(2019, 8, 31), "1 First 1441"},
        {QDate(2019, 9, 30), "1 Second 1441"},
        {QDate(2019, 10, 29), "1  1441"},
    };
    for (const auto& c : cases) {
        SetToday(c.today);
        EXPECT_EQ(Dates(true)[2], c.expected);
    }
}

TEST_F(HijriCalendarTest, EmptyNamesBetweenHashesAndMissingStringsShowAsEmptyText) {
    WriteMonthNames(u"##Third#", u"");
    SetArabicInterface(1);
    SetToday(QDate(2024, 3, 15));
    EXPECT_EQ(Dates(true)[2], "5  1445");
    EXPECT_EQ(Dates(false)[2], "5  1445");
}

TEST_F(HijriCalendarTest, CalendarNotAvailableGivesOnlyEmptyTexts) {
    CHijriCalendar::SetDateSource({[] { return false; }, [] { return std::string("05 09 1445"); }});
    CHijriCalendar* calendar = CHijriCalendar::Instance();
    EXPECT_FALSE(calendar->IsAvailable());
    EXPECT_EQ(Dates(true), std::vector<std::string>(6));
    EXPECT_EQ(Dates(false), std::vector<std::string>(6));
    EXPECT_EQ(calendar->GetAdjustedDate(), "");
}

TEST_F(HijriCalendarTest, SystemCalendarIsAvailable) {
    EXPECT_TRUE(CHijriCalendar::Instance()->IsAvailable());
}

TEST_F(HijriCalendarTest, EachCallReadsTodayAnew) {
    SetToday(QDate(2024, 3, 15));
    CHijriCalendar* calendar = CHijriCalendar::Instance();
    EXPECT_EQ(calendar->GetAdjustedDate(), "5 M9 1445");
    SetToday(QDate(2024, 3, 16));
    EXPECT_EQ(calendar->GetAdjustedDate(), "6 M9 1445");
}

TEST_F(HijriCalendarTest, ShippedStringsNameEveryMonthInBothLists) {
    QFile shipped(qEnvironmentVariable("QB_SOURCE_DIR") + "/res/Data/resources.txt");
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    m_data.Write("resources.txt", shipped.readAll());
    SetArabicInterface(1);
    for (int month = 1; month <= 12; ++month) {
        const std::string today = "15 " + std::to_string(month) + " 1445";
        CHijriCalendar::SetDateSource({[] { return true; }, [today] { return today; }});
        const std::string unnamed = "15  1445";
        EXPECT_GT(Dates(true)[2].size(), unnamed.size()) << month;
        EXPECT_GT(Dates(false)[2].size(), unnamed.size()) << month;
    }
}

class HijriUnreadableToday : public HijriCalendarTest,
                             public testing::WithParamInterface<const char*> {};

TEST_P(HijriUnreadableToday, GivesSixEmptyTexts) {
    const std::string today = GetParam();
    CHijriCalendar::SetDateSource({[] { return true; }, [today] { return today; }});
    EXPECT_EQ(Dates(true), std::vector<std::string>(6));
    EXPECT_EQ(CHijriCalendar::Instance()->GetAdjustedDate(), "");
}

// The last one is the locale's own Arabic-Indic digits, which "%d" cannot read.
INSTANTIATE_TEST_SUITE_P(Texts, HijriUnreadableToday,
                         testing::Values("", "05 09", "abc", "05 Ramadan 1445",
                                         "\xD9\xA0\xD9\xA5 \xD9\xA0\xD9\xA9 \xD9\xA1\xD9\xA4"));

}  // namespace
