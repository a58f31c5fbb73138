#include "protocol/CalendarSeconds.h"

namespace {

constexpr int64_t SecondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date (eras of 400 years).
int64_t daysFromCivil(int64_t year, int month, int day)
{
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

} // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month)
{
    static constexpr int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : lengths[month - 1];
}

std::optional<uint32_t> ToCalendarSeconds(const CalendarTime& t)
{
    if (t.day < 1 || t.day > DaysInMonth(t.year, t.month) || t.hour < 0 || t.hour > 23 || t.minute < 0
        || t.minute > 59 || t.second < 0 || t.second > 59)
        return std::nullopt;
    const int64_t seconds
        = daysFromCivil(t.year, t.month, t.day) * SecondsPerDay + t.hour * 3600 + t.minute * 60 + t.second;
    if (seconds < 0 || seconds > int64_t(UINT32_MAX))
        return std::nullopt;
    return uint32_t(seconds);
}

CalendarTime FromCalendarSeconds(uint32_t seconds)
{
    const int64_t days = seconds / SecondsPerDay;
    const int64_t rest = seconds % SecondsPerDay;
    // The inverse of daysFromCivil.
    const int64_t z = days + 719468;
    const int64_t era = z / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    CalendarTime t;
    t.day = int(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    t.month = int(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    t.year = int(yearOfEra + era * 400 + (t.month <= 2));
    t.hour = int(rest / 3600);
    t.minute = int(rest / 60 % 60);
    t.second = int(rest % 60);
    return t;
}
