#include "gateway/ConsistencyCheck.h"

#include "model/Descriptions.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "protocol/IdentityChecksum.h"
#include "protocol/LittleEndian.h"
#include "protocol/TypeCatalogue.h"
#include "support/Db.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <set>
#include <utility>

ConsistencyCheck::ConsistencyCheck(std::string gatewayAddress, const Directory& directory)
    : m_gatewayAddress(std::move(gatewayAddress))
    , m_prefix(NetworkPrefix(m_gatewayAddress))
    , m_directory(directory)
{
}

const ConsistencyCheck::Controller& ConsistencyCheck::controller(uint8_t address, uint16_t& status)
{
    status = DbStatus::Success;
    const auto known = m_controllers.find(address);
    if (known != m_controllers.end())
        return known->second;
    Controller c;
    ScopedTable open(table::NetCnf, DbMode::ReadOnly);
    status = open.status();
    if (status == DbStatus::Success) {
        uint8_t key[8] = {};
        le::putStr(key, sizeof key, NodeKey(m_prefix, address));
        uint8_t record[NetCnfRecord::Size];
        status = DbGet(table::NetCnf, 0, key, sizeof key, record, sizeof record, DbOp::GetEqual);
        if (status == DbStatus::Success) {
            const NetCnfRecord node = NetCnfRecord::read(record);
            c = {true, node.nodeKind, node.supportLevel, node.ident, node.descKey};
        } else if (status == DbStatus::KeyNotFound) {
            status = DbStatus::Success;
        }
    }
    return m_controllers[address] = c;
}

bool ConsistencyCheck::describedAtAll(const std::string& descKey, uint16_t& status)
{
    status = DbStatus::Success;
    const auto known = m_described.find(descKey);
    if (known != m_described.end())
        return known->second;
    bool described = false;
    status = ProbeDescription(descKey, described);
    if (status == DbStatus::EndOfFile)
        status = DbStatus::Success;
    return m_described[descKey] = described;
}

uint16_t ConsistencyCheck::ensureDefinition(const Controller& node, uint8_t address, uint8_t functionParameter,
                                            uint8_t scope, const uint8_t* parameter)
{
    ScopedTable open(table::McParDef, DbMode::Normal);
    if (open.status() != DbStatus::Success)
        return open.status();
    McParDefRecord definition;
    definition.ident = node.ident;
    definition.functionParameter = functionParameter;
    definition.p1 = parameter[0];
    definition.p2 = parameter[1];
    definition.p3 = parameter[2];
    const std::string nodeKey = NodeKey(m_prefix, address);
    for (const std::string& nodeText : {nodeKey, std::string(McParDefRecord::EveryNode)}) {
        definition.nodeText = nodeText;
        auto key = definition.bytes();
        uint8_t record[McParDefRecord::Size];
        const uint16_t status = DbGet(table::McParDef, 0, key.data(), 26, record, sizeof record, DbOp::GetEqual);
        if (status == DbStatus::Success)
            return DbStatus::Success;
        if (status != DbStatus::KeyNotFound)
            return status;
    }
    definition.nodeText = scope == 2 ? std::string(McParDefRecord::EveryNode) : nodeKey;
    const auto bytes = definition.bytes();
    return DbInsert(table::McParDef, 0, bytes.data(), McParDefRecord::Size);
}

uint16_t ConsistencyCheck::failedOn(const char* table, uint16_t status)
{
    if (status != DbStatus::Success)
        m_failedTable = table;
    return status;
}

