#include "protocol/TelegramText.h"

#include "protocol/GatewayCodes.h"
#include "protocol/LittleEndian.h"
#include "protocol/StrFormat.h"

#include <algorithm>

namespace {

std::string slotsText(const uint8_t* at)
{
    std::string text = StrFormat("mask 0x%02x", at[0]);
    for (int slot = 1; slot <= 8; ++slot)
        if (at[0] & (1u << (slot - 1)))
            text += StrFormat(" [%d: kind %d, %d items]", slot, at[2 * slot - 1], at[2 * slot]);
    return text;
}

std::string itemsText(const uint8_t* d, uint16_t length, size_t itemSize)
{
    std::string text = StrFormat("%d items:", d[1]);
    for (size_t i = 0; i < d[1] && 2 + (i + 1) * itemSize <= length; ++i) {
        const uint8_t* item = d + 2 + i * itemSize;
        text += StrFormat(" [#%d node %03d", item[0], item[1]);
        if (itemSize > 2)
            text += " " + HexBytes(item + 2, itemSize - 2);
        text += "]";
    }
    return text;
}

std::string numbersText(const uint8_t* numbers, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += " " + std::to_string(numbers[i]);
    return text;
}

} // namespace

std::string DescribeTelegram(const Telegram& t)
{
    const std::optional<IdentifiedTelegram> id = IdentifyTelegram(t);
    if (!id)
        return "unknown telegram, command bytes " + HexBytes(&t[TelegramField::Command1], 5);
    const uint8_t* d = &t[TelegramField::Data];
    const uint16_t length = std::min<uint16_t>(TelegramDataLength(t), TelegramDataSize);
    const std::string text = StrFormat("command %d, P %d, length %d: ", id->command, id->p, length);
    const auto references = [&](const char* form, const char* direction, size_t itemSize) {
        return text + StrFormat("%s %s of function %d, slot %d, ", form, direction, d[0], id->offset)
            + itemsText(d, length, itemSize);
    };
    switch (id->command) {
    case Command::WriteHeader:
        return text
            + StrFormat("header of function %d \"%s\"; inputs ", d[0], le::str(d + 1, FunctionNameLength).c_str())
            + slotsText(d + 17) + "; outputs " + slotsText(d + 34)
            + StrFormat("; schedule groups mask 0x%02x, counts %d %d %d %d; data blocks mask 0x%02x", d[51], d[52],
                        d[53], d[54], d[55], d[56]);
    case Command::WriteSimpleInputs:
        return references("simple", "inputs", 2);
    case Command::WriteSimpleOutputs:
        return references("simple", "outputs", 2);
    case Command::WriteParameterInputs:
        return references("parameter", "inputs", 8);
    case Command::WriteParameterOutputs:
        return references("parameter", "outputs", 8);
    case Command::WriteMultiInputs:
        return references("multi-parameter", "inputs", 36);
    case Command::WriteMultiOutputs:
        return references("multi-parameter", "outputs", 36);
    case Command::WriteSchedules:
        return text + StrFormat("schedule references of function %d, group %d:", d[0], id->offset)
            + numbersText(d + 2, std::min<size_t>(d[1], TelegramDataSize - 2));
    case Command::WriteDataBlock:
        return text + StrFormat("data block %d of function %d: ", id->offset, d[0])
            + HexBytes(d + 1, length > 0 ? length - 1u : 0u);
    case Command::Start:
    case Command::Stop:
        return text + (id->command == Command::Start ? "started functions:" : "stopped functions:")
            + numbersText(d + 1, std::min<size_t>(d[0], TelegramDataSize - 1));
    default:
        return text + HexBytes(d, length);
    }
}
