#include "ScopedTimeZone.h"
#include "support/Clock.h"
#include "support/Util.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Every test leaves the clock as it found it: running.
class ClockTest : public ::testing::Test {
protected:
    void TearDown() override { SetFixedTime(std::nullopt); }
};

TEST_F(ClockTest, AFixedTimeIsWhatEveryoneSeesUntilItIsReleased)
{
    SetFixedTime(*ParseUtcTime("2038-01-19 03:14:08"));
    EXPECT_EQ(CurrentTime(), std::time_t(2147483648LL)) << "past 2038 without wrapping";
    EXPECT_EQ(CurrentUtcTime(), (CalendarTime{2038, 1, 19, 3, 14, 8}));
    SetFixedTime(std::nullopt);
    EXPECT_GT(CurrentTime(), std::time_t(1700000000)) << "the system clock again";
}

TEST_F(ClockTest, TheUtcDateDoesNotDependOnTheProcessTimeZone)
{
    const char* previous = std::getenv("TZ");
    const std::string saved = previous ? previous : "";
    setenv("TZ", "EST", 1);
    tzset();
    SetFixedTime(*ParseUtcTime("1998-07-01 02:00:00"));
    EXPECT_EQ(CurrentUtcTime().month, 7) << "EST would make it the last of June";
    previous ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
    tzset();
}

TEST_F(ClockTest, TheTimeStampOfTheLogFollowsTheClock)
{
    const char* previous = std::getenv("TZ");
    const std::string saved = previous ? previous : "";
    setenv("TZ", "UTC", 1);
    tzset();
    SetFixedTime(*ParseUtcTime("2026-12-06 14:08:09"));
    EXPECT_EQ(GetTimeStamp(), "2026-12-06 14:08:09");
    previous ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
    tzset();
}

TEST_F(ClockTest, TheLocalTimeNamesItsZone)
{
    SetFixedTime(*ParseUtcTime("2026-12-31 23:30:00"));
    {
        const ScopedTimeZone zone("CET-1");
        const LocalTime local = CurrentLocalTime();
        EXPECT_EQ(local.time, (CalendarTime{2027, 1, 1, 0, 30, 0})) << "the local date, not the UTC one";
        EXPECT_EQ(local.zoneText(), "CET (UTC+01:00)");
    }
    const ScopedTimeZone zone("NST+3:30");
    const LocalTime local = CurrentLocalTime();
    EXPECT_EQ(local.time, (CalendarTime{2026, 12, 31, 20, 0, 0}));
    EXPECT_EQ(local.zoneText(), "NST (UTC-03:30)");
}

TEST_F(ClockTest, OnlyWholeDatesAndTimesOfTheCalendarAreRead)
{
    EXPECT_EQ(ParseUtcTime("1970-01-01"), std::time_t(0));
    EXPECT_EQ(ParseUtcTime("2000-02-29 23:59:59"), std::time_t(951868799));
    EXPECT_EQ(ParseUtcTime("2106-02-07 06:28:15"), std::time_t(4294967295LL));
    for (const char* bad : {"", "1999-02-29", "2000-13-01", "2000-00-10", "2000-01-01 24:00:00", "2000-1-01",
                            " 998-01-01", "+998-01-01", "2000/01/01", "2000-01-01T00:00:00", "2000-01-01 00:00",
                            "2000-01-01 00:00:00 ", "1969-12-31", "2106-02-07 06:28:16"})
        EXPECT_FALSE(ParseUtcTime(bad)) << '"' << bad << '"';
}

} // namespace
