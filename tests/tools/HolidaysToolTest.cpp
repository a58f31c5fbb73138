// mcftool holidays and mcftool schedule, run as the built program on a demo
// home after an upload of gateway 001 from a real qelnetd: "Shop hours"
// (function 1) holds 25 special periods, "Night tariff" (function 2) none.

#include "SampleCalendar.h"
#include "UploadedDemoHome.h"

#include "editors/schedule/ForcedPeriods.h"
#include "GatewayImage.h"
#include "model/McdefRecord.h"
#include "model/Records.h"
#include "support/RegularFile.h"

namespace {

constexpr const char* Now = "2026-12-07 12:00";




class HolidaysToolTest : public UploadedDemoHome {
protected:
    void SetUp() override
    {
        UploadedDemoHome::SetUp();
        std::string problem;
        ASSERT_TRUE(WriteFileReplacing(
            file("holidays.ics"),
            IcsCalendar(IcsAllDay("Christmas", "20261224", "20261227") + IcsAllDay("Stocktaking", "20270114", "20270116")
                     + IcsEvent("Staff meeting", "DTSTART:20270203T073000\r\nDTEND:20270203T090000\r\n")
                     + IcsEvent("Founders day", "DTSTART;VALUE=DATE:20200815\r\nRRULE:FREQ=YEARLY\r\n")
                     + IcsAllDay("All Saints", "20261101", "20261102") + IcsAllDay("New Year", "20270101", "20270102")),
            problem))
            << problem;
        std::string many;
        for (int day = 10; day < 16; ++day)
            many += IcsAllDay("Closed " + std::to_string(day), "202703" + std::to_string(day),
                           "202703" + std::to_string(day + 1));
        ASSERT_TRUE(WriteFileReplacing(file("many.ics"), IcsCalendar(many), problem)) << problem;
    }

    std::string file(const char* name) const { return m_home.path() + name; }

    ToolRun holidays(const QStringList& rest) const
    {
        return run(QStringList{"holidays", home()} + rest + QStringList{"--now", Now});
    }

    static std::vector<ForcedPeriod> periods(uint8_t number)
    {
        std::vector<McdefRecord> records;
        for (const auto& bytes : TestHome::records(table::Mcdef)) {
            const McdefRecord r = McdefRecord::fromBytes(bytes.data());
            if (r.number() == number && r.blockType() == BlockType::Data && r.blockNumber() == 4)
                records.push_back(r);
        }
        return UnpackPeriods(records);
    }

    static std::vector<std::string> eventTexts()
    {
        std::vector<std::string> texts;
        for (const auto& bytes : TestHome::records(table::EventLog))
            texts.push_back(EventLogRecord::read(bytes.data()).text);
        return texts;
    }

