#include "editors/energy/PoHistory.h"
#include "editors/energy/PoHistoryExport.h"
#include "protocol/LittleEndian.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

// A history record {12, 4, period, item} with its count byte and entries.
McdefRecord historyRecord(HistoryPeriod period, uint8_t item, uint8_t count, const std::vector<HistoryEntry>& entries)
{
    McdefRecord r(12, 4, uint8_t(period), item);
    r[6] = count;
    for (size_t i = 0; i < entries.size(); ++i) {
        uint8_t* e = r.data() + 7 + 5 * i;
        e[0] = entries[i].caseNumber;
        e[1] = entries[i].address;
        e[2] = entries[i].loop;
        le::putU16(e + 3, entries[i].minutes);
    }
    return r;
}

std::vector<HistoryEntry> numbered(size_t count, uint8_t firstCase, uint16_t minutes = 60)
{
    std::vector<HistoryEntry> entries;
    for (size_t i = 0; i < count; ++i)
        entries.push_back({uint8_t(firstCase + i), uint8_t(firstCase + i + 1), 0, minutes});
    return entries;
}

// Entries whose minutes are the given values, in that order.
std::vector<HistoryEntry> withMinutes(const std::vector<uint16_t>& minutes)
{
    std::vector<HistoryEntry> entries;
    for (size_t i = 0; i < minutes.size(); ++i)
        entries.push_back({uint8_t(i), uint8_t(i + 1), 0, minutes[i]});
    return entries;
}

std::vector<size_t> iota(size_t first, size_t last)
{
    std::vector<size_t> values(last - first + 1);
    std::iota(values.begin(), values.end(), first);
    return values;
}

TEST(PoHistoryRecords, AFullRecordIsFollowedByTheNextAndAShortOneEndsThePeriod)
{
    const std::vector<HistoryEntry> first = numbered(20, 0);
    const std::vector<HistoryEntry> second = numbered(19, 20);
    const std::vector<McdefRecord> records = {
        historyRecord(HistoryPeriod::Day, 0, 20, first),
        historyRecord(HistoryPeriod::Day, 1, 19, second),
        historyRecord(HistoryPeriod::Day, 2, 5, numbered(5, 39)),
    };
    const std::vector<HistoryEntry> entries = HistoryEntriesOf(records);
    ASSERT_EQ(entries.size(), 39u) << "the third record comes after one of 19 entries";
    EXPECT_EQ(entries.front(), first.front());
    EXPECT_EQ(entries[20], second.front());
    EXPECT_EQ(entries.back(), second.back());
}

TEST(PoHistoryRecords, EntriesWithoutAControllerAreLeftOutAndACountAbove20IsCut)
{
    std::vector<HistoryEntry> stored = numbered(20, 0);
    stored[3].address = 255;
    stored[7].loop = 255;
    const std::vector<HistoryEntry> entries =
        HistoryEntriesOf({historyRecord(HistoryPeriod::Week, 0, 200, stored),
                          historyRecord(HistoryPeriod::Week, 1, 1, {{20, 40, 1, 600}})});
    ASSERT_EQ(entries.size(), 19u);
    EXPECT_EQ(entries[3].caseNumber, 4);
    EXPECT_EQ(entries[6].caseNumber, 8);
    EXPECT_EQ(entries.back(), (HistoryEntry{20, 40, 1, 600}));
    EXPECT_TRUE(HistoryEntriesOf({}).empty());
}

TEST(PoHistoryRows, FewerThanTenOrUnequalPeriodsKeepEveryEntry)
{
    std::vector<HistoryEntry> day = withMinutes({10, 300, 20});
    std::vector<HistoryEntry> week = withMinutes({400, 10, 900, 50});
    EXPECT_FALSE(HistoryRowPositions(day, week).has_value());
    const std::vector<HistoryEntry> dayBefore = day;
    const std::vector<HistoryEntry> weekBefore = week;
    SelectHistoryRows(day, week);
    EXPECT_EQ(day, dayBefore);
    EXPECT_EQ(week, weekBefore);
    EXPECT_FALSE(HistoryRowPositions({}, {}).has_value());

    // Fewer than ten of each: all of them, in list order, whatever the ranking.
    EXPECT_EQ(HistoryRowPositions(withMinutes({0, 5, 300, 0, 20, 7}), withMinutes({900, 0, 0, 40, 2, 1})),
              iota(0, 5));
}

TEST(PoHistoryRows, TwelveEvaporatorsRankedAlikeShowTen)
{
    // Equal minutes everywhere, and the same order in both periods.
    EXPECT_EQ(HistoryRowPositions(withMinutes(std::vector<uint16_t>(12, 90)), withMinutes(std::vector<uint16_t>(12, 600))),
              iota(0, 9));
    const std::vector<uint16_t> falling = {120, 110, 100, 90, 80, 70, 60, 50, 40, 30, 20, 10};
    std::vector<uint16_t> fallingWeek;
    for (uint16_t m : falling)
        fallingWeek.push_back(uint16_t(m * 7));
    EXPECT_EQ(HistoryRowPositions(withMinutes(falling), withMinutes(fallingWeek)), iota(0, 9));

    std::vector<HistoryEntry> day = withMinutes(falling);
    std::vector<HistoryEntry> week = withMinutes(fallingWeek);
    SelectHistoryRows(day, week);
    ASSERT_EQ(day.size(), 10u);
    ASSERT_EQ(week.size(), 10u);
    EXPECT_EQ(day.back().minutes, 30);
    EXPECT_EQ(week.back().minutes, 210) << "both periods keep the same evaporators";
}

