#include "editors/energy/PoOptimizerSettings.h"

#include "model/FunctionSettings.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "protocol/IdentityChecksum.h"
#include "protocol/LittleEndian.h"
#include "protocol/NodeAddress.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "support/DbStatus.h"

#include <algorithm>

namespace {

constexpr uint8_t Type = FunctionType::PoOptimizer;

constexpr size_t MaxRecords = 3;

constexpr size_t OutputSlotByte = 6;
constexpr size_t OutputChecksumByte = 10;
// The class that the second compressor output reference carries.
constexpr uint8_t SecondOutputClass = 249;

uint16_t checksumOf(const MultiParmRow& row) { return IdentityChecksum(uint8_t(ControllerNodeKind), row.ident); }

} // namespace

PoSettings UnpackPoSettings(const McdefRecord& block)
{
    const auto value = [&block](std::string_view name) { return SettingValue(Type, name, block); };
    PoSettings s;
    s.period = uint16_t(value("period") / Setting(Type, "period").scale);
    s.filter = uint16_t(value("filter"));
    s.kp = float(value("Kp"));
    s.tn = float(value("Tn"));
    s.offsetDisable = uint8_t(value("Po offset disable"));
    s.actualOffset = float(value("actual Po offset"));
    s.compressorLoop = uint8_t(value("compressor loop"));
    s.alarmEnable = uint8_t(value("Po offset alarm enable"));
    s.alarmDelay = uint16_t(value("alarm delay"));
    s.optimiseCommunication = uint8_t(value("optimise communication"));
    return s;
}

void PackPoSettings(const PoSettings& s, McdefRecord& block)
{
    const auto set = [&block](std::string_view name, double value) { SetSettingValue(Type, name, block, value); };
    set("period", s.period * Setting(Type, "period").scale);
    set("filter", s.filter);
    set("Kp", s.kp);
    set("Tn", s.tn);
    set("Po offset disable", s.offsetDisable);
    set("compressor loop", s.compressorLoop);
    set("Po offset alarm enable", s.alarmEnable);
    set("alarm delay", s.alarmDelay);
    set("optimise communication", s.optimiseCommunication);
}

std::string PoOffsetText(float offset, bool disabled)
{
    if (disabled)
        return "0";
    const double rounded = double(int(double(offset) * 10 + 0.5)) * 0.1;
    return StrFormat("%.1f", rounded);
}

std::vector<McdefRecord> EvaporatorDelayRecords(uint8_t number, const std::vector<MultiParmRow>& rows)
{
    std::vector<McdefRecord> records;
    const size_t kept = std::min(rows.size(), PoLayout::EntriesPerRecord * MaxRecords);
    for (size_t first = 0; first < kept; first += PoLayout::EntriesPerRecord) {
        std::vector<EvaporatorEntry> entries;
        for (size_t i = first; i < std::min(kept, first + PoLayout::EntriesPerRecord); ++i)
            entries.push_back({uint8_t(i), rows[i].address, uint8_t(rows[i].loop - 'A'), rows[i].defrostDelay});
        records.push_back(EvaporatorRecord(number, uint8_t(records.size() + 1), entries));
    }
    return records;
}

void ApplyEvaporatorDelays(const std::vector<McdefRecord>& records, const QebTypeIni& ini,
                           std::vector<MultiParmRow>& rows)
{
    // The rows come in key order (by address), the entries in the gateway's order: an entry belongs to the
    // row of its address and loop, whatever its index.
    std::vector<EvaporatorEntry> entries;
    for (const McdefRecord& record : records) {
        const std::vector<EvaporatorEntry> read = ReadEvaporatorEntries(record);
        entries.insert(entries.end(), read.begin(), read.end());
    }
    std::vector<bool> used(entries.size(), false);
    const auto take = [&](uint8_t address, const auto& matches) -> const EvaporatorEntry* {
        for (size_t k = 0; k < entries.size(); ++k)
            if (!used[k] && entries[k].address == address && matches(entries[k])) {
                used[k] = true;
                return &entries[k];
            }
        return nullptr;
    };
    for (MultiParmRow& row : rows) {
        const char looked = FindLoopLetter(ini, row);
        const bool known = looked != QebTypeIni::UnknownLoop;
        // The entry of the loop the row's parameters name; without one, the next entry of its address.
        const EvaporatorEntry* entry = known ? take(row.address, [&](const EvaporatorEntry& e) { return 'A' + e.loop == looked; })
                                             : nullptr;
        if (!entry)
            entry = take(row.address, [](const EvaporatorEntry& e) { return e.loop < LoopCount; });
        if (entry)
            row.defrostDelay = entry->delay;
        row.loop = known ? looked : entry ? char('A' + entry->loop) : QebTypeIni::UnknownLoop;
    }
}

