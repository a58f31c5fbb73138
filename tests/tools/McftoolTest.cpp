// mcftool's gateway verbs, run as the built program against a real qelnetd
// on a demo home: upload, update, start, stop, delete, the backup file verbs
// and the history export.

#include "ScopedTimeZone.h"
#include "gateway/BackupFile.h"
#include "gateway/FunctionFields.h"
#include "GatewayImage.h"
#include "model/FunctionSettings.h"
#include "model/McdefAccess.h"
#include "model/McdefRecord.h"
#include "model/Records.h"
#include "protocol/LittleEndian.h"
#include "protocol/Telegram.h"
#include "protocol/TelegramText.h"
#include "protocol/TypeCatalogue.h"
#include "QelnetProcess.h"
#include "support/Db.h"
#include "support/DbStatus.h"
#include "support/Profile.h"
#include "support/RecordStore.h"
#include "TestHome.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

class McftoolTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_home.ok()); }

    void startServer(const QStringList& options = {})
    {
        m_server.reset();
        QStringList arguments = options;
        for (const std::string network : {"001", "002"})
            arguments << "--gateway"
                      << QString::fromStdString(network + "=" + m_home.path() + "gateways/gateway-" + network + ".img");
        m_server = std::make_unique<QelnetProcess>(QString::fromStdString(m_home.path()), arguments);
        ASSERT_TRUE(m_server->running());
    }

    ToolRun run(const QStringList& arguments) const
    {
        const ToolRun result = RunTool(QStringLiteral(MCFTOOL_PATH), arguments, 60000);
        EXPECT_FALSE(result.timedOut) << "mcftool " << arguments.join(' ').toStdString() << " did not end";
        return result;
    }

    // A verb on the home and network 001.
    ToolRun onGateway(const QString& verb, const QStringList& rest = {}) const
    {
        return run(QStringList{verb, home(), "001"} + rest);
    }

    QString home() const { return QString::fromStdString(m_home.path()); }
    std::string image(const std::string& network) const { return m_home.path() + "gateways/gateway-" + network + ".img"; }
    std::string backupFile() const { return m_home.path() + "zul/001_125.MC"; }

    static std::optional<McdefRecord> header(uint8_t number)
    {
        for (const auto& bytes : TestHome::records(table::Mcdef)) {
            const McdefRecord r = McdefRecord::fromBytes(bytes.data());
            if (r.number() == number && r.blockType() == BlockType::Header)
                return r;
        }
        return std::nullopt;
    }

    uint32_t gatewayStamp(const std::string& network, uint8_t number) const
    {
        std::string error;
        const std::optional<GatewayState> state = ReadGatewayImage(image(network), error);
        EXPECT_TRUE(state) << error;
        return state && state->functions.count(number) ? state->functions.at(number).stamp : 0;
    }

    static std::vector<std::string> eventTexts()
    {
        std::vector<std::string> texts;
        for (const auto& bytes : TestHome::records(table::EventLog))
            texts.push_back(EventLogRecord::read(bytes.data()).text);
        return texts;
    }

    static bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

    TestHome m_home;
    std::unique_ptr<QelnetProcess> m_server;
};

