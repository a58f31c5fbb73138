// When a yearly schedule is On: the weekly periods, the special periods'
// precedence to the end of their To minute, yearly events in every year, and
// the switching times over a stretch of days.

#include "editors/schedule/ScheduleEvaluation.h"

#include "model/FunctionSettings.h"
#include "protocol/CalendarSeconds.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// "2026-12-07 08:00" or "2026-12-07 08:00:59" as calendar seconds.
uint32_t at(const char* text)
{
    CalendarTime t;
    t.second = 0;
    const int fields = std::sscanf(text, "%d-%d-%d %d:%d:%d", &t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second);
    EXPECT_GE(fields, 5) << text;
    const std::optional<uint32_t> seconds = ToCalendarSeconds(t);
    EXPECT_TRUE(seconds) << text;
    return seconds.value_or(0);
}

ForcedPeriod period(const char* from, const char* to, uint8_t state)
{
    return {at(from), at(to), state};
}

constexpr size_t Monday = 0, Thursday = 3, Friday = 4, Sunday = 6;

// Shop hours: Monday to Friday 08:00-18:00, Sunday 22:00-23:59 and Monday from midnight to 06:00.
ScheduleDefinition shopHours()
{
    ScheduleDefinition schedule;
    for (size_t day = Monday; day <= Friday; ++day)
        schedule.basic[day][0] = {8 * 60, 18 * 60};
    schedule.basic[Monday][1] = {0, 6 * 60};
    schedule.basic[Sunday][3] = {22 * 60, 23 * 60 + 59};
    return schedule;
}

std::string describe(const ScheduleDefinition& schedule, const char* time)
{
    const ScheduleState state = StateAt(schedule, at(time));
    return std::string(state.on ? "On " : "Off ") + CauseText(schedule, state);
}

TEST(ScheduleEvaluationTest, AWeeklyPeriodIsOnFromItsOnTimeUpToItsOffTimeAndMidnightBelongsToTheNewDay)
{
    const ScheduleDefinition schedule = shopHours();
    EXPECT_EQ(WeekdayOf(at("2026-12-07 00:00")), Monday);
    EXPECT_EQ(WeekdayOf(at("2026-12-31 12:00")), Thursday);
    EXPECT_EQ(describe(schedule, "2026-12-07 07:59:59"), "Off no period");
    EXPECT_EQ(describe(schedule, "2026-12-07 08:00"), "On Monday period 1 08:00-18:00");
    EXPECT_EQ(describe(schedule, "2026-12-07 17:59:59"), "On Monday period 1 08:00-18:00");
    EXPECT_EQ(describe(schedule, "2026-12-07 18:00"), "Off no period") << "the Off minute is Off";
    EXPECT_EQ(describe(schedule, "2026-12-06 23:58:59"), "On Sunday period 4 22:00-23:59");
    EXPECT_EQ(describe(schedule, "2026-12-06 23:59"), "Off no period") << "a day's last minute is Off at 23:59";
    EXPECT_EQ(describe(schedule, "2026-12-07 00:00"), "On Monday period 2 00:00-06:00") << "midnight is Monday's";
    EXPECT_EQ(describe(schedule, "2026-12-12 12:00"), "Off no period") << "Saturday has no period";

    ScheduleDefinition empty;
    empty.basic[Monday][0] = {0, 0};
    empty.basic[Monday][1] = {9 * 60, 9 * 60};
    EXPECT_EQ(describe(empty, "2026-12-07 00:00"), "Off no period") << "00:00 to 00:00 is an empty period";
    EXPECT_EQ(describe(empty, "2026-12-07 09:00"), "Off no period") << "On equal to Off is never On";
}

TEST(ScheduleEvaluationTest, AForcedPeriodTakesPrecedenceToTheEndOfTheMinuteOfItsTo)
{
    ScheduleDefinition schedule = shopHours();
    schedule.periods = {period("2026-12-24 00:00", "2026-12-26 23:59", PeriodState::Off),
                        period("2026-12-12 10:00", "2026-12-12 14:00", PeriodState::On)};
    EXPECT_EQ(describe(schedule, "2026-12-23 23:59:59"), "Off no period");
    EXPECT_EQ(describe(schedule, "2026-12-24 09:00"), "Off special period 2026.12.24 00:00 -> 2026.12.26 23:59");
    EXPECT_EQ(describe(schedule, "2026-12-26 23:59:59"), "Off special period 2026.12.24 00:00 -> 2026.12.26 23:59")
        << "the last minute of the period is forced";
    EXPECT_EQ(describe(schedule, "2026-12-28 00:00"), "On Monday period 2 00:00-06:00");
    EXPECT_EQ(describe(schedule, "2026-12-12 09:59"), "Off no period");
    EXPECT_EQ(describe(schedule, "2026-12-12 14:00:59"), "On special period 2026.12.12 10:00 -> 2026.12.12 14:00");
    EXPECT_EQ(describe(schedule, "2026-12-12 14:01"), "Off no period");
}

