// The yearly schedule's data without a window: the typed periods, the
// collision rule, the period records and the basic schedule blocks.

#include "editors/schedule/BasicSchedule.h"
#include "editors/schedule/ForcedPeriods.h"
#include "model/TextIds.h"
#include "protocol/CalendarSeconds.h"
#include "protocol/LittleEndian.h"

#include <gtest/gtest.h>

namespace {

constexpr std::nullopt_t none = std::nullopt;

uint32_t at(int year, int month, int day, int hour = 0, int minute = 0)
{
    return *ToCalendarSeconds({year, month, day, hour, minute, 0});
}

ForcedPeriod dated(uint32_t from, uint32_t to, uint8_t state = PeriodState::On) { return {from, to, state}; }
ForcedPeriod yearly(int fromMonth, int fromDay, int toMonth, int toDay, int toHour = 23, int toMinute = 59)
{
    return {at(1970, fromMonth, fromDay), at(1970, toMonth, toDay, toHour, toMinute), PeriodState::Off};
}

PeriodInput typed(std::array<std::optional<int>, 5> from, std::array<std::optional<int>, 5> to) { return {from, to}; }

} // namespace

TEST(ForcedPeriodsTest, TypedFieldsMakeAPeriodOrNameTheFieldToFix)
{
    const PeriodInputResult christmas = PeriodFromInput(typed({none, 12, 24, 0, 0}, {none, 12, 26, 23, 59}), PeriodState::Off);
    ASSERT_TRUE(christmas.period);
    EXPECT_TRUE(christmas.period->yearly());
    EXPECT_EQ(christmas.period->from, at(1970, 12, 24));
    EXPECT_EQ(PeriodLine(*christmas.period, "Off", '\t'), "0000.12.24\t00:00\t->\t0000.12.26\t23:59\t-\tOff");

    const PeriodInputResult leapDay = PeriodFromInput(typed({2008, 2, 29, 0, 0}, {2008, 3, 1, 8, 30}), PeriodState::On);
    ASSERT_TRUE(leapDay.period);
    EXPECT_FALSE(leapDay.period->yearly());
    EXPECT_EQ(PeriodLine(*leapDay.period, "On", ' '), "2008.02.29 00:00 -> 2008.03.01 08:30 - On");

    const auto refused = [](const PeriodInput& input, uint16_t message, PeriodField focus) {
        const PeriodInputResult result = PeriodFromInput(input, PeriodState::On);
        EXPECT_FALSE(result.period);
        EXPECT_EQ(result.messageId, message);
        EXPECT_EQ(result.focus, focus);
    };
    SCOPED_TRACE("refusals");
    refused(typed({none, 2, 29, 0, 0}, {none, 2, 29, 23, 59}), txt::DayNumberExceeded, PeriodField::FromMonth);
    refused(typed({2006, 4, 1, 0, 0}, {2006, 4, 31, 0, 0}), txt::DayNumberExceeded, PeriodField::ToMonth);
    refused(typed({2006, 4, 1, 0, 0}, {none, 4, 2, 0, 0}), txt::YearFieldsBlank, PeriodField::FromYear);
    refused(typed({none, 4, 1, 0, 0}, {2006, 4, 2, 0, 0}), txt::YearFieldsBlank, PeriodField::FromYear);
    refused(typed({2006, 4, 1, 0, 0}, {2006, 4, 2, 0, none}), txt::FillInNumber, PeriodField::ToMinute);
    refused(typed({2006, 4, none, 0, 0}, {2006, 4, 2, 0, 0}), txt::FillInNumber, PeriodField::FromDay);
    refused(typed({2006, 4, 2, 0, 0}, {2006, 4, 2, 0, 0}), txt::ToAfterFrom, PeriodField::FromYear);
    refused(typed({none, 12, 30, 0, 0}, {none, 1, 2, 0, 0}), txt::ToAfterFrom, PeriodField::FromYear);
}

