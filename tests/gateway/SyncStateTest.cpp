// The marks of the functions the gateway has not accepted: the text of their
// file both ways, how marks are kept and forgotten, and files that are not
// such a file.

#include "gateway/SyncState.h"
#include "support/RecordStore.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

constexpr std::time_t Dec6 = 1796568600; // 2026-12-06 14:50:00 UTC

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

TEST(SyncStateTest, TheFileTextReadsBackAsTheMarksItWasWrittenFrom)
{
    SyncState state;
    state.mark({"002:125", 2, "Night\tcovers\\", Dec6, "local failure: the password was refused\nor not given"});
    state.mark({"001:125", 9, "Po MT", Dec6 + 60, "link failure, partly sent: 2 of 7 telegrams taken"});
    state.mark({"001:125", 3, "", Dec6 + 120, "refused by the gateway"});
    const std::string text = state.text();
    EXPECT_NE(text.find("001:125\t9\t2026-12-06 14:51:00\tPo MT\tlink failure"), std::string::npos) << text;
    EXPECT_NE(text.find("Night\\tcovers\\\\\tlocal failure: the password was refused\\nor not given\n"),
              std::string::npos)
        << "tabs, line breaks and backslashes are escaped: " << text;

    std::string problem;
    const std::optional<SyncState> read = SyncState::parse(text, problem);
    ASSERT_TRUE(read) << problem;
    EXPECT_EQ(read->text(), text);
    const std::vector<UnsentFunction> first = read->ofGateway("001:125");
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].number, 3) << "by number";
    EXPECT_EQ(first[1].since, Dec6 + 60);
    ASSERT_TRUE(read->find("002:125", 2));
    EXPECT_EQ(read->find("002:125", 2)->name, "Night\tcovers\\");
    EXPECT_EQ(read->find("002:125", 2)->reason, "local failure: the password was refused\nor not given");
    EXPECT_FALSE(read->find("002:125", 9));
}

TEST(SyncStateTest, AMarkKeepsItsFirstTimeAndIsForgottenPerFunctionOrGateway)
{
    SyncState state;
    state.mark({"001:125", 4, "Old name", Dec6, "refused by the gateway: return code 3"});
    state.mark({"001:125", 4, "New name", Dec6 + 3600, "link failure, nothing sent"});
    state.mark({"001:125", 5, "Five", Dec6, "local failure"});
    state.mark({"002:125", 4, "Other gateway", Dec6, "local failure"});
    ASSERT_EQ(state.ofGateway("001:125").size(), 2u);
    const UnsentFunction four = state.ofGateway("001:125")[0];
    EXPECT_EQ(four.since, Dec6) << "since the first update that was not accepted";
    EXPECT_EQ(four.name, "New name");
    EXPECT_EQ(four.reason, "link failure, nothing sent");

    EXPECT_TRUE(state.forget("001:125", 4));
    EXPECT_FALSE(state.forget("001:125", 4));
    EXPECT_TRUE(state.find("002:125", 4)) << "the same number of another gateway stays";
    EXPECT_TRUE(state.forgetGateway("001:125"));
    EXPECT_FALSE(state.forgetGateway("001:125"));
    EXPECT_TRUE(state.ofGateway("001:125").empty());
    EXPECT_EQ(state.ofGateway("002:125").size(), 1u);
}