TEST(ScheduleEvaluationTest, YearlyEventsHoldEveryYearAcross29FebruaryAndTheChangeOfYear)
{
    ScheduleDefinition schedule = shopHours();
    schedule.periods = {period("1970-12-31 00:00", "1970-12-31 23:59", PeriodState::Off),
                        period("1970-01-01 00:00", "1970-01-01 23:59", PeriodState::Off),
                        period("1970-02-28 00:00", "1970-03-01 23:59", PeriodState::On),
                        period("2028-02-29 10:00", "2028-02-29 12:00", PeriodState::Off)};
    for (const char* time : {"2026-12-31 09:00", "2031-12-31 23:59:59"})
        EXPECT_EQ(describe(schedule, time), "Off special period 0000.12.31 00:00 -> 0000.12.31 23:59") << time;
    EXPECT_EQ(describe(schedule, "2027-01-01 00:00"), "Off special period 0000.01.01 00:00 -> 0000.01.01 23:59");
    EXPECT_EQ(describe(schedule, "2027-01-02 00:00"), "Off no period");
    EXPECT_EQ(describe(schedule, "2028-02-29 09:59"), "On special period 0000.02.28 00:00 -> 0000.03.01 23:59")
        << "in a leap year the yearly event from 28 February to 1 March holds the 29th";
    EXPECT_EQ(describe(schedule, "2028-02-29 10:30"), "On special period 0000.02.28 00:00 -> 0000.03.01 23:59")
        << "the first listed of two overlapping periods holds";
    EXPECT_EQ(describe(schedule, "2027-03-01 23:59:59"), "On special period 0000.02.28 00:00 -> 0000.03.01 23:59");
    EXPECT_EQ(describe(schedule, "2027-03-02 00:00"), "Off no period");

    const std::vector<ScheduleSegment> switches
        = SwitchingTimes(schedule, at("2026-12-30 12:00"), at("2027-01-04 12:00"));
    std::vector<std::string> lines;
    for (const ScheduleSegment& s : switches)
        lines.push_back(PeriodTimeText(s.start) + (s.state.on ? " On " : " Off ") + CauseText(schedule, s.state));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "2026.12.30 12:00 On Wednesday period 1 08:00-18:00",
                         "2026.12.30 18:00 Off no period",
                         "2027.01.03 22:00 On Sunday period 4 22:00-23:59",
                         "2027.01.03 23:59 Off no period",
                         "2027.01.04 00:00 On Monday period 2 00:00-06:00",
                         "2027.01.04 06:00 Off no period",
                         "2027.01.04 08:00 On Monday period 1 08:00-18:00",
                     }))
        << "the Off of 31 December and 1 January and the free weekend switch nothing";
}

TEST(ScheduleEvaluationTest, SegmentsCoverTheStretchWithoutGapsAndAgreeWithEveryMinute)
{
    ScheduleDefinition schedule = shopHours();
    schedule.periods = {period("2026-12-08 12:00", "2026-12-09 07:30", PeriodState::On),
                        period("1970-12-10 17:00", "1970-12-10 17:00", PeriodState::Off)};
    const uint32_t from = at("2026-12-07 00:00:30");
    const uint32_t to = at("2026-12-14 00:00");
    const std::vector<ScheduleSegment> segments = ScheduleSegments(schedule, from, to);
    ASSERT_FALSE(segments.empty());
    EXPECT_EQ(segments.front().start, from);
    EXPECT_EQ(segments.back().end, to);
    for (size_t i = 0; i < segments.size(); ++i) {
        if (i > 0) {
            EXPECT_EQ(segments[i].start, segments[i - 1].end);
            EXPECT_NE(segments[i].state, segments[i - 1].state);
        }
        for (uint32_t t = segments[i].start; t < segments[i].end; t += 30)
            ASSERT_EQ(StateAt(schedule, t), segments[i].state) << PeriodTimeText(t);
    }
}

} // namespace