TEST(PoHistoryRows, DifferentLeadersInEachPeriodFillFourteenRows)
{
    // The first ten lead the last 24 hours, the last ten the week: no repeats.
    std::vector<uint16_t> day(20, 0);
    std::vector<uint16_t> week(20, 0);
    for (size_t i = 0; i < 10; ++i) {
        day[i] = uint16_t(200 - i);
        week[10 + i] = uint16_t(2000 - i);
    }
    std::vector<size_t> expected = iota(0, 6);
    const std::vector<size_t> fromWeek = iota(10, 16);
    expected.insert(expected.end(), fromWeek.begin(), fromWeek.end());
    EXPECT_EQ(HistoryRowPositions(withMinutes(day), withMinutes(week)), expected);
}

TEST(PoHistoryRows, AnEvaporatorNeverCriticalGivesWayToTheNextOfTheOtherPeriod)
{
    // No evaporator was critical in the last 24 hours; in the week the later
    // ones were more often. The first evaporator, the least critical of the
    // week, moves down the 24-hour ranking and is not shown; without that it
    // would be the first row.
    std::vector<uint16_t> rising;
    for (uint16_t i = 1; i <= 12; ++i)
        rising.push_back(uint16_t(10 * i));
    const std::vector<uint16_t> none(12, 0);
    const std::vector<size_t> expected = {1, 2, 3, 4, 5, 7, 8, 9, 10, 11};
    EXPECT_EQ(HistoryRowPositions(withMinutes(none), withMinutes(rising)), expected);
    // And the same with the periods' roles exchanged.
    EXPECT_EQ(HistoryRowPositions(withMinutes(rising), withMinutes(none)), expected);
}

TEST(PoHistoryAxes, TheHoursAxisEndsAboveTheLargestValueAndThePercentAxisMatchesIt)
{
    const std::vector<HistoryEntry> sevenHours = withMinutes({30, 420, 200});
    const HistoryAxes day = HistoryAxisMaxima(sevenHours, 24);
    EXPECT_EQ(day.hoursMaximum, 8);
    EXPECT_EQ(day.percentMaximum, 33);
    const HistoryAxes week = HistoryAxisMaxima(sevenHours, 168);
    EXPECT_EQ(week.hoursMaximum, 8);
    EXPECT_EQ(week.percentMaximum, 5);

    EXPECT_EQ(HistoryAxisMaxima(withMinutes({54}), 24).hoursMaximum, 1) << "0.9 hours";
    EXPECT_EQ(HistoryAxisMaxima(withMinutes({479}), 24).hoursMaximum, 8) << "7.98 hours";
    const HistoryAxes nothing = HistoryAxisMaxima(withMinutes({0, 0}), 168);
    EXPECT_EQ(nothing.hoursMaximum, 1);
    EXPECT_EQ(nothing.percentMaximum, 1);
    EXPECT_EQ(HistoryAxisMaxima(withMinutes({10080}), 168).percentMaximum, 101) << "169 hours";
}

TEST(PoHistoryExport, LinesCarryCaseAddressLoopPercentAndHours)
{
    const std::vector<HistoryEntry> day = {{0, 12, 1, 180}, {1, 3, 0, 1}, {2, 40, 6, 1440}};
    const std::vector<HistoryEntry> week = {{0, 12, 1, 2150}};
    EXPECT_EQ(HistoryRowLabel(day[0]), "012 B");
    EXPECT_EQ(HistoryRowLabel(day[2]), "040 G");
    const std::string text = HistoryExportText("001:125", 12, "Po MT", day, week, {{2026, 3, 7, 9, 5, 4}, "CET", 60});
    EXPECT_EQ(text,
              "Po Optimizer 'Po MT'\n"
              "Net address 001, MCF number 12, 03/07/26 09:05:04 CET (UTC+01:00)\n"
              "\n"
              "24 Hour period\n"
              "Case no.;Addr.;Sect.;Hours in %;Hours of selection;\n"
              "1;012;B;12.5;3.0\n"
              "2;003;A;0.1;0.0\n"
              "3;040;G;100.0;24.0\n"
              "\n"
              "7 day period\n"
              "Case no.;Addr.;Sect.;Hours in %;Hours of selection;\n"
              "1;012;B;21.3;35.8\n"
              "\n");
    EXPECT_EQ(HistoryExportText("002:125", 7, "", {}, {}, {{2031, 12, 31, 23, 59, 59}, "UTC", 0}),
              "Po Optimizer ''\nNet address 002, MCF number 7, 12/31/31 23:59:59 UTC (UTC+00:00)\n\n"
              "24 Hour period\nCase no.;Addr.;Sect.;Hours in %;Hours of selection;\n\n"
              "7 day period\nCase no.;Addr.;Sect.;Hours in %;Hours of selection;\n\n");
}

TEST(PoHistoryExport, TheDefaultNameIsInTheExportFolder)
{
    TestHome home;
    ASSERT_TRUE(home.ok());
    EXPECT_EQ(DefaultHistoryExportPath("001:125", 12), home.path() + "export/001_MCF_12.csv");
    home.setIni("ORPA.INI", "Install", "EXPDir", "");
    EXPECT_EQ(DefaultHistoryExportPath("002:125", 105), home.path() + "002_MCF_105.csv");
}

} // namespace
