#include "support/TableSchema.h"

#include <strings.h>

uint16_t KeyDefinition::length() const
{
    uint16_t total = 0;
    for (const KeySegment& s : segments)
        total = uint16_t(total + s.length);
    return total;
}

std::string TableSchema::keyOf(int keyNumber, const uint8_t* record) const
{
    std::string key;
    for (const KeySegment& s : keys[size_t(keyNumber)].segments)
        key.append(reinterpret_cast<const char*>(record + s.offset), s.length);
    return key;
}

std::string TableSchema::sortableKey(int keyNumber, const uint8_t* keyBuffer) const
{
    std::string sortable;
    size_t pos = 0;
    for (const KeySegment& s : keys[size_t(keyNumber)].segments) {
        if (s.type == SegmentType::UnsignedLE) {
            for (size_t i = s.length; i > 0; --i)
                sortable.push_back(char(keyBuffer[pos + i - 1]));
        } else {
            sortable.append(reinterpret_cast<const char*>(keyBuffer + pos), s.length);
        }
        pos += s.length;
    }
    return sortable;
}

namespace {

constexpr SegmentType B = SegmentType::Bytes;
constexpr SegmentType U = SegmentType::UnsignedLE;

const std::vector<TableSchema>& schemas()
{
    static const std::vector<TableSchema> tables = {
        // Control function blocks: key 0 {number, block type, block number, item};
        // key 1 {block type, item} finds the references to a schedule.
        {"MCDEF", 110, {{{{0, 4, B}}, true}, {{{1, 1, B}, {3, 1, B}}, true}}},
        // Network nodes by node key "NNN:AAA".
        {"NETCNF", 58, {{{{0, 8, B}}, false}}},
        // Controller descriptions: key 0 {description key, function};
        // key 1 {description key, P1, P2, P3, function}.
        {"QEBDES", 186,
         {{{{0, 14, B}, {20, 2, U}}, true},
          {{{0, 14, B}, {14, 2, U}, {16, 2, U}, {18, 2, U}, {20, 2, U}}, true}}},
        // Parameter definitions {identification, node text, function parameter, P1, P2, P3}.
        {"MCPARDEF", 30, {{{{0, 26, B}}, false}}},
        // Custom texts {application, kind, 0, text or dialog id, control id}.
        {"ORPATEXT", 98, {{{{0, 11, B}, {11, 2, U}, {13, 2, U}}, false}}},
        // Event rows, by their date and time.
        {"EVENTLOG", 340, {{{{1, 20, B}}, true}}},
        // Running applications by name.
        {"XRTAPPL", 113, {{{{0, 9, B}}, false}}},
        // Users; the first record is the one logged on.
        {"XRTBRUG", 256, {{{{0, 21, B}}, true}}},
    };
    return tables;
}

} // namespace

const TableSchema* FindTableSchema(std::string_view table)
{
    for (const TableSchema& schema : schemas())
        if (schema.name.size() == table.size() && strncasecmp(schema.name.c_str(), table.data(), table.size()) == 0)
            return &schema;
    return nullptr;
}

const std::vector<TableSchema>& AllTableSchemas() { return schemas(); }
