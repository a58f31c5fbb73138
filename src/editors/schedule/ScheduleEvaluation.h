#pragma once
// When a yearly schedule is On, the one rule that mcftool schedule and the
// yearly schedule editor's week picture both follow:
//
// - a special period takes precedence over the weekly periods from its From
//   to the end of the minute of its To; a yearly event does so every year;
//   where periods overlap (the editor does not let them) the first listed
//   one holds;
// - otherwise a weekly period is On from its On time up to, not including,
//   its Off time of its own weekday; an empty period (00:00 to 00:00) is
//   never On;
// - otherwise the schedule is Off ("no period").
//
// Times are calendar seconds without zone, as the special periods hold them.

#include "editors/schedule/BasicSchedule.h"
#include "editors/schedule/ForcedPeriods.h"

#include <cstdint>
#include <string>
#include <vector>

struct ScheduleDefinition {
    BasicSchedule basic{};
    std::vector<ForcedPeriod> periods;
};

enum class ScheduleCause : uint8_t { NoPeriod, Weekly, Special };

struct ScheduleState {
    bool on = false;
    ScheduleCause cause = ScheduleCause::NoPeriod;
    size_t day = 0;     // Weekly: the weekday, 0 = Monday
    size_t index = 0;   // Weekly: the period of the day; Special: the period in the list

    bool operator==(const ScheduleState&) const = default;
};

ScheduleState StateAt(const ScheduleDefinition& schedule, uint32_t seconds);

// A stretch of time in which the state and its cause stay the same.
struct ScheduleSegment {
    uint32_t start = 0;
    uint32_t end = 0; // exclusive
    ScheduleState state;
};
// The segments that cover [from, to), in order; consecutive segments differ.
std::vector<ScheduleSegment> ScheduleSegments(const ScheduleDefinition& schedule, uint32_t from, uint32_t to);
// The state at `from` and every time after it before `to` at which the
// schedule switches between On and Off, each with the state it switches to.
std::vector<ScheduleSegment> SwitchingTimes(const ScheduleDefinition& schedule, uint32_t from, uint32_t to);

// The weekday of a time, 0 = Monday.
size_t WeekdayOf(uint32_t seconds);

// "Monday period 1 08:00-18:00", "special period 2026.12.24 00:00 -> 2026.12.26 23:59"
// (a yearly event with the year 0000), or "no period".
std::string CauseText(const ScheduleDefinition& schedule, const ScheduleState& state);
