// What a user of the package meets: every program's --help and --version, the
// demo plant found beside an installed program, qelnetd serving a folder of
// gateway images and telling whether a server listens, and the launcher that
// the desktop entry runs, with the real built programs.

#include "PlantBuilder.h"
#include "protocol/Version.h"
#include "QelnetOptions.h"
#include "QelnetProcess.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

namespace {

constexpr int WaitMs = 30000;

struct Finished {
    int exitCode = -1;
    QString out;
    QString err;
};

Finished run(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Finished result;
    if (!process.waitForFinished(WaitMs)) {
        ADD_FAILURE() << program.toStdString() << " " << arguments.join(' ').toStdString() << " did not end";
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

bool touch(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

TEST(InstalledPrograms, EachTellsItsVersionAndUsageWithoutADisplay)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    const std::vector<std::pair<QString, QString>> programs = {
        {QStringLiteral("velt"), QStringLiteral(VELT_PATH)},
        {QStringLiteral("mcftool"), QStringLiteral(MCFTOOL_PATH)},
        {QStringLiteral("qelnetd"), QelnetProcess::program()},
        {QStringLiteral("velt-launch"), QStringLiteral(VELT_LAUNCH_PATH)},
    };
    for (const auto& [name, path] : programs) {
        const Finished version = run(path, {QStringLiteral("--version")}, environment);
        EXPECT_EQ(version.exitCode, 0) << name.toStdString() << version.err.toStdString();
        EXPECT_EQ(version.out, name + QStringLiteral(" ") + QLatin1String(VeltVersion) + QStringLiteral("\n"));
        // The manual pages are made from these texts: a usage line first, every option named.
        const Finished help = run(path, {QStringLiteral("--help")}, environment);
        EXPECT_EQ(help.exitCode, 0) << name.toStdString() << help.err.toStdString();
        EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: ") + name)) << help.out.toStdString();
        EXPECT_TRUE(help.out.contains(QStringLiteral("--version"))) << name.toStdString();
    }
}

TEST(InstalledPrograms, DemoPlantIsTheOneBesideAnInstalledProgram)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    const std::string program = prefix.filePath(QStringLiteral("bin/mcftool")).toStdString();
    EXPECT_EQ(DemoFolder(program), VELT_DEMO_DIR) << "no share/velt/plant.json: the source tree's demo";

    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("share/velt")));
    EXPECT_EQ(DemoFolder(program), VELT_DEMO_DIR) << "share/velt without plant.json is no demo folder";
    ASSERT_TRUE(touch(prefix.filePath(QStringLiteral("share/velt/plant.json"))));
    EXPECT_EQ(QFileInfo(QString::fromStdString(DemoFolder(program))).canonicalFilePath(),
              QFileInfo(prefix.filePath(QStringLiteral("share/velt"))).canonicalFilePath());
}

TEST(InstalledPrograms, GatewayFolderServesEveryGatewayImageInIt)
{
    QTemporaryDir folder;
    for (const char* name : {"gateway-002.img", "gateway-001.img", "gateway-1.img", "gateway-003.img.tmp", "notes.txt"})
        ASSERT_TRUE(touch(folder.filePath(QString::fromLatin1(name))));
    QString error;
    auto options = ParseQelnetOptions({"--socket", "s", "--gateway-folder", folder.path()}, error);
    ASSERT_TRUE(options) << error.toStdString();
    ASSERT_EQ(options->gateways.size(), 2u);
    EXPECT_EQ(options->gateways[0].first, 1);
    EXPECT_EQ(options->gateways[0].second, folder.filePath(QStringLiteral("gateway-001.img")));
    EXPECT_EQ(options->gateways[1].first, 2);

    options = ParseQelnetOptions({"--socket", "s", "--gateway", "002=other.img", "--gateway-folder", folder.path()},
                                 error);
    EXPECT_FALSE(options);
    EXPECT_EQ(error, QStringLiteral("network 002 is given twice"));

    QTemporaryDir empty;
    EXPECT_FALSE(ParseQelnetOptions({"--socket", "s", "--gateway-folder", empty.path()}, error));
    EXPECT_TRUE(error.contains(QStringLiteral("no image gateway-NNN.img"))) << error.toStdString();
    EXPECT_FALSE(ParseQelnetOptions({"--socket", "s", "--gateway-folder", empty.filePath("none")}, error));
    EXPECT_TRUE(error.contains(QStringLiteral("no folder"))) << error.toStdString();
}

TEST(InstalledPrograms, CheckTellsWhetherAServerListens)
{
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QTemporaryDir folder;
    const QString socket = folder.filePath(QStringLiteral("qelnet.sock"));
    EXPECT_EQ(run(QelnetProcess::program(), {"--socket", socket, "--check"}, environment).exitCode, 1)
        << "no socket file";
    EXPECT_EQ(run(QelnetProcess::program(), {"--check"}, environment).exitCode, 2) << "no socket given";
    {
        QelnetProcess server(folder.path(), {"--gateway", QStringLiteral("001=" VELT_DEMO_DIR "/gateway-001.img")});
        ASSERT_TRUE(server.running());
        EXPECT_EQ(run(QelnetProcess::program(), {"--socket", socket, "--check"}, environment).exitCode, 0);
    }
    ASSERT_TRUE(touch(socket)) << "a file left behind, no server";
    EXPECT_EQ(run(QelnetProcess::program(), {"--socket", socket, "--check"}, environment).exitCode, 1);
}

