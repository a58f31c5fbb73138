// What mcftool writes and where, run as the built program on an uploaded demo
// home: every verb that writes a file refuses what is no file and writes
// through a link to one; the template that empties MCDEF must be an empty
// MCDEF; db check names a table of the wrong kind and a record of the wrong
// length; arguments that name no gateway or no file are refused; the update
// says what the gateway's answer meant.

#include "PathState.h"
#include "UploadedDemoHome.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFile>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

namespace fs = std::filesystem;

class FileTargetToolTest : public UploadedDemoHome {
protected:
    std::string path(const std::string& name) const { return m_home.path() + "targets/" + name; }
    std::string backupFile() const { return m_home.path() + "zul/001_125.MC"; }
    static bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
    void restartServer(const QStringList& faults)
    {
        m_server.reset();
        m_server = std::make_unique<QelnetProcess>(
            home(), QStringList{"--gateway", QString::fromStdString("001=" + m_home.path() + "gateways/gateway-001.img")}
                + faults);
        ASSERT_TRUE(m_server->running());
    }
};

struct FileVerb {
    const char* name;
    // The arguments that write `target`; empty `target`: the verb's own file (the backup file).
    std::function<QStringList(const QString& home, const QString& target)> arguments;
    bool fixedTarget = false;
};

const std::vector<FileVerb>& fileVerbs()
{
    static const std::vector<FileVerb> verbs = {
        {"backup write", [](const QString& home, const QString&) { return QStringList{"backup", "write", home, "001"}; },
         true},
        {"export json",
         [](const QString& home, const QString& target) { return QStringList{"export", "json", home, "001", "--out", target}; }},
        {"export history",
         [](const QString& home, const QString& target) {
             return QStringList{"export", "history", home, "001", "12", "--out", target};
         }},
        {"export curve",
         [](const QString& home, const QString& target) {
             return QStringList{"export", "curve", home, "001", "5", "--out", target};
         }},
        {"report --text",
         [](const QString& home, const QString& target) {
             return QStringList{"report", home, "001", "3", "--text", target};
         }},
        {"report --pdf",
         [](const QString& home, const QString& target) {
             return QStringList{"report", home, "001", "3", "--pdf", target};
         }},
    };
    return verbs;
}

// Each verb meets each kind of path that is no file: refused with the same
// words, and nothing at the path, nor where a link leads, changes.
TEST_F(FileTargetToolTest, EveryVerbThatWritesAFileRefusesWhatIsNoFile)
{
    fs::create_directories(path("folder"));
    ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);
    // A device node of our own (the null device's numbers): only the superuser may make one.
    const auto makeDevice = [](const std::string& at) { return ::mknod(at.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0; };
    const bool devices = makeDevice(path("device"));
    struct Target {
        const char* what;
        std::function<void(const std::string& at)> make;
        std::string refusal;
    };
    std::vector<Target> targets = {
        {"a FIFO", [](const std::string& at) { ASSERT_EQ(mkfifo(at.c_str(), 0600), 0); }, "it is a FIFO"},
        {"a folder", [](const std::string& at) { fs::create_directory(at); }, "it is a folder"},
        {"a link to a FIFO", [this](const std::string& at) { fs::create_symlink(path("fifo"), at); },
         "it is a link to " + path("fifo") + ", a FIFO"},
        {"a link to a folder", [this](const std::string& at) { fs::create_symlink(path("folder"), at); },
         "it is a link to " + path("folder") + ", a folder"},
    };
    if (devices) {
        targets.push_back({"a device", [&](const std::string& at) { ASSERT_TRUE(makeDevice(at)); }, "it is a character device"});
        targets.push_back({"a link to a device", [this](const std::string& at) { fs::create_symlink(path("device"), at); },
                           "it is a link to " + path("device") + ", a character device"});
    }
    const auto everything = [this] {
        std::vector<std::string> state;
        for (const char* name : {"fifo", "folder", "device"})
            state.push_back(PathState(path(name)));
        return state;
    };
    for (const FileVerb& verb : fileVerbs()) {
        for (const Target& target : targets) {
            SCOPED_TRACE(std::string(verb.name) + " onto " + target.what);
            const std::string at = verb.fixedTarget ? backupFile() : path("target");
            fs::remove_all(at);
            target.make(at);
            const std::vector<std::string> before = everything();
            const std::string atBefore = PathState(at);
            const ToolRun run = this->run(verb.arguments(home(), QString::fromStdString(at)));
            EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
            EXPECT_TRUE(contains(run.err, at + " cannot be written: " + target.refusal)) << run.err;
            EXPECT_EQ(PathState(at), atBefore);
            EXPECT_EQ(everything(), before);
            EXPECT_TRUE(fs::is_empty(path("folder")));
            fs::remove_all(at);
        }
    }
}

