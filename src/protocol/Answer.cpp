#include "protocol/Answer.h"

#include "protocol/GatewayCodes.h"

#include <algorithm>

namespace {

constexpr size_t WriteStatusOffset = 25;
constexpr size_t CommandStatusOffset = 24;
constexpr uint8_t AnyType = 255;

// Writes are the odd commands 11..31, each one above the read of its group.
bool isWrite(uint8_t command)
{
    return command >= Command::WriteHeader && command <= Command::WriteDataBlock && command % 2 == 1;
}

bool listsFunctions(uint8_t command)
{
    return command == Command::Start || command == Command::Stop || command == Command::Delete;
}

// Reads and writes of one function carry its number first in both directions.
bool namesOneFunction(uint8_t command)
{
    return command >= Command::ReadHeader && command <= Command::WriteDataBlock;
}

// The fewest data bytes an answer to the command can have.
uint16_t minimumAnswerLength(uint8_t command)
{
    switch (command) {
    case Command::NetConfigStamp:
        return 2;
    case Command::Memory:
        return 5;
    default:
        break;
    }
    if (const size_t status = AnswerStatusOffset(command))
        return uint16_t(status - TelegramField::Data + 1);
    return 1;
}

const uint8_t* dataOf(const Telegram& telegram) { return &telegram[TelegramField::Data]; }

} // namespace

size_t AnswerStatusOffset(uint8_t command)
{
    if (isWrite(command))
        return WriteStatusOffset;
    if (listsFunctions(command) || command == Command::Reset)
        return CommandStatusOffset;
    return 0;
}

bool ChangedInGateway(uint8_t status)
{
    return status == GatewayStatus::StampChanged || status == GatewayStatus::TypeDiffers
        || status == GatewayStatus::NoSuchFunction;
}

CheckedAnswer CheckAnswer(const Telegram& request, const Telegram& answer)
{
    CheckedAnswer checked;
    const std::optional<IdentifiedTelegram> sent = IdentifyTelegram(request);
    const std::optional<IdentifiedTelegram> got = IdentifyTelegram(answer);
    if (!sent || !got) {
        checked.fault = AnswerFault::Unidentified;
        return checked;
    }
    checked.id = *got;
    const uint16_t length = TelegramDataLength(answer);
    if (got->command != sent->command)
        checked.fault = AnswerFault::OtherCommand;
    else if (sent->p != AnyType && got->p != sent->p)
        checked.fault = AnswerFault::OtherType;
    else if (got->offset != sent->offset)
        checked.fault = AnswerFault::OtherItem;
    else if (namesOneFunction(sent->command) && length >= 1 && dataOf(answer)[0] != dataOf(request)[0])
        checked.fault = AnswerFault::OtherFunction;
    else if (listsFunctions(sent->command) && length > 1
             && !std::equal(dataOf(answer) + 1, dataOf(answer) + std::min<uint16_t>(length, TelegramDataSize),
                            dataOf(request) + 1))
        checked.fault = AnswerFault::OtherFunction;
    else if (length < minimumAnswerLength(sent->command) || length > TelegramDataSize)
        checked.fault = AnswerFault::ImplausibleLength;
    if (checked.fault != AnswerFault::None)
        return checked;
    if (const size_t offset = AnswerStatusOffset(sent->command))
        checked.status = answer[offset];
    return checked;
}
