// Holiday calendars read into special periods: all-day, multi-day, timed and
// yearly events, other recurrences over the coming year, and the plan of
// what is added, what ended before now, what collides and what cannot be held.

#include "editors/schedule/HolidayCalendar.h"

#include "model/FunctionSettings.h"
#include "protocol/CalendarSeconds.h"
#include "support/RegularFile.h"
#include "SampleCalendar.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

uint32_t seconds(int year, int month, int day, int hour = 0, int minute = 0)
{
    return ToCalendarSeconds({year, month, day, hour, minute, 0}).value();
}

const uint32_t Now = seconds(2026, 12, 7, 12, 0);



const std::string Holidays = IcsCalendar(
    IcsEvent("Christmas", "DTSTART;VALUE=DATE:20261224\r\nDTEND;VALUE=DATE:20261227\r\n")
    + IcsEvent("New Year's Eve", "DTSTART;VALUE=DATE:20261231\r\n")
    + IcsEvent("Stocktaking", "DTSTART:20261212T100000\r\nDTEND:20261212T143045\r\n")
    + IcsEvent("Labour Day", "DTSTART;VALUE=DATE:20200501\r\nDTEND;VALUE=DATE:20200502\r\nRRULE:FREQ=YEARLY\r\n")
    + IcsEvent("Spring holiday",
            "DTSTART;VALUE=DATE:20200525\r\nDTEND;VALUE=DATE:20200526\r\nRRULE:FREQ=YEARLY;BYMONTH=5;BYDAY=-1MO\r\n")
    + IcsEvent("Inventory", "DTSTART;VALUE=DATE:20261207\r\nRRULE:FREQ=WEEKLY;COUNT=3\r\nEXDATE;VALUE=DATE:20261214\r\n")
    + IcsEvent("All Saints", "DTSTART;VALUE=DATE:20261101\r\nDTEND;VALUE=DATE:20261102\r\n")
    + IcsEvent("Boxing Day", "DTSTART;VALUE=DATE:20261226\r\nDTEND;VALUE=DATE:20261227\r\n")
    + IcsEvent("Far future", "DTSTART;VALUE=DATE:20400101\r\nDTEND;VALUE=DATE:20400102\r\n"));

std::vector<std::string> texts(const std::vector<HolidayEvent>& events)
{
    std::vector<std::string> all;
    for (const HolidayEvent& e : events)
        all.push_back(HolidayEventText(e));
    return all;
}

TEST(HolidayCalendarTest, EachKindOfEventBecomesItsPeriod)
{
    std::string problem;
    const auto events = ParseHolidayCalendar(Holidays, Now, problem);
    ASSERT_TRUE(events) << problem;
    EXPECT_EQ(texts(*events), (std::vector<std::string>{
                                  "2026.12.24 00:00 -> 2026.12.26 23:59 Christmas",
                                  "2026.12.31 00:00 -> 2026.12.31 23:59 New Year's Eve",
                                  "2026.12.12 10:00 -> 2026.12.12 14:30 Stocktaking",
                                  "0000.05.01 00:00 -> 0000.05.01 23:59 Labour Day",
                                  "2027.05.31 00:00 -> 2027.05.31 23:59 Spring holiday",
                                  "2026.12.07 00:00 -> 2026.12.07 23:59 Inventory",
                                  "2026.12.21 00:00 -> 2026.12.21 23:59 Inventory",
                                  "2026.11.01 00:00 -> 2026.11.01 23:59 All Saints",
                                  "2026.12.26 00:00 -> 2026.12.26 23:59 Boxing Day",
                                  "2040.01.01 00:00 -> 2040.01.01 23:59 Far future",
                              }))
        << "a date end is the day after; a yearly rule on another weekday each year and a weekly one are "
           "expanded over the coming year, without the excluded date";
    EXPECT_TRUE((*events)[3].period->yearly());
    const auto marked = ParseHolidayCalendar("\xEF\xBB\xBF" + Holidays, Now, problem);
    ASSERT_TRUE(marked) << "a byte order mark before the calendar: " << problem;
    EXPECT_EQ(texts(*marked), texts(*events));
}

TEST(HolidayCalendarTest, ATimeWithAZoneIsTakenInLocalTimeAndAFloatingOneAsWritten)
{
    const char* before = std::getenv("TZ");
    const std::string saved = before ? before : "";
    setenv("TZ", "CET-1", 1);
    tzset();
    std::string problem;
    const auto events = ParseHolidayCalendar(
        IcsCalendar(IcsEvent("Audit", "DTSTART:20261215T080000Z\r\nDTEND:20261215T090000Z\r\n")
                 + IcsEvent("Meeting", "DTSTART:20261215T080000\r\nDURATION:PT2H\r\n")),
        Now, problem);
    if (before)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    ASSERT_TRUE(events) << problem;
    EXPECT_EQ(texts(*events), (std::vector<std::string>{"2026.12.15 09:00 -> 2026.12.15 10:00 Audit",
                                                        "2026.12.15 08:00 -> 2026.12.15 10:00 Meeting"}));
}

