// The write telegrams of a function built from its records: how items are
// grouped into telegrams, the header's counts and masks, the data blocks and
// their lengths; and how the answers to writes are judged.

#include "CheckedScript.h"
#include "gateway/AnswerCheck.h"
#include "gateway/TelegramBuilder.h"
#include "protocol/DataBlocks.h"
#include "protocol/LittleEndian.h"
#include "protocol/TypeCatalogue.h"

#include <gtest/gtest.h>

namespace {

constexpr size_t D = TelegramField::Data;
const std::string Gateway = "001:125";
const std::array<uint8_t, 4> NoBlocks{};

McdefRecord header(uint8_t number, uint8_t type, const std::string& name)
{
    McdefRecord r(number, BlockType::Header, 0, 0);
    r.setType(type);
    r.setName(name);
    return r;
}

McdefRecord simpleReference(uint8_t number, uint8_t blockType, uint8_t slot, uint8_t node)
{
    McdefRecord r(number, blockType, slot, node);
    r[6] = r[7] = r[8] = 255;
    return r;
}

McdefRecord parameterReference(uint8_t number, uint8_t blockType, uint8_t slot, uint8_t node)
{
    McdefRecord r(number, blockType, slot, node);
    r[6] = 15;
    r[7] = 2;
    r[8] = 1;
    r[9] = 248;
    le::putU16(&r[10], uint16_t(0xC8DF + node));
    return r;
}

McdefRecord multiReference(uint8_t number, uint8_t blockType, uint8_t slot, uint8_t node)
{
    McdefRecord r(number, blockType, slot, node);
    for (size_t i = 6; i < 38; ++i)
        r[i] = uint8_t(i + node);
    le::putU16(&r[38], uint16_t(0x4000 + node));
    return r;
}

McdefRecord dataBlock(uint8_t number, uint8_t block, uint8_t item, uint8_t firstByte)
{
    McdefRecord r(number, BlockType::Data, block, item);
    for (size_t i = 6; i < McdefRecord::Size; ++i)
        r[i] = uint8_t(firstByte + i);
    return r;
}

uint8_t commandOf(const Telegram& t) { return IdentifyTelegram(t)->command; }
uint8_t offsetOf(const Telegram& t) { return IdentifyTelegram(t)->offset; }

} // namespace

TEST(TelegramBuilder, AGroupBeyondItsItemLimitContinuesInTheNextTelegram)
{
    std::vector<McdefRecord> records = {header(4, FunctionType::DayNightExternal, "Dairy night")};
    for (int node = 1; node <= 52; ++node)
        records.push_back(simpleReference(4, BlockType::Output, 1, uint8_t(node)));

    const auto telegrams = BuildFunctionTelegrams(Gateway, FunctionType::DayNightExternal, records, false, NoBlocks);
    ASSERT_EQ(telegrams.size(), 3u);
    EXPECT_EQ(commandOf(telegrams[0]), Command::WriteHeader);
    for (const Telegram& t : {telegrams[1], telegrams[2]}) {
        EXPECT_EQ(commandOf(t), Command::WriteSimpleOutputs);
        EXPECT_EQ(offsetOf(t), 1);
        EXPECT_EQ(t[TelegramField::Parameter], FunctionType::DayNightExternal);
        EXPECT_EQ(t[D], 4);
    }
    EXPECT_EQ(telegrams[1][D + 1], 51);
    EXPECT_EQ(TelegramDataLength(telegrams[1]), 2 * 51 + 2);
    EXPECT_EQ(telegrams[2][D + 1], 1);
    EXPECT_EQ(TelegramDataLength(telegrams[2]), 4);
    // The running index goes on in the second telegram; each item carries its node.
    EXPECT_EQ(telegrams[1][D + 2 + 2 * 50], 50);
    EXPECT_EQ(telegrams[1][D + 3 + 2 * 50], 51);
    EXPECT_EQ(telegrams[2][D + 2], 51);
    EXPECT_EQ(telegrams[2][D + 3], 52);
    // The header counts all 52 in output slot 1.
    EXPECT_EQ(telegrams[0][D + 34 + 2], 52);
}

