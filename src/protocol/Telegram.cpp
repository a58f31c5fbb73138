#include "protocol/Telegram.h"

#include "protocol/LittleEndian.h"
#include "protocol/TypeCatalogue.h"

#include <cstdlib>

namespace {

constexpr std::array<CommandRow, CommandCount> commandTable = {{
    {1, 1, 0x7C, 0x80, 0x01, false, 255, 0, ServerJob::NetConfig},
    {2, 1, 0x60, 0x80, 0x02, false, 255, 0, ServerJob::Read},
    {3, 1, 0x60, 0x80, 0x00, false, 255, 0, ServerJob::Read},
    {4, 1, 0x60, 0x80, 0x01, false, 255, 0, ServerJob::Read},
    {10, 1, 0x60, 0x80, 0x10, false, 0, 0, ServerJob::Read},
    {11, 0, 0x80, 0x80, 0x10, false, 0, 0, ServerJob::Write},
    {12, 1, 0x60, 0x80, 0x10, false, 32, 8, ServerJob::Read},
    {13, 0, 0x80, 0x80, 0x10, false, 32, 8, ServerJob::Write},
    {14, 1, 0x60, 0x80, 0x10, false, 64, 8, ServerJob::Read},
    {15, 0, 0x80, 0x80, 0x10, false, 64, 8, ServerJob::Write},
    {16, 1, 0x60, 0x80, 0x11, false, 32, 8, ServerJob::Read},
    {17, 0, 0x80, 0x80, 0x11, false, 32, 8, ServerJob::Write},
    {18, 1, 0x60, 0x80, 0x11, false, 64, 8, ServerJob::Read},
    {19, 0, 0x80, 0x80, 0x11, false, 64, 8, ServerJob::Write},
    {20, 1, 0x60, 0x80, 0x10, false, 96, 4, ServerJob::Read},
    {21, 0, 0x80, 0x80, 0x10, false, 96, 4, ServerJob::Write},
    {30, 1, 0x60, 0x80, 0x10, false, 128, 4, ServerJob::Read},
    {31, 0, 0x80, 0x80, 0x10, false, 128, 4, ServerJob::Write},
    {22, 1, 0x60, 0x80, 0x12, false, 32, 8, ServerJob::Read},
    {23, 0, 0x80, 0x80, 0x12, true, 32, 8, ServerJob::Write},
    {24, 1, 0x60, 0x80, 0x12, false, 64, 8, ServerJob::Read},
    {25, 0, 0x80, 0x80, 0x12, true, 64, 8, ServerJob::Write},
    {70, 0, 0x20, 0x80, 0xFF, false, 255, 0, ServerJob::Write},
    {80, 0, 0x40, 0x80, 0xFF, false, 255, 0, ServerJob::Write},
    {90, 0, 0xA0, 0x80, 0x00, false, 255, 0, ServerJob::Write},
    {91, 0, 0xA0, 0x80, 0x01, false, 255, 0, ServerJob::Write},
}};

bool itemFits(const CommandRow& row, uint8_t item)
{
    if (row.itemRange == 0)
        return item == row.baseItem;
    return item > row.baseItem && item <= row.baseItem + row.itemRange;
}

} // namespace

const std::array<CommandRow, CommandCount>& CommandTable() { return commandTable; }

const CommandRow* FindCommand(uint8_t number)
{
    for (const CommandRow& row : commandTable)
        if (row.number == number)
            return &row;
    return nullptr;
}

uint16_t DestinationNode(const std::string& addressText)
{
    const int network = std::atoi(addressText.substr(0, 3).c_str());
    const int node = addressText.size() > 4 ? std::atoi(addressText.substr(4, 3).c_str()) : 0;
    return uint16_t(network * 128 + node);
}

std::optional<Telegram> BuildTelegram(uint8_t command, const std::string& gatewayAddress, uint16_t dataLength,
                                      uint8_t p, uint8_t offset)
{
    const CommandRow* row = FindCommand(command);
    if (!row)
        return std::nullopt;
    Telegram t{};
    t[TelegramField::Control] = 0x22;
    le::putU16(&t[TelegramField::Destination], DestinationNode(gatewayAddress));
    t[TelegramField::Marker] = 0x21;
    t[TelegramField::Class] = uint8_t(row->telegramClass & 0x03);
    SetTelegramDataLength(t, dataLength);
    t[TelegramField::Command1] = row->byte1;
    t[TelegramField::Command2] = row->byte2;
    t[TelegramField::Command3] = row->byte3;
    t[TelegramField::Parameter] = p;
    t[TelegramField::Item] = uint8_t(row->baseItem + offset);
    return t;
}

std::optional<IdentifiedTelegram> IdentifyTelegram(const Telegram& t)
{
    for (const CommandRow& row : commandTable) {
        if (row.byte1 != t[TelegramField::Command1] || row.byte3 != t[TelegramField::Command3])
            continue;
        if (row.typeCheck && !IsKnownType(t[TelegramField::Parameter]))
            continue;
        if (!itemFits(row, t[TelegramField::Item]))
            continue;
        return IdentifiedTelegram{row.number, t[TelegramField::Parameter],
                                  uint8_t(t[TelegramField::Item] - row.baseItem)};
    }
    return std::nullopt;
}

uint16_t TelegramDataLength(const Telegram& t)
{
    const uint32_t length = le::u32(&t[TelegramField::Length]);
    return length < 5 ? 0 : uint16_t(length - 5);
}

void SetTelegramDataLength(Telegram& t, uint16_t dataLength)
{
    le::putU32(&t[TelegramField::Length], uint32_t(dataLength) + 5);
}