TEST_F(McftoolTest, UploadBackupAndTheUploadThatTakesFromIt)
{
    startServer();
    const ToolRun first = run({"upload", home(), "001"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_TRUE(contains(first.out, "functions from the backup file 0, from the gateway 12")) << first.out;
    EXPECT_TRUE(contains(first.out, "result 0 (uploaded, net configuration up to date)")) << first.out;
    ASSERT_TRUE(header(9));

    const ToolRun write = run({"backup", "write", home(), "001"});
    ASSERT_EQ(write.exitCode, 0) << write.err;
    EXPECT_TRUE(contains(write.out, backupFile())) << write.out;

    const ToolRun verify = run({"backup", "verify", QString::fromStdString(backupFile())});
    EXPECT_EQ(verify.exitCode, 0) << verify.err;
    EXPECT_TRUE(contains(verify.out, "file type 0x0048")) << verify.out;

    const ToolRun show = run({"backup", "show", QString::fromStdString(backupFile())});
    EXPECT_EQ(show.exitCode, 0) << show.err;
    for (const char* part : {"(matches)", "gateway 001:125", "header of function 1 \"Shop hours\"",
                             "simple outputs of function 3, slot 1, 4 items", "node 077",
                             "schedule references of function 3, group 1: 1", "data block 2 of function 1",
                             "started functions:"})
        EXPECT_TRUE(contains(show.out, part)) << part;

    const ToolRun second = run({"upload", home(), "001"});
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_TRUE(contains(second.out, "functions from the backup file 11, from the gateway 1")) << second.out;
}

TEST_F(McftoolTest, ADamagedBackupFileFailsVerifyAndTheUploadGoesToTheGateway)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    ASSERT_EQ(run({"backup", "write", home(), "001"}).exitCode, 0);
    {
        std::fstream file(backupFile(), std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(BackupHeaderSize + 30);
        file.put('\x7f');
    }
    const ToolRun verify = run({"backup", "verify", QString::fromStdString(backupFile())});
    EXPECT_EQ(verify.exitCode, 1);
    EXPECT_TRUE(contains(verify.err, "stored")) << verify.err;
    const ToolRun show = run({"backup", "show", QString::fromStdString(backupFile())});
    EXPECT_EQ(show.exitCode, 0);
    EXPECT_TRUE(contains(show.out, "(does not match)")) << show.out;

    const ToolRun upload = run({"upload", home(), "001"});
    EXPECT_EQ(upload.exitCode, 0);
    EXPECT_TRUE(contains(upload.err, "warning: Not a valid ZUL control backup file. Checksum error.\n"
                                     "Continuing with total upload."))
        << upload.err;
    EXPECT_TRUE(contains(upload.out, "from the gateway 12")) << upload.out;

    std::ofstream(backupFile(), std::ios::trunc) << "too short";
    EXPECT_EQ(run({"backup", "verify", QString::fromStdString(backupFile())}).exitCode, 1);
}

// A backup file that is a FIFO or a folder is refused unread and named; a
// profile that is a folder ends no verb with a crash.
TEST_F(McftoolTest, FilesThatAreNotRegularFilesAreRefusedByName)
{
    const std::string fifo = m_home.path() + "fifo.bak";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const ToolRun show = run({"backup", "show", QString::fromStdString(fifo)});
    EXPECT_EQ(show.exitCode, 1);
    EXPECT_TRUE(contains(show.err, fifo + " is not a regular file")) << show.err;
    const ToolRun verify = run({"backup", "verify", QString::fromStdString(m_home.path() + "zul")});
    EXPECT_EQ(verify.exitCode, 1);
    EXPECT_TRUE(contains(verify.err, "zul is a folder")) << verify.err;

    const QString profile = QString::fromStdString(m_home.path() + "ORPA.INI");
    ASSERT_TRUE(QFile::rename(profile, profile + ".moved"));
    ASSERT_TRUE(QDir().mkpath(profile));
    const ToolRun dump = run({"db", "dump", home(), "NETCNF"});
    EXPECT_EQ(dump.exitCode, 1);
    EXPECT_TRUE(contains(dump.err, "ORPA.INI is a folder")) << dump.err;
    EXPECT_FALSE(contains(dump.err, "NETCNF")) << "the table is not to blame\n" << dump.err;
    const ToolRun upload = run({"upload", home(), "001"});
    EXPECT_EQ(upload.exitCode, 1);
    const std::string folderLine = m_home.path() + "ORPA.INI is a folder";
    EXPECT_EQ(upload.err.find(folderLine), upload.err.rfind(folderLine))
        << "named once, not again for every key it would have read\n" << upload.err;
    EXPECT_TRUE(contains(upload.err, folderLine)) << upload.err;

    ASSERT_TRUE(QDir().rmdir(profile));
    const ToolRun missing = run({"db", "dump", home(), "NETCNF"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(contains(missing.err, "ORPA.INI does not exist")) << missing.err;
    EXPECT_FALSE(contains(missing.err, "NETCNF")) << missing.err;
}

// A verb that would write a table in a read-only folder says so, not that the table cannot be read.
// Permissions do not hold back the superuser: as root, the home is handed to
// an unprivileged user who runs the verb.
TEST_F(McftoolTest, AReadOnlyDataFolderIsNamedAsWhatKeepsTheVerbFromWriting)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    const std::string data = m_home.dataDir();
    const bool asRoot = geteuid() == 0;
    constexpr uid_t Nobody = 65534;
    if (asRoot) {
        // A root that cannot hand files to another user (an unmapped uid in a namespace) cannot run the test.
        if (chown(m_home.path().c_str(), Nobody, Nobody) != 0)
            GTEST_SKIP() << "no unprivileged user to hand the home to: " << std::strerror(errno);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_home.path()))
            ASSERT_EQ(lchown(entry.path().c_str(), Nobody, Nobody), 0) << entry.path();
    }
    ASSERT_EQ(chmod(data.c_str(), 0555), 0);
    const ToolRun stop = asRoot
        ? RunTool(QStringLiteral("setpriv"),
                  {"--reuid=65534", "--regid=65534", "--clear-groups", QStringLiteral(MCFTOOL_PATH), "stop", home(),
                   "001", "9"},
                  60000)
        : onGateway("stop", {"9"});
    chmod(data.c_str(), 0755);
    if (asRoot && contains(stop.err, "setpriv: "))
        GTEST_SKIP() << "cannot become an unprivileged user: " << stop.err;
    EXPECT_EQ(stop.exitCode, 1);
    EXPECT_TRUE(contains(stop.err, "MCDEF cannot be written: status 46 (access denied: the file or its folder is read-only)"))
        << stop.err;
}

// Every table file passes the check after the jobs; a damaged one is named.
TEST_F(McftoolTest, DbCheckRunsTheIntegrityCheckOfEveryTableFile)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    const ToolRun check = run({"db", "check", home()});
    EXPECT_EQ(check.exitCode, 0) << check.err;
    for (const char* file : {"MCDEF.DAT: ok", "EVENTLOG.DAT: ok", "NETCNF.DAT: ok", "MCDEF.NEW: ok"})
        EXPECT_TRUE(contains(check.out, file)) << file << "\n" << check.out;

    const std::string mcdef = m_home.dataDir() + "MCDEF.DAT";
    {
        std::fstream file(mcdef, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(4096 + 8); // the b-tree page after the file header: a broken page header
        file.write("\xff\xff\xff\xff\xff\xff", 6);
    }
    const ToolRun damaged = run({"db", "check", home()});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_TRUE(contains(damaged.err, mcdef + ": fails the integrity check")) << damaged.err;
    EXPECT_TRUE(contains(damaged.out, "EVENTLOG.DAT: ok")) << "the other files are still checked";
}

// A table error names the file and says what its status means.
TEST_F(McftoolTest, ATableErrorNamesTheFileAndTheMeaning)
{
    const std::string table = m_home.path() + "data/NETCNF.DAT";
    std::ofstream(table, std::ios::trunc) << std::string(8192, 'x');
    const ToolRun dump = run({"db", "dump", home(), "NETCNF"});
    EXPECT_EQ(dump.exitCode, 1);
    EXPECT_TRUE(contains(dump.err, "NETCNF.DAT")) << dump.err;
    EXPECT_TRUE(contains(dump.err, "status 30 (not a table of this store)")) << dump.err;

    std::filesystem::remove(table);
    std::filesystem::create_directory(table);
    const ToolRun folder = run({"db", "dump", home(), "NETCNF"});
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_EQ(folder.err, "mcftool db dump: " + table + " is a folder\n");
}

TEST_F(McftoolTest, StartStopAndDelete)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);

    const ToolRun stop = onGateway("stop", {"9", "3"});
    EXPECT_EQ(stop.exitCode, 0) << stop.err;
    EXPECT_TRUE(contains(stop.out, "result 0 (done)"));
    EXPECT_FALSE(header(9)->flags() & FunctionFlag::Started);
    EXPECT_FALSE(header(9)->flags() & FunctionFlag::ErrorMarks);

    const ToolRun refused = onGateway("start", {"1"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(contains(refused.err, "Error updating ZUL.\nReturn code is 4.")) << refused.err;
    EXPECT_TRUE(contains(refused.out, "result 2 (refused by the gateway: return code 4 (a function of a type that "
                                      "cannot be started or stopped))"))
        << refused.out;

    const ToolRun start = onGateway("start", {"9"});
    EXPECT_EQ(start.exitCode, 0) << start.err;
    EXPECT_TRUE(header(9)->flags() & FunctionFlag::Started);

    const ToolRun stopped = onGateway("delete", {"7", "1", "8", "--stop"});
    EXPECT_EQ(stopped.exitCode, 1) << "not everything asked was deleted";
    EXPECT_TRUE(contains(stopped.err, "deleted 7; not deleted: 1, 8 (stopped at a referenced schedule)")) << stopped.err;
    EXPECT_TRUE(contains(stopped.out, "schedule 1 Shop hours is referenced by:\n  3\tSales night\n  4\tDairy night\n"
                                      "  5\tPeak shaving\n  stopped the deletion\n"))
        << stopped.out;
    EXPECT_TRUE(contains(stopped.out, "deleted Cold room alarm\n")) << stopped.out;
    EXPECT_FALSE(header(7));
    EXPECT_TRUE(header(1));
    EXPECT_TRUE(header(8)) << "the deletion stopped before it";

    const ToolRun skipped = onGateway("delete", {"1", "8"});
    EXPECT_EQ(skipped.exitCode, 1);
    EXPECT_TRUE(contains(skipped.err, "deleted 8; not deleted: 1 (referenced schedules skipped)")) << skipped.err;
    EXPECT_TRUE(contains(skipped.out, "skipped it")) << skipped.out;
    EXPECT_TRUE(header(1));
    EXPECT_FALSE(header(8));

    EXPECT_EQ(eventTexts(), (std::vector<std::string>{
                                "001:125 GW Market North\nIce defrost, Sales night is/are stopped",
                                "001:125 GW Market North\nIce defrost is/are started",
                                "001:125 GW Market North\nCold room alarm is/are deleted",
                                "001:125 GW Market North\nMT injection is/are deleted",
                            }));
}

TEST_F(McftoolTest, UpdateWritesEachFunctionAndStoresTheGatewaysNewStamp)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    const uint32_t uploaded9 = header(9)->stamp();
    const uint32_t uploaded3 = header(3)->stamp();

    const ToolRun update = onGateway("update", {"9", "3"});
    ASSERT_EQ(update.exitCode, 0) << update.err;
    EXPECT_TRUE(contains(update.out, "function 9 Ice defrost: result 0 (done)\n"
                                     "function 3 Sales night: result 0 (done)\n"))
        << update.out;
    for (const auto& [number, uploaded] : {std::pair{uint8_t(9), uploaded9}, std::pair{uint8_t(3), uploaded3}}) {
        EXPECT_NE(header(number)->stamp(), uploaded) << int(number);
        EXPECT_EQ(header(number)->stamp(), gatewayStamp("001", number)) << int(number);
    }
}

