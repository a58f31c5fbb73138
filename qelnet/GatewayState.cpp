#include "GatewayState.h"

#include "protocol/TypeCatalogue.h"

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
