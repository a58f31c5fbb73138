// The marks of the functions the gateway has not accepted: the text of their
// file both ways, how marks are kept and forgotten, and lines that are not marks.

#include "gateway/SyncState.h"

#include <gtest/gtest.h>


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
        {"# heading\n\n" + good + "001:125\t5\n", "line 4: 2 fields separated by tabs, not 5"},
        {"001-125\t4\t2026-12-06 14:50:00\tN\tr\n", "line 1: \"001-125\" is not a gateway address (NNN:NNN)"},
        {"001:125\t106\t2026-12-06 14:50:00\tN\tr\n", "line 1: \"106\" is not a function number from 1 to 105"},
        {"001:125\t4\t2026-02-30 14:50:00\tN\tr\n", "line 1: \"2026-02-30 14:50:00\" is not a time YYYY-MM-DD HH:MM:SS"},
        {"001:125\t4\t2026-12-06 14:50:00\tN\\x\tr\n", "line 1: a backslash that is not \\\\, \\t, \\n or \\r"},
        {good + good, "line 2: function 4 of 001:125 is marked twice"},
    };
    for (const auto& c : cases) {
        std::string problem;
        EXPECT_FALSE(SyncState::parse(c.text, problem)) << c.text;
        EXPECT_EQ(problem, c.problem) << c.text;
    }
}

} // namespace
