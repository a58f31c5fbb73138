#include "model/Records.h"

#include "protocol/LittleEndian.h"
#include "support/Db.h"

#include <cstring>

namespace {

template <typename Record>
std::array<uint8_t, Record::Size> bytesOf(const Record& record)
{
    std::array<uint8_t, Record::Size> bytes{};
    record.write(bytes.data());
    return bytes;
}

template <typename Record, typename Fields>
constexpr bool isSound(const Fields& fields)
{
    return IsSoundLayout(LayoutOf(fields), Record::Size) && MembersHoldFields(fields);
}

static_assert(isSound<NetCnfRecord>(NetCnfFields));
static_assert(isSound<QebDesRecord>(QebDesFields));
static_assert(isSound<McParDefRecord>(McParDefFields));
static_assert(isSound<OrpaTextRecord>(OrpaTextFields));
static_assert(isSound<EventLogRecord>(EventLogFields));
static_assert(isSound<XrtApplRecord>(XrtApplFields));
static_assert(isSound<XrtBrugRecord>(XrtBrugFields));

} // namespace

NetCnfRecord NetCnfRecord::read(const uint8_t* b) { return ReadRecord<NetCnfRecord>(NetCnfFields, b); }
void NetCnfRecord::write(uint8_t* b) const { WriteRecord(NetCnfFields, *this, b); }
std::array<uint8_t, NetCnfRecord::Size> NetCnfRecord::bytes() const { return bytesOf(*this); }

QebDesRecord QebDesRecord::read(const uint8_t* b) { return ReadRecord<QebDesRecord>(QebDesFields, b); }
void QebDesRecord::write(uint8_t* b) const { WriteRecord(QebDesFields, *this, b); }
std::array<uint8_t, QebDesRecord::Size> QebDesRecord::bytes() const { return bytesOf(*this); }

McParDefRecord McParDefRecord::read(const uint8_t* b) { return ReadRecord<McParDefRecord>(McParDefFields, b); }
void McParDefRecord::write(uint8_t* b) const { WriteRecord(McParDefFields, *this, b); }
std::array<uint8_t, McParDefRecord::Size> McParDefRecord::bytes() const { return bytesOf(*this); }

OrpaTextRecord OrpaTextRecord::read(const uint8_t* b) { return ReadRecord<OrpaTextRecord>(OrpaTextFields, b); }
void OrpaTextRecord::write(uint8_t* b) const { WriteRecord(OrpaTextFields, *this, b); }
std::array<uint8_t, OrpaTextRecord::Size> OrpaTextRecord::bytes() const { return bytesOf(*this); }

std::array<uint8_t, 15> OrpaTextRecord::key(uint8_t kind, uint16_t id, uint16_t control)
{
    // The key is the record up to its text.
    static_assert(FieldNamed(OrpaTextLayout, "text").offset == 15);
    std::array<uint8_t, 15> k{};
    WriteText(FieldNamed(OrpaTextLayout, "application"), k.data(), ApplicationName);
    WriteNumber(FieldNamed(OrpaTextLayout, "kind"), k.data(), kind);
    WriteNumber(FieldNamed(OrpaTextLayout, "id"), k.data(), id);
    WriteNumber(FieldNamed(OrpaTextLayout, "control"), k.data(), control);
    return k;
}

EventLogRecord EventLogRecord::read(const uint8_t* b) { return ReadRecord<EventLogRecord>(EventLogFields, b); }
void EventLogRecord::write(uint8_t* b) const { WriteRecord(EventLogFields, *this, b); }
std::array<uint8_t, EventLogRecord::Size> EventLogRecord::bytes() const { return bytesOf(*this); }

XrtApplRecord XrtApplRecord::read(const uint8_t* b) { return ReadRecord<XrtApplRecord>(XrtApplFields, b); }
void XrtApplRecord::write(uint8_t* b) const { WriteRecord(XrtApplFields, *this, b); }
std::array<uint8_t, XrtApplRecord::Size> XrtApplRecord::bytes() const { return bytesOf(*this); }

XrtBrugRecord XrtBrugRecord::read(const uint8_t* b) { return ReadRecord<XrtBrugRecord>(XrtBrugFields, b); }
void XrtBrugRecord::write(uint8_t* b) const { WriteRecord(XrtBrugFields, *this, b); }
std::array<uint8_t, XrtBrugRecord::Size> XrtBrugRecord::bytes() const { return bytesOf(*this); }

uint16_t ReadNetCnfNode(const std::string& nodeKey, NetCnfRecord& node)
{
    ScopedTable open(table::NetCnf, DbMode::ReadOnly);
    if (open.status() != DbStatus::Success)
        return open.status();
    uint8_t key[8] = {};
    le::putStr(key, sizeof key, nodeKey);
    uint8_t record[NetCnfRecord::Size];
    const uint16_t status = DbGet(table::NetCnf, 0, key, sizeof key, record, sizeof record, DbOp::GetEqual);
    if (status == DbStatus::Success)
        node = NetCnfRecord::read(record);
    return status;
}
