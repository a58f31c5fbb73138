#include "GatewayFixture.h"

#include "gateway/ConsistencyCheck.h"
#include "gateway/MCUplDlg.h"
#include "list/FunctionListCtrl.h"
#include "list/MCFODlg.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "protocol/LittleEndian.h"
#include "protocol/TypeCatalogue.h"
#include "support/Db.h"
#include "support/RecordStore.h"

#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <utility>

namespace {

class UploadTest : public GatewayFixture {
protected:
    UploadResult upload(bool reset = false)
    {
        MCUplDlg dialog("001:125", serverWindow(), reset);
        return UploadResult(dialog.exec());
    }

    static std::vector<McdefRecord> blocks(uint8_t number)
    {
        std::vector<McdefRecord> all;
        EXPECT_EQ(ReadFunction(number, all), DbStatus::Success);
        return all;
    }

    static std::vector<McdefRecord> headers()
    {
        std::vector<McdefRecord> all;
        EXPECT_EQ(ReadHeaders(all), DbStatus::Success);
        return all;
    }

    // A gateway holding `count` yearly schedules that have nothing but a header.
    static GatewayState schedulesOnly(int count)
    {
        GatewayState state;
        state.network = 1;
        state.netConfigStamp = 14961;
        state.memoryKiB = 64;
        state.typeLimits.fill(60);
        for (int n = 1; n <= count; ++n) {
            GatewayFunction& f = state.functions[uint8_t(n)];
            f.number = uint8_t(n);
            f.type = FunctionType::YearlySchedule;
            f.flags = FunctionFlag::Started;
            f.stamp = state.nextStamp();
            f.name = "Plan " + std::to_string(n);
        }
        return state;
    }
};

TEST_F(UploadTest, TheTablesHoldWhatTheGatewayHolds)
{
    const GatewayState gateway = readImage("001");
    startServer();
    ASSERT_EQ(upload(), UploadResult::UpToDate);
    EXPECT_EQ(appState().capacity.totalMemory, 64u * 1024);
    EXPECT_EQ(appState().capacity.freeMemory, gateway.freeMemory() / 1024 * 1024);
    EXPECT_EQ(appState().capacity.typeLimits[FunctionType::YearlySchedule], gateway.typeLimits[0]);

    ASSERT_EQ(headers().size(), gateway.functions.size());
    for (const auto& [number, function] : gateway.functions) {
        SCOPED_TRACE("function " + std::to_string(number));
        const std::vector<McdefRecord> records = blocks(number);
        ASSERT_FALSE(records.empty());
        const McdefRecord& header = records.front();
        EXPECT_EQ(header.blockType(), BlockType::Header);
        EXPECT_EQ(header.type(), function.type);
        EXPECT_EQ(header.name(), function.name);
        EXPECT_EQ(header.stamp(), function.stamp);
        EXPECT_EQ(header.flags() & (FunctionFlag::Started | FunctionFlag::Manual | FunctionFlag::ErrorMark),
                  function.flags & (FunctionFlag::Started | FunctionFlag::Manual | FunctionFlag::ErrorMark));
        for (int direction = 1; direction <= 2; ++direction)
            for (int slot = 1; slot <= 8; ++slot) {
                std::vector<uint8_t> expected, uploaded;
                for (const ReferenceItem& item : function.slot(direction, slot))
                    expected.push_back(item.address);
                for (const McdefRecord& r : records)
                    if (r.blockType() == direction && r.blockNumber() == slot)
                        uploaded.push_back(r.item());
                std::sort(expected.begin(), expected.end());
                EXPECT_EQ(uploaded, expected) << "direction " << direction << " slot " << slot;
            }
        for (int group = 1; group <= 4; ++group) {
            std::vector<uint8_t> uploaded;
            for (const McdefRecord& r : records)
                if (r.blockType() == BlockType::ScheduleReference && r.blockNumber() == group)
                    uploaded.push_back(r.item());
            std::vector<uint8_t> expected = function.schedules[size_t(group - 1)];
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(uploaded, expected) << "schedule group " << group;
        }
        for (int block = 1; block <= 4; ++block) {
            const bool present = std::any_of(records.begin(), records.end(), [&](const McdefRecord& r) {
                return r.blockType() == BlockType::Data && r.blockNumber() == block;
            });
            if (function.header.blockMask & (1 << (block - 1))) {
                EXPECT_TRUE(present) << "data block " << block;
            }
        }
    }

    // Parameter bytes of a parameter reference arrive unchanged.
    McdefRecord parameterOutput;
    ASSERT_EQ(ReadBlock(3, BlockType::Output, 2, 30, parameterOutput), DbStatus::Success);
    EXPECT_EQ(parameterOutput[6], 15);
    EXPECT_EQ(parameterOutput[7], 2);
    EXPECT_EQ(parameterOutput[8], 1);
    EXPECT_EQ(parameterOutput[9], 248);

    // The Po optimizer configured without the optimise-communication setting.
    McdefRecord poBlock;
    ASSERT_EQ(ReadBlock(14, BlockType::Data, 1, 0, poBlock), DbStatus::Success);
    EXPECT_EQ(poBlock[27], 255);
    ASSERT_EQ(ReadBlock(12, BlockType::Data, 1, 0, poBlock), DbStatus::Success);
    EXPECT_NE(poBlock[27], 255);
}

TEST_F(UploadTest, ReferencesToControllersMissingFromThePlantAreMarked)
{
    startServer();
    ASSERT_EQ(upload(), UploadResult::UpToDate);
    McdefRecord missing;
    ASSERT_EQ(ReadBlock(3, BlockType::Output, 1, 77, missing), DbStatus::Success);
    EXPECT_TRUE(missing.status() & CheckStatus::ControllerMissing);
    McdefRecord header;
    ASSERT_EQ(ReadBlock(3, BlockType::Header, 0, 0, header), DbStatus::Success);
    EXPECT_TRUE(header.flags() & FunctionFlag::ReferenceErrorMark);
    McdefRecord fine;
    ASSERT_EQ(ReadBlock(3, BlockType::Output, 1, 1, fine), DbStatus::Success);
    EXPECT_EQ(fine.status() & ~CheckStatus::GatewayBits, 0);
    ASSERT_EQ(ReadBlock(8, BlockType::Header, 0, 0, header), DbStatus::Success);
    EXPECT_FALSE(header.flags() & FunctionFlag::ReferenceErrorMark) << "a function whose references are fine";

    // The function list shows every function with its state.
    MCFODlg list("001:125", "GW Market North", true, {});
    FunctionListCtrl& rows = list.list();
    ASSERT_EQ(rows.rowCount(), 12);
    EXPECT_EQ(rows.text(rows.rowOf(3), FunctionListCtrl::ErrorColumn), "Error");
    EXPECT_EQ(rows.text(rows.rowOf(4), FunctionListCtrl::ManualColumn), "Manual");
    EXPECT_EQ(rows.text(rows.rowOf(7), FunctionListCtrl::StartedColumn), "");
    EXPECT_EQ(rows.text(rows.rowOf(5), FunctionListCtrl::StartedColumn), "On");
}

TEST_F(UploadTest, MarkingOneOfSeveralParametersOfAControllerKeepsTheOthers)
{
    // Two parameters of the missing controller 077 in one slot share a record key.
    GatewayState state = readImage("001");
    std::vector<ReferenceItem>& slot = state.functions.at(3).slot(2, 2);
    ReferenceItem second = slot.at(0);
    second.address = 77;
    second.parameters[2] = 2;
    ReferenceItem first = second;
    first.parameters[2] = 1;
    slot.push_back(first);
    slot.push_back(second);
    writeImage("001", state);
    startServer();
    ASSERT_EQ(upload(), UploadResult::UpToDate);

    std::vector<McdefRecord> records;
    ASSERT_EQ(ReadBlocks(3, BlockType::Output, 2, records), DbStatus::Success);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].item(), 30);
    EXPECT_EQ(records[0].status() & ~CheckStatus::GatewayBits, 0);
    std::vector<uint8_t> parameters;
    for (size_t i = 1; i < records.size(); ++i) {
        EXPECT_EQ(records[i].item(), 77);
        EXPECT_TRUE(records[i].status() & CheckStatus::ControllerMissing);
        parameters.push_back(records[i][8]);
    }
    std::sort(parameters.begin(), parameters.end());
    EXPECT_EQ(parameters, (std::vector<uint8_t>{1, 2}));
}

