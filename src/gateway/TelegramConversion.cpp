#include "gateway/TelegramConversion.h"

#include "protocol/DataBlocks.h"
#include "protocol/LittleEndian.h"
#include "protocol/ReferenceForms.h"
#include "protocol/TypeCatalogue.h"

#include <algorithm>

namespace {

constexpr uint8_t PeriodsPerRequest = 10;
constexpr uint8_t PeriodCount = 30;
constexpr uint8_t EvaporatorsPerPortion = 20;
constexpr size_t DataOffset = TelegramField::Data;

// Gateway reference status in an item's flag byte, as record byte 5 keeps it.
uint8_t statusFromItemFlags(uint8_t flags)
{
    return uint8_t(((flags & ItemStatus::NoAnswer) ? 0x01 : 0) | ((flags & ItemStatus::TypeConflict) ? 0x02 : 0));
}

void appendReferences(uint8_t number, const Telegram& t, const ReferenceForm& form, uint8_t command, uint8_t slot,
                      std::vector<McdefRecord>& records)
{
    const size_t itemSize = form.itemSize(command);
    const uint8_t count = t[DataOffset + 1];
    for (size_t i = 0; i < count; ++i) {
        const size_t at = DataOffset + 2 + i * itemSize;
        if (at + itemSize > TelegramSize)
            break;
        const ReferenceItemFields item = ReadReferenceItem(&t[at], form, command);
        McdefRecord r(number, form.direction == Direction::Input ? BlockType::Input : BlockType::Output, slot,
                      item.address);
        // A simple reference's record names no parameter: bytes 6..8 are 255.
        const size_t carried = form.parameterBytes ? form.parameterBytes + form.checksumBytes : 3;
        std::copy_n(item.parameters.begin(), carried, &r[McdefRecord::ContentOffset]);
        if (command == form.readCommand)
            r[5] = statusFromItemFlags(item.status);
        records.push_back(r);
    }
}

// A Po optimizer evaporator list ends at the first entry, in index order,
// that is empty or an end mark.
void cutEvaporatorList(McdefRecord& r)
{
    const uint8_t count = r[6];
    for (uint8_t i = 0; i < count; ++i) {
        const size_t at = 7 + 5 * size_t(i);
        if (at + 5 > McdefRecord::Size)
            break;
        const uint8_t index = r[at], address = r[at + 1], section = r[at + 2];
        const uint16_t value = le::u16(&r[at + 3]);
        const bool empty = address == 0 && section == 0 && value == 0;
        const bool endMark = address == 255 && section == 255 && value == 0;
        if (index == i && (empty || endMark)) {
            r[6] = i;
            return;
        }
    }
}

} // namespace

std::vector<ReadRequest> DataBlockRequests(const HeaderTelegram& h)
{
    std::vector<ReadRequest> requests;
    for (uint8_t block = 1; block <= 4; ++block) {
        if (!(h.blockMask & (1u << (block - 1))))
            continue;
        if (h.type == FunctionType::YearlySchedule && block == 4) {
            for (uint8_t first = 0; first < PeriodCount; first = uint8_t(first + PeriodsPerRequest))
                requests.push_back({Command::ReadDataBlock, h.type, block, {h.number, PeriodsPerRequest, first}});
        } else if (h.type == FunctionType::PoOptimizer && block >= 2) {
            // Counted in int: a count near 255 must not wrap the portion's start back to the beginning.
            const int entries = h.inputs.counts[0];
            for (int first = 0; first < entries; first += EvaporatorsPerPortion) {
                const uint8_t portion = uint8_t(std::min<int>(EvaporatorsPerPortion, entries - first));
                requests.push_back({Command::ReadDataBlock, h.type, block, {h.number, portion, uint8_t(first)}});
            }
        } else {
            requests.push_back({Command::ReadDataBlock, h.type, block, {h.number}});
        }
    }
    return requests;
}