uint16_t ConsistencyCheck::referenceStatus(uint8_t type, const McdefRecord& record, uint16_t& found)
{
    found = 0;
    uint16_t status = DbStatus::Success;
    const Controller& node = controller(record.item(), status);
    if (status != DbStatus::Success)
        return failedOn(table::NetCnf, status);
    if (!node.found || node.nodeKind != NetCnfRecord::ControllerKind) {
        found |= CheckStatus::ControllerMissing;
        return DbStatus::Success;
    }
    const int direction = record.blockType() == BlockType::Input ? Direction::Input : Direction::Output;
    const SlotSet slots = TypeSlots(type, direction);
    const SlotDescriptor& slot = slots.descriptors[size_t(std::clamp(int(record.blockNumber()), 1, 8) - 1)];
    const bool automatic = record[6] == 255;
    if (automatic && slot.minimumLevel > node.supportLevel)
        found |= CheckStatus::NoAutomaticSupport;
    const bool described = describedAtAll(node.descKey, status);
    if (status != DbStatus::Success)
        return failedOn(table::QebDes, status);
    if (!described)
        found |= CheckStatus::NoDescription;
    // Parameter references carry the identity checksum of their controller;
    // multi-parameter references keep theirs in bytes 38..39.
    const bool multiParameter = le::u16(&record[38]) != 0;
    if (automatic || multiParameter || !described)
        return DbStatus::Success;
    if (le::u16(&record[10]) == IdentityChecksum(uint8_t(node.nodeKind & 0xFF), node.ident))
        return DbStatus::Success;
    QebDesRecord description;
    const DescriptionLookup lookup = DescribeParameter(node.descKey, record[6], record[7], record[8], description, status);
    if (lookup == DescriptionLookup::Failed)
        return failedOn(table::QebDes, status);
    if (lookup == DescriptionLookup::Missing) {
        found |= CheckStatus::ParameterMissing;
        return DbStatus::Success;
    }
    found |= CheckStatus::ParameterNeedsApproval;
    return failedOn(table::McParDef,
                    ensureDefinition(node, record.item(), slot.functionParameter, slot.scope, &record[6]));
}

uint16_t ConsistencyCheck::checkFunction(uint8_t number)
{
    const DirectoryEntry& entry = m_directory[number];
    std::vector<McdefRecord> records;
    uint16_t status = ReadFunction(number, records);
    if (status != DbStatus::Success)
        return status;
    DbBatch batch(table::Mcdef);
    if (batch.beginStatus() != DbStatus::Success)
        return batch.beginStatus();
    bool marked = false;
    // References of one slot may share a key (several parameters of one
    // controller), so a marked slot is written back as a whole range.
    std::set<std::pair<uint8_t, uint8_t>> markedRanges;
    for (McdefRecord& record : records) {
        ++m_recordsChecked;
        uint16_t found = 0;
        if (record.blockType() == BlockType::ScheduleReference) {
            if (record.item() > MaxFunctionNumber || !m_directory[record.item()].exists())
                found = CheckStatus::ScheduleMissing;
            else if (m_directory[record.item()].type != FunctionType::YearlySchedule)
                found = CheckStatus::NotASchedule;
        } else if (record.blockType() == BlockType::Input || record.blockType() == BlockType::Output) {
            status = referenceStatus(entry.type, record, found);
            if (status != DbStatus::Success)
                return status;
        }
        if (found == 0)
            continue;
        record.setStatus(uint16_t(record.status() | found));
        markedRanges.insert({record.blockType(), record.blockNumber()});
        marked = true;
    }
    for (const std::pair<uint8_t, uint8_t>& range : markedRanges) {
        const auto [blockType, blockNumber] = range;
        std::vector<McdefRecord> slotRecords;
        std::copy_if(records.begin(), records.end(), std::back_inserter(slotRecords), [&range](const McdefRecord& r) {
            return std::pair(r.blockType(), r.blockNumber()) == range;
        });
        status = ReplaceBlocks(number, blockType, blockNumber, slotRecords);
        if (status != DbStatus::Success)
            return status;
    }
    status = batch.commit();
    if (status != DbStatus::Success)
        return status;
    if (marked)
        m_marked.push_back(number);
    return DbStatus::Success;
}

uint16_t ConsistencyCheck::markFunctions()
{
    for (uint8_t number : m_marked) {
        McdefRecord header;
        uint16_t status = ReadBlock(number, BlockType::Header, 0, 0, header);
        if (status != DbStatus::Success)
            return status;
        header.setFlags(uint8_t(header.flags() | FunctionFlag::ReferenceErrorMark));
        status = UpdateBlock(header);
        if (status != DbStatus::Success)
            return status;
    }
    return DbStatus::Success;
}
