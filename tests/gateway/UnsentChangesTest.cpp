// What the program does with changes the gateway has not taken, against a
// real qelnetd: before an upload replaces them the operator is asked (send
// first, discard, cancel), and a job on a server that was stopped and started
// again connects afresh.

#include "editors/EditorFixture.h"

#include "gateway/CurrentServer.h"
#include "gateway/MCUpdDlg.h"
#include "gateway/SyncState.h"
#include "gateway/UnsentChanges.h"
#include "gateway/UpdateJob.h"
#include "model/EventLog.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "protocol/TypeCatalogue.h"
#include "support/Clock.h"
#include "support/DbStatus.h"

namespace {

constexpr uint8_t SalesNight = 3;

class UnsentChangesTest : public EditorFixture {
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        start();
    }

    // Function 3 renamed in MCDEF and marked, as an update that the gateway did not take leaves it.
    static void leaveUnsentRename()
    {
        McdefRecord header;
        ASSERT_EQ(ReadBlock(SalesNight, BlockType::Header, 0, 0, header), DbStatus::Success);
        header.setName("Sales evening");
        ASSERT_EQ(UpdateBlock(header), DbStatus::Success);
        ASSERT_FALSE(ChangeSyncState([](SyncState& state) {
            state.mark({"001:125", SalesNight, "Sales evening", CurrentTime(), "not sent: link failure, 0 of 5 telegrams taken"});
            return true;
        }));
    }
    static std::string tableName()
    {
        McdefRecord header;
        EXPECT_EQ(ReadBlock(SalesNight, BlockType::Header, 0, 0, header), DbStatus::Success);
        return header.name();
    }
    static std::vector<std::string> eventTexts()
    {
        std::vector<std::string> texts;
        for (const EventLogRecord& row : eventRows())
            texts.push_back(row.text);
        return texts;
    }
    void expectQuestion(int answer)
    {
        m_script.expectMessage("These functions were changed but the gateway has not accepted them:\n"
                               "  3 Sales evening\n\n"
                               "The upload replaces them with what the gateway holds. Yes sends them to the gateway "
                               "first, No discards the changes, Cancel keeps them and does not upload.",
                               answer);
    }
    UploadResult upload() { return RunUploadKeepingChanges(nullptr, "001:125", serverWindow(), false); }

    static bool marked()
    {
        std::string problem;
        const std::optional<SyncState> state = ReadSyncState(problem);
        return state && state->find("001:125", SalesNight);
    }
};

TEST_F(UnsentChangesTest, CancelKeepsTheChangeAndUploadsNothing)
{
    leaveUnsentRename();
    const size_t sentBefore = sentCommands().size();
    expectQuestion(IDCANCEL);
    EXPECT_EQ(upload(), UploadResult::Cancelled);
    EXPECT_EQ(sentCommands().size(), sentBefore);
    EXPECT_EQ(tableName(), "Sales evening");
    EXPECT_TRUE(marked());
    EXPECT_TRUE(eventTexts().empty());
}

TEST_F(UnsentChangesTest, NoDiscardsTheChangeAndLogsIt)
{
    leaveUnsentRename();
    expectQuestion(IDNO);
    m_script.expectDialog("MCUplDlg", [](QDialog& d) { return d.exec(); });
    EXPECT_EQ(upload(), UploadResult::UpToDate);
    EXPECT_EQ(tableName(), "Sales night") << "what the gateway holds";
    EXPECT_FALSE(marked());
    EXPECT_EQ(eventTexts(), (std::vector<std::string>{
                                "001:125 GW Market North\nSales evening\nnot sent to the gateway, discarded by the "
                                "upload (not sent: link failure, 0 of 5 telegrams taken)"}));
}

TEST_F(UnsentChangesTest, YesSendsTheChangeFirstThenUploads)
{
    leaveUnsentRename();
    expectQuestion(IDYES);
    m_script.expectDialog("MCUpdDlg", [](QDialog& d) { return d.exec(); });
    m_script.expectDialog("MCUplDlg", [](QDialog& d) { return d.exec(); });
    EXPECT_EQ(upload(), UploadResult::UpToDate);
    EXPECT_EQ(readImage("001").functions.at(SalesNight).name, "Sales evening");
    EXPECT_EQ(tableName(), "Sales evening");
    EXPECT_FALSE(marked());
    EXPECT_EQ(eventTexts(), (std::vector<std::string>{"001:125 GW Market North\nSales evening\nsent to the gateway"}));
}

TEST_F(UnsentChangesTest, YesWhoseSendFailsUploadsNothing)
{
    leaveUnsentRename();
    restartServer({"--refuse-writes", "3"});
    SetCurrentServerWindow(serverWindow());
    expectQuestion(IDYES);
    m_script.expectDialog("MCUpdDlg", [](QDialog& d) { return d.exec(); });
    m_script.expectMessage("Error updating ZUL.\nReturn code is 3.");
    m_script.expectMessage("Not every function could be sent; nothing is uploaded, so that no change is lost.");
    EXPECT_EQ(upload(), UploadResult::Cancelled);
    EXPECT_EQ(tableName(), "Sales evening");
    EXPECT_TRUE(marked());
}

// The server is stopped and started again while the program keeps its window: the next update announces
// the program and connects the gateway afresh, once, and goes on.
TEST_F(UnsentChangesTest, AnUpdateAfterTheServerWasRestartedConnectsAfresh)
{
    leaveUnsentRename();
    m_session.reset();
    m_server.reset();
    ServerLink::instance().reset();
    launchServer();
    m_script.expectDialog("MCUpdDlg", [](QDialog& d) { return d.exec(); });
    EXPECT_EQ(RunUpdate(nullptr, "001:125", SalesNight, UpdateMode::WholeFunction,
                        TypeWritableBlocks(FunctionType::DayNightControl)),
              UpdateResult::Done);
    EXPECT_EQ(readImage("001").functions.at(SalesNight).name, "Sales evening");
    EXPECT_NE(CurrentServerWindow(), 0u);
    EXPECT_FALSE(marked());

    m_session.reset();
    m_server.reset();
    ServerLink::instance().reset();
    m_script.expectDialog("MCUpdDlg", [](QDialog& d) { return d.exec(); });
    m_script.expectMessage("Communication error. Please try again.");
    EXPECT_EQ(RunUpdate(nullptr, "001:125", SalesNight, UpdateMode::WholeFunction,
                        TypeWritableBlocks(FunctionType::DayNightControl)),
              UpdateResult::NotSent)
        << "no server to connect to: fails as the link does";
}

} // namespace
