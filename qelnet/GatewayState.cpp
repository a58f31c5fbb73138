#include "GatewayState.h"

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

const std::vector<ReportedRange>& ReportedRanges()
{
    static const std::vector<ReportedRange> ranges = {
        {FunctionType::YearlySchedule, 1, 0, 2},   // the schedule's present output
        {FunctionType::PeakShaving, 1, 1, 4},      // calculated thermostat offset
        {FunctionType::PeakShaving, 2, 21, 8},     // normal and peak meter readings
        {FunctionType::PoOptimizer, 1, 13, 4},     // actual Po offset
    };
    return ranges;
}

bool HasManualState(uint8_t type)
{
    switch (type) {
    case FunctionType::QebOn:
    case FunctionType::AlarmLimitOffset:
    case FunctionType::DayNightControl:
    case FunctionType::AlarmLimitDirect:
    case FunctionType::DayNightExternal:
    case FunctionType::CentralDefrost:
        return true;
    default:
        return false;
    }
}

bool GatewayFunction::headerOnly() const
{
    for (const auto& direction : references)
        for (const auto& items : direction)
            if (!items.empty())
                return false;
    for (const auto& group : schedules)
        if (!group.empty())
            return false;
    return header.blockMask == 0;
}

uint32_t GatewayState::usedMemory() const
{
    uint32_t used = 0;
    for (const auto& [number, function] : functions)
        used += TypeSize(function.type);
    return used;
}

uint32_t GatewayState::freeMemory() const
{
    const uint32_t used = usedMemory();
    return used >= totalMemory() ? 0 : totalMemory() - used;
}

int GatewayState::countOfType(uint8_t type) const
{
    int count = 0;
    for (const auto& [number, function] : functions)
        if (function.type == type)
            ++count;
    return count;
}

bool operator==(const ReferenceItem& a, const ReferenceItem& b)
{
    return a.form == b.form && a.address == b.address && a.parameters == b.parameters && a.status == b.status;
}

bool operator==(const SlotLayout& a, const SlotLayout& b) { return a.mask == b.mask && a.kinds == b.kinds; }

bool operator==(const FunctionHeader& a, const FunctionHeader& b)
{
    return a.inputs == b.inputs && a.outputs == b.outputs && a.scheduleMask == b.scheduleMask
        && a.blockMask == b.blockMask;
}

bool operator==(const DataBlock& a, const DataBlock& b)
{
    return a.present == b.present && a.bytes == b.bytes && a.entries == b.entries;
}

bool operator==(const GatewayFunction& a, const GatewayFunction& b)
{
    return a.number == b.number && a.type == b.type && a.flags == b.flags && a.stamp == b.stamp && a.name == b.name
        && a.header == b.header && a.references == b.references && a.schedules == b.schedules
        && a.blocks == b.blocks && a.history == b.history;
}

bool GatewayState::operator==(const GatewayState& other) const
{
    return network == other.network && netConfigStamp == other.netConfigStamp && memoryKiB == other.memoryKiB
        && lastStamp == other.lastStamp && password == other.password && typeLimits == other.typeLimits
        && functions == other.functions;
}

namespace {

constexpr ReferenceForm referenceForms[] = {
    {12, 13, 1, 2, 3, 51, 33, SlotKind::Automatic},
    {14, 15, 2, 2, 3, 51, 33, SlotKind::Automatic},
    {16, 17, 1, 8, 9, 13, 11, SlotKind::Parameter},
    {18, 19, 2, 8, 9, 13, 11, SlotKind::Parameter},
    {22, 23, 1, 36, 37, 2, 2, SlotKind::KeptByEditor},
    {24, 25, 2, 36, 37, 2, 2, SlotKind::KeptByEditor},
};

} // namespace

const ReferenceForm* FindReferenceForm(uint8_t command)
{
    for (const ReferenceForm& form : referenceForms)
        if (form.readCommand == command || form.writeCommand == command)
            return &form;
    return nullptr;
}

uint8_t WriteCommandFor(int direction, const std::array<uint8_t, ParameterBytes>& parameters)
{
    const bool input = direction == 1;
    if (parameters[0] == 255)
        return input ? 13 : 15;
    if (parameters[32] == 0 && parameters[33] == 0)
        return input ? 17 : 19;
    return input ? 23 : 25;
}