// A link to a regular file is written through: the link stays, the file it leads to is the one written.
TEST_F(FileTargetToolTest, EveryVerbWritesThroughALinkToARegularFile)
{
    fs::create_directories(path("real"));
    for (const FileVerb& verb : fileVerbs()) {
        SCOPED_TRACE(verb.name);
        const std::string file = path("real/file");
        std::ofstream(file) << "old";
        const std::string link = verb.fixedTarget ? backupFile() : path("link");
        fs::remove(link);
        fs::create_symlink(file, link);
        const ToolRun run = this->run(verb.arguments(home(), QString::fromStdString(link)));
        EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(fs::read_symlink(link), file);
        EXPECT_NE(fileText(file), "old");
        EXPECT_GT(fs::file_size(file), 10u);
        for (const auto& entry : fs::directory_iterator(path("real")))
            EXPECT_EQ(entry.path().filename(), "file") << "no temporary file left";
        fs::remove(link);
    }
}

// An empty name and a name with a line break are refused by every export,
// before anything is written. The curve export checks the name as velt's
// save dialog does, and says so in its own words.
TEST_F(FileTargetToolTest, NamesThatAreNoFileNameAreRefusedByEveryExport)
{
    const std::string broken = m_home.path() + "export/two\nlines";
    for (const FileVerb& verb : fileVerbs()) {
        if (verb.fixedTarget)
            continue;
        SCOPED_TRACE(verb.name);
        const bool curve = std::string(verb.name) == "export curve";
        const ToolRun empty = run(verb.arguments(home(), QString()));
        EXPECT_EQ(empty.exitCode, 1) << empty.out << empty.err;
        EXPECT_TRUE(contains(empty.err, curve ? "\nThis is not a valid filename." : "cannot write a file: the file name is empty"))
            << empty.err;
        const ToolRun lineBreak = run(verb.arguments(home(), QString::fromStdString(broken)));
        EXPECT_EQ(lineBreak.exitCode, 1) << lineBreak.out << lineBreak.err;
        EXPECT_TRUE(contains(lineBreak.err, curve ? broken + "\nThis is not a valid filename."
                                                  : broken + " cannot be written: the file name holds a line break"))
            << lineBreak.err;
        EXPECT_FALSE(fs::exists(broken));
        EXPECT_TRUE(lineBreak.out.empty()) << lineBreak.out;
    }
}

// A template that is not an empty table of MCDEF's kind and length stops the
// upload, names the template, and leaves MCDEF.DAT as it was, byte for byte.
TEST_F(FileTargetToolTest, TheTemplateMustBeAnEmptyMcdef)
{
    const std::string data = m_home.dataDir();
    const std::string mcdef = data + "MCDEF.DAT";
    const std::string emptyTemplate = fileText(data + "MCDEF.NEW");
    struct Case {
        const char* what;
        std::function<void(const std::string& templateFile)> make;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {"a copy of NETCNF.DAT", [&](const std::string& file) { fs::copy_file(data + "NETCNF.DAT", file); },
         "a table of NETCNF, not of MCDEF"},
        {"a full MCDEF", [&](const std::string& file) { fs::copy_file(mcdef, file); }, "records, an empty template none"},
        {"records of 100 bytes",
         [&](const std::string& file) {
             std::ofstream(file, std::ios::binary) << emptyTemplate;
             sqlite3* db = nullptr;
             ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
             EXPECT_EQ(sqlite3_exec(db, "UPDATE meta SET record_length = 100", nullptr, nullptr, nullptr), SQLITE_OK);
             sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
             sqlite3_close(db);
         },
         "its records are 100 bytes, MCDEF's are 110"},
    };
    const std::string before = fileText(mcdef);
    ASSERT_GT(before.size(), emptyTemplate.size());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string templateFile = data + "MCDEF.NEW";
        fs::remove(templateFile);
        c.make(templateFile);
        const ToolRun upload = run({"upload", home(), "001"});
        EXPECT_EQ(upload.exitCode, 1);
        EXPECT_TRUE(contains(upload.err, "Failed to copy database '" + templateFile + "'")) << upload.err;
        EXPECT_TRUE(contains(upload.err, c.problem)) << upload.err;
        EXPECT_EQ(fileText(mcdef), before) << "MCDEF.DAT byte for byte as it was";
        const ToolRun check = run({"db", "check", home()});
        EXPECT_EQ(check.exitCode, 1);
        EXPECT_TRUE(contains(check.err, templateFile + ": ")) << check.err;
    }
}

