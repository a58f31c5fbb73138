#include "model/McdefAccess.h"

#include "model/Records.h"
#include "support/Db.h"
#include "support/RecordStore.h"

#include <algorithm>
#include <cstring>

uint16_t OpenMcdef()
{
    const uint16_t status = DbOpen(table::Mcdef, DbMode::Accelerated);
    return status == DbStatus::AlreadyOpen ? uint16_t(DbStatus::Success) : status;
}

namespace {

uint16_t getMcdef(const uint8_t (&keyBytes)[4], McdefRecord& record, int operation)
{
    if (const uint16_t open = OpenMcdef(); open != DbStatus::Success)
        return open;
    uint8_t key[4];
    std::memcpy(key, keyBytes, 4);
    return DbGet(table::Mcdef, 0, key, 4, record.data(), McdefRecord::Size, operation);
}

uint16_t nextMcdef(McdefRecord& record) { return DbRelGet(table::Mcdef, 0, record.data(), McdefRecord::Size, DbOp::GetNext); }

// Reads on from {number, block type, block number, item} while the first
// `prefix` key bytes stay the same.
uint16_t readRange(const uint8_t (&start)[4], size_t prefix, std::vector<McdefRecord>& blocks)
{
    blocks.clear();
    McdefRecord r;
    uint16_t status = getMcdef(start, r, DbOp::GetGreaterOrEqual);
    while (status == DbStatus::Success && std::memcmp(r.data(), start, prefix) == 0) {
        blocks.push_back(r);
        status = nextMcdef(r);
    }
    return (status == DbStatus::Success || status == DbStatus::EndOfFile) ? uint16_t(DbStatus::Success) : status;
}

uint16_t removeRange(const uint8_t (&start)[4], size_t prefix, std::string* headerName)
{
    McdefRecord r;
    for (;;) {
        uint16_t status = getMcdef(start, r, DbOp::GetGreaterOrEqual);
        if (status == DbStatus::EndOfFile || (status == DbStatus::Success && std::memcmp(r.data(), start, prefix) != 0))
            return DbStatus::Success;
        if (status != DbStatus::Success)
            return status;
        if (headerName && r.blockType() == BlockType::Header)
            *headerName = r.name();
        status = DbDelete(table::Mcdef);
        if (status != DbStatus::Success)
            return status;
    }
}

} // namespace

uint16_t ReadBlock(uint8_t number, uint8_t blockType, uint8_t blockNumber, uint8_t item, McdefRecord& record)
{
    return getMcdef({number, blockType, blockNumber, item}, record, DbOp::GetEqual);
}

uint16_t FindBlockKey(uint8_t number, uint8_t blockType, uint8_t blockNumber, uint8_t item, bool& exists)
{
    exists = false;
    if (const uint16_t open = OpenMcdef(); open != DbStatus::Success)
        return open;
    const uint8_t wanted[4] = {number, blockType, blockNumber, item};
    uint8_t key[4];
    std::memcpy(key, wanted, 4);
    const uint16_t status = DbGet(table::Mcdef, 0, key, 4, nullptr, 0, DbOp::KeyGetGreaterOrEqual);
    if (status == DbStatus::EndOfFile)
        return DbStatus::Success;
    exists = status == DbStatus::Success && std::memcmp(key, wanted, 4) == 0;
    return status;
}

uint16_t ReadFunction(uint8_t number, std::vector<McdefRecord>& blocks)
{
    return readRange({number, 0, 0, 0}, 1, blocks);
}

uint16_t ReadDefinedFunction(uint8_t number, std::vector<McdefRecord>& blocks)
{
    const uint16_t status = ReadFunction(number, blocks);
    if (status == DbStatus::Success && (blocks.empty() || blocks.front().blockType() != BlockType::Header))
        return DbStatus::KeyNotFound;
    return status;
}

uint16_t ReadBlocks(uint8_t number, uint8_t blockType, uint8_t blockNumber, std::vector<McdefRecord>& blocks)
{
    return readRange({number, blockType, blockNumber, 0}, 3, blocks);
}

uint16_t ReadBlocksOfType(uint8_t number, uint8_t blockType, std::vector<McdefRecord>& blocks)
{
    return readRange({number, blockType, 0, 0}, 2, blocks);
}

