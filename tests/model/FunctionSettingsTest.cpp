// The check of stored settings before an update: every field the update
// writes is refused one beyond either end of its range and taken at both
// ends; the list entries and the rules between fields are checked as the
// editors keep them.

#include "model/FunctionSettings.h"
#include "protocol/CalendarSeconds.h"
#include "protocol/TypeCatalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <map>

namespace {

constexpr uint8_t Number = 12;

// A function of `type` whose every written field holds a value in range.
std::vector<McdefRecord> validFunction(uint8_t type)
{
    McdefRecord header(Number, BlockType::Header, 0, 0);
    header.setType(type);
    header.setName("Test");
    std::map<uint8_t, McdefRecord> blocks;
    for (const SettingField& field : SettingFields()) {
        if (field.type != type)
            continue;
        auto [at, created] = blocks.try_emplace(field.block, Number, BlockType::Data, field.block, 0);
        SetSettingValue(field, at->second, field.allowed.empty() ? field.minimum : field.allowed.front());
    }
    if (type == FunctionType::AlarmLimitOffset || type == FunctionType::AlarmLimitDirect)
        SetSettingValue(type, "upper band temperature", blocks.at(2), 15);
    std::vector<McdefRecord> records = {header};
    for (const auto& [block, record] : blocks)
        records.push_back(record);
    return records;
}

McdefRecord& blockOf(std::vector<McdefRecord>& records, uint8_t block)
{
    return *std::find_if(records.begin(), records.end(), [block](const McdefRecord& r) {
        return r.blockType() == BlockType::Data && r.blockNumber() == block;
    });
}

// The violations that name `field` when it holds `value`.
std::vector<SettingViolation> violationsWith(const SettingField& field, double value)
{
    std::vector<McdefRecord> records = validFunction(field.type);
    SetSettingValue(field, blockOf(records, field.block), value);
    std::vector<SettingViolation> found = CheckFunctionSettings(field.type, records);
    std::erase_if(found, [&](const SettingViolation& v) { return v.field != field.name; });
    return found;
}

uint32_t seconds(int year, int month, int day, int hour, int minute)
{
    return *ToCalendarSeconds({year, month, day, hour, minute, 0});
}

TEST(FunctionSettingsTest, AFunctionInRangePassesAndEveryWrittenFieldIsRefusedBeyondItsEnds)
{
    for (uint8_t type = 0; type < FunctionType::Count; ++type)
        EXPECT_TRUE(CheckFunctionSettings(type, validFunction(type)).empty()) << "type " << int(type);

    size_t checked = 0;
    for (const SettingField& field : SettingFields()) {
        if (!field.written())
            continue;
        ++checked;
        const bool floating = field.kind == SettingKind::F32;
        const double step = floating ? 0.01 : 1;
        if (!field.allowed.empty()) {
            for (const double value : field.allowed)
                EXPECT_TRUE(violationsWith(field, value).empty()) << field.name << " " << value;
            double outside = field.allowed.front() + step / 2;
            while (std::find(field.allowed.begin(), field.allowed.end(), std::floor(outside)) != field.allowed.end()
                   && !floating)
                outside += step;
            EXPECT_EQ(violationsWith(field, outside).size(), 1u) << field.name << " " << outside;
            continue;
        }
        EXPECT_TRUE(violationsWith(field, field.minimum).empty()) << field.name << " at its minimum";
        EXPECT_TRUE(violationsWith(field, field.maximum).empty()) << field.name << " at its maximum";
        const std::vector<SettingViolation> above = violationsWith(field, field.maximum + step);
        ASSERT_EQ(above.size(), 1u) << field.name << " above its maximum";
        EXPECT_EQ(above[0].range, SettingRangeText(field));
        if (field.noneAllowed) {
            EXPECT_TRUE(violationsWith(field, -1).empty()) << field.name << " unset";
            EXPECT_EQ(violationsWith(field, -2).size(), 1u) << field.name;
        } else if (field.minimum > 0 || field.kind == SettingKind::I16 || field.kind == SettingKind::TimeOfDay
                   || floating) {
            EXPECT_EQ(violationsWith(field, field.minimum - step).size(), 1u) << field.name << " below its minimum";
        }
    }
    EXPECT_GT(checked, 100u);
    EXPECT_FALSE(Setting(FunctionType::PeakShaving, "normal meter reading").written()) << "the gateway's own";
}

TEST(FunctionSettingsTest, ViolationsNameFieldValueAndRangeAsTheOperatorReadsThem)
{
    std::vector<McdefRecord> week = validFunction(FunctionType::YearlySchedule);
    SetSettingValue(FunctionType::YearlySchedule, "Monday period 1 off", blockOf(week, 2), 1575);
    SetSettingValue(FunctionType::YearlySchedule, "Tuesday period 3 on", blockOf(week, 3), 600);
    const std::vector<SettingViolation> found = CheckFunctionSettings(FunctionType::YearlySchedule, week);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(ViolationText(Number, "Shop hours", found[0]),
              "function 12 'Shop hours': Monday period 1 off is 26:15, allowed 00:00..23:59");
    EXPECT_EQ(ViolationText(Number, "Shop hours", found[1]),
              "function 12 'Shop hours': Tuesday period 3 is 10:00 - 00:00, allowed Off not before On");

    std::vector<McdefRecord> peak = validFunction(FunctionType::PeakShaving);
    SetSettingValue(FunctionType::PeakShaving, "offset step", blockOf(peak, 2), 0.25);
    SetSettingValue(FunctionType::PeakShaving, "impulses per kWh", blockOf(peak, 2), 19);
    const std::vector<SettingViolation> steps = CheckFunctionSettings(FunctionType::PeakShaving, peak);
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].range, "20..10000");
    EXPECT_EQ(steps[1].value, "0.25");
    EXPECT_EQ(steps[1].range, "one of 0.1, 0.2, 0.3, 0.4, 0.5");

    const SettingField& period = Setting(FunctionType::PoOptimizer, "period");
    EXPECT_EQ(period.entryMinimum(), 5);
    EXPECT_EQ(period.entryMaximum(), 30) << "entered in minutes, kept in seconds";
    EXPECT_EQ(SettingRangeText(Setting(FunctionType::CentralDefrost, "schedule 1 time 1")), "00:00..23:59 or none");
}

