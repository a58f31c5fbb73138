// Starting and stopping: what a stop does to a function's error marks and
// reference statuses, and the whole exchange from the function list's buttons
// against a real qelnetd.

#include "GatewayFixture.h"

#include "gateway/CurrentServer.h"
#include "gateway/MCUplDlg.h"
#include "gateway/OnOffDlg.h"
#include "gateway/StartStopJob.h"
#include "list/FunctionListCtrl.h"
#include "list/MCFODlg.h"
#include "list/ProgramOperations.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "protocol/TypeCatalogue.h"
#include "support/Db.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

class StartStopTest : public GatewayFixture {
protected:
    void TearDown() override
    {
        SetCurrentServerWindow(0);
        GatewayFixture::TearDown();
    }

    UploadResult upload()
    {
        MCUplDlg dialog("001:125", serverWindow(), false);
        return UploadResult(dialog.exec());
    }

    static void addHeader(uint8_t number, uint8_t flags)
    {
        McdefRecord header(number, BlockType::Header, 0, 0);
        header.setType(FunctionType::CentralDefrost);
        header.setName("Defrost " + std::to_string(number));
        header.setFlags(flags);
        ASSERT_EQ(InsertBlock(header), DbStatus::Success);
    }

    // A reference block with the gateway's status in byte 5 and the check's in byte 4.
    static void addReference(uint8_t number, uint8_t blockType, uint8_t node, uint8_t checkStatus,
                             uint8_t gatewayStatus)
    {
        McdefRecord r(number, blockType, 1, node);
        r[4] = checkStatus;
        r[5] = gatewayStatus;
        ASSERT_EQ(InsertBlock(r), DbStatus::Success);
    }

    static McdefRecord block(uint8_t number, uint8_t blockType, uint8_t node)
    {
        McdefRecord r;
        EXPECT_EQ(ReadBlock(number, blockType, node == 0 ? 0 : 1, node, r), DbStatus::Success);
        return r;
    }

    static uint8_t flagsOf(uint8_t number) { return block(number, BlockType::Header, 0).flags(); }

    static std::vector<std::string> eventTexts()
    {
        std::vector<std::string> texts;
        for (const auto& bytes : TestHome::records(table::EventLog))
            texts.push_back(EventLogRecord::read(bytes.data()).text);
        return texts;
    }

    static void select(FunctionListCtrl& list, std::initializer_list<uint8_t> numbers)
    {
        list.clearRowSelection();
        for (uint8_t n : numbers)
            list.setRowSelected(list.rowOf(n), true);
    }
};

constexpr uint8_t Started = FunctionFlag::Started;
constexpr uint8_t BothMarks = FunctionFlag::ErrorMarks;

TEST_F(StartStopTest, AStopClearsTheNoAnswerStatusAndTheMarksWhenNothingIsLeft)
{
    std::string name;
    // Only "no answer" statuses: both marks go, manual mode stays.
    addHeader(1, Started | BothMarks | FunctionFlag::Manual);
    addReference(1, BlockType::Input, 17, 0, 0x01);
    addReference(1, BlockType::Output, 70, 0, 0x01);
    addReference(1, BlockType::Output, 71, 0, 0);
    ASSERT_EQ(RecordStartStop(1, false, name), DbStatus::Success);
    EXPECT_EQ(name, "Defrost 1");
    EXPECT_EQ(flagsOf(1), FunctionFlag::Manual);
    EXPECT_EQ(block(1, BlockType::Input, 17).status(), 0);
    EXPECT_EQ(block(1, BlockType::Output, 70).status(), 0);

    // A type conflict stays: the marks stay, only the started bit goes.
    addHeader(2, Started | FunctionFlag::ErrorMark);
    addReference(2, BlockType::Output, 70, 0, 0x03);
    ASSERT_EQ(RecordStartStop(2, false, name), DbStatus::Success);
    EXPECT_EQ(flagsOf(2), FunctionFlag::ErrorMark);
    EXPECT_EQ(block(2, BlockType::Output, 70)[5], 0x02);

    // A reference the check found wrong keeps its bits and so the marks.
    addHeader(3, Started | FunctionFlag::ReferenceErrorMark);
    addReference(3, BlockType::Input, 17, 0x01, 0x01);
    ASSERT_EQ(RecordStartStop(3, false, name), DbStatus::Success);
    EXPECT_EQ(flagsOf(3), FunctionFlag::ReferenceErrorMark);
    EXPECT_EQ(block(3, BlockType::Input, 17).status(), 0x01);

    // Without an error mark the references are left alone.
    addHeader(4, Started);
    addReference(4, BlockType::Input, 17, 0, 0x01);
    ASSERT_EQ(RecordStartStop(4, false, name), DbStatus::Success);
    EXPECT_EQ(flagsOf(4), 0);
    EXPECT_EQ(block(4, BlockType::Input, 17)[5], 0x01);
}