TEST_F(McftoolTest, UpdateOfDataBlocksOnlyAndOfAnUnknownFunction)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    startServer();

    const ToolRun unknown = onGateway("update", {"6", "99"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(contains(unknown.err, "function 99 is not in MCDEF")) << unknown.err;
    EXPECT_TRUE(m_server->sentCommands().empty()) << "nothing is sent when one number is unknown";

    const ToolRun blocks = onGateway("update", {"6", "--blocks-only"});
    EXPECT_EQ(blocks.exitCode, 0) << blocks.err;
    EXPECT_EQ(m_server->sentCommands(), (std::vector<int>{Command::WriteDataBlock, Command::WriteDataBlock}));
    EXPECT_EQ(header(6)->stamp(), gatewayStamp("001", 6));
}

TEST_F(McftoolTest, ARefusedUpdateFailsWithTheGatewaysMessageAndKeepsTheStamp)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    const uint32_t stamp = header(3)->stamp();
    startServer({"--refuse-writes", "3"});

    const ToolRun refused = onGateway("update", {"3", "9"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(contains(refused.err, "error: Error updating ZUL.\nReturn code is 3.")) << refused.err;
    EXPECT_TRUE(contains(refused.out, "function 3 Sales night: result 1 (refused by the gateway: return code 3 (a "
                                      "request the gateway cannot take): telegram 1 of 5)"))
        << refused.out;
    EXPECT_TRUE(contains(refused.out, "function 9 Ice defrost: result 1 (refused by the gateway: return code 3"))
        << "a refusal ends only its own function's update\n" << refused.out;
    EXPECT_TRUE(contains(refused.err, "not updated 3 Sales night (refused by the gateway: return code 3 (a request the "
                                      "gateway cannot take))"))
        << refused.err;
    EXPECT_EQ(header(3)->stamp(), stamp);
}

TEST_F(McftoolTest, TheGatewayPasswordComesFromTheFlag)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "002"}).exitCode, 0);
    startServer();
    const uint32_t stamp = header(2)->stamp();

    const ToolRun refused = run({"update", home(), "002", "2", "--password", "9999"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(contains(refused.err, "Password is invalid")) << refused.err;
    EXPECT_TRUE(contains(refused.out, "result 4 (local failure: the gateway refused the password)")) << refused.out;
    const ToolRun unasked = run({"update", home(), "002", "2"});
    EXPECT_EQ(unasked.exitCode, 1);
    EXPECT_FALSE(contains(unasked.err, "Password is invalid")) << "no terminal to ask on: nothing refused";
    EXPECT_TRUE(contains(unasked.out, "result 2 (not sent: the password prompt was cancelled)")) << unasked.out;
    EXPECT_EQ(m_server->sentCommands(), std::vector<int>{}) << "no telegram without the password";
    EXPECT_EQ(header(2)->stamp(), stamp);

    const ToolRun accepted = run({"update", home(), "002", "2", "--password", "1234"});
    EXPECT_EQ(accepted.exitCode, 0) << accepted.err;
    EXPECT_EQ(header(2)->stamp(), gatewayStamp("002", 2));
    EXPECT_NE(header(2)->stamp(), stamp);
}

TEST_F(McftoolTest, ALostEventLogRowFailsTheVerbAfterItsWorkIsDone)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    const std::string eventLog = m_home.dataDir() + "EVENTLOG.DAT";
    std::ofstream(eventLog, std::ios::binary | std::ios::trunc) << std::string(8192, '\x5a');

    const ToolRun stop = onGateway("stop", {"9"});
    EXPECT_EQ(stop.exitCode, 1);
    EXPECT_FALSE(header(9)->flags() & FunctionFlag::Started) << "the stop itself is kept";
    EXPECT_TRUE(contains(stop.err, "mcftool stop: the event-log row was not stored in " + eventLog
                                       + ": status 30 (not a table of this store)"))
        << stop.err;

    const ToolRun deleted = onGateway("delete", {"7"});
    EXPECT_EQ(deleted.exitCode, 1);
    EXPECT_FALSE(header(7));
    EXPECT_TRUE(contains(deleted.err, "mcftool delete: the event-log row was not stored in " + eventLog))
        << deleted.err;
}

// The data folder becomes a small tmpfs, filled up, in a mount namespace of its
// own (so the test needs no free disk and leaves the real folder untouched): a
// verb says the disk is full and fails, the check does not call the tables
// damaged, and once room is made the same verb succeeds on the same files.
TEST_F(McftoolTest, AFullDiskIsNamedAsSuchAndLosesNothing)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    const QString script = QStringLiteral(R"(
        data=$1 mcf=$2 home=$3
        saved=$(mktemp -d) && cp -a "$data/." "$saved/" || exit 98
        mount -t tmpfs -o size=2m tmpfs "$data" 2>/dev/null || exit 99
        cp -a "$saved/." "$data/" && rm -rf "$saved" || exit 98
        dd if=/dev/zero of="$data/filler" bs=1k 2>/dev/null
        "$mcf" stop "$home" 001 9; echo "full stop $?"
        "$mcf" db check "$home"; echo "full check $?"
        rm "$data/filler"
        "$mcf" db check "$home"; echo "freed check $?"
        "$mcf" stop "$home" 001 9; echo "freed stop $?"
    )");
    const QStringList namespaceOptions = geteuid() == 0 ? QStringList{"-m"} : QStringList{"-r", "-m"};
    const ToolRun full = RunTool(QStringLiteral("unshare"),
                                 namespaceOptions
                                     + QStringList{"sh", "-c", script, "sh", QString::fromStdString(m_home.dataDir()),
                                                   QStringLiteral(MCFTOOL_PATH), home()},
                                 120000);
    if (full.exitCode == 99 || (full.exitCode != 0 && full.out.empty()))
        GTEST_SKIP() << "no mount namespace with a tmpfs here: " << full.err;
    ASSERT_EQ(full.exitCode, 0) << full.out << full.err;
    const std::string mcdef = m_home.dataDir() + "MCDEF.DAT";
    EXPECT_TRUE(contains(full.out, "full stop 1")) << full.out;
    EXPECT_TRUE(contains(full.err, "mcftool stop: " + mcdef + ": MCDEF cannot be read or written: status 18 (disk full)"))
        << full.err;
    EXPECT_TRUE(contains(full.out, "full check 1")) << full.out;
    EXPECT_TRUE(contains(full.err, mcdef + ": cannot be opened to be checked, the disk is full")) << full.err;
    EXPECT_FALSE(contains(full.err, "not a table")) << full.err;
    EXPECT_TRUE(contains(full.out, "freed check 0")) << full.out << full.err;
    EXPECT_TRUE(contains(full.out, "freed stop 0")) << full.out << full.err;
}

