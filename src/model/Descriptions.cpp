#include "model/Descriptions.h"

#include "protocol/LittleEndian.h"
#include "support/Db.h"

#include <array>

DescriptionLookup DescribeParameter(const std::string& descKey, uint16_t p1, uint16_t p2, uint16_t p3,
                                    QebDesRecord& description, uint16_t& status)
{
    std::array<uint8_t, 22> key{};
    le::putStr(key.data(), 14, descKey);
    le::putU16(&key[14], p1);
    le::putU16(&key[16], p2);
    le::putU16(&key[18], p3);
    uint8_t record[QebDesRecord::Size];
    ScopedTable open(table::QebDes, DbMode::ReadOnly);
    status = open.status();
    if (status == DbStatus::Success)
        status = DbGet(table::QebDes, 1, key.data(), uint16_t(key.size()), record, sizeof record,
                       DbOp::GetGreaterOrEqual);
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
    std::array<uint8_t, 16> key{};
    le::putStr(key.data(), 14, descKey);
    const uint16_t status = DbGet(table::QebDes, 0, key.data(), uint16_t(key.size()), nullptr, 0,
                                  DbOp::KeyGetGreaterOrEqual);
    described = status == DbStatus::Success && le::str(key.data(), 14) == descKey;
    return status;
}
