#include "protocol/Answer.h"
#include "protocol/GatewayCodes.h"
#include "protocol/TypeCatalogue.h"

#include <gtest/gtest.h>

namespace {

const std::string Gateway = "001:125";
constexpr size_t D = TelegramField::Data;

Telegram request(uint8_t command, uint16_t length, uint8_t p, uint8_t offset, std::initializer_list<uint8_t> data)
{
    Telegram t = *BuildTelegram(command, Gateway, length, p, offset);
    std::copy(data.begin(), data.end(), t.begin() + D);
    return t;
}

} // namespace

// A write answer that echoes the function and carries status and stamp is
// taken; each field that differs from the request is named, and the first
// difference in the fixed order is the one reported.
TEST(CheckAnswer, ComparesTheAnswerWithItsRequestInAFixedOrder)
{
    const Telegram sent = request(Command::WriteDataBlock, 23, FunctionType::PoOptimizer, 1, {7});
    Telegram answer = request(Command::WriteDataBlock, 6, FunctionType::PoOptimizer, 1, {7, 0});
    CheckedAnswer checked = CheckAnswer(sent, answer);
    EXPECT_TRUE(checked.matches());
    EXPECT_EQ(checked.status, 0);
    EXPECT_FALSE(checked.refused());

    answer[D + 1] = GatewayStatus::StampChanged;
    checked = CheckAnswer(sent, answer);
    EXPECT_TRUE(checked.refused());
    EXPECT_EQ(checked.status, GatewayStatus::StampChanged);

    const auto fault = [&](const Telegram& a) { return CheckAnswer(sent, a).fault; };
    EXPECT_EQ(fault(Telegram{}), AnswerFault::Unidentified);
    EXPECT_EQ(fault(request(Command::WriteHeader, 6, 255, 0, {7, 0})), AnswerFault::OtherCommand);
    EXPECT_EQ(fault(request(Command::WriteDataBlock, 6, FunctionType::CentralDefrost, 1, {7, 0})),
              AnswerFault::OtherType);
    EXPECT_EQ(fault(request(Command::WriteDataBlock, 6, FunctionType::PoOptimizer, 2, {7, 0})),
              AnswerFault::OtherItem);
    EXPECT_EQ(fault(request(Command::WriteDataBlock, 6, FunctionType::PoOptimizer, 1, {8, 0})),
              AnswerFault::OtherFunction);
    EXPECT_EQ(fault(request(Command::WriteDataBlock, 1, FunctionType::PoOptimizer, 1, {7})),
              AnswerFault::ImplausibleLength)
        << "a write answer without its status byte";
    EXPECT_EQ(fault(request(Command::WriteDataBlock, 1, FunctionType::CentralDefrost, 2, {8})), AnswerFault::OtherType)
        << "the type is compared before the item, the function and the length";
    EXPECT_EQ(fault(request(Command::WriteDataBlock, 1, FunctionType::PoOptimizer, 2, {8})), AnswerFault::OtherItem);

    Telegram tooLong = answer;
    SetTelegramDataLength(tooLong, TelegramDataSize + 1);
    EXPECT_EQ(fault(tooLong), AnswerFault::ImplausibleLength);
}

// Requests with P 255 leave the type to the answer (the upload compares it
// with the directory); reads carry no status.
TEST(CheckAnswer, ARequestWithoutTypeTakesTheAnswersTypeAndReadsHaveNoStatus)
{
    const Telegram sent = request(Command::ReadHeader, 1, 255, 0, {12});
    const CheckedAnswer checked = CheckAnswer(sent, request(Command::ReadHeader, 62, FunctionType::QebOn, 0, {12}));
    EXPECT_TRUE(checked.matches());
    EXPECT_EQ(checked.id.p, FunctionType::QebOn);
    EXPECT_FALSE(checked.status.has_value());
    EXPECT_EQ(CheckAnswer(sent, request(Command::ReadHeader, 62, FunctionType::QebOn, 0, {13})).fault,
              AnswerFault::OtherFunction);
    EXPECT_EQ(CheckAnswer(sent, request(Command::ReadHeader, 0, FunctionType::QebOn, 0, {})).fault,
              AnswerFault::ImplausibleLength);
}

// Start, stop and delete answers keep the status in byte 24; when they echo
// the function numbers after it, the numbers must be the ones asked for.
TEST(CheckAnswer, StartStopAndDeleteAnswersEchoTheirFunctions)
{
    for (const uint8_t command : {Command::Start, Command::Stop, Command::Delete}) {
        const Telegram sent = request(command, 3, 255, 0, {2, 4, 9});
        CheckedAnswer checked = CheckAnswer(sent, request(command, 1, 255, 0, {GatewayStatus::NoSuchFunction}));
        EXPECT_TRUE(checked.refused()) << int(command);
        EXPECT_EQ(checked.status, GatewayStatus::NoSuchFunction);
        EXPECT_TRUE(CheckAnswer(sent, request(command, 3, 255, 0, {0, 4, 9})).matches()) << int(command);
        EXPECT_EQ(CheckAnswer(sent, request(command, 3, 255, 0, {0, 4, 10})).fault, AnswerFault::OtherFunction)
            << int(command);
        EXPECT_EQ(CheckAnswer(sent, request(command, 0, 255, 0, {})).fault, AnswerFault::ImplausibleLength);
    }
    EXPECT_EQ(AnswerStatusOffset(Command::Reset), 24u);
    EXPECT_EQ(AnswerStatusOffset(Command::WriteHeader), 25u);
    EXPECT_EQ(AnswerStatusOffset(Command::ReadDataBlock), 0u);
}
