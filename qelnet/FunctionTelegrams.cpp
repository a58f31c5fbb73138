#include "FunctionTelegrams.h"

#include "protocol/LittleEndian.h"
#include "protocol/TypeCatalogue.h"

#include <algorithm>

namespace {

constexpr uint8_t MaxSchedulesPerTelegram = 10;

void addReferences(std::vector<Telegram>& out, const GatewayFunction& f, const std::string& address)
{
    // The running index counts the items of one form over the whole function.
    std::array<uint8_t, 3> running{};
    for (int direction = 1; direction <= 2; ++direction) {
        for (int slot = 1; slot <= 8; ++slot) {
            const std::vector<ReferenceItem>& items = f.slot(direction, slot);
            size_t k = 0;
            while (k < items.size()) {
                const uint8_t command = WriteCommandFor(direction, items[k].parameters.data());
                const ReferenceForm& form = *FindReferenceForm(command);
                Telegram t = *BuildTelegram(command, address, 2, f.type, uint8_t(slot));
                uint8_t* d = &t[TelegramField::Data];
                d[0] = f.number;
                uint8_t count = 0;
                while (k < items.size() && count < form.maxWriteItems
                       && WriteCommandFor(direction, items[k].parameters.data()) == command) {
                    WriteReferenceItem(d + 2 + size_t(count) * form.writeItemSize(), form, command,
                                       {running[form.slotKind]++, items[k].address, items[k].parameters, 0});
                    ++count;
                    ++k;
                }
                d[1] = count;
                SetTelegramDataLength(t, uint16_t(2 + count * form.writeItemSize()));
                out.push_back(t);
            }
        }
    }
}

void addSchedules(std::vector<Telegram>& out, const GatewayFunction& f, const std::string& address)
{
    for (size_t g = 0; g < 4; ++g) {
        const std::vector<uint8_t>& group = f.schedules[g];
        for (size_t k = 0; k < group.size(); k += MaxSchedulesPerTelegram) {
            const uint8_t count = uint8_t(std::min<size_t>(MaxSchedulesPerTelegram, group.size() - k));
            Telegram t = *BuildTelegram(Command::WriteSchedules, address, uint16_t(count + 2), f.type, uint8_t(g + 1));
            uint8_t* d = &t[TelegramField::Data];
            d[0] = f.number;
            d[1] = count;
            std::copy_n(group.begin() + long(k), count, d + 2);
            out.push_back(t);
        }
    }
}

void addBlocks(std::vector<Telegram>& out, const GatewayFunction& f, const std::string& address)
{
    for (uint8_t n = 1; n <= 4; ++n) {
        const DataBlock& block = f.blocks[n - 1];
        const BlockLayout* layout = FindBlockLayout(f.type, n);
        if (!block.present || !layout || TypeBlockKind(f.type, n) != BlockKind::UploadAndWrite)
            continue;
        if (layout->entrySize == 0) {
            Telegram t = *BuildTelegram(Command::WriteDataBlock, address, uint16_t(layout->writeBytes + 1), f.type, n);
            t[TelegramField::Data] = f.number;
            std::copy_n(block.bytes.begin(), layout->writeBytes, &t[TelegramField::Data + 1]);
            out.push_back(t);
            continue;
        }
        std::vector<const std::vector<uint8_t>*> entries;
        for (const auto& [index, entry] : block.entries)
            entries.push_back(&entry);
        for (size_t k = 0; k < entries.size(); k += layout->entriesPerRecord) {
            const uint8_t count = uint8_t(std::min<size_t>(layout->entriesPerRecord, entries.size() - k));
            Telegram t = *BuildTelegram(Command::WriteDataBlock, address,
                                        uint16_t(layout->entrySize * count + 2), f.type, n);
            uint8_t* d = &t[TelegramField::Data];
            d[0] = f.number;
            d[1] = count;
            for (uint8_t e = 0; e < count; ++e)
                std::copy_n(entries[k + e]->begin(), layout->entrySize, d + 2 + size_t(e) * layout->entrySize);
            out.push_back(t);
        }
    }
}

} // namespace

HeaderTelegram HeaderOf(const GatewayFunction& f)
{
    HeaderTelegram h;
    h.number = f.number;
    h.type = f.type;
    h.stamp = f.stamp;
    h.name = f.name;
    const auto slotsOf = [&](const SlotLayout& layout, int direction) {
        SlotCounts slots{layout.mask, layout.kinds, {}};
        for (int s = 1; s <= 8; ++s)
            slots.counts[size_t(s - 1)] = uint8_t(f.slot(direction, s).size());
        return slots;
    };
    h.inputs = slotsOf(f.header.inputs, Direction::Input);
    h.outputs = slotsOf(f.header.outputs, Direction::Output);
    h.scheduleMask = f.header.scheduleMask;
    for (size_t g = 0; g < 4; ++g)
        h.scheduleCounts[g] = uint8_t(f.schedules[g].size());
    h.blockMask = f.header.blockMask;
    return h;
}

std::vector<Telegram> FunctionTelegrams(const GatewayFunction& function, const std::string& gatewayAddress)
{
    std::vector<Telegram> out{BuildHeaderTelegram(Command::WriteHeader, gatewayAddress, HeaderOf(function))};
    addReferences(out, function, gatewayAddress);
    addSchedules(out, function, gatewayAddress);
    addBlocks(out, function, gatewayAddress);
    return out;
}

