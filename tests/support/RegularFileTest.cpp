// The one writer of whole files: what it refuses to write over, how it writes
// through a link, and the temporary files that dead writers left behind.

#include "PathState.h"
#include "support/Profile.h"
#include "support/RecordStore.h"
#include "support/RegularFile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class RegularFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    std::string path(const std::string& name) const { return m_dir.path().toStdString() + "/" + name; }
    static std::string read(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void write(const std::string& file, const std::string& content)
    {
        std::ofstream(file, std::ios::binary) << content;
    }

    QTemporaryDir m_dir;
};

// Every writer of whole files meets each kind of path that is no file to
// write: each is refused with the same words, and nothing at the path changes.
TEST_F(RegularFileTest, EveryWriterRefusesWhatIsNoFileAndWritesThroughALinkToOne)
{
    ASSERT_EQ(RecordStore::createTableFile(path("MCDEF.NEW"), *FindTableSchema("MCDEF")), 0);
    using Writer = std::function<bool(const std::string& target)>;
    std::string problem;
    const std::vector<std::pair<const char*, Writer>> writers = {
        {"whole file", [&](const std::string& target) { return WriteFileReplacing(target, "new", problem); }},
        {"append", [&](const std::string& target) { return AppendToFile(target, "new", true, problem); }},
        {"profile", [&](const std::string& target) { return WritePrivateProfileString("QEBCtrl", "TxtMode", "1", target); }},
        {"table copy",
         [&](const std::string& target) {
             const TableFileReplacement copied = RecordStore::replaceTableFile(path("MCDEF.NEW"), target, "MCDEF", true);
             problem = copied.describe();
             return copied.ok();
         }},
    };
    struct Target {
        const char* what;
        std::string name;
        std::string refusal; // after "<name> cannot be written: "
    };
    ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);
    fs::create_directory(path("folder"));
    // A device node of our own (the null device's numbers): only the superuser may make one.
    const bool device = ::mknod(path("device").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    std::vector<Target> targets = {
        {"a FIFO", path("fifo"), "it is a FIFO"},
        {"a folder", path("folder"), "it is a folder"},
        {"a link to a FIFO", path("to-fifo"), "it is a link to " + path("fifo") + ", a FIFO"},
        {"a link to a folder", path("to-folder"), "it is a link to " + path("folder") + ", a folder"},
        {"a link into a missing folder", path("to-nowhere"),
         "it is a link to " + path("gone/file") + ", and the folder " + path("gone") + " does not exist"},
        {"a file in a missing folder", path("gone/file"), "the folder " + path("gone") + " does not exist"},
    };
    fs::create_symlink(path("fifo"), path("to-fifo"));
    fs::create_symlink("folder", path("to-folder"));
    fs::create_symlink(path("gone/file"), path("to-nowhere"));
    if (device) {
        targets.push_back({"a device", path("device"), "it is a character device"});
        targets.push_back({"a link to a device", path("to-device"), "it is a link to " + path("device") + ", a character device"});
        fs::create_symlink(path("device"), path("to-device"));
    }
    for (const auto& [writer, write] : writers) {
        for (const Target& target : targets) {
            SCOPED_TRACE(std::string(writer) + " onto " + target.what);
            const std::vector<std::string> before = {PathState(target.name), PathState(path("fifo")),
                                                     PathState(path("folder")), PathState(path("device"))};
            problem.clear();
            EXPECT_FALSE(write(target.name));
            if (std::string(writer) != "profile") {
                EXPECT_EQ(problem, target.name + " cannot be written: " + target.refusal);
            }
            EXPECT_EQ((std::vector<std::string>{PathState(target.name), PathState(path("fifo")), PathState(path("folder")),
                                                PathState(path("device"))}),
                      before);
            EXPECT_TRUE(fs::is_empty(path("folder")));
        }
    }

    // A link to a regular file is written through: the link stays, the file it ends at changes.
    for (const auto& [writer, write] : writers) {
        SCOPED_TRACE(writer);
        fs::create_directory(path("real"));
        const std::string file = path("real/file");
        RegularFileTest::write(file, "old\n");
        fs::create_symlink("real/file", path("link"));
        EXPECT_TRUE(write(path("link"))) << problem;
        EXPECT_EQ(PathState(path("link")), "link to real/file");
        EXPECT_NE(read(file), "old\n") << "the file behind the link is the one written";
        for (const auto& entry : fs::directory_iterator(path("real")))
            EXPECT_EQ(entry.path().filename(), "file") << "no temporary file left";
        fs::remove(path("link"));
        fs::remove_all(path("real"));
    }
}

TEST_F(RegularFileTest, EmptyNamesAndNamesWithALineBreakAreRefused)
{
    std::string problem;
    EXPECT_FALSE(WriteFileReplacing("", "x", problem));
    EXPECT_EQ(problem, "cannot write a file: the file name is empty");
    const std::string broken = path("two\nlines.csv");
    EXPECT_FALSE(WriteFileReplacing(broken, "x", problem));
    EXPECT_EQ(problem, broken + " cannot be written: the file name holds a line break");
    EXPECT_FALSE(fs::exists(broken));
}

// A writer that died between its temporary file and the rename left it
// behind; the next write into the folder removes it, and no other file.
TEST_F(RegularFileTest, TemporaryFilesOfDeadWritersGoWhenTheFolderIsNextWritten)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(0);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    const std::string dead = std::to_string(child);
    write(path("backup.MC"), "old");
    const std::string ofAnotherFile = path("backup.MC." + dead + ".0.tmp");
    const std::string ofThisFile = path("export.csv." + dead + ".4.tmp");
    const std::string alive = path("backup.MC." + std::to_string(getppid()) + ".3.tmp");
    const std::string ofNoFile = path("notes." + dead + ".2.tmp");
    const std::string notATemporary = path("notes.1.2.tmp.txt");
    const std::string folder = path("backup.MC." + dead + ".1.tmp");
    for (const std::string& file : {ofAnotherFile, ofThisFile, alive, ofNoFile, notATemporary})
        write(file, "half");
    fs::create_directory(folder);

    std::string problem;
    ASSERT_TRUE(WriteFileReplacing(path("export.csv"), "whole", problem)) << problem;
    EXPECT_FALSE(fs::exists(ofAnotherFile));
    EXPECT_FALSE(fs::exists(ofThisFile));
    EXPECT_TRUE(fs::exists(alive)) << "its writer may still rename it";
    EXPECT_TRUE(fs::exists(ofNoFile)) << "a name of the user's own, for all the writer knows";
    EXPECT_TRUE(fs::exists(notATemporary));
    EXPECT_TRUE(fs::exists(folder)) << "only files are removed";
    EXPECT_EQ(read(path("export.csv")), "whole");
}

} // namespace
