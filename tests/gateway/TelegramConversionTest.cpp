// How the upload reads a function: the requests a header answer gives, and
// the records that the read answers and backup telegrams become.

#include "gateway/TelegramBuilder.h"
#include "gateway/TelegramConversion.h"
#include "protocol/LittleEndian.h"
#include "protocol/TypeCatalogue.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr size_t D = TelegramField::Data;
const std::string Gateway = "001:125";
constexpr uint8_t Number = 9;

Telegram answer(uint8_t command, uint8_t p, uint8_t offset, uint16_t dataLength = TelegramDataSize)
{
    Telegram t = *BuildTelegram(command, Gateway, dataLength, p, offset);
    t[D] = Number;
    return t;
}

// A data block answer whose bytes 30.. run 1, 2, 3, ... from `first`.
Telegram dataBlockAnswer(uint8_t type, uint8_t block, uint8_t first)
{
    Telegram t = answer(Command::ReadDataBlock, type, block);
    for (size_t i = 30; i < TelegramSize; ++i)
        t[i] = uint8_t(first + i - 30);
    return t;
}

DirectoryEntry directoryOf(uint8_t type)
{
    DirectoryEntry entry;
    entry.type = type;
    return entry;
}

std::vector<std::array<uint8_t, 4>> keys(const std::vector<McdefRecord>& records)
{
    std::vector<std::array<uint8_t, 4>> all;
    for (const McdefRecord& r : records)
        all.push_back(r.key());
    return all;
}

// A Po optimizer list block: the count in record byte 6, then 5-byte entries
// (index, controller address, section, u16 value) from record byte 7.
struct EvaporatorEntry {
    uint8_t index, address, section;
    uint16_t value;
};
Telegram evaporatorList(uint8_t block, uint8_t count, const std::vector<EvaporatorEntry>& entries)
{
    Telegram t = answer(Command::ReadDataBlock, FunctionType::PoOptimizer, block);
    t[30] = count;
    for (size_t i = 0; i < entries.size(); ++i) {
        uint8_t* at = &t[31 + 5 * i];
        at[0] = entries[i].index;
        at[1] = entries[i].address;
        at[2] = entries[i].section;
        le::putU16(at + 3, entries[i].value);
    }
    return t;
}

std::vector<int> commandsOf(const std::vector<ReadRequest>& requests)
{
    std::vector<int> shape;
    for (const ReadRequest& r : requests)
        shape.push_back(r.command);
    return shape;
}

} // namespace

TEST(TelegramConversion, DataBlocksCarryTheAnswerBytesAndNumberTheirContinuations)
{
    const std::vector<Telegram> telegrams = {
        dataBlockAnswer(FunctionType::YearlySchedule, 4, 0),  dataBlockAnswer(FunctionType::YearlySchedule, 4, 10),
        dataBlockAnswer(FunctionType::YearlySchedule, 4, 20), dataBlockAnswer(FunctionType::YearlySchedule, 2, 30),
        dataBlockAnswer(FunctionType::YearlySchedule, 3, 40),
    };
    const auto records = ConvertTelegrams(Number, telegrams, directoryOf(FunctionType::YearlySchedule));
    EXPECT_EQ(keys(records), (std::vector<std::array<uint8_t, 4>>{{Number, BlockType::Data, 4, 0},
                                                                  {Number, BlockType::Data, 4, 1},
                                                                  {Number, BlockType::Data, 4, 2},
                                                                  {Number, BlockType::Data, 2, 0},
                                                                  {Number, BlockType::Data, 3, 0}}));
    for (size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE("record " + std::to_string(i));
        const uint8_t first = uint8_t(10 * i);
        EXPECT_EQ(records[i][4], 0);
        EXPECT_EQ(records[i][5], 0);
        EXPECT_EQ(records[i][6], first) << "record byte 6 is answer byte 30";
        EXPECT_EQ(records[i][109], uint8_t(first + 103)) << "record byte 109 is answer byte 133";
    }

    // A backup file's write telegram carries the block from byte 25 on.
    Telegram write = *BuildTelegram(Command::WriteDataBlock, Gateway, 105, FunctionType::YearlySchedule, 2);
    write[D] = Number;
    for (size_t i = 25; i < TelegramSize; ++i)
        write[i] = uint8_t(i);
    const auto fromBackup = ConvertTelegrams(Number, {write}, directoryOf(FunctionType::YearlySchedule));
    ASSERT_EQ(fromBackup.size(), 1u);
    EXPECT_EQ(fromBackup[0].key(), (std::array<uint8_t, 4>{Number, BlockType::Data, 2, 0}));
    EXPECT_EQ(fromBackup[0][6], 25);
    EXPECT_EQ(fromBackup[0][109], 128);
}

