#include "FunctionTelegrams.h"

#include "LittleEndian.h"
#include "TypeCatalogue.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr uint8_t MaxSchedulesPerTelegram = 10;

std::string hex(const uint8_t* bytes, size_t n)
{
    std::string text;
    char two[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(two, sizeof two, i ? " %02x" : "%02x", bytes[i]);
        text += two;
    }
    return text;
}

std::string format(const char* pattern, int a, int b = 0, int c = 0)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

// Simple, parameter or multi-parameter references.
size_t formKind(uint8_t writeCommand) { return writeCommand <= 15 ? 0 : writeCommand <= 19 ? 1 : 2; }

Telegram headerTelegram(const GatewayFunction& f, const std::string& address)
{
    Telegram t = *BuildTelegram(Command::WriteHeader, address, 57, f.type, 0);
    uint8_t* d = &t[TelegramField::Data];
    d[0] = f.number;
    le::putChars(d + 1, NameLength, f.name);
    const auto putSlots = [&](uint8_t* at, const SlotLayout& layout, int direction) {
        at[0] = layout.mask;
        for (int s = 1; s <= 8; ++s) {
            at[1 + 2 * (s - 1)] = layout.kinds[size_t(s - 1)];
            at[2 + 2 * (s - 1)] = uint8_t(f.slot(direction, s).size());
        }
    };
    putSlots(d + 17, f.header.inputs, 1);
    putSlots(d + 34, f.header.outputs, 2);
    d[51] = f.header.scheduleMask;
    for (size_t g = 0; g < 4; ++g)
        d[52 + g] = uint8_t(f.schedules[g].size());
    d[56] = f.header.blockMask;
    return t;
}

void addReferences(std::vector<Telegram>& out, const GatewayFunction& f, const std::string& address)
{
    // The running index counts the items of one form over the whole function.
    std::array<uint8_t, 3> running{};
    for (int direction = 1; direction <= 2; ++direction) {
        for (int slot = 1; slot <= 8; ++slot) {
            const std::vector<ReferenceItem>& items = f.slot(direction, slot);
            size_t k = 0;
            while (k < items.size()) {
                const uint8_t command = WriteCommandFor(direction, items[k].parameters);
                const ReferenceForm& form = *FindReferenceForm(command);
                const size_t kind = formKind(command);
                Telegram t = *BuildTelegram(command, address, 2, f.type, uint8_t(slot));
                uint8_t* d = &t[TelegramField::Data];
                d[0] = f.number;
                uint8_t count = 0;
                while (k < items.size() && count < form.maxWriteItems
                       && WriteCommandFor(direction, items[k].parameters) == command) {
                    uint8_t* at = d + 2 + size_t(count) * form.writeItemSize;
                    at[0] = running[kind]++;
                    at[1] = items[k].address;
                    std::copy_n(items[k].parameters.begin(), form.writeItemSize - 2, at + 2);
                    ++count;
                    ++k;
                }
                d[1] = count;
                SetTelegramDataLength(t, uint16_t(2 + count * form.writeItemSize));
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

std::string describeItems(const uint8_t* d, uint16_t length, size_t itemSize)
{
    std::string text = format("%d item(s):", d[1]);
    for (size_t k = 0; k < d[1] && 2 + (k + 1) * itemSize <= length; ++k) {
        const uint8_t* item = d + 2 + k * itemSize;
        text += format(" [#%d @%03d", item[0], item[1]);
        if (itemSize > 2)
            text += " " + hex(item + 2, itemSize - 2);
        text += "]";
    }
    return text;
}

std::string describeData(uint8_t command, const uint8_t* d, uint16_t length)
{
    switch (command) {
    case Command::WriteHeader: {
        std::string text = "function " + std::to_string(d[0]) + " \"" + le::str(d + 1, NameLength) + "\"";
        text += format(", inputs %02x, outputs %02x", d[17], d[34]);
        text += format(", schedule groups %02x, data blocks %02x", d[51], d[56]);
        return text;
    }
    case Command::WriteSimpleInputs:
    case Command::WriteSimpleOutputs:
        return "function " + std::to_string(d[0]) + ", " + describeItems(d, length, 2);
    case Command::WriteParameterInputs:
    case Command::WriteParameterOutputs:
        return "function " + std::to_string(d[0]) + ", " + describeItems(d, length, 8);
    case Command::WriteMultiInputs:
    case Command::WriteMultiOutputs:
        return "function " + std::to_string(d[0]) + ", " + describeItems(d, length, 36);
    case Command::WriteSchedules: {
        std::string text = "function " + std::to_string(d[0]) + ", schedules:";
        for (size_t k = 0; k < d[1] && size_t(2 + k) < length; ++k)
            text += " " + std::to_string(d[2 + k]);
        return text;
    }
    case Command::WriteDataBlock:
        return "function " + std::to_string(d[0]) + ", " + hex(d + 1, length > 1 ? length - 1u : 0u);
    default:
        return hex(d, length);
    }
}

} // namespace

std::vector<Telegram> FunctionTelegrams(const GatewayFunction& function, const std::string& gatewayAddress)
{
    std::vector<Telegram> out{headerTelegram(function, gatewayAddress)};
    addReferences(out, function, gatewayAddress);
    addSchedules(out, function, gatewayAddress);
    addBlocks(out, function, gatewayAddress);
    return out;
}

std::string DescribeTelegram(const Telegram& telegram)
{
    const auto id = IdentifyTelegram(telegram);
    const uint16_t length = std::min<uint16_t>(TelegramDataLength(telegram), TelegramDataSize);
    const uint8_t* d = &telegram[TelegramField::Data];
    std::string text = id ? std::to_string(id->command) : "?";
    text += format(" P%d item %d, %d data bytes: ", telegram[TelegramField::Parameter],
                   id ? id->offset : telegram[TelegramField::Item], length);
    return text + describeData(id ? id->command : 0, d, length);
}
