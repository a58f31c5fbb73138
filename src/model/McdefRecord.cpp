#include "model/McdefRecord.h"

#include "protocol/LittleEndian.h"

#include <cstring>

McdefRecord::McdefRecord(uint8_t number, uint8_t blockType, uint8_t blockNumber, uint8_t item)
{
    m_bytes[0] = number;
    m_bytes[1] = blockType;
    m_bytes[2] = blockNumber;
    m_bytes[3] = item;
}

McdefRecord McdefRecord::fromBytes(const uint8_t* bytes)
{
    McdefRecord r;
    std::memcpy(r.m_bytes.data(), bytes, Size);
    return r;
}

uint16_t McdefRecord::status() const { return le::u16(&m_bytes[4]); }

void McdefRecord::setStatus(uint16_t status) { le::putU16(&m_bytes[4], status); }

uint32_t McdefRecord::stamp() const { return le::u32(&m_bytes[6]); }

void McdefRecord::setStamp(uint32_t stamp) { le::putU32(&m_bytes[6], stamp); }

std::string McdefRecord::name() const { return le::str(&m_bytes[11], 17); }

void McdefRecord::setName(const std::string& name)
{
    le::putStr(&m_bytes[11], FunctionNameLength + 1, name);
}