TEST_F(UploadTest, AGatewayWithoutFunctionsEndsAfterTheMemoryAnswer)
{
    writeImage("001", schedulesOnly(0));
    startServer();
    EXPECT_EQ(upload(), UploadResult::UpToDate);
    EXPECT_EQ(sentCommands(), (std::vector<int>{1, 2}));
    EXPECT_TRUE(headers().empty());
}

TEST_F(UploadTest, StampsAreAskedForInBatchesOfEighteen)
{
    writeImage("001", schedulesOnly(40));
    startServer();
    ASSERT_EQ(upload(), UploadResult::UpToDate);
    const auto stampRequests = sentTelegrams(Command::Stamps);
    ASSERT_EQ(stampRequests.size(), 3u);
    EXPECT_EQ(stampRequests[0][24], 18);
    EXPECT_EQ(stampRequests[1][24], 18);
    EXPECT_EQ(stampRequests[2][24], 4);
    EXPECT_EQ(stampRequests[2][25], 37);
    EXPECT_EQ(headers().size(), 40u);
}

TEST_F(UploadTest, ADifferentNetConfigurationAsksOnce)
{
    TestHome::setNetConfigStamp("001:125", 1);
    startServer();
    m_script.expectMessage("Net configuration description in QOR is not up to date. If you continue it can cause "
                           "inconsistence i the control function setup.\nAre you sure that you want to continue ?",
                           IDYES);
    EXPECT_EQ(upload(), UploadResult::NotUpToDate);
    EXPECT_EQ(m_script.prompts().front().style, MB::YesNo | MB::IconQuestion | MB::DefaultButton2);
    McdefRecord header;
    ASSERT_EQ(ReadBlock(3, BlockType::Header, 0, 0, header), DbStatus::Success);
    EXPECT_FALSE(header.flags() & FunctionFlag::ReferenceErrorMark) << "no consistency check";

    m_script.expectMessageContaining("Net configuration description", IDNO);
    EXPECT_EQ(upload(), UploadResult::Cancelled);
}

