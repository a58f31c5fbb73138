#include "references/MultiParmRows.h"

#include "model/Descriptions.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "protocol/IdentityChecksum.h"
#include "protocol/LittleEndian.h"
#include "protocol/TypeCatalogue.h"
#include "support/Db.h"

#include <algorithm>
#include <set>
#include <utility>

namespace {

constexpr size_t SlotsOffset = 6;
constexpr size_t SlotSize = 4;
constexpr size_t ChecksumOffset = 38;
// Node kinds whose controllers a Po optimizer can use.
constexpr uint16_t OlderControllerNodeKind = 31;
constexpr int LastControllerAddress = 124;
constexpr uint8_t EveryLoopUsed = 255;

// The compressor's input slot.
constexpr uint8_t CompressorInputBlock = 2;

// Reads one slot; false when the file names no parameter there or the
// description lacks it. `failure` is set after a database error.
bool readSlot(const QebTypeIni& ini, const std::string& word, int slotNumber, MultiParmRow& row, ParameterSlot& slot,
              std::optional<RowReadFailure>& failure)
{
    const std::string text = ini.referenceText(row.ident, word, slotNumber, row.loop);
    if (text.empty())
        return false;
    const std::optional<ParameterNumbers> numbers = ParseParameterReference(text);
    if (numbers) {
        slot.p1 = numbers->p1;
        slot.p2 = numbers->p2;
        slot.p3 = numbers->p3;
        uint16_t status = DbStatus::Success;
        const ParameterSlot before = slot;
        switch (DescribeSlot(row.descKey, slot, status)) {
        case DescriptionLookup::Found:
            return true;
        case DescriptionLookup::Failed:
            failure = FailedRowRead(table::QebDes, status);
            return false;
        case DescriptionLookup::Missing:
            if (!before.defaultText.empty()) {
                slot.defaultText = before.defaultText;
                slot.customText = before.customText;
            }
            return false;
        }
    }
    if (slot.defaultText.empty())
        slot.defaultText = slot.customText = "???";
    return false;
}

// The controller loops that other Po optimizer functions use, as (address, loop letter).
using UsedLoops = std::set<std::pair<uint8_t, char>>;

std::optional<RowReadFailure> readUsedLoops(uint8_t ownNumber, int role, UsedLoops& used)
{
    std::vector<McdefRecord> headers;
    uint16_t status = ReadHeaders(headers);
    if (status != DbStatus::Success)
        return FailedRowRead(table::Mcdef, status);
    for (const McdefRecord& header : headers) {
        const uint8_t n = header.number();
        if (n == ownNumber || header.type() != FunctionType::PoOptimizer)
            continue;
        if (role == PoRole::Evaporator) {
            std::vector<McdefRecord> records;
            if ((status = ReadBlocks(n, BlockType::Data, PoLayout::EvaporatorBlock, records)) != DbStatus::Success)
                return FailedRowRead(table::Mcdef, status);
            for (const McdefRecord& record : records)
                for (const EvaporatorEntry& entry : ReadEvaporatorEntries(record))
                    used.insert({entry.address, char('A' + entry.loop)});
        } else {
            std::vector<McdefRecord> references;
            if ((status = ReadBlocks(n, BlockType::Input, CompressorInputBlock, references)) != DbStatus::Success)
                return FailedRowRead(table::Mcdef, status);
            if (references.empty())
                continue;
            McdefRecord settings;
            status = ReadBlock(n, BlockType::Data, PoLayout::SettingsBlock, 0, settings);
            if (status == DbStatus::KeyNotFound)
                continue;
            if (status != DbStatus::Success)
                return FailedRowRead(table::Mcdef, status);
            for (const McdefRecord& reference : references)
                used.insert({reference.item(), char('A' + SettingValue(FunctionType::PoOptimizer, "compressor loop", settings))});
        }
    }
    return std::nullopt;
}

} // namespace

DescriptionLookup DescribeSlot(const std::string& descKey, ParameterSlot& slot, uint16_t& status)
{
    QebDesRecord description;
    const DescriptionLookup lookup = DescribeParameter(descKey, slot.p1, slot.p2, slot.p3, description, status);
    if (lookup == DescriptionLookup::Found) {
        slot.parameterClass = description.parameterClass;
        slot.defaultText = description.defaultText;
        slot.customText = description.customText;
    } else if (lookup == DescriptionLookup::Missing) {
        slot.defaultText = slot.customText = "???";
    }
    return lookup;
}