TEST_F(McftoolTest, ADeletionCutShortByTheLinkSaysWhatWasAndWasNotDeleted)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    startServer({"--fail-link-after", "2"});

    const ToolRun deleted = onGateway("delete", {"7", "8", "9", "3"});
    EXPECT_EQ(deleted.exitCode, 1);
    EXPECT_TRUE(contains(deleted.err, "deleted 7, 8; not deleted: 9, 3 (communication error)")) << deleted.err;
    EXPECT_FALSE(header(7));
    EXPECT_FALSE(header(8));
    EXPECT_TRUE(header(9));
    EXPECT_EQ(eventTexts().back(), "001:125 GW Market North\nCold room alarm, MT injection is/are deleted");
}

TEST_F(McftoolTest, AnUnexpectedAnswerIsNamedAsSuch)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    startServer({"--unexpected-answer", "1"});
    for (const QString& verb : {QStringLiteral("stop"), QStringLiteral("delete")}) {
        const ToolRun cut = onGateway(verb, {"9"});
        EXPECT_EQ(cut.exitCode, 1) << verb.toStdString();
        EXPECT_TRUE(contains(cut.out, "unexpected answer: the gateway's setup was changed by another user"))
            << verb.toStdString() << "\n" << cut.out;
    }
    EXPECT_TRUE(header(9)) << "nothing deleted";
}

TEST_F(McftoolTest, QuestionsAreAnsweredByTheFlags)
{
    TestHome::setNetConfigStamp("001:125", 1);
    RecordStore::instance().closeAll();
    startServer();
    const ToolRun no = run({"upload", home(), "001"});
    EXPECT_EQ(no.exitCode, 1);
    EXPECT_TRUE(contains(no.err, "question: Net configuration description in QOR is not up to date.")) << no.err;
    EXPECT_TRUE(contains(no.err, "answered No")) << no.err;
    EXPECT_TRUE(contains(no.out, "result 2 (cancelled)")) << no.out;

    const ToolRun yes = run({"upload", home(), "001", "--yes"});
    EXPECT_EQ(yes.exitCode, 0) << yes.err;
    EXPECT_TRUE(contains(yes.out, "result 1 (uploaded, net configuration not up to date)")) << yes.out;
}

TEST_F(McftoolTest, ExportHistoryWritesThePoOptimizerHistoryThatTheUploadStored)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    const ScopedTimeZone zone("EST5");
    const ToolRun exported = run({"export", "history", home(), "001", "12", "--now", "2026-12-06 14:08:09"});
    EXPECT_EQ(exported.exitCode, 0) << exported.err;
    const std::string path = m_home.path() + "export/001_MCF_12.csv";
    EXPECT_EQ(exported.out, path + "\n");
    std::ifstream file(path, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content,
              "Po Optimizer 'Po MT'\r\nNet address 001, MCF number 12, 12/06/26 09:08:09 EST (UTC-05:00)\r\n\r\n"
              "24 Hour period\r\nCase no.;Addr.;Sect.;Hours in %;Hours of selection;\r\n"
              "1;001;A;21.5;5.2\r\n2;002;A;6.6;1.6\r\n3;003;A;36.1;8.7\r\n"
              "4;003;B;12.5;3.0\r\n5;012;A;0.0;0.0\r\n6;070;A;23.3;5.6\r\n\r\n"
              "7 day period\r\nCase no.;Addr.;Sect.;Hours in %;Hours of selection;\r\n"
              "1;001;A;21.3;35.8\r\n2;002;A;8.6;14.5\r\n3;003;A;32.8;55.2\r\n"
              "4;003;B;14.1;23.7\r\n5;012;A;2.4;4.0\r\n6;070;A;20.7;34.8\r\n\r\n");

    const std::string elsewhere = m_home.path() + "lt.csv";
    const ToolRun lt = run({"export", "history", home(), "001:125", "14", "--out", QString::fromStdString(elsewhere)});
    EXPECT_EQ(lt.exitCode, 0) << lt.err;
    EXPECT_EQ(lt.out, elsewhere + "\n");
    EXPECT_TRUE(QFile::exists(QString::fromStdString(elsewhere)));

    const std::string folder = m_home.path() + "export";
    const ToolRun intoFolder = run({"export", "history", home(), "001", "12", "--out", QString::fromStdString(folder)});
    EXPECT_EQ(intoFolder.exitCode, 1);
    EXPECT_TRUE(contains(intoFolder.err, "Output file could not be created ('" + folder + "')")) << intoFolder.err;
    const ToolRun notPo = run({"export", "history", home(), "001", "3"});
    EXPECT_EQ(notPo.exitCode, 1);
    EXPECT_TRUE(contains(notPo.err, "function 3 Sales night is not a Po optimizer")) << notPo.err;
    const ToolRun missing = run({"export", "history", home(), "001", "20"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(contains(missing.err, "function 20 is not in MCDEF")) << missing.err;
    EXPECT_EQ(run({"export", "history", home(), "001", "12", "--now", "2026-02-30 10:00:00"}).exitCode, 2);
    EXPECT_EQ(run({"export", "history", home(), "001"}).exitCode, 2);
}

// A history record of the wrong length ends the week's list: the file holds
// what was read, and the verb fails naming MCDEF and the status's meaning.
TEST_F(McftoolTest, ExportHistoryFailsOnAHistoryItCannotReadWhole)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    const std::string mcdef = m_home.dataDir() + "MCDEF.DAT";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(mcdef.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "UPDATE records SET rec = substr(rec, 1, 100) WHERE hex(substr(rec, 1, 3)) = '0C0404'",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_GT(sqlite3_changes(db), 0);
    sqlite3_close(db);

    const ToolRun exported = run({"export", "history", home(), "001", "12"});
    EXPECT_EQ(exported.exitCode, 1);
    const std::string path = m_home.path() + "export/001_MCF_12.csv";
    EXPECT_EQ(exported.out, path + "\n");
    EXPECT_TRUE(contains(exported.err, "the history could not be read whole from " + mcdef))
        << exported.err;
    EXPECT_TRUE(contains(exported.err, "(wrong record length); " + path + " holds what was read")) << exported.err;
    std::ifstream file(path, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(contains(content, "4;003;B;12.5;3.0\r\n")) << "the day's list is whole";
}

TEST_F(McftoolTest, WrongUsageAndMissingPiecesAreReported)
{
    EXPECT_EQ(onGateway("start").exitCode, 2);
    EXPECT_EQ(onGateway("stop", {"106"}).exitCode, 2);
    EXPECT_EQ(onGateway("delete", {"3", "--skip", "--stop"}).exitCode, 2);
    EXPECT_EQ(onGateway("upload", {"--yes", "--no"}).exitCode, 2);
    EXPECT_EQ(run({"upload", home(), "1"}).exitCode, 2) << "a network number is three digits";

    const ToolRun noServer = run({"upload", home(), "001"});
    EXPECT_EQ(noServer.exitCode, 1);
    EXPECT_TRUE(contains(noServer.err, "no communication server")) << noServer.err;

    startServer();
    const ToolRun notUploaded = onGateway("stop", {"9"});
    EXPECT_EQ(notUploaded.exitCode, 1);
    EXPECT_TRUE(contains(notUploaded.err, "function 9 is not in MCDEF")) << notUploaded.err;

    const ToolRun help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* verb : {"upload HOME NETWORK [--yes|--no]",
                             "update HOME NETWORK NUMBER... [--blocks-only] [--verify] [--password PASSWORD]",
                             "compare HOME NETWORK [NUMBER...]", "export json HOME NETWORK [NUMBER...] [--out FILE]",
                             "start HOME NETWORK NUMBER...",
                             "stop HOME NETWORK NUMBER...", "delete HOME NETWORK NUMBER... [--skip|--stop]",
                             "backup write HOME NETWORK", "backup show FILE", "backup verify FILE",
                             "export history HOME NETWORK NUMBER [--out PATH]", "status HOME NETWORK"})
        EXPECT_TRUE(contains(help.out, verb)) << verb;
    const ToolRun deleteHelp = run({"help", "delete"});
    EXPECT_TRUE(contains(deleteHelp.out, "--stop   stop the deletion")) << deleteHelp.out;
}

// The lines of text between two markers, each without the marker.
std::vector<std::string> linesAfter(const std::string& text, const std::string& marker)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const size_t at = line.find(marker);
        if (at != std::string::npos)
            lines.push_back(line.substr(at + marker.size()));
    }
    return lines;
}

