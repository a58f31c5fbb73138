// The alarm limit settings without a window: data block 2's layout, the band
// check, the ramp's top value and the change lines.

#include "editors/energy/AlarmSettings.h"
#include "protocol/LittleEndian.h"
#include "protocol/TypeCatalogue.h"

#include <gtest/gtest.h>

namespace {

McdefRecord filledBlock()
{
    McdefRecord block(6, BlockType::Data, 2, 0);
    for (size_t i = 4; i < McdefRecord::Size; ++i)
        block[i] = uint8_t(0xA0 + i % 16);
    return block;
}

} // namespace

TEST(AlarmSettingsTest, TheSettingsLieLittleEndianFromByteSix)
{
    McdefRecord block = filledBlock();
    const McdefRecord before = block;
    const AlarmSettings settings{true, 35, 12, 21, -42};
    PackAlarmSettings(settings, FunctionType::AlarmLimitDirect, block);

    EXPECT_EQ(block[6], 1);
    EXPECT_EQ(std::vector<uint8_t>(block.data() + 7, block.data() + 15),
              (std::vector<uint8_t>{35, 0, 12, 0, 21, 0, 0xD6, 0xFF}));
    for (size_t i : {size_t(0), size_t(1), size_t(2), size_t(3), size_t(4), size_t(5), size_t(15), size_t(60),
                     size_t(109)})
        EXPECT_EQ(block[i], before[i]) << "byte " << i << " is not a setting";
    EXPECT_EQ(UnpackAlarmSettings(block), settings);

    PackAlarmSettings(AlarmSettings{}, FunctionType::AlarmLimitDirect, block);
    EXPECT_EQ(block[6], 0) << "the switch is cleared again";
}

TEST(AlarmSettingsTest, AnOffsetFunctionLeavesTheEntranceValueAsRead)
{
    McdefRecord block = filledBlock();
    le::putI16(block.data() + 13, 7);
    PackAlarmSettings(AlarmSettings{false, 20, 22, 28, -30}, FunctionType::AlarmLimitOffset, block);
    EXPECT_EQ(le::i16(block.data() + 13), 7);
    EXPECT_EQ(le::i16(block.data() + 11), 28);
    EXPECT_EQ(UnpackAlarmSettings(block).entrance, 7) << "read back as it stands";
}

TEST(AlarmSettingsTest, TheUpperBandMustLieAboveTheLowerByAtMostTen)
{
    EXPECT_EQ(CheckBand(20, 30), BandCheck::Accepted);
    EXPECT_EQ(CheckBand(25, 26), BandCheck::Accepted);
    EXPECT_EQ(CheckBand(20, 31), BandCheck::TooWide);
    EXPECT_EQ(CheckBand(10, 40), BandCheck::TooWide);
    EXPECT_EQ(CheckBand(25, 25), BandCheck::StartNotAboveStop);
    EXPECT_EQ(CheckBand(30, 25), BandCheck::StartNotAboveStop);
    EXPECT_EQ(CheckBand(40, 10), BandCheck::StartNotAboveStop) << "reversed and wide: the order is checked first";
}

TEST(AlarmSettingsTest, TheTopValueAddsTheEntranceValueOnlyForADirectLimit)
{
    EXPECT_EQ(RampTopValue(AlarmSettings{}, FunctionType::AlarmLimitOffset), 5) << "a new function";
    EXPECT_EQ(RampTopValue(AlarmSettings{}, FunctionType::AlarmLimitDirect), 5);
    const AlarmSettings coldRoom{false, 25, 20, 26, -18};
    EXPECT_EQ(RampTopValue(coldRoom, FunctionType::AlarmLimitDirect), -12);
    EXPECT_EQ(RampTopValue(coldRoom, FunctionType::AlarmLimitOffset), 6);
    EXPECT_EQ(RampTopValue(AlarmSettings{false, 25, 30, 25, 0}, FunctionType::AlarmLimitOffset), -5)
        << "a reversed band is shown as typed";
}

TEST(AlarmSettingsTest, ChangeLinesNameEachChangedFieldInTheLogOrder)
{
    const AlarmSettings loaded{false, 25, 20, 26, -18};
    EXPECT_TRUE(AlarmSettingsChangeLines(loaded, loaded).empty());

    const AlarmSettings saved{true, 30, 21, 29, -20};
    EXPECT_EQ(AlarmSettingsChangeLines(loaded, saved), (std::vector<std::string>{
                                                           "Use Outdoor Temp.  OFF -> ON",
                                                           "Outdoor reference temp.  25 -> 30",
                                                           "Offset start temp.  20 -> 21",
                                                           "Offset stop temp.  26 -> 29",
                                                           "Entrance temp.  -18 -> -20",
                                                       }));

    AlarmSettings switchedOff = saved;
    switchedOff.useOutdoor = false;
    EXPECT_EQ(AlarmSettingsChangeLines(saved, switchedOff),
              (std::vector<std::string>{"Use Outdoor Temp.  ON -> OFF"}));
}