TEST(HolidayCalendarTest, ThePlanSkipsThePastCollisionsAndWhatAPeriodCannotHold)
{
    std::string problem;
    const auto events = ParseHolidayCalendar(Holidays, Now, problem);
    ASSERT_TRUE(events) << problem;
    const std::vector<ForcedPeriod> listed = {
        {seconds(2026, 12, 31, 12, 0), seconds(2027, 1, 1, 12, 0), PeriodState::On}};
    const std::vector<HolidayChoice> plan = PlanHolidays(*events, listed, Now, PeriodState::Off);
    ASSERT_EQ(plan.size(), events->size());
    std::vector<std::string> reasons;
    size_t added = 0;
    for (const HolidayChoice& choice : plan) {
        reasons.push_back(HolidayReasonText(choice));
        if (choice.verdict == HolidayVerdict::Add) {
            ++added;
            EXPECT_EQ(choice.event.period->state, PeriodState::Off);
        }
    }
    EXPECT_EQ(reasons, (std::vector<std::string>{
                           "",
                           "collides with '2026.12.31 12:00 -> 2027.01.01 12:00 - On'",
                           "",
                           "",
                           "",
                           "",
                           "",
                           "ended before now",
                           "collides with '2026.12.24 00:00 -> 2026.12.26 23:59 - Off'",
                           "cannot be held: years 1997..2038, or 0000 at both ends for a yearly event",
                       }))
        << "an event in progress is added; one event of the file collides with another added before it";
    EXPECT_EQ(added, 6u);

    const std::vector<HolidayChoice> on = PlanHolidays(*events, {}, Now, PeriodState::On);
    EXPECT_EQ(on[1].verdict, HolidayVerdict::Add);
    EXPECT_EQ(on[1].event.period->state, PeriodState::On);
}

TEST(HolidayCalendarTest, AFileThatIsNoCalendarOrHasAnEventWithoutAStartIsRefusedByName)
{
    std::string problem;
    EXPECT_FALSE(ParseHolidayCalendar("Christmas is on 24 December\n", Now, problem));
    EXPECT_EQ(problem, "is not a whole iCalendar file (BEGIN:VCALENDAR .. END:VCALENDAR)");
    EXPECT_FALSE(ParseHolidayCalendar(IcsCalendar(IcsEvent("Christmas", "DTSTART;VALUE=DATE:20261224\r\n")
                                               + IcsEvent("Boxing Day", "DTEND;VALUE=DATE:20261227\r\n")),
                                      Now, problem));
    EXPECT_EQ(problem, "holds the event 'Boxing Day' without a start (DTSTART)");
    EXPECT_FALSE(ParseHolidayCalendar(IcsCalendar(IcsEvent("Christmas", "DTSTART:tomorrow\r\n")), Now, problem));
    EXPECT_EQ(problem.rfind("is malformed: ", 0), 0u) << problem;
    EXPECT_NE(problem.find("DTSTART"), std::string::npos) << problem;
    EXPECT_FALSE(ParseHolidayCalendar(IcsCalendar(IcsEvent("Christmas", "DTSTART;VALUE=DATE:20261324\r\n")), Now, problem));
    EXPECT_EQ(problem, "is malformed: the event 'Christmas' names a day that does not exist");
    EXPECT_FALSE(ParseHolidayCalendar(IcsCalendar("BEGIN:VEVENT\r\nUID:1@velt\r\nEND:VEVENT\r\n"), Now, problem));
    EXPECT_EQ(problem, "holds the event number 1 without a start (DTSTART)");

    QTemporaryDir folder;
    const std::string missing = folder.path().toStdString() + "/none.ics";
    EXPECT_FALSE(ReadHolidayCalendar(missing, Now, problem));
    EXPECT_EQ(problem, DescribeFileProblem(missing, FileProblem::Missing, 0));
    EXPECT_FALSE(ReadHolidayCalendar(folder.path().toStdString(), Now, problem));
    EXPECT_NE(problem.find("folder"), std::string::npos) << problem;
    const std::string file = folder.path().toStdString() + "/holidays.ics";
    ASSERT_TRUE(WriteFileReplacing(file, IcsCalendar(IcsEvent("Christmas", "DTSTART;VALUE=DATE:20261224\r\n")).substr(0, 80),
                                   problem))
        << problem;
    EXPECT_FALSE(ReadHolidayCalendar(file, Now, problem));
    EXPECT_EQ(problem.rfind(file + " ", 0), 0u) << problem;
}

} // namespace