TEST_F(McftoolTest, ADryRunNamesEveryTelegramTheUpdateSendsInItsOrder)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    ASSERT_EQ(header(3)->type(), FunctionType::DayNightControl);
    const uint32_t stamp = header(3)->stamp();
    const size_t events = eventTexts().size();
    m_server.reset();

    const ToolRun dry = onGateway("update", {"3", "--dry-run"});
    ASSERT_EQ(dry.exitCode, 0) << "no server is needed: " << dry.err;
    EXPECT_TRUE(contains(dry.out, "function 3 Sales night: ")) << dry.out;
    std::vector<std::string> planned;
    for (const std::string& line : linesAfter(dry.out, ": command "))
        planned.push_back("command " + line);
    ASSERT_GE(planned.size(), 4u) << dry.out;
    EXPECT_EQ(planned.front().rfind("command 11, P 3, length 57: header of function 3 \"Sales night\"", 0), 0u)
        << planned.front();
    EXPECT_EQ(header(3)->stamp(), stamp);
    EXPECT_EQ(eventTexts().size(), events);
    EXPECT_FALSE(std::filesystem::exists(m_home.dataDir() + "MCSYNC.TXT"));

    startServer();
    const ToolRun update = onGateway("update", {"3"});
    ASSERT_EQ(update.exitCode, 0) << update.err;
    std::vector<std::string> sent;
    for (const Telegram& telegram : m_server->sentTelegrams())
        sent.push_back(DescribeTelegram(telegram));
    EXPECT_EQ(sent, planned);
}

TEST_F(McftoolTest, StatusListsAHalfWrittenFunctionUntilAnUploadReplacesIt)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    const ToolRun clean = run({"status", home(), "001"});
    EXPECT_EQ(clean.exitCode, 0) << clean.err;
    EXPECT_EQ(clean.out, "gateway 001:125: all functions sent\n");

    startServer({"--fail-link-after", "2"});
    EXPECT_EQ(onGateway("update", {"9"}).exitCode, 1);
    const ToolRun half = run({"status", home(), "001:125"});
    EXPECT_EQ(half.exitCode, 0) << half.err;
    EXPECT_TRUE(contains(half.out, "gateway 001:125: 1 function not sent (" + m_home.dataDir() + "MCSYNC.TXT)\n"))
        << half.out;
    EXPECT_TRUE(contains(half.out, "  9\tIce defrost\tsince ")) << half.out;
    EXPECT_TRUE(contains(half.out, " UTC\tlink failure, partly sent: 2 of ")) << half.out;
    EXPECT_EQ(run({"status", home(), "002"}).out, "gateway 002:125: all functions sent\n");

    startServer();
    const ToolRun refused = run({"upload", home(), "001"});
    EXPECT_EQ(refused.exitCode, 1) << "the upload would replace the unsent change";
    EXPECT_TRUE(contains(refused.err, "were changed but the gateway has not accepted them:\n  9 Ice defrost\n"))
        << refused.err;
    EXPECT_TRUE(m_server->sentCommands().empty());
    const ToolRun discarded = run({"upload", home(), "001", "--discard-unsent"});
    ASSERT_EQ(discarded.exitCode, 0) << discarded.err;
    EXPECT_TRUE(contains(discarded.out, "discarded the unsent changes of\n  9 Ice defrost\n")) << discarded.out;
    EXPECT_EQ(run({"status", home(), "001"}).out, "gateway 001:125: all functions sent\n");
    const std::vector<std::string> rows = eventTexts();
    ASSERT_GE(rows.size(), 2u);
    EXPECT_TRUE(contains(rows[rows.size() - 2], "Ice defrost\nnot sent to the gateway: link failure, partly sent"))
        << rows[rows.size() - 2];
    EXPECT_TRUE(contains(rows.back(), "Ice defrost\nnot sent to the gateway, discarded by the upload (link failure"))
        << rows.back();
}

TEST_F(McftoolTest, StatusFailsOnAFileOfMarksItCannotRead)
{
    const std::string path = m_home.dataDir() + "MCSYNC.TXT";
    std::ofstream(path) << "001:125\t4\t2026-12-06 14:50:00\tNight\tlocal failure\n001:125\t4\n";
    const ToolRun broken = run({"status", home(), "001"});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_EQ(broken.err, "mcftool status: " + path + ", line 2: 2 fields separated by tabs, not 5 (a mark) or 3 (a cleared mark)\n");
    EXPECT_EQ(run({"status", home(), "1"}).exitCode, 2);
}

// The upload and the deletion forget marks; a file of marks that cannot take
// the change leaves their work standing but fails the verb, naming the file.
TEST_F(McftoolTest, UploadAndDeleteFailWhenTheMarksCannotBeForgotten)
{
    startServer();
    const std::string path = m_home.dataDir() + "MCSYNC.TXT";
    std::filesystem::create_directory(path);
    const ToolRun unsure = run({"upload", home(), "001"});
    EXPECT_EQ(unsure.exitCode, 1);
    EXPECT_TRUE(contains(unsure.err, "cannot be read, so the upload\ncould replace changes")) << unsure.err;
    EXPECT_TRUE(m_server->sentCommands().empty());
    const ToolRun upload = run({"upload", home(), "001", "--discard-unsent"});
    EXPECT_EQ(upload.exitCode, 1);
    EXPECT_TRUE(contains(upload.err, path)) << upload.err;
    EXPECT_TRUE(contains(upload.out, "result 0 (uploaded, net configuration up to date, but the marks of unsent "
                                     "functions were not forgotten)"))
        << upload.out;
    ASSERT_TRUE(header(7));

    const ToolRun deleted = onGateway("delete", {"7", "8"});
    EXPECT_EQ(deleted.exitCode, 1);
    EXPECT_TRUE(contains(deleted.err, path)) << deleted.err;
    EXPECT_EQ(deleted.err.find(path), deleted.err.rfind(path)) << "named once for the deletion: " << deleted.err;
    EXPECT_TRUE(contains(deleted.out, "result 0 (done, but the marks of unsent functions were not forgotten)"))
        << deleted.out;
    EXPECT_FALSE(header(7));
    EXPECT_FALSE(header(8));

    std::filesystem::remove(path);
    EXPECT_EQ(onGateway("delete", {"9"}).exitCode, 0);
}