TEST_F(StartStopTest, AStartOnlySetsTheStartedBit)
{
    std::string name;
    addHeader(5, BothMarks | FunctionFlag::Manual);
    addReference(5, BlockType::Output, 70, 0, 0x01);
    ASSERT_EQ(RecordStartStop(5, true, name), DbStatus::Success);
    EXPECT_EQ(flagsOf(5), Started | BothMarks | FunctionFlag::Manual);
    EXPECT_EQ(block(5, BlockType::Output, 70)[5], 0x01);
    EXPECT_EQ(RecordStartStop(6, true, name), DbStatus::KeyNotFound);
}

TEST_F(StartStopTest, AnAnswerForOtherFunctionsChangesNothing)
{
    startServer();
    ASSERT_EQ(upload(), UploadResult::UpToDate);
    const uint8_t flags = flagsOf(3);
    ASSERT_TRUE(flags & Started);
    restartServer({"--answer-other-function"});
    m_script.expectMessage("Control function setup changed by another user. Please upload again.");
    OnOffDlg dialog("001:125", serverWindow(), Command::Stop, {3}, nullptr);
    EXPECT_EQ(StartStopResult(dialog.exec()), StartStopResult::RefusedOrLinkFailure);
    EXPECT_EQ(flagsOf(3), flags);
}

TEST_F(StartStopTest, StopAndStartFromTheFunctionList)
{
    startServer();
    ASSERT_EQ(upload(), UploadResult::UpToDate);
    SetCurrentServerWindow(serverWindow());
    ASSERT_TRUE(flagsOf(9) & FunctionFlag::ErrorMarks) << "the demo's defrost is in error";
    MCFODlg list("001:125", "GW Market North", true, ProgramListOperations());
    FunctionListCtrl& rows = list.list();
    int closed = 0;
    QObject::connect(&list, &QDialog::finished, [&] { ++closed; });

    select(rows, {9, 3});
    ASSERT_TRUE(list.findChild<QPushButton*>("stopButton")->isEnabled());
    m_script.expectDialog("OnOffDlg", [](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Stopping control functions");
        EXPECT_EQ(dialog.findChild<QLabel*>("textLabel")->text(), "Updating ZUL");
        EXPECT_TRUE(dialog.findChild<QPushButton*>("cancelButton")->isHidden());
        const int result = dialog.exec();
        EXPECT_EQ(dialog.findChild<QProgressBar*>("progressBar")->value(), 2);
        return result;
    });
    list.findChild<QPushButton*>("stopButton")->click();
    EXPECT_EQ(sentTelegrams(Command::Stop).size(), 1u);
    const GatewayState stopped = readImage("001");
    EXPECT_FALSE(stopped.functions.at(9).flags & FunctionFlag::Started);
    EXPECT_FALSE(stopped.functions.at(3).flags & FunctionFlag::Started);
    EXPECT_EQ(flagsOf(9) & (Started | BothMarks), 0) << "the defrost's only trouble was a controller not answering";
    EXPECT_EQ(rows.text(rows.rowOf(9), FunctionListCtrl::StartedColumn), "");
    EXPECT_EQ(rows.text(rows.rowOf(9), FunctionListCtrl::ErrorColumn), "");
    // Function 3 names a controller the plant does not have: its mark stays.
    EXPECT_EQ(flagsOf(3) & BothMarks, FunctionFlag::ReferenceErrorMark);
    EXPECT_EQ(rows.text(rows.rowOf(3), FunctionListCtrl::ErrorColumn), "Error");
    EXPECT_EQ(closed, 0) << "the list stays open";

    select(rows, {9});
    m_script.expectDialog("OnOffDlg", [](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Starting control functions");
        return dialog.exec();
    });
    list.findChild<QPushButton*>("startButton")->click();
    EXPECT_TRUE(readImage("001").functions.at(9).flags & FunctionFlag::Started);
    EXPECT_TRUE(flagsOf(9) & Started);
    EXPECT_EQ(rows.text(rows.rowOf(9), FunctionListCtrl::StartedColumn), "On");
    EXPECT_EQ(closed, 0);

    const std::vector<std::string> events = eventTexts();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], "001:125 GW Market North\nIce defrost, Sales night is/are stopped");
    EXPECT_EQ(events[1], "001:125 GW Market North\nIce defrost is/are started");
}

} // namespace