    static bool contains(const std::string& text, const std::string& part)
    {
        return text.find(part) != std::string::npos;
    }
};

TEST_F(HolidaysToolTest, TheEventsAreAddedAsTheEditorWritesThemMarkedUnsentLoggedAndSentLikeAnyChange)
{
    const auto before = TestHome::records(table::Mcdef);
    const ToolRun dry = holidays({file("holidays.ics").c_str(), "001:1", "--dry-run"});
    ASSERT_EQ(dry.exitCode, 0) << dry.err;
    EXPECT_EQ(TestHome::records(table::Mcdef), before) << "a dry run writes nothing";
    EXPECT_TRUE(eventTexts().empty());
    for (const char* line : {
             "001:125 function 1 Shop hours: 25 special periods\n",
             "  skip  2026.12.24 00:00 -> 2026.12.26 23:59 Christmas: collides with '0000.12.24 12:00 -> 0000.12.26 "
             "23:59 - Off'\n",
             "  add   2027.01.14 00:00 -> 2027.01.15 23:59 Stocktaking\n",
             "  add   2027.02.03 07:30 -> 2027.02.03 09:00 Staff meeting\n",
             "  add   0000.08.15 00:00 -> 0000.08.15 23:59 Founders day\n",
             "  skip  2026.11.01 00:00 -> 2026.11.01 23:59 All Saints: ended before now\n",
             "  skip  2027.01.01 00:00 -> 2027.01.01 23:59 New Year: collides with '0000.01.01 00:00 -> 0000.01.01 "
             "23:59 - Off'\n",
             "  would add 3\n"})
        EXPECT_TRUE(contains(dry.out, line)) << line << "in\n" << dry.out;

    const ToolRun added = holidays({file("holidays.ics").c_str(), "001:1"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_TRUE(contains(added.out, "  added 3\n")) << added.out;
    const std::vector<ForcedPeriod> stored = periods(1);
    ASSERT_EQ(stored.size(), 28u);
    std::vector<ForcedPeriod> sorted = stored;
    SortAsListed(sorted);
    EXPECT_EQ(stored, sorted) << "in the order of the editor's list";
    EXPECT_EQ(ListedPeriodLine(stored[3], ' '), "0000.08.15 00:00 -> 0000.08.15 23:59 - Off");
    EXPECT_EQ(eventTexts(), std::vector<std::string>{"001:125 GW Market North\nShop hours\n'Force schedule to' is "
                                                     "changed (holidays.ics)"});
    const ToolRun check = run({"check", home(), "001", "1"});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    const ToolRun status = run({"status", home(), "001"});
    EXPECT_TRUE(contains(status.out, "1\tShop hours\tsince 2026-12-07 12:00:00 UTC\tspecial periods from holidays.ics"))
        << status.out;

    const ToolRun again = holidays({file("holidays.ics").c_str(), "001:1", "--state", "on"});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_TRUE(contains(again.out, "Stocktaking: collides with '2027.01.14 00:00 -> 2027.01.15 23:59 - Off'"))
        << again.out;
    EXPECT_TRUE(contains(again.out, "  added 0\n")) << again.out;
    EXPECT_EQ(periods(1).size(), 28u);

    const ToolRun update = run({"update", home(), "001", "1", "--blocks-only"});
    ASSERT_EQ(update.exitCode, 0) << update.out << update.err;
    std::string error;
    const std::optional<GatewayState> gateway = ReadGatewayImage(m_home.path() + "gateways/gateway-001.img", error);
    ASSERT_TRUE(gateway) << error;
    EXPECT_EQ(gateway->functions.at(1).blocks[3].entries.size(), 28u);
    EXPECT_TRUE(contains(run({"status", home(), "001"}).out, "all functions sent"));
}

TEST_F(HolidaysToolTest, ASchedulePastThirtyPeriodsIsLeftAloneAndAWrongFileOrFunctionWritesNothing)
{
    const ToolRun many = holidays({file("many.ics").c_str(), "001:1", "001:2", "--state", "on"});
    EXPECT_EQ(many.exitCode, 1);
    EXPECT_TRUE(contains(many.out, "  5 of the 6 events to add fit beside the 25 special periods (at most 30): nothing "
                                   "written\n"))
        << many.out;
    EXPECT_TRUE(contains(many.err, "001:125 function 1: only 5 of 6 events fit")) << many.err;
    EXPECT_EQ(periods(1).size(), 25u);
    const std::vector<ForcedPeriod> night = periods(2);
    ASSERT_EQ(night.size(), 6u) << "the other schedule took them";
    EXPECT_EQ(night[0].state, PeriodState::On);
    EXPECT_EQ(eventTexts().size(), 1u);

    const auto before = TestHome::records(table::Mcdef);
    const ToolRun missing = holidays({file("none.ics").c_str(), "001:1"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(contains(missing.err, file("none.ics") + " does not exist")) << missing.err;
    std::string problem;
    ASSERT_TRUE(WriteFileReplacing(file("broken.ics"), IcsCalendar(IcsEvent("Christmas", "SUMMARY:no start\r\n")), problem));
    const ToolRun broken = holidays({file("broken.ics").c_str(), "001:1"});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_TRUE(contains(broken.err, "broken.ics holds the event 'Christmas' without a start (DTSTART)")) << broken.err;
    const ToolRun notSchedule = holidays({file("holidays.ics").c_str(), "001:1", "001:3"});
    EXPECT_EQ(notSchedule.exitCode, 1);
    EXPECT_TRUE(contains(notSchedule.err, "001:125 function 3 Sales night is not a yearly schedule (it is a Day/Night "
                                          "Contr.); nothing written"))
        << notSchedule.err;
    EXPECT_EQ(TestHome::records(table::Mcdef), before);
    EXPECT_EQ(eventTexts().size(), 1u);

    EXPECT_EQ(holidays({file("holidays.ics").c_str(), "001:1", "--state", "maybe"}).exitCode, 2);
    EXPECT_EQ(holidays({file("holidays.ics").c_str(), "001-1"}).exitCode, 2);
    EXPECT_EQ(holidays({file("holidays.ics").c_str(), "001:1", "002:1"}).exitCode, 2);
}

TEST_F(HolidaysToolTest, ScheduleTellsTheStateWithItsCauseAndListsTheSwitchingTimes)
{
    const auto at = [this](const char* time) {
        const ToolRun result = run({"schedule", home(), "001", "1", "--at", time});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result.out;
    };
    EXPECT_EQ(at("2026-12-07 06:59"), "Off no period\n");
    EXPECT_EQ(at("2026-12-07 07:00"), "On Monday period 1 07:00-21:00\n");
    EXPECT_EQ(at("2026-12-12 13:30"), "Off no period\n") << "Saturday's pause";
    EXPECT_EQ(at("2026-12-13 18:00"), "On special period 2026.12.13 10:00 -> 2026.12.13 18:00\n")
        << "a Sunday opening to the end of its last minute";
    EXPECT_EQ(at("2028-12-25 12:00"), "Off special period 0000.12.24 12:00 -> 0000.12.26 23:59\n");

    const ToolRun week = run({"schedule", home(), "001", "1", "--from", "2026-12-24 00:00", "--to", "2026-12-28 08:00"});
    ASSERT_EQ(week.exitCode, 0) << week.err;
    EXPECT_EQ(week.out, "2026-12-24 00:00 Off no period\n"
                        "2026-12-24 07:00 On Thursday period 1 07:00-21:00\n"
                        "2026-12-24 12:00 Off special period 0000.12.24 12:00 -> 0000.12.26 23:59\n"
                        "2026-12-28 07:00 On Monday period 1 07:00-21:00\n");
    const ToolRun coming = run({"schedule", home(), "001", "2", "--now", "2026-12-07 12:00"});
    ASSERT_EQ(coming.exitCode, 0) << coming.err;
    EXPECT_EQ(coming.out.substr(0, 40), "2026-12-07 12:00 Off no period\n2026-12-0");
    EXPECT_TRUE(contains(coming.out, "2026-12-14 00:00 On Monday period 1 00:00-06:00\n")) << coming.out;
    EXPECT_TRUE(contains(coming.out, "2026-12-14 06:00 Off no period\n")) << coming.out;
    EXPECT_FALSE(contains(coming.out, "2026-12-14 22:00")) << "the coming 7 days end before";

    const ToolRun notSchedule = run({"schedule", home(), "001", "3", "--at", "2026-12-07 12:00"});
    EXPECT_EQ(notSchedule.exitCode, 1);
    EXPECT_TRUE(contains(notSchedule.err, "is not a yearly schedule")) << notSchedule.err;
    EXPECT_EQ(run({"schedule", home(), "001", "1", "--at", "2026-12-07"}).exitCode, 2);
}

} // namespace
