// The marks of the functions the gateway has not accepted: the text of their
// file both ways, how marks are kept and forgotten, lines that are not marks,
// and the file as a journal that changes append to.

#include "gateway/SyncState.h"
#include "support/RecordStore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <thread>
#include <iterator>

namespace {

constexpr std::time_t Dec6 = 1796568600; // 2026-12-06 14:50:00 UTC

TEST(SyncStateTest, MarksReadBackAsWrittenKeepTheirFirstTimeAndAreForgottenPerFunctionOrGateway)
{
    SyncState state;
    state.mark({"002:125", 2, "Night\tcovers\\", Dec6, "local failure: refused\nor not given"});
    state.mark({"001:125", 9, "Old name", Dec6, "refused by the gateway"});
    state.mark({"001:125", 9, "Po MT", Dec6 + 60, "link failure, partly sent"});
    state.mark({"001:125", 3, "", Dec6, "local failure"});
    const std::string text = state.text();
    EXPECT_NE(text.find("001:125\t9\t2026-12-06 14:50:00\tPo MT\tlink failure, partly sent\n"), std::string::npos)
        << "the first time, the last name and reason: " << text;
    EXPECT_NE(text.find("Night\\tcovers\\\\\tlocal failure: refused\\nor not given\n"), std::string::npos) << text;

    std::string problem;
    std::optional<SyncState> read = SyncState::parse(text, problem);
    ASSERT_TRUE(read) << problem;
    EXPECT_EQ(read->text(), text);
    ASSERT_TRUE(read->find("002:125", 2));
    EXPECT_EQ(*read->find("002:125", 2), (UnsentFunction{"002:125", 2, "Night\tcovers\\", Dec6,
                                                         "local failure: refused\nor not given"}));
    ASSERT_EQ(read->ofGateway("001:125").size(), 2u);
    EXPECT_EQ(read->ofGateway("001:125")[0].number, 3) << "by number";

    EXPECT_TRUE(read->forget("001:125", 9));
    EXPECT_FALSE(read->forget("001:125", 9));
    EXPECT_TRUE(read->forgetGateway("001:125"));
    EXPECT_TRUE(read->ofGateway("001:125").empty());
    EXPECT_TRUE(read->find("002:125", 2)) << "another gateway's marks stay";
}

TEST(SyncStateTest, ALineThatIsNotAMarkIsNamedByItsNumber)
{
    const std::string good = "001:125\t4\t2026-12-06 14:50:00\tNight\tlocal failure\n";
    const struct {
        std::string text;
        std::string problem;
    } cases[] = {
        {"# heading\n\n" + good + "001:125\t5\n", "line 4: 2 fields separated by tabs, not 5 (a mark) or 3 (a cleared mark)"},
        {good + "001:125\t4\tsent\n", "line 2: \"sent\" where a cleared mark says \"cleared\""},
        {"001:125\t0\tcleared\n", "line 1: \"0\" is not a function number from 1 to 105"},
        {"001-125\t4\t2026-12-06 14:50:00\tN\tr\n", "line 1: \"001-125\" is not a gateway address (NNN:NNN)"},
        {"001:125\t106\t2026-12-06 14:50:00\tN\tr\n", "line 1: \"106\" is not a function number from 1 to 105"},
        {"001:125\t4\t2026-02-30 14:50:00\tN\tr\n", "line 1: \"2026-02-30 14:50:00\" is not a time YYYY-MM-DD HH:MM:SS"},
        {"001:125\t4\t2026-12-06 14:50:00\tN\\x\tr\n", "line 1: a backslash that is not \\\\, \\t, \\n or \\r"},
    };
    for (const auto& c : cases) {
        std::string problem;
        EXPECT_FALSE(SyncState::parse(c.text, problem)) << c.text;
        EXPECT_EQ(problem, c.problem) << c.text;
    }
}

TEST(SyncStateTest, TheLastLineOfAFunctionHoldsAndALineCutShortIsIgnored)
{
    const std::string first = "001:125\t4\t2026-12-06 14:50:00\tNight\tlocal failure\n";
    const std::string again = "001:125\t4\t2026-12-06 15:00:00\tNight\tlink failure, partly sent\n";
    const std::string cleared = "001:125\t4\tcleared\n";
    const auto read = [](const std::string& text) {
        std::string problem;
        std::optional<SyncState> state = SyncState::parse(text, problem);
        EXPECT_TRUE(state) << problem;
        return state.value_or(SyncState());
    };
    ASSERT_TRUE(read(first + again).find("001:125", 4));
    EXPECT_EQ(read(first + again).find("001:125", 4)->reason, "link failure, partly sent");
    EXPECT_EQ(read(first + again).find("001:125", 4)->since, Dec6) << "marked since the first failure";
    EXPECT_FALSE(read(first + cleared).find("001:125", 4));
    EXPECT_TRUE(read(first + cleared + again).find("001:125", 4)) << "marked again after it was cleared";
    // A crash while "001:125\t41\t..." was appended must not clear function 4.
    EXPECT_TRUE(read(first + "001:125\t4").find("001:125", 4));
    EXPECT_TRUE(read(first + cleared.substr(0, cleared.size() - 1)).find("001:125", 4))
        << "a cleared line without its line break was not written whole";
}

TEST(SyncStateTest, ChangesAreAppendedAndTheFileIsWrittenAnewWhenCutShortOrLong)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    RecordStore::instance().setDataDirectory(folder.path().toStdString() + "/");
    const auto fileText = [] {
        std::ifstream in(SyncStateFile(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const auto mark = [](uint8_t number, const char* reason) {
        return ChangeSyncState([=](SyncState& state) {
            state.mark({"001:125", number, "F", Dec6, reason});
            return true;
        });
    };
    const auto forget = [](uint8_t number) {
        return ChangeSyncState([=](SyncState& state) { return state.forget("001:125", number); });
    };

    ASSERT_FALSE(mark(3, "refused"));
    ASSERT_FALSE(mark(5, "refused"));
    ASSERT_FALSE(forget(3));
    ASSERT_FALSE(forget(3)) << "nothing to clear, nothing written";
    ASSERT_FALSE(mark(5, "local failure"));
    const std::string journal = fileText();
    EXPECT_EQ(journal.substr(journal.find("001:125")),
              "001:125\t3\t2026-12-06 14:50:00\tF\trefused\n"
              "001:125\t5\t2026-12-06 14:50:00\tF\trefused\n"
              "001:125\t3\tcleared\n"
              "001:125\t5\t2026-12-06 14:50:00\tF\tlocal failure\n");

    std::ofstream(SyncStateFile(), std::ios::app) << "001:125\t7\t2026-12"; // a crash while it was appended
    ASSERT_FALSE(forget(5));
    std::string problem;
    ASSERT_TRUE(ReadSyncState(problem)) << problem;
    EXPECT_EQ(fileText(), SyncState().text()) << "written anew without the cut line";

    for (int i = 0; i < 400; ++i)
        ASSERT_FALSE(i % 2 ? forget(9) : mark(9, "refused"));
    const std::string compacted = fileText();
    EXPECT_LT(std::count(compacted.begin(), compacted.end(), '\n'), 300) << "lines that later lines overrule are dropped";
    const std::optional<SyncState> state = ReadSyncState(problem);
    ASSERT_TRUE(state) << problem;
    EXPECT_EQ(state->size(), 0u);
    RecordStore::instance().setDataDirectory({});
}

TEST(SyncStateTest, ProgramsChangingTheMarksAtOnceLoseNoChange)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    RecordStore::instance().setDataDirectory(folder.path().toStdString() + "/");
    // Enough changes that the file is written anew several times while the others append.
    constexpr int Writers = 4;
    constexpr int Rounds = 40;
    std::vector<std::thread> writers;
    std::vector<std::string> problems(Writers);
    for (int w = 0; w < Writers; ++w)
        writers.emplace_back([w, &problems] {
            const uint8_t cleared = uint8_t(2 * w + 1);
            const uint8_t kept = uint8_t(2 * w + 2);
            for (int round = 0; round < Rounds && problems[w].empty(); ++round) {
                const auto problem = ChangeSyncState([&](SyncState& state) {
                    state.mark({"001:125", cleared, "A", Dec6, "refused"});
                    state.mark({"001:125", kept, "B", Dec6, "round " + std::to_string(round)});
                    return true;
                });
                const auto forgot
                    = ChangeSyncState([&](SyncState& state) { return state.forget("001:125", cleared); });
                problems[w] = problem.value_or(forgot.value_or(""));
            }
        });
    for (std::thread& writer : writers)
        writer.join();
    for (const std::string& problem : problems)
        EXPECT_EQ(problem, "");
    std::string problem;
    const std::optional<SyncState> state = ReadSyncState(problem);
    ASSERT_TRUE(state) << problem;
    for (uint8_t w = 0; w < Writers; ++w) {
        EXPECT_FALSE(state->find("001:125", uint8_t(2 * w + 1))) << "cleared by writer " << int(w);
        const UnsentFunction* kept = state->find("001:125", uint8_t(2 * w + 2));
        ASSERT_TRUE(kept) << "marked by writer " << int(w);
        EXPECT_EQ(kept->reason, "round " + std::to_string(Rounds - 1));
    }
    RecordStore::instance().setDataDirectory({});
}

} // namespace