TEST_F(UploadTest, AHeaderThatAsksForNothingEndsTheUpload)
{
    // Function 2 holds a schedule reference that its header's mask leaves
    // out: the gateway does not say "nothing further", yet nothing can be asked for.
    GatewayState state = schedulesOnly(3);
    state.functions[2].type = FunctionType::DayNightControl;
    state.functions[2].schedules[0] = {1};
    writeImage("001", state);
    startServer();
    m_script.expectMessage("Missing data in config telegram for function no.: 2.");
    EXPECT_EQ(upload(), UploadResult::Failed);
    EXPECT_EQ(m_script.prompts().front().style, MB::Ok | MB::IconStop);
    const std::vector<int> sent = sentCommands();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), Command::ReadHeader) << "nothing is asked for after the header";
    EXPECT_EQ(count(sent, Command::ReadHeader), 2);
}

TEST_F(UploadTest, AnUnexpectedAnswerEndsTheUpload)
{
    startServer({"--unexpected-answer", "4"});
    m_script.expectMessage("Control function setup changed by another user. Please upload again.");
    EXPECT_EQ(upload(), UploadResult::Cancelled);
}

TEST_F(UploadTest, AnAnswerForAnotherFunctionEndsTheUpload)
{
    startServer({"--answer-other-function"});
    m_script.expectMessage("Control function setup changed by another user. Please upload again.");
    EXPECT_EQ(upload(), UploadResult::Cancelled);
    EXPECT_EQ(sentCommands().back(), Command::ReadHeader) << "the first header answer names another function";
    EXPECT_EQ(count(sentCommands(), Command::ReadHeader), 1);
}

TEST_F(UploadTest, ALinkFailureEndsTheUpload)
{
    startServer({"--fail-link-after", "6"});
    m_script.expectMessage("Communication error. Please try again.");
    EXPECT_EQ(upload(), UploadResult::Failed);
}

TEST_F(UploadTest, CancelEndsAtTheNextAnswer)
{
    startServer({"--latency", "20"});
    MCUplDlg dialog("001:125", serverWindow(), false);
    int answersBeforeCancel = 0;
    QTimer::singleShot(300, &dialog, [&] {
        answersBeforeCancel = dialog.job().telegramsSent();
        dialog.findChild<QPushButton*>("cancelButton")->click();
    });
    EXPECT_EQ(UploadResult(dialog.exec()), UploadResult::Cancelled);
    EXPECT_GT(answersBeforeCancel, 4) << "cancelled inside the loop over the functions";
    EXPECT_LE(dialog.job().telegramsSent(), answersBeforeCancel + 1);
}

TEST_F(UploadTest, CancelWhileTheTableIsEmptiedSendsNothing)
{
    startServer();
    ASSERT_EQ(upload(), UploadResult::UpToDate);
    ASSERT_FALSE(headers().empty());
    const size_t sentBefore = sentCommands().size();
    MCUplDlg dialog("001:125", serverWindow(), false);
    bool pressed = false;
    QObject::connect(&dialog.job(), &UploadJob::textChanged, &dialog, [&] {
        if (!std::exchange(pressed, true))
            dialog.findChild<QPushButton*>("cancelButton")->click();
    });
    EXPECT_EQ(UploadResult(dialog.exec()), UploadResult::Cancelled);
    EXPECT_EQ(sentCommands().size(), sentBefore);
    EXPECT_TRUE(headers().empty()) << "the table is emptied and open again";
}

TEST_F(UploadTest, ResetModeClearsTheGateway)
{
    startServer();
    EXPECT_EQ(upload(true), UploadResult::Cancelled);
    EXPECT_EQ(sentCommands(), (std::vector<int>{91}));
    EXPECT_TRUE(readImage("001").functions.empty());
    EXPECT_EQ(upload(), UploadResult::UpToDate);
    EXPECT_TRUE(headers().empty());
}

TEST_F(UploadTest, AFailedCopyOfTheTemplateEndsTheUpload)
{
    std::remove((m_home.dataDir() + "MCDEF.NEW").c_str());
    startServer();
    m_script.expectMessage(QString::fromStdString("Failed to copy database '" + m_home.dataDir() + "MCDEF.NEW'\n"
                                                  + m_home.dataDir() + "MCDEF.NEW: no such file"));
    EXPECT_EQ(upload(), UploadResult::Failed);
    EXPECT_TRUE(sentCommands().empty());
}

TEST_F(UploadTest, ACheckStoppedByAnotherTableNamesThatTable)
{
    RecordStore::instance().closeAll();
    std::filesystem::remove(RecordStore::instance().tableFile(table::QebDes));
    startServer();
    m_script.expectMessage(QString::fromStdString("Error on database 'QEBDES' Return code = 2\n"
                                                   + RecordStore::instance().tableFile(table::QebDes)));
    EXPECT_EQ(upload(), UploadResult::Failed);
}

} // namespace