// compare reads the gateway, MCDEF and the backup file the same way: after an
// update and a new backup file all three agree; an update cut short by the
// link leaves the gateway without the references it had not yet been sent.
TEST_F(McftoolTest, CompareAgreesAfterAnUpdateAndNamesWhatACutUpdateLost)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    const ToolRun noBackup = onGateway("compare");
    EXPECT_EQ(noBackup.exitCode, 0) << "no backup file yet is a normal state\n" << noBackup.err;
    EXPECT_TRUE(contains(noBackup.out, "no backup file yet (" + backupFile() + ")")) << noBackup.out;
    EXPECT_TRUE(contains(noBackup.out, "12 functions compared, 0 differ\n")) << noBackup.out;

    ASSERT_EQ(run({"backup", "write", home(), "001"}).exitCode, 0);
    const ToolRun agreed = onGateway("compare");
    EXPECT_EQ(agreed.exitCode, 0) << agreed.out << agreed.err;
    EXPECT_TRUE(contains(agreed.out, "function 3 Sales night: agree\n")) << agreed.out;
    EXPECT_TRUE(contains(agreed.out, "12 functions compared, 0 differ\n")) << agreed.out;

    ASSERT_EQ(onGateway("update", {"3"}).exitCode, 0);
    const ToolRun staleBackup = onGateway("compare", {"3", "9"});
    EXPECT_EQ(staleBackup.exitCode, 1);
    EXPECT_TRUE(contains(staleBackup.out, "function 3 Sales night: differ\n  stamp: gateway "
                                              + std::to_string(gatewayStamp("001", 3)) + "; database "
                                              + std::to_string(gatewayStamp("001", 3)) + "; backup "))
        << staleBackup.out;
    EXPECT_TRUE(contains(staleBackup.out, "function 9 Ice defrost: agree")) << staleBackup.out;
    ASSERT_EQ(run({"backup", "write", home(), "001"}).exitCode, 0);
    EXPECT_EQ(onGateway("compare").exitCode, 0);

    startServer({"--fail-link-after", "2"});
    EXPECT_EQ(onGateway("update", {"3"}).exitCode, 1);
    startServer();
    const ToolRun cut = onGateway("compare", {"3"});
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_TRUE(contains(cut.out, "  output 2 controller 030: gateway (none); database parameter 15.2.1 class 248"))
        << cut.out;
    EXPECT_TRUE(contains(cut.out, "  schedule group 1: gateway (none); database 1; backup 1\n")) << cut.out;
    EXPECT_FALSE(contains(cut.out, "output 1 controller 077")) << "the simple outputs were sent before the cut";
    EXPECT_TRUE(contains(cut.out, "1 functions compared, 1 differ")) << cut.out;
}

// A second home that updates the same gateway changes it behind the first
// home's back; compare in the first home finds the other name.
TEST_F(McftoolTest, CompareFindsAFunctionChangedFromAnotherHome)
{
    startServer();
    QTemporaryDir otherDir;
    const QString other = otherDir.path() + "/home";
    ASSERT_EQ(run({"plant", "init", other}).exitCode, 0);
    ASSERT_TRUE(WritePrivateProfileString("Connection", "Server", m_server->socketPath().toStdString(),
                                          other.toStdString() + "/ORPA.INI"));
    ASSERT_EQ(run({"upload", other, "001"}).exitCode, 0);
    ASSERT_EQ(run({"backup", "write", other, "001"}).exitCode, 0);
    ASSERT_EQ(run({"compare", other, "001"}).exitCode, 0);

    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    const std::string oldName = header(6)->name();
    {
        McdefRecord renamed = *header(6);
        renamed.setName("Dairy day");
        ASSERT_EQ(UpdateBlock(renamed), DbStatus::Success);
        RecordStore::instance().closeAll();
    }
    ASSERT_EQ(onGateway("update", {"6"}).exitCode, 0);

    const ToolRun changed = run({"compare", other, "001"});
    EXPECT_EQ(changed.exitCode, 1);
    EXPECT_TRUE(contains(changed.out, "  name: gateway Dairy day; database " + oldName + "; backup " + oldName + "\n"))
        << changed.out;
    EXPECT_TRUE(contains(changed.out, "1 differ")) << changed.out;
}

// A value out of range that another program wrote into MCDEF: check names it without the gateway, and
// every form of update refuses the function before anything is sent, leaving it marked as not sent.
TEST_F(McftoolTest, AValueOutOfRangeIsNamedByCheckAndRefusedByEveryUpdate)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    const ToolRun clean = onGateway("check");
    EXPECT_EQ(clean.exitCode, 0) << "every function of the demo is in range\n" << clean.out << clean.err;
    EXPECT_TRUE(contains(clean.out, "functions checked, every value in range")) << clean.out;
    {
        McdefRecord week;
        ASSERT_EQ(ReadBlock(1, BlockType::Data, 2, 0, week), DbStatus::Success);
        SetSettingValue(FunctionType::YearlySchedule, "Monday period 1 off", week, 1575);
        ASSERT_EQ(UpdateBlock(week), DbStatus::Success);
        RecordStore::instance().closeAll();
    }
    const std::string named = "function 1 'Shop hours': Monday period 1 off is 26:15, allowed 00:00..23:59";

    const ToolRun check = onGateway("check");
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_EQ(check.out, named + "\n");
    EXPECT_TRUE(contains(check.err, "1 value out of range")) << check.err;
    EXPECT_EQ(onGateway("check", {"3", "9"}).exitCode, 0) << "only the functions named";
    EXPECT_EQ(onGateway("check", {"77"}).exitCode, 1);

    startServer();
    for (const QStringList& options : {QStringList{}, QStringList{"--blocks-only"}, QStringList{"--verify"}}) {
        const ToolRun update = onGateway("update", QStringList{"1"} + options);
        EXPECT_EQ(update.exitCode, 1) << options.join(' ').toStdString();
        EXPECT_TRUE(contains(update.out, "function 1 Shop hours: result 4 (local failure: a value is outside its "
                                         "range: " + named + ")"))
            << update.out;
        EXPECT_TRUE(contains(update.err, named)) << update.err;
    }
    const ToolRun dryRun = onGateway("update", {"1", "--dry-run"});
    EXPECT_EQ(dryRun.exitCode, 1);
    EXPECT_TRUE(contains(dryRun.err, named)) << dryRun.err;
    EXPECT_FALSE(contains(dryRun.out, "telegrams, not sent")) << dryRun.out;
    EXPECT_TRUE(m_server->sentCommands().empty()) << "the trace shows no request at all";
    EXPECT_TRUE(contains(run({"status", home(), "001"}).out, "  1\tShop hours\tsince ")) << "still marked";

    const ToolRun others = onGateway("update", {"3"});
    EXPECT_EQ(others.exitCode, 0) << "other functions go on\n" << others.err;
}