// db check refuses what the other verbs refuse: a table of another kind under a table's name, a record cut short.
TEST_F(FileTargetToolTest, DbCheckNamesTheWrongKindAndTheRecordOfTheWrongLength)
{
    const std::string data = m_home.dataDir();
    fs::copy_file(data + "NETCNF.DAT", data + "XRTAPPL.DAT", fs::copy_options::overwrite_existing);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((data + "MCDEF.DAT").c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "UPDATE records SET rec = substr(rec, 1, 100) WHERE hex(substr(rec, 1, 4)) = '0C040100'",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_EQ(sqlite3_changes(db), 1);
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_close(db);

    const ToolRun check = run({"db", "check", home()});
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_TRUE(contains(check.err, data + "XRTAPPL.DAT: a table of NETCNF, not of XRTAPPL")) << check.err;
    EXPECT_TRUE(contains(check.err, data + "MCDEF.DAT: the record with key 0C 04 01 00 is 100 bytes, not 110"))
        << check.err;
    EXPECT_TRUE(contains(check.out, "NETCNF.DAT: ok")) << check.out;
}

// A network argument that names no gateway is a usage error for every verb that takes one.
TEST_F(FileTargetToolTest, ANetworkThatNamesNoGatewayIsAUsageError)
{
    for (const QString network : {"001:999", "001:12a", "001:125/../x", "01", "abc"}) {
        for (const QStringList& verb : {QStringList{"update"}, QStringList{"start"}, QStringList{"status"},
                                        QStringList{"export", "json"}, QStringList{"backup", "write"},
                                        QStringList{"compare"}, QStringList{"report"}}) {
            QStringList arguments = verb + QStringList{home(), network};
            if (verb.first() == "update" || verb.first() == "start")
                arguments << "3";
            if (verb.first() == "report")
                arguments << "--all" << "--text" << QString::fromStdString(m_home.path() + "report.txt");
            const ToolRun run = this->run(arguments);
            EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString() << "\n" << run.err;
            EXPECT_TRUE(contains(run.err, network.toStdString() + " is not a network number")) << run.err;
        }
    }
    EXPECT_EQ(run({"status", home(), "001:125"}).exitCode, 0);
    const ToolRun unknown = run({"status", home(), "009"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(contains(unknown.err, "gateway 009:125 is not in NETCNF")) << unknown.err;
    EXPECT_TRUE(unknown.out.empty()) << "nothing said of marks of a gateway that is not there\n" << unknown.out;
}

// compare says what is in the backup file's place instead of a checksum mismatch.
TEST_F(FileTargetToolTest, CompareSaysWhatIsInTheBackupFilesPlace)
{
    fs::remove(backupFile());
    fs::create_directory(backupFile());
    const ToolRun folder = run({"compare", home(), "001", "3"});
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_TRUE(contains(folder.err, "the backup file " + backupFile() + " is a folder")) << folder.err;
    EXPECT_FALSE(contains(folder.err, "checksum")) << folder.err;
    fs::remove(backupFile());
    ASSERT_EQ(mkfifo(backupFile().c_str(), 0600), 0);
    const ToolRun fifo = run({"compare", home(), "001", "3"});
    EXPECT_EQ(fifo.exitCode, 1);
    EXPECT_TRUE(contains(fifo.err, "the backup file " + backupFile() + " is not a regular file (a FIFO)")) << fifo.err;
}

// The update names a refusal's return code with its meaning, an unexpected
// answer as such, and a link lost while --verify reads back as sent, not verified.
TEST_F(FileTargetToolTest, UpdateSaysWhatTheGatewaysAnswerMeant)
{
    restartServer({"--refuse-writes", "1"});
    const ToolRun refused = run({"update", home(), "001", "3"});
    EXPECT_EQ(refused.exitCode, 1);
    const std::string meaning = "refused by the gateway: return code 1 (the gateway's memory is full)";
    EXPECT_TRUE(contains(refused.out, "function 3 Sales night: result 1 (" + meaning + ": telegram 1 of 5)"))
        << refused.out;
    EXPECT_TRUE(contains(refused.err, "not updated 3 Sales night (" + meaning + ")")) << refused.err;
    const ToolRun marked = run({"status", home(), "001"});
    EXPECT_TRUE(contains(marked.out, meaning)) << marked.out;

    restartServer({"--unexpected-answer", "2"});
    const ToolRun unexpected = run({"update", home(), "001", "3"});
    EXPECT_EQ(unexpected.exitCode, 1);
    EXPECT_TRUE(contains(unexpected.out, "result 4 (unexpected answer: the gateway's setup was changed by another user"))
        << unexpected.out;
    EXPECT_FALSE(contains(unexpected.out, "local failure")) << unexpected.out;

    restartServer({"--fail-link-after", "5"});
    const ToolRun unverified = run({"update", home(), "001", "3", "--verify"});
    EXPECT_EQ(unverified.exitCode, 1);
    EXPECT_TRUE(contains(unverified.out, "function 3 Sales night: result 3 (sent, not verified")) << unverified.out;
    EXPECT_FALSE(contains(unverified.out, "partly sent")) << unverified.out;
    const ToolRun status = run({"status", home(), "001"});
    EXPECT_EQ(status.out, "gateway 001:125: all functions sent\n") << "the gateway holds what was sent";
}

} // namespace