std::vector<ReadRequest> FunctionRequests(const HeaderTelegram& h)
{
    std::vector<ReadRequest> requests;
    const auto slotRequests = [&](const SlotCounts& slots, bool inputs) {
        for (uint8_t slot = 1; slot <= 8; ++slot) {
            if (!(slots.mask & (1u << (slot - 1))))
                continue;
            const uint8_t kind = slots.kinds[size_t(slot - 1)];
            if (kind > SlotKind::KeptByEditor)
                continue;
            const ReferenceForm& form = *FindSlotForm(inputs ? Direction::Input : Direction::Output, kind);
            const uint8_t command = form.readCommand;
            // Counted in int: a count near 255 must not wrap the portion's start back to the beginning.
            const int count = slots.counts[size_t(slot - 1)];
            for (int first = 0; first < count; first += form.maxReadItems) {
                const int portion = std::min<int>(form.maxReadItems, count - first);
                std::vector<uint8_t> data = {h.number, uint8_t(portion)};
                for (int index = first; index < first + portion; ++index)
                    data.push_back(uint8_t(index));
                requests.push_back({command, 255, slot, std::move(data)});
            }
        }
    };
    slotRequests(h.inputs, true);
    slotRequests(h.outputs, false);
    for (uint8_t group = 1; group <= 4; ++group)
        if (h.scheduleMask & (1u << (group - 1)))
            requests.push_back({Command::ReadSchedules, 255, group, {h.number}});
    const std::vector<ReadRequest> blocks = DataBlockRequests(h);
    requests.insert(requests.end(), blocks.begin(), blocks.end());
    return requests;
}

std::vector<McdefRecord> ConvertTelegrams(uint8_t number, const std::vector<Telegram>& telegrams,
                                          const DirectoryEntry& directory)
{
    std::vector<McdefRecord> records;
    uint8_t lastBlock = 0;
    uint8_t nextSubNumber = 0;
    for (const Telegram& t : telegrams) {
        const std::optional<IdentifiedTelegram> id = IdentifyTelegram(t);
        if (!id)
            continue;
        const uint8_t command = id->command;
        if (command != Command::ReadDataBlock)
            lastBlock = 0;
        if (command == Command::ReadHeader || command == Command::WriteHeader) {
            McdefRecord header(number, BlockType::Header, 0, 0);
            const HeaderTelegram h = command == Command::ReadHeader ? ReadHeaderAnswer(t) : ReadHeaderWrite(t);
            header.setType(h.type);
            header.setName(h.name);
            header.setFlags(command == Command::ReadHeader ? h.flags : directory.flags);
            header.setStamp(command == Command::ReadHeader ? h.stamp : directory.stamp);
            records.push_back(header);
        } else if (command == Command::ReadSchedules || command == Command::WriteSchedules) {
            const size_t itemSize = command == Command::ReadSchedules ? 2 : 1;
            const uint8_t count = t[DataOffset + 1];
            for (size_t i = 0; i < count && DataOffset + 2 + (i + 1) * itemSize <= TelegramSize; ++i) {
                const size_t at = DataOffset + 2 + i * itemSize;
                McdefRecord r(number, BlockType::ScheduleReference, id->offset, t[at]);
                if (itemSize == 2 && (t[at + 1] & ItemStatus::NoAnswer))
                    r[5] = 0x01;
                records.push_back(r);
            }
        } else if (command == Command::ReadDataBlock) {
            if (id->offset != lastBlock) {
                lastBlock = id->offset;
                nextSubNumber = 0;
            }
            McdefRecord r(number, BlockType::Data, id->offset, nextSubNumber++);
            std::copy(t.begin() + DataOffset + DataBlockAnswerContent, t.end(), r.data() + McdefRecord::ContentOffset);
            if (directory.type == FunctionType::PoOptimizer) {
                if (id->offset == 1 && TelegramDataLength(t) <= DataBlockAnswerContent + PoOptimiseCommunicationByte)
                    r[McdefRecord::ContentOffset + PoOptimiseCommunicationByte] = NotConfigured;
                if (id->offset >= 2) {
                    cutEvaporatorList(r);
                    if (r[6] == 0)
                        continue;
                }
            }
            records.push_back(r);
        } else if (command == Command::WriteDataBlock) {
            McdefRecord r(number, BlockType::Data, id->offset, 0);
            std::copy_n(t.begin() + 25, McdefRecord::ContentSize, r.data() + McdefRecord::ContentOffset);
            records.push_back(r);
        } else if (const ReferenceForm* form = FindReferenceForm(command)) {
            appendReferences(number, t, *form, command, id->offset, records);
        }
    }
    return records;
}
