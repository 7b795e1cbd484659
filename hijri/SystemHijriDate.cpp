#include "hijri/SystemHijriDate.h"

#include "platform/Clock.h"

#include <unicode/calendar.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <cstring>
#include <memory>

namespace {

constexpr const char* kLocale = "ar_SA@calendar=islamic-umalqura;numbers=latn";
constexpr const char* kCalendarType = "islamic-umalqura";
constexpr qint64 kUnixEpochJulianDay = 2440588;
constexpr double kMillisecondsPerDay = 86400000.0;

// The calendar works in UTC, so a date's noon in UTC is that date wherever the user is.
std::unique_ptr<icu::Calendar> CreateCalendar() {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(
        icu::TimeZone::getGMT()->clone(), icu::Locale(kLocale), status));
    if (U_FAILURE(status) || std::strcmp(calendar->getType(), kCalendarType) != 0)
        return nullptr;
    return calendar;
}

UDate NoonUtc(QDate date) {
    const double days = static_cast<double>(date.toJulianDay() - kUnixEpochJulianDay);
    return days * kMillisecondsPerDay + kMillisecondsPerDay / 2;
}

}  // namespace

bool SystemHijriDate::IsAvailable() {
    return CreateCalendar() != nullptr;
}

std::string SystemHijriDate::Format(QDate date) {
    std::unique_ptr<icu::Calendar> calendar = CreateCalendar();
    if (!calendar || !date.isValid())
        return {};
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat format(icu::UnicodeString("dd MM yyyy"), icu::Locale(kLocale), status);
    if (U_FAILURE(status))
        return {};
    format.adoptCalendar(calendar.release());
    icu::UnicodeString text;
    format.format(NoonUtc(date), text);
    std::string result;
    text.toUTF8String(result);
    return result;
}

std::string SystemHijriDate::FormatToday() {
    return Format(platform::Clock::CurrentLocal().date());
}
