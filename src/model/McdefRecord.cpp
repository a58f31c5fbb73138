#include "model/McdefRecord.h"

#include "protocol/LittleEndian.h"
#include <cstring>

static_assert(IsSoundLayout(McdefLayout, McdefRecord::Size));
static_assert(IsSoundLayout(McdefHeaderLayout, McdefRecord::Size));

McdefRecord::McdefRecord(uint8_t number, uint8_t blockType, uint8_t blockNumber, uint8_t item)
{
    WriteNumber(McdefField::Number, data(), number);
    WriteNumber(McdefField::BlockType, data(), blockType);
    WriteNumber(McdefField::BlockNumber, data(), blockNumber);
    WriteNumber(McdefField::Item, data(), item);
}

McdefRecord McdefRecord::fromBytes(const uint8_t* bytes)
{
    McdefRecord r;
    std::memcpy(r.m_bytes.data(), bytes, Size);
    return r;
}