TEST(ForcedPeriodsTest, PeriodsCollideWhenEachStartsNoLaterThanTheOtherEnds)
{
    const ForcedPeriod winter = dated(at(2005, 12, 30), at(2006, 1, 5, 23, 59));
    EXPECT_TRUE(PeriodsCollide(yearly(1, 1, 1, 3), winter)) << "the event is tried in 2005 and in 2006";
    EXPECT_TRUE(PeriodsCollide(winter, yearly(1, 1, 1, 3)));
    EXPECT_FALSE(PeriodsCollide(yearly(12, 24, 12, 26), winter));
    EXPECT_TRUE(PeriodsCollide(yearly(12, 24, 12, 31), winter));

    EXPECT_TRUE(PeriodsCollide(dated(at(2006, 3, 1), at(2006, 3, 31)), dated(at(2006, 3, 10), at(2006, 3, 12))))
        << "enclosing";
    EXPECT_TRUE(PeriodsCollide(dated(at(2006, 3, 1), at(2006, 3, 10)), dated(at(2006, 3, 10), at(2006, 3, 12))))
        << "both ends count";
    EXPECT_FALSE(PeriodsCollide(dated(at(2006, 3, 1), at(2006, 3, 10)), dated(at(2006, 3, 10, 0, 1), at(2006, 3, 12))));
    EXPECT_TRUE(PeriodsCollide(yearly(6, 1, 6, 2), dated(at(2004, 9, 1), at(2008, 3, 1)))) << "a middle year";
    EXPECT_FALSE(PeriodsCollide(yearly(6, 1, 6, 2), dated(at(2004, 6, 3), at(2005, 5, 31))));
    EXPECT_TRUE(PeriodsCollide(yearly(3, 1, 3, 2), yearly(3, 2, 3, 5)));
    EXPECT_FALSE(PeriodsCollide(yearly(3, 1, 3, 1), yearly(3, 2, 3, 5)));
    // The event's 28 February is tried in a leap year too.
    EXPECT_TRUE(PeriodsCollide(yearly(2, 28, 3, 1, 0, 0), dated(at(2008, 2, 29), at(2008, 2, 29, 12, 0))));

    const std::vector<ForcedPeriod> listed = {yearly(12, 24, 12, 26), winter};
    EXPECT_EQ(FindCollision(yearly(1, 2, 1, 2), listed), 1u);
    EXPECT_EQ(FindCollision(yearly(1, 2, 1, 2), listed, 1u), std::nullopt) << "the line being changed";
}

TEST(ForcedPeriodsTest, PeriodsArePackedTenToARecordAndRemovedOnesLeaveDeletedEntries)
{
    std::vector<ForcedPeriod> periods;
    for (int i = 0; i < 25; ++i)
        periods.push_back(dated(at(2010 + i, 5, 1), at(2010 + i, 5, 2), uint8_t(i % 2)));
    const std::vector<McdefRecord> records = PackPeriods(7, periods, 0);
    ASSERT_EQ(records.size(), 3u);
    for (size_t r = 0; r < records.size(); ++r) {
        EXPECT_EQ(records[r].key(), (std::array<uint8_t, 4>{7, BlockType::Data, 4, 0})) << "one key for all";
        EXPECT_EQ(records[r][6], r < 2 ? 10 : 5);
    }
    const uint8_t* entry24 = records[2].data() + 7 + 4 * 10;
    EXPECT_EQ(entry24[0], 24);
    EXPECT_EQ(entry24[1], 0);
    EXPECT_EQ(le::u32(entry24 + 2), periods[24].from);
    EXPECT_EQ(le::u32(entry24 + 6), periods[24].to);
    EXPECT_EQ(records[2][7 + 5 * 10], 0) << "bytes after the last entry stay zero";
    EXPECT_EQ(UnpackPeriods(records), periods);

    // Two of five deleted: three periods and two deleted entries.
    const std::vector<ForcedPeriod> three(periods.begin(), periods.begin() + 3);
    const std::vector<McdefRecord> shrunk = PackPeriods(7, three, 5);
    ASSERT_EQ(shrunk.size(), 1u);
    EXPECT_EQ(shrunk[0][6], 5);
    for (size_t e = 3; e < 5; ++e) {
        const uint8_t* entry = shrunk[0].data() + 7 + e * 10;
        EXPECT_EQ(entry[0], e);
        EXPECT_EQ(entry[1], PeriodState::Deleted);
        EXPECT_EQ(le::u32(entry + 2), 0u);
        EXPECT_EQ(le::u32(entry + 6), 0u);
    }
    EXPECT_EQ(UnpackPeriods(shrunk), three);
    EXPECT_EQ(PackPeriods(7, three, 3)[0][6], 3) << "after a reload only the periods";
    EXPECT_TRUE(PackPeriods(7, {}, 0).empty());

    // A damaged count reads no further than ten entries, and a fourth record is not read.
    std::vector<McdefRecord> damaged = PackPeriods(7, periods, 0);
    damaged[0][6] = 200;
    damaged.push_back(damaged[1]);
    EXPECT_EQ(UnpackPeriods(damaged).size(), 25u);
}

