#include "hijri/HijriCalendar.h"

#include "app/SettingsStore.h"
#include "app/StringTable.h"
#include "hijri/SystemHijriDate.h"

#include <cstdio>
#include <limits>
#include <memory>

namespace {

constexpr int kDialogMonthNamesId = 130;
constexpr int kArabicMonthNamesId = 131;
constexpr int kNoShiftEntry = 2;
constexpr int kFirstShift = -2;
constexpr int kLastShift = 3;
constexpr int kDaysPerMonth = 30;
constexpr int kDaysPerYear = 360;

std::unique_ptr<CHijriCalendar>& instance() {
    static std::unique_ptr<CHijriCalendar> calendar;
    return calendar;
}

CHijriCalendar::DateSource& dateSource() {
    static CHijriCalendar::DateSource source;
    return source;
}

bool SourceIsAvailable() {
    return dateSource().isAvailable ? dateSource().isAvailable() : SystemHijriDate::IsAvailable();
}

std::string SourceToday() {
    return dateSource().today ? dateSource().today() : SystemHijriDate::FormatToday();
}

// Every '#' ends one name; text after the last '#' is not a name.
std::vector<std::string> SplitMonthNames(const std::string& text) {
    std::vector<std::string> names;
    std::string::size_type start = 0;
    for (auto end = text.find('#'); end != std::string::npos; end = text.find('#', start)) {
        names.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

// Days since 1 of month 1 of year 1 in a calendar of 30-day months; false when the
// system's text does not hold day, month and year.
bool ReadDayNumber(const std::string& text, int& dayNumber) {
    int day = 0;
    int month = 0;
    int year = 0;
    if (std::sscanf(text.c_str(), "%d %d %d", &day, &month, &year) != 3)
        return false;
    const long long number =
        kDaysPerYear * (year - 1LL) + kDaysPerMonth * (month - 1LL) + (day - 1LL);
    if (number < 0 || number > std::numeric_limits<int>::max() - kLastShift)
        return false;
    dayNumber = static_cast<int>(number);
    return true;
}

std::string DisplayString(int dayNumber, const std::vector<std::string>& names) {
    const int year = dayNumber / kDaysPerYear + 1;
    const int month = dayNumber % kDaysPerYear / kDaysPerMonth + 1;
    const int day = dayNumber % kDaysPerYear % kDaysPerMonth + 1;
    const std::size_t index = static_cast<std::size_t>(month - 1);
    const std::string name = index < names.size() ? names[index] : std::string();
    return std::to_string(day) + ' ' + name + ' ' + std::to_string(year);
}

}  // namespace

void CHijriCalendar::SetDateSource(DateSource source) {
    dateSource() = std::move(source);
}

CHijriCalendar* CHijriCalendar::Instance() {
    if (!instance())
        instance().reset(new CHijriCalendar);
    return instance().get();
}

void CHijriCalendar::DestroyInstance() {
    instance().reset();
}

CHijriCalendar::CHijriCalendar()
    : monthNames(SplitMonthNames(CStringTable::Instance()->GetString(kDialogMonthNamesId))),
      arabicMonthNames(SplitMonthNames(CStringTable::Instance()->GetString(kArabicMonthNamesId))),
      available(SourceIsAvailable()) {}

CHijriCalendar::~CHijriCalendar() = default;

bool CHijriCalendar::IsAvailable() const {
    return available;
}

void CHijriCalendar::GetDates(std::vector<std::string>& list, bool dialogNames) const {
    const bool arabicNames = !dialogNames && CSettingsStore::Instance()->IsArabicInterface();
    const std::vector<std::string>& names = arabicNames ? arabicMonthNames : monthNames;
    int dayNumber = 0;
    const bool haveDate = available && ReadDayNumber(SourceToday(), dayNumber);
    for (int shift = kFirstShift; shift <= kLastShift; ++shift)
        list.push_back(haveDate ? DisplayString(dayNumber + shift, names) : std::string());
}

std::string CHijriCalendar::GetAdjustedDate() const {
    std::vector<std::string> dates;
    GetDates(dates, false);
    const bool inRange = adjust >= 0 && adjust < static_cast<int>(dates.size());
    return dates[inRange ? adjust : kNoShiftEntry];
}
