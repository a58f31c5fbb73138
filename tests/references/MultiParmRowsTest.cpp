// The rows of the Po optimizer's controller lists against the demo plant's
// tables: network 002 holds Dairy (001, EVA-100), Meat (002, EVA-200 with
// loops A and B), Freezer (005, EVA-100), a room thermostat (020), Pack MT
// (040, PAK-400 with suction groups A and B) and an outdoor sensor (050).

#include "model/McdefAccess.h"
#include "protocol/IdentityChecksum.h"
#include "protocol/LittleEndian.h"
#include "protocol/TypeCatalogue.h"
#include "references/MultiParmRows.h"
#include "support/Db.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr uint8_t OwnNumber = 7;
constexpr uint8_t OtherPo = 3;

class MultiParmRowsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_home.ok()); }

    static void addHeader(uint8_t number, uint8_t type)
    {
        McdefRecord header(number, BlockType::Header, 0, 0);
        header.setType(type);
        ASSERT_EQ(InsertBlock(header), DbStatus::Success);
    }

    static std::vector<std::string> offered(const MultiCandidatesRead& read)
    {
        EXPECT_FALSE(read.failure);
        std::vector<std::string> loops;
        for (const MultiCandidate& c : read.rows)
            loops.push_back(std::to_string(c.row.address) + c.row.loop + (c.row.incomplete ? "*" : "")
                            + (c.selected ? "+" : ""));
        return loops;
    }

    MultiCandidatesRead candidates(int role, const std::vector<MultiParmRow>& editorRows = {},
                                   uint8_t number = OwnNumber) const
    {
        return ReadMultiCandidates(QebTypeIni(), "002:125", number, role, editorRows);
    }

    TestHome m_home;
};

TEST_F(MultiParmRowsTest, EvaporatorCandidatesAreLoopsOfFittingOrUnknownControllers)
{
    const MultiCandidatesRead read = candidates(PoRole::Evaporator);
    EXPECT_EQ(offered(read), (std::vector<std::string>{"1A", "2A", "2B", "5A", "20?*", "50?*"}))
        << "no compressor; controllers unknown to QebType.ini as incomplete rows";
    const MultiParmRow& meatB = read.rows[2].row;
    EXPECT_EQ(meatB.idCode, "Meat");
    EXPECT_EQ(meatB.ident, "EVA-200");
    EXPECT_EQ(meatB.defrostDelay, 1200);
    EXPECT_EQ(meatB.inputs[0].numbers(), (ParameterNumbers{3, 15, 2}));
    EXPECT_EQ(meatB.inputs[3].numbers(), (ParameterNumbers{2, 3, 3}));
    EXPECT_EQ(meatB.inputs[4].numbers(), (ParameterNumbers{})) << "no fifth input for an evaporator";
    const MultiParmRow& freezer = read.rows[3].row;
    EXPECT_EQ(freezer.inputs[0].defaultText, "Regulation condition");
    EXPECT_EQ(freezer.inputs[0].parameterClass, 7);
    const MultiParmRow& thermostat = read.rows[4].row;
    EXPECT_EQ(thermostat.inputs[0].defaultText, "") << "no slots for an unknown identification";
}

TEST_F(MultiParmRowsTest, LoopsOfOtherPoOptimizersAreNotOfferedAndTheEditorsRowsAreSelected)
{
    addHeader(OtherPo, FunctionType::PoOptimizer);
    McdefRecord delays(OtherPo, BlockType::Data, 2, 1);
    delays[6] = 1;
    const uint8_t entry[5] = {0, 2, 1, 0xB0, 0x04}; // index 0, Meat, loop B, 1200 s
    std::copy(std::begin(entry), std::end(entry), &delays[7]);
    ASSERT_EQ(InsertBlock(delays), DbStatus::Success);
    McdefRecord ownDelays(OwnNumber, BlockType::Data, 2, 1);
    ownDelays[6] = 1;
    const uint8_t ownEntry[5] = {0, 1, 0, 0, 0};
    std::copy(std::begin(ownEntry), std::end(ownEntry), &ownDelays[7]);
    addHeader(OwnNumber, FunctionType::PoOptimizer);
    ASSERT_EQ(InsertBlock(ownDelays), DbStatus::Success);

    MultiParmRow held;
    held.address = 1;
    held.loop = 'A';
    held.defrostDelay = 600;
    MultiParmRow heldIncomplete;
    heldIncomplete.address = 20;
    const MultiCandidatesRead read = candidates(PoRole::Evaporator, {held, heldIncomplete});
    EXPECT_EQ(offered(read), (std::vector<std::string>{"1A+", "2A", "5A", "20?*", "50?*"}))
        << "the other function's loop 2B is taken; the function's own loop 1A is offered";
    EXPECT_EQ(read.rows[0].row.defrostDelay, 600) << "the editor's delay";

    EXPECT_TRUE(offered(candidates(PoRole::Evaporator, {}, 255)).empty()) << "255 treats every loop as used";
    EXPECT_TRUE(offered(candidates(PoRole::Evaporator, {}, 0)).empty()) << "no function number, no candidates";
}