// The JSON export imported back: unchanged it changes nothing, byte for byte; a changed name and
// setting are shown by the dry run, written in one go, marked, logged and sent; what the document
// must not say is refused by function, key and value with nothing written.
TEST_F(McftoolTest, ImportJsonTakesBackTheExportAndRefusesWhatItMustNot)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    const QString document = home() + "/001.json";
    ASSERT_EQ(run({"export", "json", home(), "001", "--out", document}).exitCode, 0);
    RecordStore::instance().closeAll();
    const auto before = TestHome::records(table::Mcdef);

    const ToolRun same = run({"import", "json", home(), "001", document});
    EXPECT_EQ(same.exitCode, 0) << same.err;
    EXPECT_TRUE(contains(same.out, "0 functions changed, 12 unchanged")) << same.out;
    EXPECT_EQ(TestHome::records(table::Mcdef), before) << "MCDEF as it was";

    QFile file(document);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    QJsonArray functions = root["functions"].toArray();
    int edits = 0;
    const auto edited = [&](const std::function<void(QJsonObject&)>& change) {
        QJsonArray copy = functions;
        QJsonObject night = copy[2].toObject();
        change(night);
        copy[2] = night;
        QJsonObject changedRoot = root;
        changedRoot["functions"] = copy;
        const QString path = home() + QStringLiteral("/edited-%1.json").arg(++edits);
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(QJsonDocument(changedRoot).toJson());
        return path;
    };
    const auto setting = [](QJsonObject& f, const char* name, const QJsonValue& value) {
        QJsonObject settings = f["settings"].toObject();
        QJsonObject field = settings[name].toObject();
        field["value"] = value;
        settings[name] = field;
        f["settings"] = settings;
    };

    const QString renamed = edited([&](QJsonObject& f) {
        f["name"] = "Sales evening";
        setting(f, "manual value", 1);
    });
    const ToolRun dryRun = run({"import", "json", home(), "001", renamed, "--dry-run"});
    EXPECT_EQ(dryRun.exitCode, 0) << dryRun.err;
    EXPECT_TRUE(contains(dryRun.out, "function 3 Sales evening: 2 changes\n  name: Sales night -> Sales evening\n"
                                     "  manual value: 0 -> 1\n"))
        << dryRun.out;
    EXPECT_TRUE(contains(dryRun.out, "1 function would change, 11 unchanged; nothing was written")) << dryRun.out;
    EXPECT_EQ(TestHome::records(table::Mcdef), before);

    struct Refused {
        const char* what;
        std::function<void(QJsonObject&)> change;
        const char* says;
    };
    const Refused refusals[] = {
        {"an unknown key", [](QJsonObject& f) { f["colour"] = "red"; }, "function 3: colour \"red\": not a key"},
        {"a value out of range", [&](QJsonObject& f) { setting(f, "manual value", 7); },
         "function 3: settings \"manual value\" 7: outside 0..1"},
        {"a value of the wrong kind", [&](QJsonObject& f) { setting(f, "manual mode", "on"); },
         "function 3: settings \"manual mode\" \"on\": not a number"},
        {"another type under the number", [](QJsonObject& f) { f["type"] = QJsonObject{{"code", 0}}; },
         "MCDEF holds function 3 as type 3"},
        {"a controller the home does not have",
         [](QJsonObject& f) {
             QJsonArray outputs = f["outputs"].toArray();
             QJsonObject first = outputs[0].toObject();
             first["address"] = 99;
             outputs[0] = first;
             f["outputs"] = outputs;
         },
         "no controller 001:099 in the network configuration"},
        {"another identification",
         [](QJsonObject& f) {
             QJsonArray outputs = f["outputs"].toArray();
             QJsonObject second = outputs[4].toObject();
             second["identification"] = "0x0001";
             outputs[4] = second;
             f["outputs"] = outputs;
         },
         "is identified otherwise"},
        {"a schedule that is no yearly schedule",
         [](QJsonObject& f) { f["schedules"] = QJsonArray{QJsonObject{{"group", 1}, {"function", 4}}}; },
         "no yearly schedule of this number"},
    };
    for (const Refused& refused : refusals) {
        const ToolRun refusal = run({"import", "json", home(), "001", edited(refused.change)});
        EXPECT_EQ(refusal.exitCode, 1) << refused.what;
        EXPECT_TRUE(contains(refusal.err, refused.says)) << refused.what << "\n" << refusal.err;
        EXPECT_TRUE(contains(refusal.err, "nothing was written")) << refusal.err;
        EXPECT_EQ(TestHome::records(table::Mcdef), before) << refused.what;
    }

    // Two functions changed, the second refused by the table: neither is written.
    const QString both = edited([&](QJsonObject& f) { f["name"] = "Sales evening"; });
    {
        QFile file(both);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QJsonObject twoRoot = QJsonDocument::fromJson(file.readAll()).object();
        file.close();
        QJsonArray twoFunctions = twoRoot["functions"].toArray();
        QJsonObject dairy = twoFunctions[3].toObject();
        ASSERT_EQ(dairy["number"].toInt(), 4);
        dairy["name"] = "Dairy evening";
        twoFunctions[3] = dairy;
        twoRoot["functions"] = twoFunctions;
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QJsonDocument(twoRoot).toJson());
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((m_home.dataDir() + "MCDEF.DAT").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TRIGGER refused BEFORE INSERT ON records WHEN substr(NEW.rec, 1, 4) = x'04000000' "
                           "BEGIN SELECT RAISE(ABORT, 'refused'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    const ToolRun halfway = run({"import", "json", home(), "001", both});
    EXPECT_EQ(halfway.exitCode, 1);
    EXPECT_TRUE(contains(halfway.err, "nothing was written")) << halfway.err;
    EXPECT_EQ(TestHome::records(table::Mcdef), before) << "all or none";
    ASSERT_EQ(sqlite3_exec(db, "DROP TRIGGER refused", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    const ToolRun written = run({"import", "json", home(), "001", renamed});
    EXPECT_EQ(written.exitCode, 0) << written.err;
    EXPECT_TRUE(contains(written.out, "1 function changed, 11 unchanged; send them to the gateway with\n"
                                      "mcftool update " + home().toStdString() + " 001 3\n"))
        << written.out;
    EXPECT_EQ(header(3)->name(), "Sales evening");
    EXPECT_TRUE(contains(run({"status", home(), "001"}).out, "  3	Sales evening	since ")) << "marked as not sent";
    EXPECT_TRUE(contains(eventTexts().back(), "Sales evening\nimported from " + renamed.toStdString()
                                                  + "\nname: Sales night -> Sales evening\nmanual value: 0 -> 1"))
        << eventTexts().back();
    EXPECT_EQ(onGateway("update", {"3"}).exitCode, 0);
    EXPECT_EQ(onGateway("compare", {"3"}).exitCode, 0) << "the gateway holds what was imported";
}

// A function of one gateway's document created under a free number of another gateway and sent there;
// a function given another's output parameter is named as working against it, by the import and by check.
TEST_F(McftoolTest, ImportJsonCopiesAFunctionToAnotherGatewayAndNamesSharedOutputs)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    const QString document = home() + "/001.json";
    ASSERT_EQ(run({"export", "json", home(), "001", "--out", document}).exitCode, 0);
    QFile file(document);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    const QJsonArray functions = root["functions"].toArray();
    const auto write = [&](const QString& name, const QJsonArray& chosen) {
        QFile out(home() + "/" + name);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(QJsonDocument(QJsonObject{{"gateway", root["gateway"]}, {"functions", chosen}}).toJson());
        return out.fileName();
    };

    QJsonObject defrost = functions[8].toObject();
    ASSERT_EQ(defrost["number"].toInt(), 9);
    QJsonArray outputs = defrost["outputs"].toArray();
    QJsonObject taken = functions[2].toObject()["outputs"].toArray()[4].toObject();
    ASSERT_EQ(taken["parameter"].toString(), "15.2.1 class 248");
    taken["slot"] = 1;
    outputs.append(taken);
    defrost["outputs"] = outputs;
    const QString shared = write("shared.json", {defrost});
    const std::string pair = "functions 3 and 9 both write parameter 15.2.1 of controller 030";
    const ToolRun dryRun = run({"import", "json", home(), "001", shared, "--dry-run"});
    EXPECT_EQ(dryRun.exitCode, 0) << dryRun.err;
    EXPECT_TRUE(contains(dryRun.out, "shared output: " + pair)) << dryRun.out;
    const ToolRun refused = run({"import", "json", home(), "001", shared});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(contains(refused.err, "--allow-shared-outputs")) << refused.err;
    EXPECT_EQ(onGateway("check").exitCode, 0) << "nothing was written";
    EXPECT_EQ(run({"import", "json", home(), "001", shared, "--allow-shared-outputs"}).exitCode, 0);
    const ToolRun check = onGateway("check");
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_EQ(check.out, pair + "\n");

    QJsonObject schedule = functions[0].toObject();
    ASSERT_EQ(schedule["type"].toObject()["code"].toInt(), 0);
    schedule["number"] = 20;
    const QString copy = write("copy.json", {schedule});
    ASSERT_EQ(run({"upload", home(), "002", "--discard-unsent"}).exitCode, 0);
    const ToolRun created = run({"import", "json", home(), "002", copy});
    EXPECT_EQ(created.exitCode, 0) << created.err;
    EXPECT_TRUE(contains(created.out, "function 20 Shop hours: created, ")) << created.out;
    ASSERT_TRUE(header(20));
    EXPECT_EQ(header(20)->type(), FunctionType::YearlySchedule);
    EXPECT_EQ(run({"update", home(), "002", "20", "--password", "1234"}).exitCode, 0);
    std::string error;
    const std::optional<GatewayState> gateway = ReadGatewayImage(image("002"), error);
    ASSERT_TRUE(gateway) << error;
    EXPECT_EQ(gateway->functions.at(20).name, "Shop hours");
    const ToolRun compared = run({"compare", home(), "002", "20"});
    EXPECT_EQ(compared.exitCode, 0) << "the gateway holds the copy\n" << compared.out << compared.err;
}

// update --verify reads every function back; a gateway that stores one byte
// changed fails the update with its own result and names the fields.
TEST_F(McftoolTest, UpdateVerifyCatchesAByteTheGatewayStoredChanged)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    const ToolRun verified = onGateway("update", {"3", "9", "--verify"});
    EXPECT_EQ(verified.exitCode, 0) << verified.err;

    startServer({"--corrupt-stored-block"});
    const ToolRun corrupted = onGateway("update", {"3", "--verify"});
    EXPECT_EQ(corrupted.exitCode, 1);
    EXPECT_TRUE(contains(corrupted.out,
                         "function 3 Sales night: result 5 (the gateway stores something else than was sent: "
                         "manual, manual mode)"))
        << corrupted.out;
    EXPECT_TRUE(contains(corrupted.err, "  manual mode: gateway 1; database 0\n")) << corrupted.err;
    EXPECT_TRUE(contains(corrupted.err, "Fields that differ:\nmanual, manual mode")) << corrupted.err;

    const ToolRun unverified = onGateway("update", {"3"});
    EXPECT_EQ(unverified.exitCode, 0) << "without --verify the same gateway passes\n" << unverified.err;
}

