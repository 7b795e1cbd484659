#pragma once

#include <functional>
#include <string>
#include <vector>

// Today's Hijri date as display text ("%i %s %i"), shifted by the user's adjustment.
class CHijriCalendar {
public:
    // Where the system's Hijri date comes from: whether the calendar exists (asked once,
    // at creation) and today's date as "dd MM yyyy". Tests set one; empty members
    // restore the system's.
    struct DateSource {
        std::function<bool()> isAvailable;
        std::function<std::string()> today;
    };
    static void SetDateSource(DateSource source);

    static CHijriCalendar* Instance();
    static void DestroyInstance();
    virtual ~CHijriCalendar();

    bool IsAvailable() const;
    // Appends the six dates for shifts -2 … +3, entry 0 first (code page 1256).
    void GetDates(std::vector<std::string>& list, bool dialogNames) const;
    // Entry `adjust` of the tooltip dates; an adjust outside 0 … 5 counts as no shift.
    std::string GetAdjustedDate() const;

    int adjust = 2;

private:
    CHijriCalendar();

    std::vector<std::string> monthNames;
    std::vector<std::string> arabicMonthNames;
    bool available = false;
};