TEST_F(MultiParmRowsTest, CompressorCandidatesLeaveOutTheLoopOfAnotherFunctionsCompressor)
{
    EXPECT_EQ(offered(candidates(PoRole::Compressor)), (std::vector<std::string>{"20?*", "40A", "40B", "50?*"}))
        << "in address order";
    addHeader(OtherPo, FunctionType::PoOptimizer);
    ASSERT_EQ(InsertBlock(McdefRecord(OtherPo, BlockType::Input, 2, 40)), DbStatus::Success);
    McdefRecord settings(OtherPo, BlockType::Data, 1, 0);
    settings[23] = 1;
    ASSERT_EQ(InsertBlock(settings), DbStatus::Success);
    EXPECT_EQ(offered(candidates(PoRole::Compressor)), (std::vector<std::string>{"20?*", "40A", "50?*"}));
    addHeader(4, FunctionType::PeakShaving);
    ASSERT_EQ(InsertBlock(McdefRecord(4, BlockType::Input, 2, 40)), DbStatus::Success);
    EXPECT_EQ(offered(candidates(PoRole::Compressor)).size(), 3u) << "only Po optimizers take loops";
}

TEST_F(MultiParmRowsTest, StoredRowsReadBackWithTheirTextsChecksumAndMessages)
{
    std::vector<MultiParmRow> rows;
    for (const MultiCandidate& c : candidates(PoRole::Evaporator).rows)
        if (!c.row.incomplete)
            rows.push_back(c.row);
    ASSERT_EQ(rows.size(), 4u);
    uint16_t status = 0;
    ASSERT_EQ(StoreMultiReferenceRows(FunctionType::PoOptimizer, OwnNumber, BlockType::Input, 1, rows, status),
              MultiStore::Stored);
    std::vector<McdefRecord> records;
    ASSERT_EQ(ReadBlocks(OwnNumber, BlockType::Input, 1, records), DbStatus::Success);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[2].item(), 2);
    EXPECT_EQ(std::vector<uint8_t>(&records[2][6], &records[2][10]), (std::vector<uint8_t>{3, 15, 2, 7}));
    EXPECT_EQ(le::u16(&records[2][38]), IdentityChecksum(32, "EVA-200"));
    EXPECT_TRUE(std::all_of(&records[2][40], &records[2][0] + McdefRecord::Size, [](uint8_t b) { return b == 0; }));

    // Storing again replaces the records; a flag of the upload's check shows its message.
    rows.erase(rows.begin());
    ASSERT_EQ(StoreMultiReferenceRows(FunctionType::PoOptimizer, OwnNumber, BlockType::Input, 1, rows, status),
              MultiStore::Stored);
    McdefRecord flagged;
    ASSERT_EQ(ReadBlock(OwnNumber, BlockType::Input, 1, 5, flagged), DbStatus::Success);
    flagged[4] = ReferenceFlag::NoParameter;
    ASSERT_EQ(UpdateBlock(flagged), DbStatus::Success);

    const MultiRowsRead read = ReadMultiReferenceRows("002:125", OwnNumber, BlockType::Input, 1);
    ASSERT_TRUE(read.complete());
    ASSERT_EQ(read.rows.size(), 3u);
    const MultiParmRow& meatB = read.rows[1];
    EXPECT_EQ(meatB.loop, '?') << "the editor finds the loop";
    EXPECT_EQ(meatB.defrostDelay, 1200);
    EXPECT_EQ(meatB.idCode, "Meat");
    EXPECT_EQ(meatB.inputs[0].defaultText, rows[1].inputs[0].defaultText);
    EXPECT_EQ(FindLoop(QebTypeIni(), meatB), 1) << "loop B of EVA-200";
    EXPECT_EQ(FindLoop(QebTypeIni(), read.rows[0]), 0);
    EXPECT_EQ(read.rows[2].message, "Parameter does not exist.");
    EXPECT_EQ(read.rows[2].status, ReferenceStatus::Error);

    MultiParmRow strange = meatB;
    strange.inputs[1].p2 = 9;
    EXPECT_EQ(FindLoop(QebTypeIni(), strange), NoLoop);
}

TEST_F(MultiParmRowsTest, OnlyReferenceSlotsTakeRows)
{
    uint16_t status = 0;
    EXPECT_EQ(StoreMultiReferenceRows(FunctionType::PoOptimizer, OwnNumber, BlockType::Input, 3, {MultiParmRow{}},
                                      status),
              MultiStore::NotReferenceSlot);
    EXPECT_EQ(StoreMultiReferenceRows(FunctionType::DayNightControl, OwnNumber, BlockType::Output, 1,
                                      {MultiParmRow{}}, status),
              MultiStore::NotReferenceSlot)
        << "an automatic slot";
    std::vector<McdefRecord> records;
    ASSERT_EQ(ReadFunction(OwnNumber, records), DbStatus::Success);
    EXPECT_TRUE(records.empty());
}

TEST_F(MultiParmRowsTest, ASlotTheDescriptionLacksMakesTheRowIncomplete)
{
    m_home.setIni("QebType.ini", "EVA-100 Funct 8", "Input2A", "Ther. Air,1,99,3");
    m_home.setIni("QebType.ini", "EVA-100 Funct 8", "Input3A", "Th. Cut in,unreadable");
    const MultiCandidatesRead read = candidates(PoRole::Evaporator);
    ASSERT_FALSE(read.rows.empty());
    const MultiParmRow& dairy = read.rows[0].row;
    EXPECT_TRUE(dairy.incomplete);
    EXPECT_EQ(dairy.inputs[1].defaultText, "???");
    EXPECT_EQ(dairy.inputs[1].numbers(), (ParameterNumbers{1, 99, 3}));
    EXPECT_EQ(dairy.inputs[2].defaultText, "???");
    EXPECT_EQ(dairy.inputs[0].defaultText, "Regulation condition");
}

} // namespace