McdefRecord EvaporatorRecord(uint8_t number, uint8_t sequence, const std::vector<EvaporatorEntry>& entries)
{
    McdefRecord record(number, BlockType::Data, PoLayout::EvaporatorBlock, sequence);
    WriteEvaporatorEntries(entries, record);
    return record;
}

SlotFill FillRowSlots(const QebTypeIni& ini, MultiParmRow& row)
{
    SlotFill fill;
    for (size_t n = 0; n < MultiParmRow::InputSlots; ++n) {
        const bool named = !ini.referenceText(row.ident, "Input", int(n + 1), row.loop).empty();
        if (!readSlot(ini, "Input", int(n + 1), row, row.inputs[n], fill.failure) && named)
            fill.complete = false;
        if (fill.failure)
            return fill;
    }
    readSlot(ini, "Output", 1, row, row.output, fill.failure);
    return fill;
}

uint8_t FindLoop(const QebTypeIni& ini, const MultiParmRow& row) { return FindLoop(ini, row, ini.loopLetters(row.ident)); }

uint8_t FindLoop(const QebTypeIni& ini, const MultiParmRow& row, const std::string& letters)
{
    for (size_t index = 0; index < letters.size(); ++index) {
        bool matches = true;
        for (size_t n = 0; n < MultiParmRow::InputSlots && matches; ++n) {
            const std::string text = ini.referenceText(row.ident, "Input", int(n + 1), letters[index]);
            if (text.empty())
                continue;
            const std::optional<ParameterNumbers> numbers = ParseParameterReference(text);
            matches = numbers && *numbers == row.inputs[n].numbers();
        }
        if (matches)
            return uint8_t(index);
    }
    return NoLoop;
}

char FindLoopLetter(const QebTypeIni& ini, const MultiParmRow& row)
{
    const uint8_t loop = FindLoop(ini, row);
    return loop == NoLoop ? QebTypeIni::UnknownLoop : ini.loopLetters(row.ident)[loop];
}

MultiRowsRead ReadMultiReferenceRows(const std::string& gatewayAddress, uint8_t functionNumber, uint8_t blockType,
                                     uint8_t block)
{
    MultiRowsRead read;
    const std::string prefix = NetworkPrefix(gatewayAddress);
    ScopedTable netcnf(table::NetCnf, DbMode::ReadOnly);
    std::vector<McdefRecord> records;
    const uint16_t scan = ReadBlocks(functionNumber, blockType, block, records);
    for (const McdefRecord& record : records) {
        const uint8_t flagsA = record[4];
        const uint8_t flagsB = record[5];
        MultiParmRow row;
        row.address = record.item();
        row.defrostDelay = MultiParmRow::LoadedDefrostDelay;
        if (flagsA & ReferenceFlag::ControllerNotFound) {
            row.message = TextById(txt::QebNotFound);
            row.status = ReferenceStatus::Error;
        } else {
            NetCnfRecord node;
            const NodeRead found = ReadReferencedNode(netcnf.status(), prefix, row.address, node, read.failure);
            read.controllerMissing = found == NodeRead::Missing;
            if (found != NodeRead::Found)
                return read;
            row.idCode = node.idCode;
            row.ident = node.ident;
            row.descKey = node.descKey;
        }
        const bool described = !(flagsA & (ReferenceFlag::ControllerNotFound | ReferenceFlag::NoDescription));
        for (size_t n = 0; n < MultiParmRow::InputSlots; ++n) {
            ParameterSlot& slot = row.inputs[n];
            const uint8_t* bytes = &record[SlotsOffset + SlotSize * n];
            slot.p1 = bytes[0];
            slot.p2 = bytes[1];
            slot.p3 = bytes[2];
            slot.parameterClass = bytes[3];
            if (!described || (slot.p1 == 0 && slot.p2 == 0 && slot.p3 == 0))
                continue;
            uint16_t status = DbStatus::Success;
            const uint8_t storedClass = slot.parameterClass;
            if (DescribeSlot(row.descKey, slot, status) == DescriptionLookup::Failed) {
                read.failure = FailedRowRead(table::QebDes, status);
                return read;
            }
            slot.parameterClass = storedClass;
        }
        ApplyStatusFlags(flagsA, flagsB, row.message, row.status);
        row.flags = uint16_t(flagsA + 256 * flagsB);
        read.rows.push_back(std::move(row));
    }
    if (scan != DbStatus::Success)
        read.failure = FailedRowRead(table::Mcdef, scan);
    return read;
}