TEST(TelegramConversion, APoOptimizerListEndsAtItsFirstEmptyEntryOrEndMark)
{
    const EvaporatorEntry first{0, 12, 1, 300}, second{1, 13, 2, 400}, third{2, 14, 1, 500};
    struct Case {
        const char* name;
        uint8_t count;
        std::vector<EvaporatorEntry> entries;
        int expectedCount; // -1: no record
    };
    const std::vector<Case> cases = {
        {"all entries filled", 3, {first, second, third}, 3},
        {"an empty second entry", 3, {first, {1, 0, 0, 0}, third}, 1},
        {"an end mark as second entry", 3, {first, {1, 255, 255, 0}, third}, 1},
        {"an end mark with a value is an entry", 3, {first, {1, 255, 255, 7}, third}, 3},
        {"an empty entry out of its place", 3, {first, {5, 0, 0, 0}, third}, 3},
        {"an empty first entry", 3, {{0, 0, 0, 0}, second, third}, -1},
        {"a count of 0", 0, {first, second}, -1},
    };
    for (uint8_t block = 2; block <= 4; ++block)
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", block " + std::to_string(block));
            const auto records = ConvertTelegrams(Number, {evaporatorList(block, c.count, c.entries)},
                                                  directoryOf(FunctionType::PoOptimizer));
            if (c.expectedCount < 0) {
                EXPECT_TRUE(records.empty());
                continue;
            }
            ASSERT_EQ(records.size(), 1u);
            EXPECT_EQ(records[0][6], c.expectedCount);
            EXPECT_EQ(records[0][7 + 5 * 2 + 1], 14) << "the entries stay as they came";
        }

    // Block 1 is no list, and another type's blocks are not cut.
    EXPECT_EQ(ConvertTelegrams(Number, {evaporatorList(1, 0, {})}, directoryOf(FunctionType::PoOptimizer)).size(), 1u);
    const auto otherType = ConvertTelegrams(Number, {evaporatorList(2, 3, {first, {1, 0, 0, 0}})},
                                            directoryOf(FunctionType::PeakShaving));
    ASSERT_EQ(otherType.size(), 1u);
    EXPECT_EQ(otherType[0][6], 3);
}

TEST(TelegramConversion, AShortPoOptimizerBlockOneHasNoOptimiseCommunicationSetting)
{
    for (const uint16_t dataLength : {27, 28}) {
        SCOPED_TRACE("data length " + std::to_string(dataLength));
        Telegram t = answer(Command::ReadDataBlock, FunctionType::PoOptimizer, 1, dataLength);
        t[30 + 21] = 1; // record byte 27
        for (const uint8_t type : {FunctionType::PoOptimizer, FunctionType::PeakShaving}) {
            const auto records = ConvertTelegrams(Number, {t}, directoryOf(type));
            ASSERT_EQ(records.size(), 1u);
            const bool notReported = dataLength <= 27 && type == FunctionType::PoOptimizer;
            EXPECT_EQ(records[0][27], notReported ? 255 : 1) << "type " << int(type);
        }
    }
}