// backup show adds the decoded fields of every function after its telegrams.
TEST_F(McftoolTest, BackupShowPrintsTheFieldsOfEveryFunction)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    ASSERT_EQ(run({"backup", "write", home(), "001"}).exitCode, 0);
    const ToolRun show = run({"backup", "show", QString::fromStdString(backupFile())});
    EXPECT_EQ(show.exitCode, 0) << show.err;
    for (const char* part : {"function 3 fields:\n  name: Sales night\n  type: 3 Day/Night Contr.\n",
                             "  output 2 controller 030: parameter 15.2.1 class 248, identification 0x",
                             "  schedule group 1: 1\n", "  started: yes\n",
                             "  input 1 controller 003 (2): parameter 030f0207", "  alarm delay: 240 min\n"})
        EXPECT_TRUE(contains(show.out, part)) << part << "\n" << show.out;
    EXPECT_LT(show.out.find("header of function 1"), show.out.find("function 1 fields:")) << "after the telegrams";
}

// export json writes every function of MCDEF; read back, it holds what the
// table holds: names, types, flags, every reference and schedule reference,
// and the settings under the names and units of the settings table.
TEST_F(McftoolTest, ExportJsonReadsBackAsTheTableHoldsIt)
{
    startServer();
    ASSERT_EQ(run({"upload", home(), "001"}).exitCode, 0);
    const std::string path = m_home.path() + "export/001_functions.json";
    const ToolRun json = run({"export", "json", home(), "001"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(json.out, path + "\n");
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    EXPECT_EQ(document["gateway"].toString(), "001:125");
    const QJsonArray functions = document["functions"].toArray();
    ASSERT_EQ(functions.size(), 12);

    std::map<uint8_t, std::vector<McdefRecord>> table;
    for (const auto& bytes : TestHome::records(table::Mcdef)) {
        const McdefRecord r = McdefRecord::fromBytes(bytes.data());
        table[r.number()].push_back(r);
    }
    for (const QJsonValue& value : functions) {
        const QJsonObject function = value.toObject();
        const uint8_t number = uint8_t(function["number"].toInt());
        SCOPED_TRACE("function " + std::to_string(number));
        ASSERT_TRUE(table.count(number));
        const std::vector<McdefRecord>& records = table[number];
        const McdefRecord& head = records.front();
        EXPECT_EQ(function["name"].toString().toStdString(), head.name());
        EXPECT_EQ(function["type"]["code"].toInt(), head.type());
        EXPECT_EQ(function["stamp"].toDouble(), double(head.stamp()));
        EXPECT_EQ(function["flags"]["started"].toBool(), bool(head.flags() & FunctionFlag::Started));
        const auto countOf = [&](uint8_t blockType) {
            return std::count_if(records.begin(), records.end(),
                                 [&](const McdefRecord& r) { return r.blockType() == blockType; });
        };
        EXPECT_EQ(function["inputs"].toArray().size(), countOf(BlockType::Input));
        EXPECT_EQ(function["outputs"].toArray().size(), countOf(BlockType::Output));
        EXPECT_EQ(function["schedules"].toArray().size(), countOf(BlockType::ScheduleReference));
        for (const QJsonValue& schedule : function["schedules"].toArray())
            EXPECT_EQ(schedule["name"].toString().toStdString(),
                      table[uint8_t(schedule["function"].toInt())].front().name());
        const QJsonObject settings = function["settings"].toObject();
        for (const SettingField& setting : SettingFields()) {
            const bool blockPresent = std::any_of(records.begin(), records.end(), [&](const McdefRecord& r) {
                return r.blockType() == BlockType::Data && r.blockNumber() == setting.block;
            });
            if (setting.type != head.type() || !blockPresent)
                continue;
            const QJsonObject field = settings[QString::fromStdString(setting.name)].toObject();
            EXPECT_FALSE(field.isEmpty()) << setting.name;
            EXPECT_EQ(field["unit"].toString().toStdString(), setting.unit) << setting.name;
            EXPECT_EQ(field["block"].toInt(), setting.block) << setting.name;
        }
    }
    const QJsonObject night = functions[2].toObject();
    EXPECT_EQ(night["name"].toString(), "Sales night");
    EXPECT_EQ(night["outputs"][4]["parameter"].toString(), "15.2.1 class 248");
    EXPECT_EQ(night["outputs"][0]["automatic"].toBool(), true);

    const ToolRun missing = run({"export", "json", home(), "001", "3", "99", "--out", home() + "/x.json"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(contains(missing.err, "function 99 is not in MCDEF")) << missing.err;
    EXPECT_FALSE(QFile::exists(home() + "/x.json"));
}

} // namespace
