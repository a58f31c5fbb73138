#include "app/SelMCDlg.h"
#include "CheckedScript.h"
#include "model/ApplicationState.h"
#include "protocol/Telegram.h"
#include "QelnetProcess.h"
#include "support/ServerLink.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPushButton>
#include <QTreeWidget>

#include <functional>

namespace {

bool waitFor(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

struct Call {
    std::string address;
    std::string idCode;
};

class SelMCDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.ok());
        ServerLink::instance().reset();
        appState().mode = AppMode::Edit;
    }
    void TearDown() override
    {
        ServerLink::instance().reset();
        appState() = ApplicationState();
    }

    // qelnetd with the demo gateway images of the home (both unless one is named).
    void startServer(const QStringList& networks = {"001", "002"})
    {
        QStringList arguments;
        for (const QString& network : networks)
            arguments << "--gateway"
                      << QString::fromStdString(network.toStdString() + "=" + m_home.path() + "gateways/gateway-"
                                                + network.toStdString() + ".img");
        m_server = std::make_unique<QelnetProcess>(QString::fromStdString(m_home.path()), arguments);
        ASSERT_TRUE(m_server->running());
    }

    NetworkServices services()
    {
        NetworkServices s;
        s.upload = [this](QWidget*, const std::string& address, const std::string& idCode, uint32_t) {
            m_uploads.push_back({address, idCode});
            return m_uploadResult;
        };
        s.mainList = [this](QWidget*, const std::string& address, const std::string&, bool upToDate) {
            m_lists.push_back({address, upToDate ? "up to date" : "not up to date"});
        };
        return s;
    }

    static QTreeWidget* list(SelMCDlg& d) { return d.findChild<QTreeWidget*>("gatewayList"); }
    static QPushButton* ok(SelMCDlg& d) { return d.findChild<QPushButton*>("okButton"); }

    void choose(SelMCDlg& dialog, const QString& network)
    {
        const auto items = list(dialog)->findItems(network, Qt::MatchExactly, 0);
        ASSERT_EQ(items.size(), 1);
        list(dialog)->setCurrentItem(items.first());
    }

    void closeAndWait(SelMCDlg& dialog)
    {
        dialog.findChild<QPushButton*>("closeButton")->click();
        EXPECT_TRUE(waitFor([&] { return !dialog.isVisible(); })) << "the dialog signs off and closes";
    }

    TestHome m_home;
    CheckedScript m_script;
    std::unique_ptr<QelnetProcess> m_server;
    std::vector<Call> m_uploads;
    std::vector<Call> m_lists;
    UploadResult m_uploadResult = UploadResult::Cancelled;
};

TEST_F(SelMCDlgTest, ListsTheGatewaysConnectsAndRunsUploadAndList)
{
    startServer();
    m_uploadResult = UploadResult::UpToDate;
    SelMCDlg dialog(services());
    dialog.open();
    ASSERT_TRUE(waitFor([&] { return dialog.serverKnown(); }));
    ASSERT_EQ(list(dialog)->topLevelItemCount(), 2) << "003's gateway runs no control functions";
    EXPECT_EQ(list(dialog)->topLevelItem(0)->text(0), "001");
    EXPECT_EQ(list(dialog)->topLevelItem(0)->text(1), "GW Market North");
    EXPECT_EQ(list(dialog)->topLevelItem(1)->text(1), "GW Market South");
    EXPECT_EQ(list(dialog)->currentItem()->text(0), "001") << "LastNetwork is preselected";
    EXPECT_EQ(list(dialog)->headerItem()->text(0), "System address");

    ok(dialog)->click();
    ASSERT_TRUE(waitFor([&] { return !m_lists.empty(); }));
    ASSERT_EQ(m_uploads.size(), 1u);
    EXPECT_EQ(m_uploads[0].address, "001:125");
    EXPECT_EQ(m_uploads[0].idCode, "GW Market North");
    EXPECT_EQ(m_lists[0].address, "001:125");
    EXPECT_EQ(m_lists[0].idCode, "up to date");
    EXPECT_TRUE(dialog.isConnected());
    closeAndWait(dialog);
    EXPECT_FALSE(dialog.isConnected());
}

