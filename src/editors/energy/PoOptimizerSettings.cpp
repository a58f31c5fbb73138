#include "editors/energy/PoOptimizerSettings.h"

#include "model/McdefAccess.h"
#include "model/Records.h"
#include "protocol/IdentityChecksum.h"
#include "protocol/LittleEndian.h"
#include "protocol/NodeAddress.h"
#include "protocol/StrFormat.h"
#include "support/DbStatus.h"

#include <algorithm>

namespace {

constexpr size_t PeriodByte = 6;
constexpr size_t FilterByte = 8;
constexpr size_t KpByte = 10;
constexpr size_t TnByte = 14;
constexpr size_t OffsetDisableByte = 18;
constexpr size_t ActualOffsetByte = 19;
constexpr size_t AlarmEnableByte = 24;
constexpr size_t AlarmDelayByte = 25;
constexpr size_t OptimiseCommunicationByte = 27;

constexpr size_t MaxRecords = 3;

constexpr size_t OutputSlotByte = 6;
constexpr size_t OutputChecksumByte = 10;
// The class that the second compressor output reference carries.
constexpr uint8_t SecondOutputClass = 249;

uint16_t checksumOf(const MultiParmRow& row) { return IdentityChecksum(uint8_t(ControllerNodeKind), row.ident); }

} // namespace

PoSettings UnpackPoSettings(const McdefRecord& block)
{
    PoSettings s;
    s.period = uint16_t(le::u16(&block[PeriodByte]) / 60);
    s.filter = le::u16(&block[FilterByte]);
    s.kp = le::f32(&block[KpByte]);
    s.tn = le::f32(&block[TnByte]);
    s.offsetDisable = block[OffsetDisableByte];
    s.actualOffset = le::f32(&block[ActualOffsetByte]);
    s.compressorLoop = block[PoLayout::CompressorLoopByte];
    s.alarmEnable = block[AlarmEnableByte];
    s.alarmDelay = le::u16(&block[AlarmDelayByte]);
    s.optimiseCommunication = block[OptimiseCommunicationByte];
    return s;
}

void PackPoSettings(const PoSettings& s, McdefRecord& block)
{
    le::putU16(&block[PeriodByte], uint16_t(s.period * 60));
    le::putU16(&block[FilterByte], s.filter);
    le::putF32(&block[KpByte], s.kp);
    le::putF32(&block[TnByte], s.tn);
    block[OffsetDisableByte] = s.offsetDisable;
    block[PoLayout::CompressorLoopByte] = s.compressorLoop;
    block[AlarmEnableByte] = s.alarmEnable;
    le::putU16(&block[AlarmDelayByte], s.alarmDelay);
    block[OptimiseCommunicationByte] = s.optimiseCommunication;
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
    const auto lookUpLoop = [&ini](MultiParmRow& row, uint8_t address) {
        const char letter = FindLoopLetter(ini, row);
        row.loop = row.address == address ? letter : QebTypeIni::UnknownLoop;
    };
    size_t next = 0;
    for (const McdefRecord& record : records) {
        for (const EvaporatorEntry& entry : ReadEvaporatorEntries(record)) {
            if (next == rows.size())
                return;
            MultiParmRow& row = rows[next];
            if (row.address == entry.address && next == entry.index) {
                row.defrostDelay = entry.delay;
                row.loop = char('A' + entry.loop);
            } else {
                lookUpLoop(row, entry.address);
            }
            ++next;
        }
    }
    for (; next < rows.size(); ++next)
        lookUpLoop(rows[next], rows[next].address);
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
