#include "app/Application.h"
#include "CheckedScript.h"
#include "model/ApplicationState.h"
#include "model/Records.h"
#include "protocol/Version.h"
#include "support/Db.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_home.ok()); }
    void TearDown() override
    {
        RecordStore::instance().closeAll();
        appState() = ApplicationState();
    }

    static NetworkServices noServices() { return {}; }

    std::vector<XrtApplRecord> runningApplications()
    {
        std::vector<XrtApplRecord> rows;
        for (const auto& bytes : TestHome::records(table::XrtAppl))
            rows.push_back(XrtApplRecord::read(bytes.data()));
        return rows;
    }

    void removeIniLine(const std::string& start)
    {
        std::ifstream in(m_home.iniFile());
        std::string kept, line;
        while (std::getline(in, line))
            if (line.rfind(start, 0) != 0)
                kept += line + "\n";
        std::ofstream(m_home.iniFile()) << kept;
    }

    TestHome m_home;
    CheckedScript m_script;
};

TEST(ApplicationRules, ModeAndVersionText)
{
    EXPECT_EQ(Application::ModeFromArguments({"velt", "1"}), 1);
    EXPECT_EQ(Application::ModeFromArguments({"velt", "3"}), 3);
    EXPECT_EQ(Application::ModeFromArguments({"velt"}), 0);
    EXPECT_EQ(Application::ModeFromArguments({"velt", "x"}), 0);
    EXPECT_EQ(Application::VersionText("1, 2, 0, 7"), "1.2.0.7");
    EXPECT_EQ(Application::VersionText(""), "??");
    EXPECT_EQ(Application::VersionText(std::string(40, '9')).size(), 32u);
}

TEST_F(ApplicationTest, StartsOpensTheTablesAndRegistersItself)
{
    Application application(noServices());
    ASSERT_TRUE(application.initInstance({"velt", "1"}));
    EXPECT_EQ(appState().mode, 1);
    EXPECT_EQ(application.exitCode(), 0);
    EXPECT_TRUE(appState().serverReady);
    for (const auto& [table, mode] : Application::StartupTables())
        EXPECT_TRUE(RecordStore::instance().isOpen(table)) << table;
    EXPECT_FALSE(RecordStore::instance().isOpen(table::Mcdef)) << "MCDEF is opened on first use";
    EXPECT_EQ(std::string(std::getenv("TZ")), "CET-1CEST,M3.5.0,M10.5.0/3");
    ASSERT_NE(application.frame(), nullptr);
    EXPECT_EQ(application.frame()->windowTitle().toStdString(), "Gateway control function definition")
        << "text 128 as the demo plant overrides it";

    const auto rows = runningApplications();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].application, "VELT");
    EXPECT_EQ(rows[0].title, std::string("Gateway control function definition Version ") + VeltVersion);

    application.exitInstance();
    EXPECT_FALSE(RecordStore::instance().isOpen(table::NetCnf)) << "every table closed";
    EXPECT_TRUE(runningApplications().empty()) << "the program's row is removed at the end";
}

TEST_F(ApplicationTest, AMissingTimeZoneGivesTheDefaultZone)
{
    removeIniLine("TimeZone");
    Application application(noServices());
    ASSERT_TRUE(application.initInstance({"velt", "4"}));
    EXPECT_EQ(std::string(std::getenv("TZ")), "ESTDST");
    EXPECT_TRUE(runningApplications().empty()) << "an unknown mode does not register";
    application.exitInstance();
}

TEST_F(ApplicationTest, AMissingTableEndsTheStartNamingIt)
{
    ASSERT_TRUE(QFile::remove(QString::fromStdString(m_home.dataDir() + "QEBDES.DAT")));
    m_script.expectMessage(
        QString::fromStdString("Error opening database QEBDES. RC = 2\n" + m_home.dataDir() + "QEBDES.DAT"));
    Application application(noServices());
    EXPECT_FALSE(application.initInstance({"velt", "1"}));
    EXPECT_EQ(application.exitCode(), 1);
    EXPECT_FALSE(RecordStore::instance().isOpen(table::NetCnf)) << "the tables opened before are closed";
    EXPECT_TRUE(runningApplications().empty()) << "nothing is written";
}

// Without its profile the program cannot find a table: the start names the
// profile instead of reporting the first table as missing.
TEST_F(ApplicationTest, AMissingProfileOrAFolderInItsPlaceEndsTheStartNamingIt)
{
    const std::string profile = m_home.iniFile();
    const std::string kept = profile + ".kept";
    ASSERT_EQ(std::rename(profile.c_str(), kept.c_str()), 0);
    m_script.expectMessage(QString::fromStdString(profile + " does not exist"));
    {
        Application application(noServices());
        EXPECT_FALSE(application.initInstance({"velt", "1"}));
        EXPECT_EQ(application.exitCode(), 1);
        EXPECT_FALSE(RecordStore::instance().isOpen(table::NetCnf));
    }

    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(profile)));
    m_script.expectMessage(QString::fromStdString(profile + " is a folder"));
    Application application(noServices());
    EXPECT_FALSE(application.initInstance({"velt", "1"}));
    EXPECT_EQ(application.exitCode(), 1);
    ASSERT_TRUE(QDir().rmdir(QString::fromStdString(profile)));
    ASSERT_EQ(std::rename(kept.c_str(), profile.c_str()), 0);
}

TEST_F(ApplicationTest, ABrokenTableEndsTheStartNamingIt)
{
    for (const std::string table : {"EVENTLOG", "NETCNF"}) {
        const std::string file = m_home.dataDir() + table + ".DAT";
        const std::string kept = file + ".kept";
        ASSERT_EQ(std::rename(file.c_str(), kept.c_str()), 0);
        std::ofstream(file, std::ios::trunc) << "not a table";
        m_script.expectMessage(QString::fromStdString("Error opening database " + table + ". RC = 30\n" + file));
        Application application(noServices());
        EXPECT_FALSE(application.initInstance({"velt", "2"}));
        EXPECT_EQ(application.exitCode(), 1) << table;
        EXPECT_TRUE(runningApplications().empty());
        ASSERT_EQ(std::rename(kept.c_str(), file.c_str()), 0);
    }
}

// The real program, as an operator starts it.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_home.ok()); }

    void start(QProcess& process, const QStringList& arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("ORPA_HOME", QString::fromStdString(m_home.path()));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(environment);
        process.start(VELT_PATH, arguments);
        ASSERT_TRUE(process.waitForStarted());
    }

    TestHome m_home;
};

TEST_F(ProgramTest, WithoutAModeOrWithAnUnknownOneTheProgramEndsAtOnce)
{
    for (const QStringList& arguments : {QStringList{}, QStringList{"4"}}) {
        QProcess program;
        start(program, arguments);
        EXPECT_TRUE(program.waitForFinished(10000)) << arguments.join(' ').toStdString();
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
    }
}

TEST_F(ProgramTest, ASecondLaunchActivatesTheFirstAndEnds)
{
    QProcess first;
    start(first, {"1"});
    EXPECT_FALSE(first.waitForFinished(1500)) << "the first instance stays at \"Select network\"";
    QProcess second;
    QElapsedTimer clock;
    clock.start();
    start(second, {"1"});
    EXPECT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    first.terminate();
    first.waitForFinished(5000);
}

} // namespace