TEST(TelegramConversion, ReadItemFlagsBecomeTheGatewayStatusInRecordByteFive)
{
    struct Form {
        uint8_t command, blockType, itemSize, flagAt;
    };
    const std::vector<Form> forms = {
        {Command::ReadSimpleInputs, BlockType::Input, 3, 2},      {Command::ReadSimpleOutputs, BlockType::Output, 3, 2},
        {Command::ReadParameterInputs, BlockType::Input, 9, 6},   {Command::ReadParameterOutputs, BlockType::Output, 9, 6},
        {Command::ReadMultiInputs, BlockType::Input, 37, 34},     {Command::ReadMultiOutputs, BlockType::Output, 37, 34},
    };
    // Flag bit 1 -> status bit 0, flag bit 3 -> status bit 1, other bits nothing.
    const std::vector<std::pair<uint8_t, uint8_t>> flagsToStatus = {{0x00, 0}, {0x02, 1}, {0x08, 2}, {0x0A, 3}, {0xF5, 0}};
    for (const Form& form : forms) {
        SCOPED_TRACE("command " + std::to_string(form.command));
        Telegram t = answer(form.command, 255, 3);
        const uint8_t count = uint8_t(std::min<size_t>(flagsToStatus.size(), (TelegramDataSize - 2) / form.itemSize));
        t[D + 1] = count;
        for (uint8_t i = 0; i < count; ++i) {
            uint8_t* item = &t[D + 2 + size_t(i) * form.itemSize];
            for (uint8_t b = 0; b < form.itemSize; ++b)
                item[b] = uint8_t(100 + b);
            item[0] = i;
            item[1] = uint8_t(40 + i);
            item[form.flagAt] = flagsToStatus[i].first;
        }
        const auto records = ConvertTelegrams(Number, {t}, directoryOf(FunctionType::PoOptimizer));
        ASSERT_EQ(records.size(), count);
        for (uint8_t i = 0; i < count; ++i) {
            SCOPED_TRACE("flags " + std::to_string(flagsToStatus[i].first));
            const McdefRecord& r = records[i];
            EXPECT_EQ(r.key(), (std::array<uint8_t, 4>{Number, form.blockType, 3, uint8_t(40 + i)}));
            EXPECT_EQ(r[4], 0);
            EXPECT_EQ(r[5], flagsToStatus[i].second);
            if (form.itemSize == 3) {
                EXPECT_EQ(r[6], 255);
                EXPECT_EQ(r[8], 255);
            } else {
                // The bytes before the flag byte, then the two after it.
                const size_t lastBefore = 6 + form.flagAt - 3;
                EXPECT_EQ(r[6], 102);
                EXPECT_EQ(r[lastBefore], 100 + form.flagAt - 1);
                EXPECT_EQ(r[lastBefore + 1], 100 + form.flagAt + 1);
                EXPECT_EQ(r[lastBefore + 2], 100 + form.flagAt + 2);
            }
        }
    }

    // Schedule references: flag bit 1 alone sets status bit 0.
    Telegram schedules = answer(Command::ReadSchedules, 255, 2);
    const std::vector<std::pair<uint8_t, uint8_t>> scheduleItems = {{4, 0x02}, {5, 0x08}, {6, 0x00}};
    schedules[D + 1] = uint8_t(scheduleItems.size());
    for (size_t i = 0; i < scheduleItems.size(); ++i) {
        schedules[D + 2 + 2 * i] = scheduleItems[i].first;
        schedules[D + 3 + 2 * i] = scheduleItems[i].second;
    }
    const auto references = ConvertTelegrams(Number, {schedules}, directoryOf(FunctionType::DayNightControl));
    ASSERT_EQ(references.size(), 3u);
    for (size_t i = 0; i < references.size(); ++i) {
        SCOPED_TRACE("schedule " + std::to_string(scheduleItems[i].first));
        EXPECT_EQ(references[i].key(),
                  (std::array<uint8_t, 4>{Number, BlockType::ScheduleReference, 2, scheduleItems[i].first}));
        EXPECT_EQ(references[i][5], i == 0 ? 1 : 0);
    }
}

