#pragma once
// The monitoring system's tables as the keyed-record store knows them: record
// length, and per key number its segments and whether duplicates are allowed.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class SegmentType : uint8_t {
    Bytes,      // compared as stored (texts, single bytes)
    UnsignedLE, // little-endian unsigned integer, compared by value
};

struct KeySegment {
    uint16_t offset;
    uint16_t length;
    SegmentType type;
};

struct KeyDefinition {
    std::vector<KeySegment> segments;
    bool duplicates;

    // Length of the key buffer: the segments one after the other.
    uint16_t length() const;
};

struct TableSchema {
    std::string name;
    uint16_t recordLength;
    std::vector<KeyDefinition> keys;

    // The key buffer of key `keyNumber` taken from a record.
    std::string keyOf(int keyNumber, const uint8_t* record) const;
    // The key buffer turned into bytes whose memcmp order is the key order.
    std::string sortableKey(int keyNumber, const uint8_t* keyBuffer) const;
};

// The schema of a table by its name (without regard to case); null when the
// store does not know the table.
const TableSchema* FindTableSchema(std::string_view table);

const std::vector<TableSchema>& AllTableSchemas();
