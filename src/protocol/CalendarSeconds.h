#pragma once
// The gateway counts dates as seconds since 1970-01-01 00:00 of the calendar
// date and time, without any time zone or daylight saving: plain proleptic
// Gregorian arithmetic, independent of the process's zone. Values are
// unsigned 32-bit, so they run to 2106 and stay valid past 2038-01-19.

#include <cstdint>
#include <optional>

struct CalendarTime {
    int year = 1970;
    int month = 1;   // 1..12
    int day = 1;     // 1..DaysInMonth
    int hour = 0;
    int minute = 0;
    int second = 0;

    bool operator==(const CalendarTime&) const = default;
};

bool IsLeapYear(int year);
// 0 for a month outside 1..12.
int DaysInMonth(int year, int month);
// Nothing when a field is outside its range or the time is not representable.
std::optional<uint32_t> ToCalendarSeconds(const CalendarTime& time);
CalendarTime FromCalendarSeconds(uint32_t seconds);
