// Calendar dates as the gateway counts them: seconds since 1970 without any
// time zone, unsigned 32-bit.

#include "protocol/CalendarSeconds.h"

#include <QDateTime>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

TEST(CalendarSecondsTest, KnownDatesAndTheEndsOfTheRange)
{
    EXPECT_EQ(ToCalendarSeconds({1970, 1, 1, 0, 0, 0}), 0u);
    EXPECT_EQ(ToCalendarSeconds({2005, 12, 30, 0, 0, 0}), 1135900800u);
    // Past the signed 32-bit end the values go on unsigned.
    EXPECT_EQ(ToCalendarSeconds({2038, 1, 19, 3, 14, 7}), 2147483647u);
    EXPECT_EQ(ToCalendarSeconds({2038, 1, 19, 3, 14, 8}), 2147483648u);
    EXPECT_EQ(ToCalendarSeconds({2038, 12, 31, 23, 59, 0}), 2177452740u);
    EXPECT_EQ(ToCalendarSeconds({2106, 2, 7, 6, 28, 15}), 4294967295u);
    EXPECT_EQ(ToCalendarSeconds({2106, 2, 7, 6, 28, 16}), std::nullopt);
    EXPECT_EQ(ToCalendarSeconds({1969, 12, 31, 23, 59, 59}), std::nullopt);
    EXPECT_EQ(FromCalendarSeconds(4294967295u), (CalendarTime{2106, 2, 7, 6, 28, 15}));
    EXPECT_EQ(FromCalendarSeconds(2147483648u), (CalendarTime{2038, 1, 19, 3, 14, 8}));
}

TEST(CalendarSecondsTest, MonthLengthsFollowTheGregorianLeapYears)
{
    EXPECT_EQ(DaysInMonth(1970, 2), 28);
    EXPECT_EQ(DaysInMonth(2004, 2), 29);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(2100, 2), 28);
    EXPECT_EQ(DaysInMonth(2005, 4), 30);
    EXPECT_EQ(DaysInMonth(2005, 12), 31);
    EXPECT_EQ(DaysInMonth(2005, 0), 0);
    EXPECT_EQ(DaysInMonth(2005, 13), 0);
    EXPECT_TRUE(ToCalendarSeconds({2004, 2, 29, 12, 0, 0}));
    EXPECT_FALSE(ToCalendarSeconds({2005, 2, 29, 12, 0, 0}));
    EXPECT_FALSE(ToCalendarSeconds({1970, 2, 29, 0, 0, 0}));
    EXPECT_FALSE(ToCalendarSeconds({2005, 4, 31, 0, 0, 0}));
    EXPECT_FALSE(ToCalendarSeconds({2005, 4, 0, 0, 0, 0}));
    EXPECT_FALSE(ToCalendarSeconds({2005, 4, 1, 24, 0, 0}));
}

// Every day from 1970 to 2106 at a moving time of day agrees with Qt's UTC
// arithmetic both ways, whatever zone the process has.
TEST(CalendarSecondsTest, AgreesWithUtcArithmeticOnEveryDayWhateverTheProcessZone)
{
    const char* oldZone = std::getenv("TZ");
    const std::string saved = oldZone ? oldZone : "";
    setenv("TZ", "EST", 1);
    tzset();
    int mismatches = 0;
    for (uint32_t day = 0; day < 49710; ++day) {
        const uint32_t seconds = day * 86400u + (day * 3607u) % 86400u;
        const QDateTime utc = QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc());
        const CalendarTime time = FromCalendarSeconds(seconds);
        const CalendarTime expected{utc.date().year(), utc.date().month(), utc.date().day(),
                                    utc.time().hour(), utc.time().minute(), utc.time().second()};
        if (time != expected || ToCalendarSeconds(time) != seconds)
            ++mismatches;
    }
    EXPECT_EQ(mismatches, 0);
    if (oldZone)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}