McdefRecord MultiReferenceRecord(uint8_t functionNumber, uint8_t blockType, uint8_t block, const MultiParmRow& row)
{
    McdefRecord record(functionNumber, blockType, block, row.address);
    for (size_t n = 0; n < MultiParmRow::InputSlots; ++n) {
        const ParameterSlot& slot = row.inputs[n];
        uint8_t* bytes = &record[SlotsOffset + SlotSize * n];
        bytes[0] = slot.p1;
        bytes[1] = slot.p2;
        bytes[2] = slot.p3;
        bytes[3] = slot.parameterClass;
    }
    le::putU16(&record[ChecksumOffset], IdentityChecksum(uint8_t(ControllerNodeKind), row.ident));
    return record;
}

MultiStore StoreMultiReferenceRows(uint8_t functionType, uint8_t functionNumber, uint8_t blockType, uint8_t block,
                                   const std::vector<MultiParmRow>& rows, uint16_t& status)
{
    const SlotSet slots = TypeSlots(functionType, blockType == BlockType::Input ? Direction::Input : Direction::Output);
    if (!slots.has(block) || slots.descriptors[size_t(block - 1)].kind == SlotKind::Automatic)
        return MultiStore::NotReferenceSlot;
    std::vector<McdefRecord> records;
    for (const MultiParmRow& row : rows)
        records.push_back(MultiReferenceRecord(functionNumber, blockType, block, row));
    status = ReplaceBlocks(functionNumber, blockType, block, records);
    return status == DbStatus::Success ? MultiStore::Stored : MultiStore::Failed;
}

MultiCandidatesRead ReadMultiCandidates(const QebTypeIni& ini, const std::string& gatewayAddress, uint8_t ownNumber,
                                        int role, const std::vector<MultiParmRow>& editorRows)
{
    MultiCandidatesRead read;
    if (ownNumber == 0)
        return read;
    UsedLoops used;
    if (ownNumber != EveryLoopUsed) {
        read.failure = readUsedLoops(ownNumber, role, used);
        if (read.failure)
            return read;
    }
    ScopedTable netcnf(table::NetCnf, DbMode::ReadOnly);
    if (netcnf.status() != DbStatus::Success) {
        read.failure = FailedRowRead(table::NetCnf, netcnf.status());
        return read;
    }
    const std::string prefix = NetworkPrefix(gatewayAddress);
    const uint16_t defaultDelay = ini.defaultDefrostDelaySeconds();
    for (int address = 1; address <= LastControllerAddress; ++address) {
        NetCnfRecord node;
        const uint16_t status = ReadControllerNode(prefix, address, node);
        if (status == DbStatus::KeyNotFound)
            continue;
        if (status != DbStatus::Success) {
            read.failure = FailedRowRead(table::NetCnf, status);
            return read;
        }
        if (node.nodeKind != ControllerNodeKind && node.nodeKind != OlderControllerNodeKind)
            continue;
        const int fit = ini.fitsRole(node.ident, role);
        if (fit == RoleFit::No)
            continue;
        for (const char loop : ini.loopLetters(node.ident)) {
            if (ownNumber == EveryLoopUsed || used.contains({uint8_t(address), loop}))
                continue;
            MultiCandidate candidate;
            MultiParmRow& row = candidate.row;
            row.address = uint8_t(address);
            row.loop = loop;
            row.idCode = node.idCode;
            row.ident = node.ident;
            row.descKey = node.descKey;
            row.defrostDelay = defaultDelay;
            const SlotFill fill = FillRowSlots(ini, row);
            if (fill.failure) {
                read.failure = fill.failure;
                return read;
            }
            row.incomplete = !fill.complete || fit == RoleFit::Unknown;
            const auto held = std::find_if(editorRows.begin(), editorRows.end(), [&](const MultiParmRow& r) {
                return r.address == row.address && r.loop == row.loop;
            });
            if (held != editorRows.end()) {
                row.defrostDelay = held->defrostDelay;
                candidate.selected = !row.incomplete;
            }
            read.rows.push_back(std::move(candidate));
        }
    }
    return read;
}