uint16_t ReadHeaders(std::vector<McdefRecord>& headers)
{
    headers.clear();
    McdefRecord r;
    uint16_t status = getMcdef({0, 0, 0, 0}, r, DbOp::GetGreaterOrEqual);
    while (status == DbStatus::Success) {
        if (r.blockType() == BlockType::Header)
            headers.push_back(r);
        if (r.number() == 255)
            break;
        status = getMcdef({uint8_t(r.number() + 1), 0, 0, 0}, r, DbOp::GetGreaterOrEqual);
    }
    return (status == DbStatus::Success || status == DbStatus::EndOfFile) ? uint16_t(DbStatus::Success) : status;
}

uint16_t InsertBlock(const McdefRecord& record)
{
    if (const uint16_t open = OpenMcdef(); open != DbStatus::Success)
        return open;
    return DbInsert(table::Mcdef, 0, record.data(), McdefRecord::Size);
}

uint16_t UpdateBlock(const McdefRecord& record)
{
    McdefRecord current;
    const auto key = record.key();
    const uint16_t status = getMcdef({key[0], key[1], key[2], key[3]}, current, DbOp::GetEqual);
    if (status != DbStatus::Success)
        return status;
    return DbUpdate(table::Mcdef, 0, record.data(), McdefRecord::Size);
}

uint16_t WriteBlock(const McdefRecord& record)
{
    const uint16_t status = UpdateBlock(record);
    return status == DbStatus::KeyNotFound ? InsertBlock(record) : status;
}

uint16_t RemoveFunction(uint8_t number, std::string* headerName)
{
    return removeRange({number, 0, 0, 0}, 1, headerName);
}

uint16_t RemoveBlocks(uint8_t number, uint8_t blockType, uint8_t blockNumber)
{
    return removeRange({number, blockType, blockNumber, 0}, 3, nullptr);
}

uint16_t ReplaceBlocks(uint8_t number, uint8_t blockType, uint8_t blockNumber, const std::vector<McdefRecord>& records)
{
    // The range is deleted and inserted in one batch: all of it or none.
    if (const uint16_t open = OpenMcdef(); open != DbStatus::Success)
        return open;
    DbBatch batch(table::Mcdef);
    if (batch.beginStatus() != DbStatus::Success)
        return batch.beginStatus();
    uint16_t status = RemoveBlocks(number, blockType, blockNumber);
    for (size_t i = 0; i < records.size() && status == DbStatus::Success; ++i)
        status = InsertBlock(records[i]);
    return status == DbStatus::Success ? batch.commit() : status;
}

uint16_t FindScheduleReferences(uint8_t schedule, std::vector<uint8_t>& owners)
{
    owners.clear();
    if (const uint16_t open = OpenMcdef(); open != DbStatus::Success)
        return open;
    uint8_t key[2] = {BlockType::ScheduleReference, schedule};
    McdefRecord r;
    uint16_t status = DbGet(table::Mcdef, 1, key, sizeof key, r.data(), McdefRecord::Size, DbOp::GetGreaterOrEqual);
    while (status == DbStatus::Success && r.blockType() == BlockType::ScheduleReference && r.item() == schedule) {
        owners.push_back(r.number());
        status = DbRelGet(table::Mcdef, 1, r.data(), McdefRecord::Size, DbOp::GetNext);
    }
    return (status == DbStatus::Success || status == DbStatus::EndOfFile) ? uint16_t(DbStatus::Success) : status;
}

uint16_t LoadEditorHeader(uint8_t number, uint8_t type, EditorHeader& header)
{
    const uint16_t status = ReadBlock(number, BlockType::Header, 0, 0, header.record);
    if (status == DbStatus::Success) {
        header.existed = true;
        return status;
    }
    if (status != DbStatus::KeyNotFound)
        return status;
    header.record = McdefRecord(number, BlockType::Header, 0, 0);
    header.record.setType(type);
    header.existed = false;
    return DbStatus::Success;
}

uint16_t SaveEditorHeader(EditorHeader& header, const std::string& name, uint8_t extraFlags)
{
    McdefRecord& r = header.record;
    r.setFlags(uint8_t((r.flags() & FlagsKeptOnSave) | extraFlags));
    r.setName(name);
    const uint16_t status = header.existed ? UpdateBlock(r) : InsertBlock(r);
    if (status == DbStatus::Success)
        header.existed = true;
    return status;
}

uint8_t LowestFreeNumber(const std::vector<uint8_t>& usedNumbers)
{
    for (int n = 1; n <= MaxFunctionNumber; ++n)
        if (std::find(usedNumbers.begin(), usedNumbers.end(), uint8_t(n)) == usedNumbers.end())
            return uint8_t(n);
    return 0;
}