// The launcher with the built programs on PATH, in a temporary user's folders,
// without the user unit; stops the qelnetd it started when it goes.
class Launcher : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_user.isValid());
        m_environment = QProcessEnvironment::systemEnvironment();
        const QStringList folders = {QFileInfo(QStringLiteral(VELT_PATH)).path(),
                                     QFileInfo(QStringLiteral(MCFTOOL_PATH)).path(),
                                     QFileInfo(QelnetProcess::program()).path(), m_environment.value("PATH")};
        m_environment.insert(QStringLiteral("PATH"), folders.join(QLatin1Char(':')));
        m_environment.insert(QStringLiteral("HOME"), m_user.path());
        m_environment.insert(QStringLiteral("XDG_DATA_HOME"), m_user.filePath(QStringLiteral("data")));
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_user.filePath(QStringLiteral("config")));
        m_environment.insert(QStringLiteral("VELT_NO_USER_UNIT"), QStringLiteral("1"));
        m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_environment.remove(QStringLiteral("ORPA_HOME"));
    }
    void TearDown() override { launch({QStringLiteral("--stop")}); }

    Finished launch(const QStringList& arguments) { return run(QStringLiteral(VELT_LAUNCH_PATH), arguments, m_environment); }
    bool listens(const QString& home)
    {
        const QString socket = QDir(home).filePath(QStringLiteral("qelnet.sock"));
        return run(QelnetProcess::program(), {"--socket", socket, "--check"}, m_environment).exitCode == 0;
    }
    static QString pidOf(const QString& home)
    {
        QFile file(QDir(home).filePath(QStringLiteral("qelnetd.pid")));
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).trimmed() : QString();
    }

    QTemporaryDir m_user;
    QProcessEnvironment m_environment;
};

TEST_F(Launcher, MakesTheDemoHomeStartsOneServerAndStopsIt)
{
    const QString home = m_user.filePath(QStringLiteral("data/velt-demo"));
    const Finished first = launch({QStringLiteral("4")});
    ASSERT_EQ(first.exitCode, 0) << first.out.toStdString() << first.err.toStdString();
    EXPECT_TRUE(QFile::exists(QDir(home).filePath(QStringLiteral("ORPA.INI"))));
    ASSERT_TRUE(listens(home));
    const QString pid = pidOf(home);
    EXPECT_FALSE(pid.isEmpty());
    EXPECT_FALSE(QFile::exists(m_user.filePath(QStringLiteral("config/velt/qelnetd.env"))))
        << "without the user unit no environment file is written";

    // Both gateways of the image folder are served: an upload of each goes through.
    for (const char* network : {"001", "002"}) {
        const Finished upload = run(QStringLiteral(MCFTOOL_PATH), {"upload", home, network, "--yes"}, m_environment);
        EXPECT_EQ(upload.exitCode, 0) << network << upload.err.toStdString();
    }

    const Finished second = launch({QStringLiteral("4")});
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_FALSE(second.out.contains(QStringLiteral("listens"))) << "a running server is used, none started";
    EXPECT_EQ(pidOf(home), pid);

    const Finished stop = launch({QStringLiteral("--stop")});
    EXPECT_EQ(stop.exitCode, 0);
    EXPECT_TRUE(stop.out.contains(QStringLiteral("qelnetd stopped")));
    for (int i = 0; i < 50 && listens(home); ++i)
        QThread::msleep(100);
    EXPECT_FALSE(listens(home));
}

TEST_F(Launcher, UsesOrpaHomeAndRefusesAFolderThatIsNoHome)
{
    const QString home = m_user.filePath(QStringLiteral("plant"));
    const Finished init = run(QStringLiteral(MCFTOOL_PATH), {"plant", "init", home}, m_environment);
    ASSERT_EQ(init.exitCode, 0) << init.err.toStdString();
    m_environment.insert(QStringLiteral("ORPA_HOME"), home);
    const Finished launched = launch({QStringLiteral("4")});
    EXPECT_EQ(launched.exitCode, 0) << launched.err.toStdString();
    EXPECT_TRUE(listens(home));
    EXPECT_FALSE(QFile::exists(m_user.filePath(QStringLiteral("data/velt-demo")))) << "no demo home made";
    EXPECT_EQ(launch({QStringLiteral("--stop")}).exitCode, 0);

    const QString other = m_user.filePath(QStringLiteral("other"));
    ASSERT_TRUE(QDir().mkpath(other));
    ASSERT_TRUE(touch(QDir(other).filePath(QStringLiteral("notes.txt"))));
    m_environment.insert(QStringLiteral("ORPA_HOME"), other);
    const Finished refused = launch({QStringLiteral("4")});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("mcftool plant init"))) << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(QDir(other).filePath(QStringLiteral("qelnet.sock"))));
    EXPECT_FALSE(QFile::exists(QDir(other).filePath(QStringLiteral("ORPA.INI"))));
}

} // namespace
