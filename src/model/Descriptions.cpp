#include "model/Descriptions.h"

#include "protocol/LittleEndian.h"
#include "support/Db.h"
#include "support/TableSchema.h"

#include <array>

DescriptionLookup DescribeParameter(const std::string& descKey, uint16_t p1, uint16_t p2, uint16_t p3,
                                    QebDesRecord& description, uint16_t& status)
{
    // Key 1 {description key, P1, P2, P3, function} is the start of a record.
    QebDesRecord wanted;
    wanted.descKey = descKey;
    wanted.p1 = p1;
    wanted.p2 = p2;
    wanted.p3 = p3;
    std::array<uint8_t, QebDesRecord::Size> key = wanted.bytes();
    uint8_t record[QebDesRecord::Size];
    ScopedTable open(table::QebDes, DbMode::ReadOnly);
    status = open.status();
    if (status == DbStatus::Success)
        status = DbGet(table::QebDes, 1, key.data(), FindTableSchema(table::QebDes)->keys[1].length(), record,
                       sizeof record, DbOp::GetGreaterOrEqual);
    if (status == DbStatus::EndOfFile)
        return DescriptionLookup::Missing;
    if (status != DbStatus::Success)
        return DescriptionLookup::Failed;
    description = QebDesRecord::read(record);
    if (description.descKey != descKey || description.p1 != p1 || description.p2 != p2 || description.p3 != p3)
        return DescriptionLookup::Missing;
    return DescriptionLookup::Found;
}

uint16_t ProbeDescription(const std::string& descKey, bool& described)
{
    described = false;
    ScopedTable open(table::QebDes, DbMode::ReadOnly);
    if (open.status() != DbStatus::Success)
        return open.status();
    // Key 0 {description key, function} starts with the record's description key.
    const FieldLayout& descKeyField = FieldNamed(QebDesLayout, "descKey");
    std::array<uint8_t, 16> key{};
    WriteText(descKeyField, key.data(), descKey);
    const uint16_t status = DbGet(table::QebDes, 0, key.data(), uint16_t(key.size()), nullptr, 0,
                                  DbOp::KeyGetGreaterOrEqual);
    described = status == DbStatus::Success && ReadText(descKeyField, key.data()) == descKey;
    return status;
}
