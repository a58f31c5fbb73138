#pragma once
// A demo home with a real qelnetd serving its gateway images and a session
// connected to gateway 001, for the tests of the exchanges with the gateway.

#include "CheckedScript.h"
#include "gateway/GatewaySession.h"
#include "GatewayImage.h"
#include "model/ApplicationState.h"
#include "QelnetProcess.h"
#include "ResultPrinters.h"
#include "support/ServerLink.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <memory>

class GatewayFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.ok());
        ServerLink::instance().reset();
        appState().mode = 1;
    }
    void TearDown() override
    {
        m_session.reset();
        ServerLink::instance().reset();
        appState() = ApplicationState();
    }

    std::string image(const std::string& network) const
    {
        return m_home.path() + "gateways/gateway-" + network + ".img";
    }

    // Starts qelnetd with both demo gateways and any extra options, and connects 001 (or another).
    void startServer(const QStringList& options = {}, const std::string& connect = "001:125")
    {
        launchServer(options);
        m_session = std::make_unique<GatewaySession>(connect);
        std::string error;
        ASSERT_TRUE(m_session->open(error)) << error;
    }

    // Starts qelnetd with both demo gateways, nobody connected.
    void launchServer(const QStringList& options = {})
    {
        QStringList arguments = options;
        for (const std::string network : {"001", "002"})
            arguments << "--gateway" << QString::fromStdString(network + "=" + image(network));
        m_server = std::make_unique<QelnetProcess>(QString::fromStdString(m_home.path()), arguments);
        ASSERT_TRUE(m_server->running());
    }

    // Stops the server and starts it again with other options.
    void restartServer(const QStringList& options = {}, const std::string& connect = "001:125")
    {
        m_session.reset();
        m_server.reset();
        ServerLink::instance().reset();
        startServer(options, connect);
    }

    // Replaces a demo gateway image by a state of the test's own (before the server starts).
    void writeImage(const std::string& network, const GatewayState& state) const
    {
        ASSERT_FALSE(WriteGatewayImage(image(network), state).has_value());
    }

    GatewayState readImage(const std::string& network) const
    {
        std::string error;
        std::optional<GatewayState> state = ReadGatewayImage(image(network), error);
        EXPECT_TRUE(state.has_value()) << error;
        return state.value_or(GatewayState{});
    }

    // The commands of the telegrams the program sent, in order, as the trace shows them.
    std::vector<int> sentCommands() const { return m_server->sentCommands(); }
    std::vector<std::vector<uint8_t>> sentTelegrams(int command) const
    {
        std::vector<std::vector<uint8_t>> telegrams;
        for (const Telegram& telegram : m_server->sentTelegrams()) {
            const std::optional<IdentifiedTelegram> id = IdentifyTelegram(telegram);
            if (id && id->command == command)
                telegrams.emplace_back(telegram.begin(), telegram.end());
        }
        return telegrams;
    }
    static int count(const std::vector<int>& commands, int command)
    {
        return int(std::count(commands.begin(), commands.end(), command));
    }

    uint32_t serverWindow() const { return m_session->serverWindow(); }

    TestHome m_home;
    CheckedScript m_script;
    std::unique_ptr<QelnetProcess> m_server;
    std::unique_ptr<GatewaySession> m_session;
};