TEST_F(SelMCDlgTest, AFixedNetworkIsConnectedWithoutInput)
{
    m_home.setIni("ORPA.INI", "Connection", "Network", "002");
    startServer();
    SelMCDlg dialog(services());
    dialog.open();
    ASSERT_TRUE(waitFor([&] { return !m_uploads.empty(); }));
    EXPECT_EQ(m_uploads[0].address, "002:125");
    EXPECT_EQ(list(dialog)->currentItem()->text(0), "002");
    closeAndWait(dialog);
    EXPECT_FALSE(dialog.endedOnError()) << "closing is no error";
}

TEST_F(SelMCDlgTest, AFixedNetworkWithoutControlFunctionsEndsTheProgram)
{
    m_home.setIni("ORPA.INI", "Connection", "Network", "003");
    startServer();
    m_script.expectMessage("The connected network does not support master control functions!");
    SelMCDlg dialog(services());
    dialog.open();
    EXPECT_TRUE(waitFor([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(m_script.prompts().back().style, MB::Ok | MB::IconStop);
    EXPECT_TRUE(dialog.endedOnError());
    EXPECT_TRUE(m_uploads.empty());
}

TEST_F(SelMCDlgTest, OkAgainOnTheConnectedNetworkGoesStraightToTheUpload)
{
    startServer();
    SelMCDlg dialog(services());
    dialog.open();
    ASSERT_TRUE(waitFor([&] { return dialog.serverKnown(); }));
    ok(dialog)->click();
    ASSERT_TRUE(waitFor([&] { return m_uploads.size() == 1; }));
    ok(dialog)->click();
    EXPECT_EQ(m_uploads.size(), 2u) << "no connection round trip before the second upload";
    closeAndWait(dialog);
}

// A window of the test that sends one telegram through the program's link.
class Probe : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != ServerMessageEvent::eventType())
            return QObject::event(e);
        const auto* m = static_cast<ServerMessageEvent*>(e);
        replies.push_back({m->message, m->param2});
        return true;
    }
    std::vector<std::pair<uint16_t, uint32_t>> replies;
};

TEST_F(SelMCDlgTest, AnotherNetworkIsOnlyConnectedAfterTheFirstIsDisconnected)
{
    startServer();
    SelMCDlg dialog(services());
    dialog.open();
    ASSERT_TRUE(waitFor([&] { return dialog.serverKnown(); }));
    ok(dialog)->click();
    ASSERT_TRUE(waitFor([&] { return m_uploads.size() == 1; }));
    choose(dialog, "002");
    ok(dialog)->click();
    EXPECT_EQ(m_uploads.size(), 1u) << "the disconnection comes first";
    ASSERT_TRUE(waitFor([&] { return m_uploads.size() == 2; }));
    EXPECT_EQ(m_uploads[1].address, "002:125");
    EXPECT_EQ(dialog.gatewayAddress(), "002:125");

    // The server no longer carries telegrams to the first gateway for this program.
    Probe probe;
    const uint32_t window = ServerLink::instance().registerWindow(&probe);
    const Telegram request = *BuildTelegram(Command::NetConfigStamp, "001:125", 0, 255, 0);
    const uint16_t handle = XRGlobalAddStruct(request.data(), uint16_t(request.size()));
    ASSERT_TRUE(PostServerMessage(1, ServerMessage::Send, window, (uint32_t(ServerJob::NetConfig) << 16) | handle));
    ASSERT_TRUE(waitFor([&] { return !probe.replies.empty(); }));
    EXPECT_EQ(probe.replies[0].first, ServerMessage::Reply);
    EXPECT_EQ(probe.replies[0].second >> 16, 0u);
    EXPECT_NE(probe.replies[0].second & 0xFFFF, 0u) << "a link failure: not connected";
    XRGlobalDeleteStruct(handle);
    closeAndWait(dialog);
}

