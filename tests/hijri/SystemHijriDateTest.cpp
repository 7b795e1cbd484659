#include "hijri/SystemHijriDate.h"

#include "platform/Clock.h"

#include <gtest/gtest.h>

namespace {

struct PublishedDate {
    const char* name;
    QDate gregorian;
    const char* ummAlQura;  // "dd MM yyyy"
};

void PrintTo(const PublishedDate& date, std::ostream* out) {
    *out << date.name;
}

// Dates of the Umm al-Qura calendar as published by the King Abdulaziz City for Science
// and Technology for the Saudi government (the official "Taqwim Umm al-Qura"), as tabulated
// by R. H. van Gent, "The Umm al-Qura Calendar of Saudi Arabia", Utrecht University,
// https://webspace.science.uu.nl/~gent0113/islam/ummalqura.htm
const PublishedDate kPublishedDates[] = {
    {"Ramadan1440", QDate(2019, 5, 6), "01 09 1440"},
    {"Shawwal1440", QDate(2019, 6, 4), "01 10 1440"},
    {"DhuAlHijjah1440", QDate(2019, 8, 2), "01 12 1440"},
    {"LastDayOf1440", QDate(2019, 8, 30), "29 12 1440"},
    {"Muharram1441", QDate(2019, 8, 31), "01 01 1441"},
    {"LeapDay2020", QDate(2020, 2, 29), "05 07 1441"},
    {"Ramadan1441", QDate(2020, 4, 24), "01 09 1441"},
    {"LastDayOfRamadan1441", QDate(2020, 5, 23), "30 09 1441"},
    {"Shawwal1441", QDate(2020, 5, 24), "01 10 1441"},
    {"DhuAlHijjah1441", QDate(2020, 7, 22), "01 12 1441"},
    {"LastDayOf1441", QDate(2020, 8, 19), "29 12 1441"},
    {"Ramadan1442", QDate(2021, 4, 13), "01 09 1442"},
    {"Shawwal1442", QDate(2021, 5, 13), "01 10 1442"},
    {"DhuAlHijjah1442", QDate(2021, 7, 11), "01 12 1442"},
    {"LastDayOf1442", QDate(2021, 8, 8), "29 12 1442"},
    {"Ramadan1443", QDate(2022, 4, 2), "01 09 1443"},
    {"Shawwal1443", QDate(2022, 5, 2), "01 10 1443"},
    {"DhuAlHijjah1443", QDate(2022, 6, 30), "01 12 1443"},
    {"Muharram1444", QDate(2022, 7, 30), "01 01 1444"},
    {"Ramadan1444", QDate(2023, 3, 23), "01 09 1444"},
    {"Shawwal1444", QDate(2023, 4, 21), "01 10 1444"},
    {"DhuAlHijjah1444", QDate(2023, 6, 19), "01 12 1444"},
    {"LastDayOf1444", QDate(2023, 7, 18), "30 12 1444"},
    {"LeapDay2024", QDate(2024, 2, 29), "19 08 1445"},
    {"Ramadan1445", QDate(2024, 3, 11), "01 09 1445"},
    {"Shawwal1445", QDate(2024, 4, 10), "01 10 1445"},
    {"DhuAlHijjah1445", QDate(2024, 6, 7), "01 12 1445"},
    {"LastDayOf1445", QDate(2024, 7, 6), "30 12 1445"},
    {"Ramadan1446", QDate(2025, 3, 1), "01 09 1446"},
    {"Shawwal1446", QDate(2025, 3, 30), "01 10 1446"},
    {"DhuAlHijjah1446", QDate(2025, 5, 28), "01 12 1446"},
    {"Muharram1447", QDate(2025, 6, 26), "01 01 1447"},
    {"Ramadan1447", QDate(2026, 2, 18), "01 09 1447"},
    {"Shawwal1447", QDate(2026, 3, 20), "01 10 1447"},
};

class PublishedUmmAlQura : public testing::TestWithParam<PublishedDate> {};

TEST_P(PublishedUmmAlQura, SystemDateMatchesThePublishedCalendar) {
    EXPECT_EQ(SystemHijriDate::Format(GetParam().gregorian), GetParam().ummAlQura);
}

INSTANTIATE_TEST_SUITE_P(Hijri1440To1447, PublishedUmmAlQura, testing::ValuesIn(kPublishedDates),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SystemHijriDate, OffersTheUmmAlQuraCalendar) {
    EXPECT_TRUE(SystemHijriDate::IsAvailable());
}

// Midnight and the last second of a day belong to that day whatever the time zone.
TEST(SystemHijriDate, TodayFollowsTheClockFromMidnightToMidnight) {
    for (const QTime time : {QTime(0, 0, 0), QTime(23, 59, 59)}) {
        platform::Clock::SetSource([time] { return QDateTime(QDate(2024, 3, 11), time); });
        EXPECT_EQ(SystemHijriDate::FormatToday(), "01 09 1445") << time.toString().toStdString();
    }
    platform::Clock::SetSource({});
}

TEST(SystemHijriDate, InvalidDateGivesNoText) {
    EXPECT_EQ(SystemHijriDate::Format(QDate()), "");
}

}  // namespace
