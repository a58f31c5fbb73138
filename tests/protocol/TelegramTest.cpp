#include "protocol/Telegram.h"
#include "protocol/LittleEndian.h"
#include "protocol/TypeCatalogue.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// The highest offset a command's item range allows.
uint8_t lastOffset(const CommandRow& row) { return row.itemRange == 0 ? 0 : row.itemRange; }
uint8_t firstOffset(const CommandRow& row) { return row.itemRange == 0 ? 0 : 1; }
uint8_t someKnownType(const CommandRow& row) { return row.typeCheck ? FunctionType::PoOptimizer : 255; }

} // namespace

// Commands 1 to 4, 10 to 25, 30, 31, 70, 80, 90 and 91, each once, and no
// other row: an empty row would make a telegram of zeros a command.
TEST(CommandTable, HoldsEachCommandOnceWithItsJob)
{
    std::multiset<uint8_t> numbers;
    for (const CommandRow& row : CommandTable()) {
        numbers.insert(row.number);
        const uint16_t expectedJob = row.number == Command::NetConfigStamp ? ServerJob::NetConfig
            : row.telegramClass == 1                                        ? ServerJob::Read
                                                                            : ServerJob::Write;
        EXPECT_EQ(row.job, expectedJob) << "command " << int(row.number);
    }
    EXPECT_EQ(numbers, (std::multiset<uint8_t>{1, 2, 3, 4, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24,
                                               25, 30, 31, 70, 80, 90, 91}));
    EXPECT_FALSE(IdentifyTelegram(Telegram{}));
    EXPECT_EQ(FindCommand(0), nullptr);
    EXPECT_EQ(FindCommand(5), nullptr);
    EXPECT_EQ(FindCommand(92), nullptr);
}

TEST(CommandTable, EveryCommandIdentifiesAsItselfAtBothEndsOfItsItemRange)
{
    for (const CommandRow& row : CommandTable()) {
        for (const uint8_t offset : {firstOffset(row), lastOffset(row)}) {
            const auto t = BuildTelegram(row.number, "001:125", 7, someKnownType(row), offset);
            ASSERT_TRUE(t) << int(row.number);
            const auto id = IdentifyTelegram(*t);
            ASSERT_TRUE(id) << "command " << int(row.number) << " offset " << int(offset);
            EXPECT_EQ(id->command, row.number);
            EXPECT_EQ(id->offset, offset);
            EXPECT_EQ(id->p, someKnownType(row));
            EXPECT_EQ((*t)[TelegramField::Item], uint8_t(row.baseItem + offset));
            EXPECT_EQ((*t)[TelegramField::Class], row.telegramClass);
        }
    }
}

TEST(CommandTable, ItemsOutsideTheRangeAreNotThatCommand)
{
    // Items 32 (base) and 41 (base + 9) are not in the ranges of the reference groups.
    for (const uint8_t command : {Command::ReadSimpleInputs, Command::WriteParameterInputs}) {
        Telegram t = *BuildTelegram(command, "001:125", 2, 255, 1);
        t[TelegramField::Item] = 32;
        EXPECT_FALSE(IdentifyTelegram(t)) << int(command);
        t[TelegramField::Item] = 41;
        EXPECT_FALSE(IdentifyTelegram(t)) << int(command);
    }
    // The same command bytes with item 0 are the header, with 97..100 the schedules, 129..132 the data blocks.
    Telegram t = *BuildTelegram(Command::ReadSimpleInputs, "001:125", 2, 255, 1);
    t[TelegramField::Item] = 0;
    EXPECT_EQ(IdentifyTelegram(t)->command, Command::ReadHeader);
    t[TelegramField::Item] = 100;
    EXPECT_EQ(IdentifyTelegram(t)->command, Command::ReadSchedules);
    t[TelegramField::Item] = 133;
    EXPECT_FALSE(IdentifyTelegram(t));
}

TEST(CommandTable, MultiParameterWritesNeedAKnownType)
{
    for (const uint8_t command : {Command::WriteMultiInputs, Command::WriteMultiOutputs}) {
        Telegram t = *BuildTelegram(command, "001:125", 38, FunctionType::PoOptimizer, 1);
        EXPECT_EQ(IdentifyTelegram(t)->command, command);
        t[TelegramField::Parameter] = 9;
        EXPECT_FALSE(IdentifyTelegram(t));
        t[TelegramField::Parameter] = 255;
        EXPECT_FALSE(IdentifyTelegram(t));
    }
    // The read forms take any P.
    Telegram read = *BuildTelegram(Command::ReadMultiInputs, "001:125", 4, 255, 1);
    EXPECT_EQ(IdentifyTelegram(read)->command, Command::ReadMultiInputs);
}

TEST(CommandTable, UnknownCommandBytesIdentifyAsNothing)
{
    Telegram t = *BuildTelegram(Command::Start, "001:125", 2, 255, 0);
    t[TelegramField::Command3] = 0x7F;
    EXPECT_FALSE(IdentifyTelegram(t));
    EXPECT_FALSE(BuildTelegram(42, "001:125", 0, 0, 0));
}

TEST(Telegram, FrameFieldsAndDestination)
{
    const Telegram t = *BuildTelegram(Command::Delete, "002:125", 2, 255, 0);
    EXPECT_EQ(t[TelegramField::Control], 0x22);
    EXPECT_EQ(t[TelegramField::Marker], 0x21);
    EXPECT_EQ(le::u16(&t[TelegramField::Destination]), 2 * 128 + 125);
    EXPECT_EQ(t[TelegramField::Command1], 0xA0);
    EXPECT_EQ(t[TelegramField::Command2], 0x80);
    EXPECT_EQ(t[TelegramField::Command3], 0x00);
    EXPECT_EQ(le::u32(&t[TelegramField::Length]), 7u);
    for (size_t i = TelegramField::Data; i < TelegramSize; ++i)
        ASSERT_EQ(t[i], 0) << "byte " << i;
    EXPECT_EQ(DestinationNode("001:125"), 253);
    EXPECT_EQ(DestinationNode("123:045"), 123 * 128 + 45);
}

TEST(Telegram, DataLengthIsTheLengthFieldLessFive)
{
    Telegram t = *BuildTelegram(Command::ReadHeader, "001:125", 1, 255, 0);
    EXPECT_EQ(TelegramDataLength(t), 1);
    SetTelegramDataLength(t, 110);
    EXPECT_EQ(le::u32(&t[TelegramField::Length]), 115u);
    EXPECT_EQ(TelegramDataLength(t), 110);
    le::putU32(&t[TelegramField::Length], 3);
    EXPECT_EQ(TelegramDataLength(t), 0);
}
