#include "list/FunctionListRules.h"
#include "model/McdefAccess.h"
#include "protocol/TypeCatalogue.h"

#include <gtest/gtest.h>

namespace {

FunctionItem item(uint8_t number, uint8_t type, uint8_t flags = 0)
{
    return ItemFromHeader(number, type, "F" + std::to_string(number), flags);
}

TEST(FunctionListRules, NewNeedsRoomInTheListAndAnEditableList)
{
    EXPECT_TRUE(ComputeListButtons({}, 104, true).newFunction);
    EXPECT_FALSE(ComputeListButtons({}, 105, true).newFunction);
    EXPECT_FALSE(ComputeListButtons({}, 3, false).newFunction);

    std::vector<uint8_t> used;
    for (int n = 1; n <= 104; ++n)
        used.push_back(uint8_t(n));
    EXPECT_EQ(LowestFreeNumber(used), 105);
    used.push_back(105);
    EXPECT_EQ(LowestFreeNumber(used), 0);
    EXPECT_EQ(LowestFreeNumber({2, 3, 5}), 1);
    EXPECT_EQ(LowestFreeNumber({1, 2, 3, 5}), 4);
}

TEST(FunctionListRules, NewOffersTheTypesTheGatewayStillAccepts)
{
    GatewayCapacity capacity;
    capacity.freeMemory = 2240; // Day/Night Contr. (2236 bytes) fits, Day/Night ext. (2248) does not
    capacity.typeLimits.fill(2);
    capacity.typeLimits[FunctionType::YearlySchedule] = 1;
    const std::vector<FunctionItem> listed = {item(1, FunctionType::YearlySchedule), item(2, FunctionType::QebOn)};
    const std::vector<uint8_t> types = NewFunctionTypes(listed, capacity);
    EXPECT_EQ(types, (std::vector<uint8_t>{FunctionType::AlarmLimitOffset, FunctionType::DayNightControl,
                                           FunctionType::PeakShaving, FunctionType::AlarmLimitDirect,
                                           FunctionType::CentralDefrost}))
        << "schedules at their limit of 1, QEB On (2252), Day/Night ext. (2248) and Po Optimizer too large";

    capacity.freeMemory = 100;
    EXPECT_TRUE(NewFunctionTypes(listed, capacity).empty());
}

TEST(FunctionListRules, HistoryOnlyForAStartedPoOptimizerSelectedLast)
{
    const FunctionItem po = item(8, FunctionType::PoOptimizer, FunctionFlag::Started);
    const FunctionItem dayNight = item(3, FunctionType::DayNightControl);
    EXPECT_TRUE(ComputeListButtons({po}, 2, true).history);
    EXPECT_TRUE(ComputeListButtons({dayNight, po}, 2, true).history);
    EXPECT_FALSE(ComputeListButtons({po, dayNight}, 2, true).history);
    EXPECT_FALSE(ComputeListButtons({item(8, FunctionType::PoOptimizer)}, 2, true).history) << "not started";
}

TEST(FunctionListRules, AnUnknownTypeCanOnlyBePrinted)
{
    const FunctionItem unknown = item(9, 42, FunctionFlag::Started);
    EXPECT_TRUE(unknown.state & RowState::UnknownType);
    EXPECT_EQ(unknown.typeName, "<<unknown type>>");
    const ListButtons b = ComputeListButtons({unknown}, 1, true);
    EXPECT_FALSE(b.edit);
    EXPECT_FALSE(b.remove);
    EXPECT_FALSE(b.start);
    EXPECT_FALSE(b.stop);
    EXPECT_TRUE(b.print);
    EXPECT_FALSE(ComputeListButtons({unknown}, 1, false).print) << "printing needs an editable list";
    EXPECT_TRUE(DeleteSelection({unknown}).empty());
}

TEST(FunctionListRules, OperationsTakeTheirOwnRowsOfASelection)
{
    const FunctionItem startedSchedule = item(1, FunctionType::YearlySchedule, FunctionFlag::Started);
    const FunctionItem stoppedDayNight = item(2, FunctionType::DayNightControl);
    const FunctionItem startedDefrost = item(3, FunctionType::CentralDefrost, FunctionFlag::Started);
    const FunctionItem failedAlarm = item(4, FunctionType::AlarmLimitOffset, FunctionFlag::ReferenceErrorMark);

    const ListButtons both = ComputeListButtons({startedSchedule, stoppedDayNight}, 2, true);
    EXPECT_TRUE(both.remove);
    EXPECT_TRUE(both.start);
    EXPECT_FALSE(both.stop) << "a passive type is neither started nor stopped";
    EXPECT_EQ(DeleteSelection({startedSchedule, stoppedDayNight}), (std::vector<uint8_t>{1, 2}));
    EXPECT_EQ(StartSelection({startedSchedule, stoppedDayNight}), (std::vector<uint8_t>{2}));

    const ListButtons running = ComputeListButtons({startedDefrost, stoppedDayNight}, 2, true);
    EXPECT_FALSE(running.remove) << "a started function must be stopped first";
    EXPECT_TRUE(running.stop);
    EXPECT_EQ(StopSelection({startedDefrost, stoppedDayNight}), (std::vector<uint8_t>{3}));

    EXPECT_FALSE(ComputeListButtons({failedAlarm}, 1, true).start) << "a function in error is not started";
    EXPECT_EQ(PrintSelection({failedAlarm, startedSchedule}), (std::vector<uint8_t>{4, 1}));
}

TEST(FunctionListRules, UsedSpaceInWholePercent)
{
    EXPECT_EQ(UsedSpacePercent(0, 0), 0);
    EXPECT_EQ(UsedSpacePercent(65536, 65536), 0);
    EXPECT_EQ(UsedSpacePercent(65536, 0), 100);
    EXPECT_EQ(UsedSpacePercent(1000, 333), 66) << "rounded down";
    EXPECT_EQ(UsedSpacePercent(64 * 1024 * 1024, 16 * 1024 * 1024), 75) << "no overflow for large memories";
}

} // namespace