TEST_F(SelMCDlgTest, WithoutServerThereIsNoConnection)
{
    SelMCDlg dialog(services());
    dialog.open();
    ASSERT_TRUE(waitFor([&] { return list(dialog)->topLevelItemCount() == 2; }));
    m_script.expectMessage("No connection to QEB driver");
    ok(dialog)->click();
    EXPECT_TRUE(m_uploads.empty());
    dialog.findChild<QPushButton*>("closeButton")->click();
    EXPECT_FALSE(dialog.isVisible()) << "nothing to sign off from";
}

TEST_F(SelMCDlgTest, AServerStartedLaterIsAnnouncedToAtOk)
{
    SelMCDlg dialog(services());
    dialog.open();
    ASSERT_TRUE(waitFor([&] { return list(dialog)->topLevelItemCount() == 2; }));
    startServer();
    m_uploadResult = UploadResult::UpToDate;
    ok(dialog)->click();
    EXPECT_TRUE(waitFor([&] { return m_lists.size() == 1; })) << "announced, connected and uploaded";
    EXPECT_TRUE(dialog.isConnected());
    closeAndWait(dialog);
}

// The server is stopped while the function list is open, and started again,
// before or after the list closes: the next OK connects afresh.
TEST_F(SelMCDlgTest, AServerStartedAgainIsConnectedAfresh)
{
    for (const bool restartWhileListOpen : {true, false}) {
        SCOPED_TRACE(restartWhileListOpen ? "started again while the list is open" : "started again after");
        m_uploads.clear();
        m_lists.clear();
        startServer();
        m_uploadResult = UploadResult::UpToDate;
        NetworkServices s = services();
        s.mainList = [&](QWidget*, const std::string& address, const std::string&, bool) {
            m_lists.push_back({address, ""});
            if (m_lists.size() > 1)
                return;
            m_server->stop();
            EXPECT_TRUE(waitFor([] { return !ServerLink::instance().isOpen(); }));
            if (restartWhileListOpen) {
                startServer();
                // A job of the list reaches the new server over a new socket.
                Probe probe;
                const uint32_t window = ServerLink::instance().registerWindow(&probe);
                EXPECT_TRUE(ServerLink::instance().broadcastAnnounce(window));
                EXPECT_TRUE(waitFor([&] { return !probe.replies.empty(); }));
                ServerLink::instance().unregisterWindow(window);
            }
        };
        SelMCDlg dialog(s);
        dialog.open();
        ASSERT_TRUE(waitFor([&] { return dialog.serverKnown(); }));
        ok(dialog)->click();
        ASSERT_TRUE(waitFor([&] { return m_lists.size() == 1; }));
        EXPECT_EQ(dialog.focusWidget(), list(dialog)) << "the list of networks has the focus back";
        if (!restartWhileListOpen)
            startServer();
        ok(dialog)->click();
        EXPECT_TRUE(waitFor([&] { return m_lists.size() == 2; })) << "connected to the new server and uploaded";
        EXPECT_EQ(m_uploads.size(), 2u);
        EXPECT_TRUE(dialog.isConnected());
        closeAndWait(dialog);
        m_server.reset();
        ServerLink::instance().reset();
    }
}

TEST_F(SelMCDlgTest, ARefusedConnectionAsksToTryAgain)
{
    startServer({"002"});
    SelMCDlg dialog(services());
    dialog.open();
    ASSERT_TRUE(waitFor([&] { return dialog.serverKnown(); }));
    m_script.expectMessage("Communication error. Please try again.");
    ok(dialog)->click();
    EXPECT_TRUE(waitFor([&] { return m_script.allAnswered(); }));
    EXPECT_FALSE(dialog.isConnected());
    EXPECT_TRUE(ok(dialog)->isEnabled());
    closeAndWait(dialog);
}

TEST_F(SelMCDlgTest, ResetModeOffersResetCf)
{
    appState().mode = AppMode::Reset;
    SelMCDlg dialog(services());
    dialog.open();
    ASSERT_TRUE(waitFor([&] { return list(dialog)->topLevelItemCount() == 2; }));
    EXPECT_EQ(ok(dialog)->text(), "&Reset CF");
    dialog.findChild<QPushButton*>("closeButton")->click();
}

} // namespace
