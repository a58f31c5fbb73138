#pragma once
// The 110-byte MCDEF record: the blocks of a control function. Key 0 is
// {function number, block type, block number, item}; bytes 4..5 are the
// reference status; bytes 6..109 the block content.

#include "protocol/GatewayCodes.h"

#include <array>
#include <cstdint>
#include <string>

namespace BlockType {
enum : uint8_t { Header = 0, Input = 1, Output = 2, ScheduleReference = 3, Data = 4 };
}

// An editor's save keeps every header flag but the two error marks.
constexpr uint8_t FlagsKeptOnSave = 0xF5;

class McdefRecord {
public:
    static constexpr uint16_t Size = 110;
    static constexpr size_t ContentOffset = 6;
    static constexpr size_t ContentSize = Size - ContentOffset; // 104

    McdefRecord() = default;
    McdefRecord(uint8_t number, uint8_t blockType, uint8_t blockNumber, uint8_t item);
    static McdefRecord fromBytes(const uint8_t* bytes);

    uint8_t* data() { return m_bytes.data(); }
    const uint8_t* data() const { return m_bytes.data(); }
    uint8_t& operator[](size_t i) { return m_bytes[i]; }
    const uint8_t& operator[](size_t i) const { return m_bytes[i]; }
    std::array<uint8_t, 4> key() const { return {m_bytes[0], m_bytes[1], m_bytes[2], m_bytes[3]}; }

    uint8_t number() const { return m_bytes[0]; }
    uint8_t blockType() const { return m_bytes[1]; }
    uint8_t blockNumber() const { return m_bytes[2]; }
    uint8_t item() const { return m_bytes[3]; }
    uint16_t status() const;
    void setStatus(uint16_t status);

    // Header fields.
    uint32_t stamp() const;
    void setStamp(uint32_t stamp);
    uint8_t type() const { return m_bytes[10]; }
    void setType(uint8_t type) { m_bytes[10] = type; }
    std::string name() const;
    // At most 16 bytes, cut between characters.
    void setName(const std::string& name);
    uint8_t flags() const { return m_bytes[28]; }
    void setFlags(uint8_t flags) { m_bytes[28] = flags; }

    bool operator==(const McdefRecord& other) const { return m_bytes == other.m_bytes; }

private:
    std::array<uint8_t, Size> m_bytes{};
};