TEST(TelegramConversion, AHeaderAsksForItsSlotsSchedulesAndBlocksInPortions)
{
    HeaderTelegram h;
    h.number = Number;
    h.type = FunctionType::PoOptimizer;
    h.inputs.mask = 0b1011; // slots 1, 2, 4
    h.inputs.kinds = {SlotKind::Automatic, SlotKind::Parameter, 0, SlotKind::KeptByEditor};
    h.inputs.counts = {45, 12, 9, 3};
    h.outputs.mask = 0b10000000;
    h.outputs.kinds[7] = SlotKind::Automatic;
    h.outputs.counts[7] = 2;
    h.scheduleMask = 0b0101;
    h.blockMask = 0b1011; // blocks 1, 2, 4
    const std::vector<ReadRequest> requests = FunctionRequests(h);
    EXPECT_EQ(commandsOf(requests),
              (std::vector<int>{Command::ReadSimpleInputs, Command::ReadSimpleInputs, Command::ReadParameterInputs,
                                Command::ReadParameterInputs, Command::ReadMultiInputs, Command::ReadMultiInputs,
                                Command::ReadSimpleOutputs, Command::ReadSchedules, Command::ReadSchedules,
                                Command::ReadDataBlock, Command::ReadDataBlock, Command::ReadDataBlock,
                                Command::ReadDataBlock, Command::ReadDataBlock, Command::ReadDataBlock,
                                Command::ReadDataBlock}));
    ASSERT_EQ(requests.size(), 16u);

    // Reference portions: number, count, the running indices.
    const auto indices = [](uint8_t first, uint8_t count) {
        std::vector<uint8_t> data = {Number, count};
        for (uint8_t i = first; i < first + count; ++i)
            data.push_back(i);
        return data;
    };
    EXPECT_EQ(requests[0].data, indices(0, 33));
    EXPECT_EQ(requests[1].data, indices(33, 12));
    EXPECT_EQ(requests[2].data, indices(0, 11));
    EXPECT_EQ(requests[3].data, indices(11, 1));
    EXPECT_EQ(requests[4].data, indices(0, 2));
    EXPECT_EQ(requests[5].data, indices(2, 1));
    EXPECT_EQ(requests[4].offset, 4);
    EXPECT_EQ(requests[6].offset, 8);
    for (size_t i = 0; i <= 8; ++i)
        EXPECT_EQ(requests[i].p, 255) << "request " << i;
    EXPECT_EQ(requests[7].offset, 1);
    EXPECT_EQ(requests[8].offset, 3);
    EXPECT_EQ(requests[8].data, (std::vector<uint8_t>{Number}));

    // Blocks 2 and 4 of a Po optimizer: one entry per item of input slot 1, 20 at a time.
    const std::vector<std::pair<uint8_t, std::vector<uint8_t>>> blocks = {
        {1, {Number}},         {2, {Number, 20, 0}},  {2, {Number, 20, 20}}, {2, {Number, 5, 40}},
        {4, {Number, 20, 0}},  {4, {Number, 20, 20}}, {4, {Number, 5, 40}},
    };
    for (size_t i = 0; i < blocks.size(); ++i) {
        SCOPED_TRACE("block request " + std::to_string(i));
        const ReadRequest& r = requests[9 + i];
        EXPECT_EQ(r.p, FunctionType::PoOptimizer);
        EXPECT_EQ(r.offset, blocks[i].first);
        EXPECT_EQ(r.data, blocks[i].second);
    }

    // A yearly schedule's periods (block 4) come 10 at a time.
    HeaderTelegram schedule;
    schedule.number = Number;
    schedule.type = FunctionType::YearlySchedule;
    schedule.blockMask = 0b1000;
    const auto periods = DataBlockRequests(schedule);
    ASSERT_EQ(periods.size(), 3u);
    EXPECT_EQ(periods[2].data, (std::vector<uint8_t>{Number, 10, 20}));
    EXPECT_EQ(periods[2].p, FunctionType::YearlySchedule);
}

