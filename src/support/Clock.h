#pragma once
// The one source of the current time. Tests and the command-line tools fix it;
// everything that needs "now" asks here, and calendar arithmetic on the
// answer is done in UTC, never in the process's time zone.

#include "protocol/CalendarSeconds.h"

#include <ctime>
#include <optional>
#include <string>

// Seconds since 1970-01-01 00:00 UTC: the fixed time when one is set, else
// the system clock.
std::time_t CurrentTime();

// Fixes the time CurrentTime() returns; nothing goes back to the system clock.
void SetFixedTime(std::optional<std::time_t> fixed);

// The current time as a UTC calendar date and time.
CalendarTime CurrentUtcTime();

// The current time in the process's time zone, with the zone it is in.
struct LocalTime {
    CalendarTime time;
    std::string zone;      // the zone's abbreviation: "CET", "UTC"
    int utcOffsetMinutes = 0;

    // "CET (UTC+01:00)"
    std::string zoneText() const;
};
LocalTime CurrentLocalTime();

// "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS" read as UTC; nothing when the text
// is not such a date or names a day the calendar does not have.
std::optional<std::time_t> ParseUtcTime(const std::string& text);

// "YYYY-MM-DD HH:MM:SS" of a time in UTC, as ParseUtcTime reads it.
std::string FormatUtcTime(std::time_t time);
