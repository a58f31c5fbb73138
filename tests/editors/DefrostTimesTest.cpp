// The central defrost's times without a window: Auto Set, the read-back of a
// typed time and the packing into data block 3.

#include "editors/defrost/DefrostTimes.h"
#include "model/Records.h"
#include "protocol/LittleEndian.h"

#include <gtest/gtest.h>

namespace {

constexpr std::nullopt_t none = std::nullopt;
using Rows = std::array<std::optional<int>, DefrostTimesPerSchedule>;

constexpr int hm(int hours, int minutes) { return hours * 60 + minutes; }

} // namespace

TEST(AutoSetTest, SpreadsTheTimesEvenlyAndEmptiesTheRest)
{
    EXPECT_EQ(AutoSetTimes(4, hm(0, 0), hm(7, 0)), (Rows{hm(0, 0), hm(2, 20), hm(4, 40), hm(7, 0), none, none, none, none}));
    EXPECT_EQ(AutoSetTimes(2, hm(6, 0), hm(18, 30)), (Rows{hm(6, 0), hm(18, 30), none, none, none, none, none, none}));
    EXPECT_EQ(AutoSetTimes(8, hm(0, 0), hm(21, 0)),
              (Rows{hm(0, 0), hm(3, 0), hm(6, 0), hm(9, 0), hm(12, 0), hm(15, 0), hm(18, 0), hm(21, 0)}));
}

TEST(AutoSetTest, TheStepIsTruncatedAndTheLastRowIsTheLastTime)
{
    // 100 minutes in 3 steps: 33 each, the last row takes the rest.
    EXPECT_EQ(AutoSetTimes(4, 0, 100), (Rows{0, 33, 66, 100, none, none, none, none}));
}

TEST(AutoSetTest, ALastTimeBeforeTheFirstGivesDescendingTimes)
{
    // -100 / 3 truncates toward zero to -33, not -34.
    EXPECT_EQ(AutoSetTimes(4, 100, 0), (Rows{100, 67, 34, 0, none, none, none, none}));
    EXPECT_EQ(AutoSetTimes(3, hm(22, 0), hm(2, 0)), (Rows{hm(22, 0), hm(12, 0), hm(2, 0), none, none, none, none, none}))
        << "no wrap at midnight";
}

TEST(AutoSetTest, ZeroOrOneTimeNeverDivides)
{
    EXPECT_EQ(AutoSetTimes(0, hm(1, 0), hm(5, 0)), Rows{});
    EXPECT_EQ(AutoSetTimes(1, hm(1, 0), hm(5, 0)), (Rows{hm(1, 0), none, none, none, none, none, none, none}));
    EXPECT_EQ(AutoSetTimes(1, hm(1, 0), hm(1, 0)), (Rows{hm(1, 0), none, none, none, none, none, none, none}));
}

TEST(AutoSetTest, NineTimesFillAllRowsWithoutReachingTheLast)
{
    // "No of Def." holds one digit: 9 passes the edit's first character.
    EXPECT_EQ(AutoSetTimes(9, 0, 80), (Rows{0, 10, 20, 30, 40, 50, 60, 70}));
}

TEST(DefrostTimeInputTest, BothEmptyIsNoTimeOneEmptyNamesTheMissingField)
{
    const TypedDefrostTime empty = DefrostTimeFromInput(none, none);
    EXPECT_EQ(empty.time, NoDefrostTime);
    EXPECT_FALSE(empty.missing);

    EXPECT_EQ(DefrostTimeFromInput(6, none).missing, DefrostTimeField::Minutes);
    EXPECT_EQ(DefrostTimeFromInput(none, 30).missing, DefrostTimeField::Hours);

    const TypedDefrostTime midnight = DefrostTimeFromInput(0, 0);
    EXPECT_EQ(midnight.time, 0) << "00:00 is a time, not an empty field";
    EXPECT_FALSE(midnight.missing);
    EXPECT_EQ(DefrostTimeFromInput(23, 59).time, 1439);
}

TEST(DefrostTimesTest, PacksTimesLittleEndianThenWeekdaysAndKeepsTheKey)
{
    DefrostTimes defrost;
    EXPECT_FALSE(defrost.anySet());
    defrost.times[DefrostTimes::index(0, 0)] = hm(6, 0);
    defrost.times[DefrostTimes::index(1, 7)] = hm(23, 59);
    defrost.times[DefrostTimes::index(2, 1)] = 0;
    defrost.weekdays = {0, 0, 0, 0, 0, 1, 2};
    EXPECT_TRUE(defrost.anySet());

    McdefRecord block(9, BlockType::Data, 3, 0);
    block[61] = 0xAB; // beyond the weekdays: not touched
    PackDefrostTimes(defrost, block);
    EXPECT_EQ(block.key(), (std::array<uint8_t, 4>{9, BlockType::Data, 3, 0}));
    EXPECT_EQ(block[6], 0x68); // 360 = 0x0168, low byte first
    EXPECT_EQ(block[7], 0x01);
    EXPECT_EQ(le::i16(block.data() + 6 + 2 * 15), 1439);
    EXPECT_EQ(le::i16(block.data() + 6 + 2 * 17), 0);
    EXPECT_EQ(block[8], 0xFF) << "a time not set is -1";
    EXPECT_EQ(block[9], 0xFF);
    EXPECT_EQ(le::i16(block.data() + 52), NoDefrostTime) << "the last time ends at byte 53";
    EXPECT_EQ((std::array<uint8_t, 7>{block[54], block[55], block[56], block[57], block[58], block[59], block[60]}),
              (std::array<uint8_t, 7>{0, 0, 0, 0, 0, 1, 2}));
    EXPECT_EQ(block[61], 0xAB);

    EXPECT_EQ(UnpackDefrostTimes(block), defrost);
}
