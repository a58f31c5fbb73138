#pragma once
// A fixture for tests of the built mcftool: a demo home whose gateway 001 a
// real qelnetd serves, uploaded into MCDEF by mcftool upload. The test target
// defines MCFTOOL_PATH.

#include "QelnetProcess.h"
#include "TestHome.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

class UploadedDemoHome : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.ok());
        m_server = std::make_unique<QelnetProcess>(
            home(), QStringList{"--gateway", QString::fromStdString("001=" + m_home.path() + "gateways/gateway-001.img")});
        ASSERT_TRUE(m_server->running());
        ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    }

    ToolRun run(const QStringList& arguments) const
    {
        const ToolRun result = RunTool(QStringLiteral(MCFTOOL_PATH), arguments, 120000);
        EXPECT_FALSE(result.timedOut) << "mcftool " << arguments.join(' ').toStdString() << " did not end";
        return result;
    }

    QString home() const { return QString::fromStdString(m_home.path()); }

    static std::string fileText(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    TestHome m_home;
    std::unique_ptr<QelnetProcess> m_server;
};