TEST(BasicScheduleTest, PeriodsLiveInBlockTwoAndThreeAtTheirDaysPlace)
{
    BasicSchedule schedule{};
    schedule[0][0] = {7 * 60, 21 * 60};
    schedule[6][3] = {22 * 60, 23 * 60 + 59};
    schedule[2][1] = {0, 30};
    McdefRecord block2(1, BlockType::Data, 2, 0), block3(1, BlockType::Data, 3, 0);
    PackBasicSchedule(schedule, block2, block3);
    EXPECT_EQ(le::i16(block2.data() + 6), 420);
    EXPECT_EQ(le::i16(block2.data() + 8), 1260);
    EXPECT_EQ(le::i16(block3.data() + 6 + (6 * 3 + 2) * 4), 1320) << "Sunday, period 4";
    EXPECT_EQ(le::i16(block3.data() + 6 + (6 * 3 + 2) * 4 + 2), 1439);
    EXPECT_EQ(le::i16(block3.data() + 6 + (2 * 3 + 0) * 4 + 2), 30) << "Wednesday, period 2";
    EXPECT_EQ(block3[90], 0) << "block 3 ends at byte 89";
    EXPECT_EQ(block2.key(), (std::array<uint8_t, 4>{1, BlockType::Data, 2, 0}));
    EXPECT_EQ(UnpackBasicSchedule(block2, block3), schedule);
}

TEST(BasicScheduleTest, APeriodIsWholeAndOffIsNotBeforeOn)
{
    const auto read = [](BasicPeriodInput input) { return BasicPeriodFromInput(input); };
    EXPECT_EQ(read({8, 0, 17, 30}).period, (BasicPeriod{480, 1050}));
    EXPECT_EQ(read({none, none, none, none}).period, BasicPeriod{}) << "all empty";
    EXPECT_EQ(read({0, 0, 0, 0}).period, BasicPeriod{}) << "00:00 to 00:00 is an empty period";
    EXPECT_EQ(read({8, 0, 8, 0}).period, (BasicPeriod{480, 480}));

    const BasicPeriodResult backwards = read({8, 0, 6, 0});
    EXPECT_FALSE(backwards.period);
    EXPECT_EQ(backwards.messageId, txt::OffAfterOn);
    EXPECT_EQ(backwards.focus, BasicPeriodField::OffHours);

    const BasicPeriodResult noMinutes = read({8, none, 17, 0});
    EXPECT_EQ(noMinutes.messageId, txt::FillInValue);
    EXPECT_EQ(noMinutes.focus, BasicPeriodField::OnMinutes);
    EXPECT_EQ(read({none, none, none, 30}).focus, BasicPeriodField::OnHours);
    EXPECT_EQ(read({8, 0, none, 0}).focus, BasicPeriodField::OffHours);
}
