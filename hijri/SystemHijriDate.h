#pragma once

#include <QDate>

#include <string>

// The system's Hijri date: ICU's Umm al-Qura calendar of the Arabic (Saudi Arabia)
// locale. The calendar is named explicitly because newer CLDR data no longer makes it
// that locale's default, and Latin digits are asked for because the locale's own
// Arabic-Indic digits cannot be read back as decimal numbers.
class SystemHijriDate {
public:
    // Whether ICU offers the Umm al-Qura calendar.
    static bool IsAvailable();

    // The Hijri day, month and year of a local date as "dd MM yyyy"; empty when ICU
    // cannot format it.
    static std::string Format(QDate date);

    // Today's local date (platform::Clock) formatted as above.
    static std::string FormatToday();
};
