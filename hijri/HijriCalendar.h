#pragma once

#include <string>
#include <vector>

// Today's Hijri date as display text ("%i %s %i"), shifted by the user's adjustment.
class CHijriCalendar {
public:
    static CHijriCalendar* Instance();
    static void DestroyInstance();
    virtual ~CHijriCalendar();

    bool IsAvailable() const;
    // Appends the six dates for shifts -2 … +3, entry 0 first (code page 1256).
    void GetDates(std::vector<std::string>& list, bool dialogNames) const;
    std::string GetAdjustedDate() const;

    int adjust = 2;

private:
    CHijriCalendar();

    std::vector<std::string> monthNames;
    std::vector<std::string> arabicMonthNames;
};
