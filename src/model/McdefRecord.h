#pragma once
// The 110-byte MCDEF record: the blocks of a control function. Key 0 is
// {function number, block type, block number, item}, followed by the
// reference status and the block content (McdefLayout).

#include "model/RecordLayout.h"

#include "protocol/GatewayCodes.h"

#include <array>
#include <cstdint>
#include <string>

namespace BlockType {
enum : uint8_t { Header = 0, Input = 1, Output = 2, ScheduleReference = 3, Data = 4 };
}

// An editor's save keeps every header flag but the two error marks.
constexpr uint8_t FlagsKeptOnSave = 0xF5;

// The fields of every MCDEF record, and those that a header block keeps in
// its content.
namespace McdefField {
inline constexpr FieldLayout Number{"fn", 0, 1, FieldKind::U8};
inline constexpr FieldLayout BlockType{"block", 1, 1, FieldKind::U8};
inline constexpr FieldLayout BlockNumber{"nr", 2, 1, FieldKind::U8};
inline constexpr FieldLayout Item{"item", 3, 1, FieldKind::U8};
inline constexpr FieldLayout Status{"status", 4, 2, FieldKind::U16};
inline constexpr FieldLayout Content{"content", 6, 104, FieldKind::Bytes};

inline constexpr FieldLayout Stamp{"stamp", 6, 4, FieldKind::U32};
inline constexpr FieldLayout Type{"type", 10, 1, FieldKind::U8};
inline constexpr FieldLayout Name{"name", 11, FunctionNameLength + 1, FieldKind::Chars};
inline constexpr FieldLayout Flags{"flags", 28, 1, FieldKind::U8};
} // namespace McdefField

inline constexpr std::array McdefLayout{McdefField::Number, McdefField::BlockType, McdefField::BlockNumber,
                                        McdefField::Item,   McdefField::Status,    McdefField::Content};
inline constexpr std::array McdefHeaderLayout{McdefField::Stamp, McdefField::Type, McdefField::Name,
                                              McdefField::Flags};

class McdefRecord {
public:
    static constexpr uint16_t Size = 110;
    static constexpr size_t ContentOffset = McdefField::Content.offset;
    static constexpr size_t ContentSize = McdefField::Content.width;

    McdefRecord() = default;
    McdefRecord(uint8_t number, uint8_t blockType, uint8_t blockNumber, uint8_t item);
    static McdefRecord fromBytes(const uint8_t* bytes);

    uint8_t* data() { return m_bytes.data(); }
    const uint8_t* data() const { return m_bytes.data(); }
    uint8_t& operator[](size_t i) { return m_bytes[i]; }
    const uint8_t& operator[](size_t i) const { return m_bytes[i]; }
    std::array<uint8_t, 4> key() const { return {number(), blockType(), blockNumber(), item()}; }

    uint8_t number() const { return uint8_t(ReadNumber(McdefField::Number, data())); }
    uint8_t blockType() const { return uint8_t(ReadNumber(McdefField::BlockType, data())); }
    uint8_t blockNumber() const { return uint8_t(ReadNumber(McdefField::BlockNumber, data())); }
    uint8_t item() const { return uint8_t(ReadNumber(McdefField::Item, data())); }
    uint16_t status() const { return uint16_t(ReadNumber(McdefField::Status, data())); }
    void setStatus(uint16_t status) { WriteNumber(McdefField::Status, data(), status); }

    // Header fields.
    uint32_t stamp() const { return ReadNumber(McdefField::Stamp, data()); }
    void setStamp(uint32_t stamp) { WriteNumber(McdefField::Stamp, data(), stamp); }
    uint8_t type() const { return uint8_t(ReadNumber(McdefField::Type, data())); }
    void setType(uint8_t type) { WriteNumber(McdefField::Type, data(), type); }
    std::string name() const { return ReadText(McdefField::Name, data()); }
    // At most 16 bytes, cut between characters.
    void setName(const std::string& name) { WriteText(McdefField::Name, data(), name); }
    uint8_t flags() const { return uint8_t(ReadNumber(McdefField::Flags, data())); }
    void setFlags(uint8_t flags) { WriteNumber(McdefField::Flags, data(), flags); }

    bool operator==(const McdefRecord& other) const { return m_bytes == other.m_bytes; }

private:
    std::array<uint8_t, Size> m_bytes{};
};
