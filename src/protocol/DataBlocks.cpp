#include "protocol/DataBlocks.h"

#include "protocol/TypeCatalogue.h"

namespace {

// Block bytes per type and block; list blocks travel as entries of 10 (yearly
// schedule periods) or 5 bytes (Po optimizer delays and history).
constexpr BlockLayout blockLayouts[] = {
    {FunctionType::YearlySchedule, 1, 2, 2, 0, 0, false},
    {FunctionType::YearlySchedule, 2, 28, 28, 0, 0, false},
    {FunctionType::YearlySchedule, 3, 84, 84, 0, 0, false},
    {FunctionType::YearlySchedule, 4, 0, 0, 10, 10, false},
    {FunctionType::QebOn, 1, 2, 2, 0, 0, false},
    {FunctionType::AlarmLimitOffset, 1, 3, 3, 0, 0, false},
    {FunctionType::AlarmLimitOffset, 2, 7, 7, 0, 0, false},
    {FunctionType::DayNightControl, 1, 2, 2, 0, 0, false},
    {FunctionType::PeakShaving, 1, 5, 5, 0, 0, false},
    {FunctionType::PeakShaving, 2, 21, 29, 0, 0, false},
    {FunctionType::PeakShaving, 3, 0, 104, 0, 0, true},
    {FunctionType::PeakShaving, 4, 0, 104, 0, 0, true},
    {FunctionType::AlarmLimitDirect, 1, 3, 3, 0, 0, false},
    {FunctionType::AlarmLimitDirect, 2, 9, 9, 0, 0, false},
    {FunctionType::DayNightExternal, 1, 2, 2, 0, 0, false},
    {FunctionType::DayNightExternal, 2, 1, 1, 0, 0, false},
    {FunctionType::CentralDefrost, 1, 1, 1, 0, 0, false},
    {FunctionType::CentralDefrost, 2, 2, 2, 0, 0, false},
    {FunctionType::CentralDefrost, 3, 55, 55, 0, 0, false},
    {FunctionType::PoOptimizer, 1, 22, 22, 0, 0, false},
    {FunctionType::PoOptimizer, 2, 0, 0, 5, 20, false},
    {FunctionType::PoOptimizer, 3, 0, 0, 5, 20, true},
    {FunctionType::PoOptimizer, 4, 0, 0, 5, 20, true},
};

} // namespace

const BlockLayout* FindBlockLayout(uint8_t type, uint8_t block)
{
    for (const BlockLayout& layout : blockLayouts)
        if (layout.type == type && layout.block == block)
            return &layout;
    return nullptr;
}

uint16_t DataBlockWriteLength(uint8_t type, uint8_t block, uint8_t entryCount)
{
    const BlockLayout* layout = FindBlockLayout(type, block);
    if (!layout)
        return 0;
    if (layout->entrySize)
        return uint16_t(layout->entrySize * entryCount + 2);
    return layout->writeBytes ? uint16_t(layout->writeBytes + 1) : 0;
}

const std::vector<ReportedRange>& ReportedRanges()
{
    static const std::vector<ReportedRange> ranges = {
        {FunctionType::YearlySchedule, 1, 0, 2}, // the schedule's present output
        {FunctionType::PeakShaving, 1, 1, 4},    // calculated thermostat offset
        {FunctionType::PeakShaving, 2, 21, 8},   // normal and peak meter readings
        {FunctionType::PoOptimizer, 1, 13, 4},   // actual Po offset
    };
    return ranges;
}

bool IsReportedByte(uint8_t type, uint8_t block, size_t byte)
{
    for (const ReportedRange& range : ReportedRanges())
        if (range.type == type && range.block == block && byte >= range.first
            && byte < size_t(range.first + range.length))
            return true;
    return false;
}
