#pragma once
// Holiday calendars (iCalendar files) as special periods of a yearly schedule.
//
// Each event becomes a period: an all-day event from 00:00 of its first day to
// 23:59 of its last (an end date is the day after the last); a timed event
// from its start to its end, to the minute, in local time; an event that
// recurs every year on its date without an end becomes a yearly event (kept
// in 1970, shown with the year 0000); any other recurrence is expanded into
// the occurrences that touch the coming 12 months.
//
// The plan then says of each event whether it is added: not when it ended
// before now, when it collides with a listed period or one added before it
// (the editor's rule), or when a special period cannot hold it.

#include "editors/schedule/ForcedPeriods.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct HolidayEvent {
    std::string summary;
    // Nothing when its dates lie outside what calendar seconds can count.
    std::optional<ForcedPeriod> period; // state Off
};

// The events of an iCalendar text, in file order, the recurrences expanded
// after `now`; nothing, with the problem, when the text is not a calendar,
// holds a malformed property or an event without a start.
std::optional<std::vector<HolidayEvent>> ParseHolidayCalendar(const std::string& text, uint32_t now,
                                                              std::string& problem);
// The same of a file; the problem names the file.
std::optional<std::vector<HolidayEvent>> ReadHolidayCalendar(const std::string& path, uint32_t now,
                                                             std::string& problem);

enum class HolidayVerdict : uint8_t { Add, Past, Collides, CannotHold };

struct HolidayChoice {
    HolidayEvent event;
    HolidayVerdict verdict = HolidayVerdict::Add;
    ForcedPeriod collidesWith;   // Collides
    std::string problem;          // CannotHold: what a special period may hold
};

// The events with their verdicts and forced to `state`, against the periods
// already listed, in the file's order.
std::vector<HolidayChoice> PlanHolidays(const std::vector<HolidayEvent>& events,
                                        const std::vector<ForcedPeriod>& listed, uint32_t now, uint8_t state);

// "2026.12.24 00:00 -> 2026.12.26 23:59 Christmas"
std::string HolidayEventText(const HolidayEvent& event);
// Why an event is not added: "ended before now", "collides with '...'",
// "cannot be held: years 1997..2038 ..."; empty for an event that is added.
std::string HolidayReasonText(const HolidayChoice& choice);

// Now as calendar seconds: the current UTC date and time of the clock.
uint32_t CalendarNow();