TEST(TelegramBuilder, EachFormHasItsOwnCommandAndLimit)
{
    std::vector<McdefRecord> records = {header(12, FunctionType::PoOptimizer, "Po MT")};
    for (uint8_t node = 1; node <= 3; ++node)
        records.push_back(multiReference(12, BlockType::Input, 1, node));
    for (uint8_t node = 10; node < 24; ++node)
        records.push_back(parameterReference(12, BlockType::Output, 1, node));
    records.push_back(parameterReference(12, BlockType::Output, 2, 40));

    const auto telegrams = BuildFunctionTelegrams(Gateway, FunctionType::PoOptimizer, records, false, NoBlocks);
    std::vector<std::pair<int, int>> shape; // command, item count
    for (size_t i = 1; i < telegrams.size(); ++i)
        shape.emplace_back(commandOf(telegrams[i]), telegrams[i][D + 1]);
    EXPECT_EQ(shape, (std::vector<std::pair<int, int>>{{Command::WriteMultiInputs, 2},
                                                         {Command::WriteMultiInputs, 1},
                                                         {Command::WriteParameterOutputs, 13},
                                                         {Command::WriteParameterOutputs, 1},
                                                         {Command::WriteParameterOutputs, 1}}));
    // Slot 2 starts a telegram of its own, though the form is the same.
    EXPECT_EQ(offsetOf(telegrams[5]), 2);

    // A multi-parameter item: index, node, record bytes 6..37, then 38..39.
    const uint8_t* item = &telegrams[2][D + 2];
    EXPECT_EQ(TelegramDataLength(telegrams[2]), 36 + 2);
    EXPECT_EQ(item[0], 2);
    EXPECT_EQ(item[1], 3);
    EXPECT_EQ(item[2], 6 + 3);
    EXPECT_EQ(item[33], 37 + 3);
    EXPECT_EQ(le::u16(item + 34), 0x4003);
    // A parameter item: index, node, record bytes 6..9, then 10..11.
    const uint8_t* parameter = &telegrams[3][D + 2];
    EXPECT_EQ(TelegramDataLength(telegrams[3]), 8 * 13 + 2);
    EXPECT_EQ(parameter[1], 10);
    EXPECT_EQ(parameter[2], 15);
    EXPECT_EQ(parameter[5], 248);
    EXPECT_EQ(le::u16(parameter + 6), 0xC8DF + 10);
}

TEST(TelegramBuilder, TheHeaderCarriesTheCatalogueAndTheCounts)
{
    std::vector<McdefRecord> records = {header(5, FunctionType::PeakShaving, "Peak shaving")};
    for (uint8_t node : {30, 31, 124})
        records.push_back(simpleReference(5, BlockType::Output, 1, node));
    for (uint8_t schedule = 1; schedule <= 12; ++schedule)
        records.push_back(McdefRecord(5, BlockType::ScheduleReference, 1, schedule));
    records.push_back(McdefRecord(5, BlockType::ScheduleReference, 3, 2));

    const auto telegrams = BuildFunctionTelegrams(Gateway, FunctionType::PeakShaving, records, false, NoBlocks);
    ASSERT_EQ(telegrams.size(), 5u);
    const Telegram& h = telegrams[0];
    EXPECT_EQ(TelegramDataLength(h), 57);
    EXPECT_EQ(h[D], 5);
    EXPECT_EQ(le::str(&h[D + 1], 16), "Peak shaving");
    const SlotSet outputs = TypeSlots(FunctionType::PeakShaving, Direction::Output);
    EXPECT_EQ(h[D + 17], 0) << "no input slots";
    EXPECT_EQ(h[D + 34], outputs.mask);
    EXPECT_EQ(h[D + 35], outputs.descriptors[0].kind);
    EXPECT_EQ(h[D + 36], 3);
    EXPECT_EQ(h[D + 51], TypeOption(FunctionType::PeakShaving, 0));
    EXPECT_EQ(h[D + 52], 12);
    EXPECT_EQ(h[D + 53], 0);
    EXPECT_EQ(h[D + 54], 1);
    EXPECT_EQ(h[D + 56], TypeBlockMask(FunctionType::PeakShaving));

    // Schedule references: at most 10 per telegram, one byte each.
    EXPECT_EQ(commandOf(telegrams[2]), Command::WriteSchedules);
    EXPECT_EQ(telegrams[2][D + 1], 10);
    EXPECT_EQ(TelegramDataLength(telegrams[2]), 12);
    EXPECT_EQ(telegrams[2][D + 11], 10);
    EXPECT_EQ(telegrams[3][D + 1], 2);
    EXPECT_EQ(telegrams[3][D + 2], 11);
    EXPECT_EQ(offsetOf(telegrams[4]), 3);
    EXPECT_EQ(telegrams[4][D + 2], 2);
}