TEST(FunctionSettingsTest, TheAlarmBandMustRiseByOneToTenDegrees)
{
    for (const auto& [lower, upper, accepted] : {std::tuple{20, 30, true}, std::tuple{20, 31, false},
                                                 std::tuple{25, 25, false}, std::tuple{30, 25, false}}) {
        std::vector<McdefRecord> alarm = validFunction(FunctionType::AlarmLimitDirect);
        SetSettingValue(FunctionType::AlarmLimitDirect, "lower band temperature", blockOf(alarm, 2), lower);
        SetSettingValue(FunctionType::AlarmLimitDirect, "upper band temperature", blockOf(alarm, 2), upper);
        EXPECT_EQ(CheckFunctionSettings(FunctionType::AlarmLimitDirect, alarm).empty(), accepted)
            << lower << ".." << upper;
    }
}

TEST(FunctionSettingsTest, ForcedPeriodsAndDefrostDelaysAreCheckedEntryByEntry)
{
    std::vector<McdefRecord> yearly = validFunction(FunctionType::YearlySchedule);
    McdefRecord periods(Number, BlockType::Data, 4, 0);
    WritePeriodEntries({{0, 1, seconds(1970, 12, 24, 0, 0), seconds(1970, 12, 26, 23, 59)},
                        {1, 0, seconds(2026, 5, 1, 0, 0), seconds(2026, 5, 1, 23, 59)},
                        {2, 255, 0, 0},
                        {3, 0, seconds(2026, 6, 2, 0, 0), seconds(2026, 6, 1, 0, 0)},
                        {4, 7, seconds(2026, 7, 1, 0, 0), seconds(2026, 7, 2, 0, 0)},
                        {5, 1, seconds(1970, 1, 1, 0, 0), seconds(2026, 1, 2, 0, 0)}},
                       periods);
    yearly.push_back(periods);
    const std::vector<SettingViolation> found = CheckFunctionSettings(FunctionType::YearlySchedule, yearly);
    ASSERT_EQ(found.size(), 3u) << "a yearly event, a dated period and a deleted entry pass";
    EXPECT_EQ(found[0].field, "special period 4");
    EXPECT_EQ(found[0].range, "From before To");
    EXPECT_EQ(found[1].field, "special period 5");
    EXPECT_EQ(found[2].field, "special period 6");

    std::vector<McdefRecord> po = validFunction(FunctionType::PoOptimizer);
    McdefRecord delays(Number, BlockType::Data, 2, 1);
    WriteEvaporatorEntries({{0, 4, 0, 1200}, {1, 4, 1, 60}, {2, 6, 254, 1200}, {3, 8, 0, 59}, {4, 9, 0, 14401}},
                           delays);
    po.push_back(delays);
    const std::vector<SettingViolation> evaporators = CheckFunctionSettings(FunctionType::PoOptimizer, po);
    ASSERT_EQ(evaporators.size(), 3u);
    EXPECT_EQ(evaporators[0].field, "evaporator 3 loop");
    EXPECT_EQ(evaporators[0].value, "controller 006 loop ?, delay 1200 s");
    EXPECT_EQ(evaporators[1].field, "evaporator 4 defrost delay");
    EXPECT_EQ(evaporators[2].field, "evaporator 5 defrost delay");
}

} // namespace