TEST(TelegramConversion, AHeaderWithEmptySlotsAsksForNothing)
{
    HeaderTelegram h;
    h.number = Number;
    h.type = FunctionType::PoOptimizer;
    h.inputs.mask = 0b1;
    h.outputs.mask = 0b1; // slots present, but no items
    h.scheduleCounts = {4, 0, 0, 0}; // items outside the schedule mask
    EXPECT_TRUE(FunctionRequests(h).empty());

    h.blockMask = 0b1110; // a Po optimizer without evaporators has no list to ask for
    EXPECT_TRUE(FunctionRequests(h).empty());
}

// A damaged header answer may claim 255 items: each is asked for once, and the
// portions end (their start once wrapped round to 0 and never ended).
TEST(TelegramConversion, AHeaderClaimingTheMostItemsAsksForEachOnce)
{
    HeaderTelegram h;
    h.number = Number;
    h.type = FunctionType::PoOptimizer;
    h.inputs.mask = 0b1;
    h.inputs.kinds[0] = SlotKind::Automatic;
    h.inputs.counts[0] = 255;
    h.blockMask = 0b0010;
    std::vector<int> asked(255, 0);
    size_t evaporators = 0;
    for (const ReadRequest& r : FunctionRequests(h)) {
        if (r.command == Command::ReadDataBlock) {
            evaporators += r.data[1];
            continue;
        }
        for (size_t i = 2; i < r.data.size(); ++i)
            ++asked[r.data[i]];
    }
    EXPECT_EQ(asked, std::vector<int>(255, 1));
    EXPECT_EQ(evaporators, 255u);
}

// A function kept in a backup file comes back from its write telegrams as the
// records they were built from; stamp and flags come from the directory.
TEST(TelegramConversion, WriteTelegramsBecomeTheRecordsTheyWereBuiltFrom)
{
    McdefRecord header(Number, BlockType::Header, 0, 0);
    header.setType(FunctionType::PoOptimizer);
    header.setName("Po MT");
    header.setStamp(0x01020304);
    header.setFlags(FunctionFlag::Manual);
    std::vector<McdefRecord> records = {header};
    McdefRecord simple(Number, BlockType::Input, 2, 17);
    simple[6] = simple[7] = simple[8] = 255;
    McdefRecord parameter(Number, BlockType::Output, 1, 30);
    for (size_t i = 6; i < 12; ++i)
        parameter[i] = uint8_t(i * 3);
    McdefRecord multi(Number, BlockType::Input, 1, 44);
    for (size_t i = 6; i < 40; ++i)
        multi[i] = uint8_t(i + 1);
    McdefRecord block(Number, BlockType::Data, 1, 0);
    for (size_t i = 6; i < McdefRecord::Size; ++i)
        block[i] = uint8_t(i);
    records.insert(records.end(), {multi, simple, parameter, McdefRecord(Number, BlockType::ScheduleReference, 1, 3),
                                   block});

    const std::vector<Telegram> telegrams = BuildFunctionTelegrams(
        Gateway, FunctionType::PoOptimizer, records, false, TypeWritableBlocks(FunctionType::PoOptimizer));
    DirectoryEntry directory = directoryOf(FunctionType::PoOptimizer);
    directory.stamp = header.stamp();
    directory.flags = header.flags();
    const auto converted = ConvertTelegrams(Number, telegrams, directory);
    ASSERT_EQ(converted.size(), records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE("record " + std::to_string(i));
        EXPECT_EQ(converted[i], records[i]);
    }
}