std::vector<McdefRecord> CompressorOutputRecords(uint8_t number, uint8_t block, const std::vector<MultiParmRow>& rows,
                                                 const QebTypeIni& ini)
{
    std::vector<McdefRecord> records;
    for (const MultiParmRow& row : rows) {
        McdefRecord record(number, BlockType::Output, block, row.address);
        if (block == 1) {
            const ParameterSlot& slot = row.output;
            record[OutputSlotByte] = slot.p1;
            record[OutputSlotByte + 1] = slot.p2;
            record[OutputSlotByte + 2] = slot.p3;
            record[OutputSlotByte + 3] = slot.parameterClass;
        } else {
            const std::optional<ParameterNumbers> numbers =
                ParseParameterReference(ini.referenceText(row.ident, "Output", 2, row.loop));
            if (!numbers)
                continue;
            record[OutputSlotByte] = numbers->p1;
            record[OutputSlotByte + 1] = numbers->p2;
            record[OutputSlotByte + 2] = numbers->p3;
            record[OutputSlotByte + 3] = SecondOutputClass;
        }
        le::putU16(&record[OutputChecksumByte], checksumOf(row));
        records.push_back(record);
    }
    return records;
}

namespace {

// The rows of an input slot, and the blocks {number, block type, block, *}
// that complete them; a failed read of either is kept in the rows' read.
MultiRowsRead ReadRowsWithBlocks(const std::string& gatewayAddress, uint8_t number, uint8_t inputSlot,
                                 uint8_t blockType, uint8_t block, std::vector<McdefRecord>& blocks)
{
    MultiRowsRead read = ReadMultiReferenceRows(gatewayAddress, number, BlockType::Input, inputSlot);
    if (!read.complete())
        return read;
    const uint16_t status = ReadBlocks(number, blockType, block, blocks);
    if (status != DbStatus::Success)
        read.failure = FailedRowRead(table::Mcdef, status);
    return read;
}

} // namespace

MultiRowsRead ReadEvaporatorRows(const std::string& gatewayAddress, uint8_t number, const QebTypeIni& ini)
{
    std::vector<McdefRecord> delays;
    MultiRowsRead read = ReadRowsWithBlocks(gatewayAddress, number, EvaporatorInputSlot, BlockType::Data,
                                            PoLayout::EvaporatorBlock, delays);
    if (read.complete())
        ApplyEvaporatorDelays(delays, ini, read.rows);
    return read;
}

MultiRowsRead ReadCompressorRows(const std::string& gatewayAddress, uint8_t number, const QebTypeIni& ini)
{
    std::vector<McdefRecord> outputs;
    MultiRowsRead read = ReadRowsWithBlocks(gatewayAddress, number, CompressorInputSlot, BlockType::Output, 1, outputs);
    if (!read.complete())
        return read;
    uint16_t status = DbStatus::Success;
    for (MultiParmRow& row : read.rows) {
        row.loop = FindLoopLetter(ini, row);
        for (const McdefRecord& output : outputs) {
            if (output.item() != row.address)
                continue;
            row.output.p1 = output[6];
            row.output.p2 = output[7];
            row.output.p3 = output[8];
            if (DescribeSlot(row.descKey, row.output, status) == DescriptionLookup::Failed) {
                read.failure = FailedRowRead(table::QebDes, status);
                return read;
            }
            row.output.parameterClass = output[9];
        }
    }
    return read;
}