TEST(SyncStateTest, ALineThatIsNotAMarkIsNamedByItsNumber)
{
    const std::string good = "001:125\t4\t2026-12-06 14:50:00\tNight\tlocal failure\n";
    const struct {
        std::string text;
        std::string problem;
    } cases[] = {
        {"# heading\n\n" + good + "001:125\t5\n", "line 4: 2 fields separated by tabs, not 5"},
        {"001-125\t4\t2026-12-06 14:50:00\tN\tr\n", "line 1: \"001-125\" is not a gateway address (NNN:NNN)"},
        {"001:125\t106\t2026-12-06 14:50:00\tN\tr\n", "line 1: \"106\" is not a function number from 1 to 105"},
        {"001:125\t0\t2026-12-06 14:50:00\tN\tr\n", "line 1: \"0\" is not a function number from 1 to 105"},
        {"001:125\t4\t2026-02-30 14:50:00\tN\tr\n", "line 1: \"2026-02-30 14:50:00\" is not a time YYYY-MM-DD HH:MM:SS"},
        {"001:125\t4\t2026-12-06\tN\tr\n", "line 1: \"2026-12-06\" is not a time YYYY-MM-DD HH:MM:SS"},
        {"001:125\t4\t2026-12-06 14:50:00\tN\\x\tr\n", "line 1: a backslash that is not \\\\, \\t, \\n or \\r"},
        {good + good, "line 2: function 4 of 001:125 is marked twice"},
    };
    for (const auto& c : cases) {
        std::string problem;
        EXPECT_FALSE(SyncState::parse(c.text, problem)) << c.text;
        EXPECT_EQ(problem, c.problem) << c.text;
    }
    std::string problem;
    const std::optional<SyncState> empty = SyncState::parse("# only a heading\n", problem);
    ASSERT_TRUE(empty) << problem;
    EXPECT_TRUE(empty->ofGateway("001:125").empty());
}

class SyncStateFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_home.ok()); }

    TestHome m_home;
};

TEST_F(SyncStateFileTest, TheFileLivesInTheDataFolderAndIsWrittenOnlyWhenMarksChange)
{
    EXPECT_EQ(SyncStateFile(), m_home.dataDir() + "MCSYNC.TXT");
    std::string problem;
    const std::optional<SyncState> none = ReadSyncState(problem);
    ASSERT_TRUE(none) << "a missing file holds no marks: " << problem;

    EXPECT_FALSE(ChangeSyncState([](SyncState& state) { return state.forget("001:125", 4); }));
    EXPECT_FALSE(std::filesystem::exists(SyncStateFile())) << "nothing to forget writes nothing";

    EXPECT_FALSE(ChangeSyncState([](SyncState& state) {
        state.mark({"001:125", 4, "Night", Dec6, "local failure"});
        return true;
    }));
    const std::optional<SyncState> read = ReadSyncState(problem);
    ASSERT_TRUE(read) << problem;
    ASSERT_TRUE(read->find("001:125", 4));
    EXPECT_EQ(read->find("001:125", 4)->since, Dec6);
    EXPECT_FALSE(std::filesystem::exists(SyncStateFile() + ".tmp"));
}

TEST_F(SyncStateFileTest, AFileThatIsNotAFileOfMarksIsRefusedAndLeftAsItIs)
{
    const std::string path = SyncStateFile();
    writeText(path, "001:125\t4\tyesterday\tNight\tlocal failure\n");
    std::string problem;
    EXPECT_FALSE(ReadSyncState(problem));
    EXPECT_EQ(problem, path + ", line 1: \"yesterday\" is not a time YYYY-MM-DD HH:MM:SS");
    const std::optional<std::string> changed = ChangeSyncState([](SyncState& state) {
        state.mark({"001:125", 5, "Five", Dec6, "local failure"});
        return true;
    });
    ASSERT_TRUE(changed);
    EXPECT_EQ(*changed, problem);
    EXPECT_EQ(fileText(path), "001:125\t4\tyesterday\tNight\tlocal failure\n") << "a broken file is never overwritten";

    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_FALSE(ReadSyncState(problem));
    EXPECT_EQ(problem, path + " is a folder");
    std::filesystem::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_FALSE(ReadSyncState(problem)) << "a FIFO is refused without blocking on it";
    EXPECT_EQ(problem, path + " is not a regular file");
}

TEST_F(SyncStateFileTest, AFolderThatCannotBeWrittenKeepsTheOldMarks)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into a read-only folder";
    ASSERT_FALSE(ChangeSyncState([](SyncState& state) {
        state.mark({"001:125", 4, "Night", Dec6, "local failure"});
        return true;
    }));
    const std::string before = fileText(SyncStateFile());
    ASSERT_EQ(::chmod(m_home.dataDir().c_str(), 0500), 0);
    const std::optional<std::string> problem = ChangeSyncState([](SyncState& state) { return state.forget("001:125", 4); });
    ::chmod(m_home.dataDir().c_str(), 0700);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->rfind(SyncStateFile() + " cannot be written: ", 0), 0u) << *problem;
    EXPECT_EQ(fileText(SyncStateFile()), before);
}

} // namespace