TEST(TelegramBuilder, DataBlocksGoOnePerRecordWithTheirTypesLength)
{
    const std::array<uint8_t, 4> writable = TypeWritableBlocks(FunctionType::YearlySchedule);
    McdefRecord periods = dataBlock(1, 4, 0, 0);
    periods[6] = 7; // entries in the record
    const std::vector<McdefRecord> records = {
        header(1, FunctionType::YearlySchedule, "Shop hours"),
        dataBlock(1, 1, 0, 0),
        dataBlock(1, 2, 0, 10),
        periods,
        dataBlock(1, 4, 1, 0),
    };
    const auto telegrams = BuildFunctionTelegrams(Gateway, FunctionType::YearlySchedule, records, false, writable);
    ASSERT_EQ(telegrams.size(), 4u) << "block 1 of a schedule is never written";
    EXPECT_EQ(offsetOf(telegrams[1]), 2);
    EXPECT_EQ(TelegramDataLength(telegrams[1]), 29);
    // The record's bytes 6..109 follow the number.
    EXPECT_EQ(telegrams[1][D], 1);
    EXPECT_EQ(telegrams[1][D + 1], uint8_t(10 + 6));
    EXPECT_EQ(telegrams[1][D + 104], uint8_t(10 + 109));
    EXPECT_EQ(offsetOf(telegrams[2]), 4);
    EXPECT_EQ(TelegramDataLength(telegrams[2]), 72);
    EXPECT_EQ(offsetOf(telegrams[3]), 4) << "a continuation record is a telegram of its own";

    EXPECT_EQ(DataBlockWriteLength(FunctionType::PoOptimizer, 2, 20), 102);
    EXPECT_EQ(DataBlockWriteLength(FunctionType::PoOptimizer, 1, 20), 23);
    EXPECT_EQ(DataBlockWriteLength(FunctionType::PeakShaving, 3, 20), 0);
}

TEST(TelegramBuilder, DataBlocksOnlyLeavesOutTheHeaderReferencesAndUnlistedBlocks)
{
    const std::vector<McdefRecord> records = {
        dataBlock(6, 1, 0, 0),
        dataBlock(6, 2, 0, 0),
    };
    const std::array<uint8_t, 4> blockTwoOnly = {0, 2, 0, 0};
    const auto telegrams = BuildFunctionTelegrams(Gateway, FunctionType::AlarmLimitOffset, records, true, blockTwoOnly);
    ASSERT_EQ(telegrams.size(), 1u);
    EXPECT_EQ(commandOf(telegrams[0]), Command::WriteDataBlock);
    EXPECT_EQ(offsetOf(telegrams[0]), 2);
    EXPECT_EQ(telegrams[0][TelegramField::Parameter], FunctionType::AlarmLimitOffset);
    EXPECT_EQ(TelegramDataLength(telegrams[0]), 8);

    // Handed a whole function, the mode still sends no header or reference.
    const std::vector<McdefRecord> whole = {header(6, FunctionType::AlarmLimitOffset, "Deli"),
                                            simpleReference(6, BlockType::Output, 1, 6), dataBlock(6, 1, 0, 0)};
    const auto onlyBlocks = BuildFunctionTelegrams(Gateway, FunctionType::AlarmLimitOffset, whole, true,
                                                   TypeWritableBlocks(FunctionType::AlarmLimitOffset));
    ASSERT_EQ(onlyBlocks.size(), 1u);
    EXPECT_EQ(commandOf(onlyBlocks[0]), Command::WriteDataBlock);
}

TEST(TelegramBuilder, StartAndStopCarryTheCountAndTheNumbers)
{
    const Telegram start = BuildStartStopTelegram(Command::Start, Gateway, {3, 9, 12});
    EXPECT_EQ(commandOf(start), Command::Start);
    EXPECT_EQ(start[TelegramField::Parameter], 255);
    EXPECT_EQ(TelegramDataLength(start), 4);
    EXPECT_EQ(start[D], 3);
    EXPECT_EQ(start[D + 1], 3);
    EXPECT_EQ(start[D + 3], 12);
    EXPECT_EQ(commandOf(BuildStartStopTelegram(Command::Stop, Gateway, {7})), Command::Stop);
}

// A refusal names the return code; statuses 16, 32 and 255 say that another
// user changed the function.
TEST(AnswerCheck, RefusalsAreWordedByStatus)
{
    CheckedScript script;
    script.expectMessage("Error updating ZUL.\nReturn code is 3.");
    ShowRefusal(3, nullptr);
    for (const uint8_t status : {16, 32, 255}) {
        script.expectMessage("Control function setup changed by another user. Please upload again.\n"
                             "Error updating ZUL.");
        ShowRefusal(status, nullptr);
    }
    script.expectMessage("Control function setup changed by another user. Please upload again.");
    ShowUnexpectedAnswer(nullptr);

    EXPECT_EQ(script.prompts()[0].style, MB::Ok | MB::IconStop);
    EXPECT_EQ(script.prompts()[1].style, MB::Ok | MB::IconExclamation);
    EXPECT_EQ(script.prompts()[4].style, MB::Ok | MB::IconStop);
    EXPECT_EQ(script.beeps(), 5) << "every message is preceded by a beep";
}
