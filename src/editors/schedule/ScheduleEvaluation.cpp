#include "editors/schedule/ScheduleEvaluation.h"

#include "model/FunctionSettings.h"
#include "protocol/CalendarSeconds.h"
#include "protocol/StrFormat.h"

#include <algorithm>

namespace {

constexpr uint32_t SecondsPerMinute = 60;
constexpr uint32_t SecondsPerDay = 86400;

// A period holds to the end of the minute of its To.
bool covers(const ForcedPeriod& period, uint32_t seconds)
{
    return period.from <= seconds && uint64_t(seconds) < uint64_t(period.to) + SecondsPerMinute;
}

std::string clock(int minutes) { return StrFormat("%02d:%02d", minutes / 60, minutes % 60); }

} // namespace

size_t WeekdayOf(uint32_t seconds)
{
    // 1970-01-01 was a Thursday.
    return (seconds / SecondsPerDay + 3) % 7;
}

ScheduleState StateAt(const ScheduleDefinition& schedule, uint32_t seconds)
{
    const int year = FromCalendarSeconds(seconds).year;
    for (size_t i = 0; i < schedule.periods.size(); ++i) {
        const ForcedPeriod& period = schedule.periods[i];
        const std::optional<ForcedPeriod> placed = period.yearly() ? PlacedInYear(period, year) : period;
        if (placed && covers(*placed, seconds))
            return {period.state == PeriodState::On, ScheduleCause::Special, 0, i};
    }
    const size_t day = WeekdayOf(seconds);
    const int minute = int(seconds % SecondsPerDay / SecondsPerMinute);
    for (size_t p = 0; p < PeriodsPerDay; ++p) {
        const BasicPeriod& period = schedule.basic[day][p];
        if (!period.empty() && period.on <= minute && minute < period.off)
            return {true, ScheduleCause::Weekly, day, p};
    }
    return {};
}

std::vector<ScheduleSegment> ScheduleSegments(const ScheduleDefinition& schedule, uint32_t from, uint32_t to)
{
    if (from >= to)
        return {};
    // The state can change only at midnight, at a weekly On or Off time, or
    // where a special period begins or ends.
    std::vector<uint32_t> edges{from};
    const auto edge = [&](uint64_t seconds) {
        if (seconds > from && seconds < to)
            edges.push_back(uint32_t(seconds));
    };
    for (uint64_t midnight = from - from % SecondsPerDay; midnight < to; midnight += SecondsPerDay) {
        edge(midnight);
        for (const BasicPeriod& period : schedule.basic[WeekdayOf(uint32_t(midnight))]) {
            edge(midnight + uint64_t(std::max<int>(period.on, 0)) * SecondsPerMinute);
            edge(midnight + uint64_t(std::max<int>(period.off, 0)) * SecondsPerMinute);
        }
    }
    const int firstYear = FromCalendarSeconds(from).year;
    const int lastYear = FromCalendarSeconds(to - 1).year;
    for (const ForcedPeriod& period : schedule.periods) {
        for (int year = firstYear; year <= lastYear; ++year) {
            const std::optional<ForcedPeriod> placed = period.yearly() ? PlacedInYear(period, year) : period;
            if (placed) {
                edge(placed->from);
                edge(uint64_t(placed->to) + SecondsPerMinute);
            }
            if (!period.yearly())
                break;
        }
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    std::vector<ScheduleSegment> segments;
    for (const uint32_t start : edges) {
        const ScheduleState state = StateAt(schedule, start);
        if (!segments.empty() && segments.back().state == state)
            continue;
        if (!segments.empty())
            segments.back().end = start;
        segments.push_back({start, to, state});
    }
    return segments;
}

std::vector<ScheduleSegment> SwitchingTimes(const ScheduleDefinition& schedule, uint32_t from, uint32_t to)
{
    std::vector<ScheduleSegment> switches;
    for (const ScheduleSegment& segment : ScheduleSegments(schedule, from, to)) {
        if (!switches.empty() && switches.back().state.on == segment.state.on) {
            switches.back().end = segment.end;
            continue;
        }
        switches.push_back(segment);
    }
    return switches;
}

std::string CauseText(const ScheduleDefinition& schedule, const ScheduleState& state)
{
    switch (state.cause) {
    case ScheduleCause::Weekly: {
        const BasicPeriod& period = schedule.basic[state.day][state.index];
        return StrFormat("%s period %zu %s-%s", WeekdayNames[state.day], state.index + 1, clock(period.on).c_str(),
                         clock(period.off).c_str());
    }
    case ScheduleCause::Special: {
        const ForcedPeriod& period = schedule.periods[state.index];
        return "special period " + PeriodTimeText(period.from) + " -> " + PeriodTimeText(period.to);
    }
    case ScheduleCause::NoPeriod:
        break;
    }
    return "no period";
}
