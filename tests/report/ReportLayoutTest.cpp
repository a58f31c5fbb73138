// The report's lines, laid out from MCDEF records of a demo home: page header,
// overview, section headers, each kind of settings, references and pages.

#include "CheckedScript.h"
#include "TestHome.h"
#include "editors/defrost/DefrostTimes.h"
#include "editors/energy/AlarmSettings.h"
#include "editors/energy/PoOptimizerSettings.h"
#include "editors/schedule/BasicSchedule.h"
#include "editors/schedule/ForcedPeriods.h"
#include "model/FunctionSettings.h"
#include "model/McdefAccess.h"
#include "protocol/LittleEndian.h"
#include "protocol/TypeCatalogue.h"
#include "references/ReferenceRow.h"
#include "report/ReportLayout.h"
#include "support/Clock.h"
#include "support/DbStatus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace {

// Text 2000 as the demo plant's text table overrides it, then its first user.
const std::string HeaderStart = "Function report printed by HOLM [Karin Holm] " + std::string(29, ' ');

class ReportLayoutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.ok());
        setenv("TZ", "UTC", 1);
        tzset();
        SetFixedTime(*ParseUtcTime("2026-12-06 14:08:00"));
    }
    void TearDown() override { SetFixedTime(std::nullopt); }

    static McdefRecord block(uint8_t number, uint8_t blockNumber) { return {number, BlockType::Data, blockNumber, 0}; }
    static void insert(const McdefRecord& record) { ASSERT_EQ(InsertBlock(record), DbStatus::Success); }
    static void addReference(uint8_t number, uint8_t blockType, uint8_t slot, uint8_t address, uint8_t flagsA = 0)
    {
        McdefRecord reference(number, blockType, slot, address);
        reference[4] = flagsA;
        reference[6] = reference[7] = reference[8] = AutomaticParameter;
        insert(reference);
    }

    static ReportLayout layOut(std::vector<uint8_t> numbers, int linesPerPage = 200, bool pageBreak = false)
    {
        ReportLayout layout =
            LayOutReport({"001:125", "GW Market North", 64 * 1024, 48 * 1024, std::move(numbers), linesPerPage, pageBreak});
        EXPECT_FALSE(layout.failure);
        return layout;
    }
    static std::vector<std::string> lines(const ReportLayout& layout)
    {
        std::vector<std::string> all;
        for (const ReportPage& page : layout.pages)
            for (const ReportLine& line : page)
                all.push_back(LineText(line));
        return all;
    }
    // The index of the first line that starts with the text; -1 when none.
    static int find(const std::vector<std::string>& all, const std::string& start, size_t from = 0)
    {
        for (size_t i = from; i < all.size(); ++i)
            if (all[i].starts_with(start))
                return int(i);
        return -1;
    }
    static const ReportLine* lineStarting(const ReportLayout& layout, const std::string& start)
    {
        for (const ReportPage& page : layout.pages)
            for (const ReportLine& line : page)
                if (LineText(line).starts_with(start))
                    return &line;
        return nullptr;
    }

    TestHome m_home;
    CheckedScript m_script;
};

TEST_F(ReportLayoutTest, PageHeaderOverviewAndSectionHeader)
{
    TestHome::addFunction(1, FunctionType::YearlySchedule, "Week", FunctionFlag::Started);
    TestHome::addFunction(3, FunctionType::DayNightControl, "Night", FunctionFlag::Started | FunctionFlag::Manual | FunctionFlag::ErrorMark);
    McdefRecord manual = block(3, 1);
    manual[6] = 1;
    manual[7] = 1;
    insert(manual);
    TestHome::addFunction(7, FunctionType::QebOn, "Compressor");

    const ReportLayout layout = layOut({3});
    ASSERT_EQ(layout.pages.size(), 1u);
    const ReportPage& page = layout.pages[0];
    EXPECT_EQ(page[0], (ReportLine{HeaderStart + "2026-12-06 14:08   Page   1", ReportFonts::PageHeader}));
    EXPECT_EQ(page[1].text, "");
    EXPECT_EQ(page[2].text, "");
    EXPECT_EQ(page[3], (ReportLine{"Network: 001:125, GW Market North, Used space: 16K [65K]", ReportFonts::Bold}));
    EXPECT_EQ(page[5].text.size(), ReportWidth) << "the column header runs across the page";
    EXPECT_TRUE(page[5].text.starts_with("Type                 Name                 No.        Status"));
    EXPECT_EQ(page[5].font, ReportFonts::BoldUnderlined);

    const std::vector<std::string> all = lines(layout);
    const int week = find(all, "Yearly Schedule      Week                 1");
    const int night = find(all, "Day/Night Contr.     Night                3          On        Manual    Error");
    const int compressor = find(all, "QEB On               Compressor           7          Off");
    EXPECT_TRUE(week > 0 && week < night && night < compressor) << "every function, in number order";
    EXPECT_EQ(all[size_t(compressor) + 1], std::string(ReportWidth, ' ')) << "the closing rule";

    const int section = find(all, "No.: 3   Name: Night  Type: Day/Night Contr.,");
    ASSERT_GT(section, compressor);
    EXPECT_EQ(all[size_t(section)].find("Status"), 67u);
    EXPECT_TRUE(all[size_t(section)].ends_with("Status: On, Error"));
    EXPECT_EQ(all[size_t(section) + 1], std::string(60, '*'));
    EXPECT_EQ(all[size_t(section) + 3], "Manual mode: On");
    EXPECT_EQ(find(all, "No.: 1 "), -1) << "only the chosen function has a section";
}

TEST_F(ReportLayoutTest, FunctionsThatDoNotExistAreLeftOutAndNamed)
{
    TestHome::addFunction(2, FunctionType::QebOn, "Compressor");
    insert(block(2, 1));

    const ReportLayout none = layOut({4, 5});
    EXPECT_TRUE(none.pages.empty()) << "no overview without a function to print";
    EXPECT_EQ(none.leftOut, (std::vector<LeftOutFunction>{{4, DbStatus::KeyNotFound}, {5, DbStatus::KeyNotFound}}));
    EXPECT_EQ(LeftOutText(none.leftOut), "Left out: No. 4 (does not exist), No. 5 (does not exist)");
    EXPECT_EQ(LeftOutText({{7, 12}}), "Left out: No. 7 (Error on database 'MCDEF' Return code = 12)");

    const ReportLayout some = layOut({4, 2});
    EXPECT_EQ(some.leftOut, (std::vector<LeftOutFunction>{{4, DbStatus::KeyNotFound}}));
    const std::vector<std::string> all = lines(some);
    EXPECT_NE(find(all, "Network: 001:125"), -1);
    EXPECT_NE(find(all, "No.: 2 "), -1);
}

TEST_F(ReportLayoutTest, WeeklyTimesAndDatedPeriodsOfAYearlySchedule)
{
    TestHome::addFunction(1, FunctionType::YearlySchedule, "Week");
    BasicSchedule schedule{};
    schedule[0][0] = {6 * 60, 18 * 60 + 30};
    schedule[0][1] = {19 * 60, 21 * 60};
    schedule[2][3] = {0, 8 * 60};
    McdefRecord block2 = block(1, 2), block3 = block(1, 3);
    PackBasicSchedule(schedule, block2, block3);
    insert(block(1, 1));
    insert(block2);
    insert(block3);
    const auto at = [](int year, int month, int day, int hour, int minute) {
        return *ToCalendarSeconds({year, month, day, hour, minute, 0});
    };
    const std::vector<ForcedPeriod> periods{{at(2026, 12, 24, 18, 0), at(2026, 12, 26, 6, 0), PeriodState::Off},
                                             {at(1970, 1, 1, 0, 0), at(1970, 1, 1, 23, 59), PeriodState::On}};
    for (const McdefRecord& record : PackPeriods(1, periods, 0))
        insert(record);

    const ReportLayout layout = layOut({1});
    const std::vector<std::string> all = lines(layout);
    const int caption = find(all, "Basic schedule");
    ASSERT_GT(caption, 0);
    EXPECT_EQ(all[size_t(caption)], "Basic schedule") << "a caption is printed without its mnemonic mark";
    EXPECT_EQ(lineStarting(layout, "Basic schedule")->font, ReportFonts::Bold);
    EXPECT_EQ(all[size_t(caption) + 1], "      On    - Off      On    - Off      On    - Off      On    - Off  ");
    EXPECT_EQ(lineStarting(layout, "      On ")->font, ReportFonts::Underlined);
    const std::string none = "      :       :  ";
    EXPECT_EQ(all[size_t(caption) + 2], "Mon   06:00 - 18:30    19:00 - 21:00" + none + none);
    EXPECT_EQ(all[size_t(caption) + 3], "Tue     :       :  " + none + none + none) << "a day without periods";
    EXPECT_EQ(all[size_t(caption) + 4], "Wed     :       :  " + none + none + "    00:00 - 08:00")
        << "a period from midnight keeps its 00:00";
    EXPECT_EQ(find(all, "Manual"), -1) << "a yearly schedule has no manual mode line";

    const int dated = find(all, "Force schedule to");
    ASSERT_GT(dated, caption + 8);
    EXPECT_EQ(all[size_t(dated) + 1], "2026.12.24 18:00 -> 2026.12.26 06:00 - Off");
    EXPECT_EQ(all[size_t(dated) + 2], "0000.01.01 00:00 -> 0000.01.01 23:59 - On") << "a period of every year";
}

TEST_F(ReportLayoutTest, DefrostTimesWithTheScheduleOfEachWeekday)
{
    TestHome::addFunction(2, FunctionType::CentralDefrost, "Defrost");
    DefrostTimes defrost;
    defrost.times[DefrostTimes::index(0, 0)] = 6 * 60;
    defrost.times[DefrostTimes::index(0, 1)] = 14 * 60 + 30;
    defrost.times[DefrostTimes::index(2, 0)] = 22 * 60;
    defrost.weekdays = {0, 0, 0, 0, 0, 1, 2};
    McdefRecord block3 = block(2, 3);
    PackDefrostTimes(defrost, block3);
    insert(block(2, 1));
    insert(block(2, 2));
    insert(block3);

    const std::vector<std::string> all = lines(layOut({2}));
    EXPECT_NE(find(all, "Manuel mode: Auto"), -1);
    const int caption = find(all, "Defrost Functions");
    ASSERT_GT(caption, 0);
    EXPECT_EQ(find(all, "Defrost Functions", size_t(caption) + 1), -1) << "block 2 of a central defrost prints nothing";
    EXPECT_EQ(all[size_t(caption) + 1], "Schedule 1     Schedule 2     Schedule 3     " + std::string(17, ' '));
    const std::string none = "  :            ";
    const auto time = [](const char* t) { return std::string(t) + std::string(10, ' '); };
    EXPECT_EQ(all[size_t(caption) + 2], time("06:00") + none + time("22:00") + "Mon  : Schedule 1");
    EXPECT_EQ(all[size_t(caption) + 3], time("14:30") + none + none + "Tue  : Schedule 1");
    EXPECT_EQ(all[size_t(caption) + 8], none + none + none + "Sun  : Schedule 3");
    EXPECT_EQ(all[size_t(caption) + 9], none + none + none) << "the eighth row has no weekday";
}

TEST_F(ReportLayoutTest, AlarmLimitManualValueAndSettingsLine)
{
    for (const uint8_t type : {FunctionType::AlarmLimitOffset, FunctionType::AlarmLimitDirect}) {
        const uint8_t number = type == FunctionType::AlarmLimitOffset ? 5 : 6;
        TestHome::addFunction(number, type, "Alarm", FunctionFlag::Manual);
        McdefRecord manual = block(number, 1);
        manual[6] = 1;
        le::putI16(&manual[7], -3);
        insert(manual);
        McdefRecord settings = block(number, 2);
        PackAlarmSettings({true, 25, 20, 28, -5}, type, settings);
        insert(settings);
    }
    const std::vector<std::string> all = lines(layOut({5, 6}));
    const int offset = find(all, "No.: 5 ");
    const int direct = find(all, "No.: 6 ");
    ASSERT_TRUE(offset > 0 && direct > offset);
    EXPECT_EQ(all[size_t(offset) + 3], "Manual mode: On, -3 K");
    EXPECT_EQ(all[size_t(offset) + 5], "Alarm settings");
    EXPECT_EQ(all[size_t(offset) + 6], "[X] Act. if outdoor Temp >: 25°C, Indoor Temp: 20°C --> 28°C");
    EXPECT_EQ(all[size_t(direct) + 6], "[X] Act. if outdoor Temp >: 25°C, Indoor Temp: 20°C --> 28°C, Limit: -5°C,");
}

TEST_F(ReportLayoutTest, PoOptimizerSettingsLines)
{
    TestHome::addFunction(12, FunctionType::PoOptimizer, "Po MT");
    PoSettings po;
    po.offsetDisable = 1;
    po.alarmEnable = 1;
    po.optimiseCommunication = 255;
    McdefRecord settings = block(12, 1);
    PackPoSettings(po, settings);
    le::putF32(&settings[19], 1.5f);
    insert(settings);

    const std::vector<std::string> all = lines(layOut({12}));
    const int caption = find(all, "Po optimizer output status");
    ASSERT_GT(caption, 0);
    EXPECT_EQ(all[size_t(caption) + 1], "Actual Po Offset: 1.5, Po Offset disable: [X]");
    EXPECT_EQ(all[size_t(caption) + 2], "");
    EXPECT_EQ(all[size_t(caption) + 3], "Advanced Po optimizer parameters");
    EXPECT_EQ(all[size_t(caption) + 4],
              "Alarm enable: [X],  Alarm delay: 240,  Period: 20,  Filter: 900,  Kp: 1.0,  Tn: 900.0");
    EXPECT_EQ(all[size_t(caption) + 5], "Optimize Communication Enable: [ ]") << "255: the gateway lacks the setting";
    EXPECT_NE(find(all, "Addr. /Sect."), -1) << "the evaporators' heading";
    EXPECT_NE(find(all, "Addr. /Circuit"), -1) << "the compressor's heading";
}

TEST_F(ReportLayoutTest, ReferenceRowsMarkTheirStatusAndStopAtAMissingController)
{
    TestHome::addFunction(4, FunctionType::QebOn, "Injection");
    insert(block(4, 1));
    addReference(4, BlockType::Input, 1, 1);
    addReference(4, BlockType::Output, 1, 2, ReferenceFlag::NoParameter);
    addReference(4, BlockType::Output, 1, 99);
    addReference(4, BlockType::Output, 2, 3);
    TestHome::addFunction(9, FunctionType::DayNightControl, "Night");
    TestHome::addFunction(1, FunctionType::YearlySchedule, "Week");
    insert(McdefRecord(9, BlockType::ScheduleReference, 1, 1));
    insert(McdefRecord(9, BlockType::ScheduleReference, 1, 44));

    const std::vector<std::string> all = lines(layOut({4, 9}));
    const int inputs = find(all, "Compressor Controller");
    ASSERT_GT(inputs, 0);
    EXPECT_TRUE(all[size_t(inputs) + 1].starts_with("Addr.  ID-code          Parameter            QEB Ident."));
    EXPECT_TRUE(all[size_t(inputs) + 2].starts_with("   001 Dairy 1          --Automatic--        EVA-100"))
        << "the address as the lists show it";
    const int outputs = find(all, "Injection Controllers");
    ASSERT_GT(outputs, inputs);
    EXPECT_TRUE(all[size_t(outputs) + 2].starts_with("!  002 Dairy 2 "));
    EXPECT_NE(all[size_t(outputs) + 2].find("Parameter does not exist."), std::string::npos);
    EXPECT_TRUE(all[size_t(outputs) + 3].empty()) << "controller 099 is missing: slot 2 is not printed";

    const int schedules = find(all, "Schedule", size_t(find(all, "No.: 9 ")));
    ASSERT_GT(schedules, 0);
    EXPECT_TRUE(all[size_t(schedules) + 2].starts_with("   001 Week "));
    EXPECT_TRUE(all[size_t(schedules) + 3].starts_with("   044 ??? ")) << "a schedule MCDEF does not hold";
}

TEST_F(ReportLayoutTest, PeakShavingSettingsAsTheEditorShowsThem)
{
    TestHome::addFunction(5, FunctionType::PeakShaving, "Peak");
    McdefRecord calculated = block(5, 1);
    le::putF32(&calculated[7], 0.4f);
    insert(calculated);
    McdefRecord settings = block(5, 2);
    SetSettingValue(FunctionType::PeakShaving, "impulses per kWh", settings, 200);
    SetSettingValue(FunctionType::PeakShaving, "load period", settings, 15);
    SetSettingValue(FunctionType::PeakShaving, "max thermostat offset", settings, 1.5);
    SetSettingValue(FunctionType::PeakShaving, "offset step", settings, 0.2);
    SetSettingValue(FunctionType::PeakShaving, "use cold accumulation schedule", settings, 1);
    insert(settings);

    const std::vector<std::string> all = lines(layOut({5}));
    const int section = find(all, "No.: 5 ");
    ASSERT_GT(section, 0);
    const int caption = find(all, "Peak Shaving", size_t(section));
    ASSERT_EQ(caption, section + 3);
    const std::vector<std::string> expected = {
        "Calculated thermostat offset: 0.40 K", "Impulses per kWh: 200", "Load period: 15 min",
        "Intern load period: 0 s", "Peak limit: 0 kW", "Max shave time: 0 min", "Max thermostat offset: 1.50 K",
        "Offset step: 0.2 K", "Use tariff schedule: [ ]", "Use cold accumulation schedule: [X]",
        "Use peak meter schedule: [ ]", "Normal meter reading: 0.00 kWh", "Peak meter reading: 0.00 kWh"};
    ASSERT_GE(all.size(), size_t(caption) + 1 + expected.size());
    EXPECT_EQ(std::vector<std::string>(all.begin() + caption + 1, all.begin() + caption + 1 + long(expected.size())),
              expected);
    EXPECT_EQ(find(all, "Manual"), -1) << "peak shaving has no manual mode";
}

TEST_F(ReportLayoutTest, PoLoopLettersWithoutLoopIdAndParameterColumns)
{
    // Neither controller type names its loops: the report tries A, B and C.
    m_home.setIni("QebType.ini", "EVA-200 Funct 8", "LoopId", "");
    m_home.setIni("QebType.ini", "PAK-400 Funct 8", "LoopId", "");
    TestHome::addFunction(12, FunctionType::PoOptimizer, "Po MT");
    insert(block(12, 1));
    const auto multiReference = [this](uint8_t slot, uint8_t address, std::vector<std::array<uint8_t, 3>> numbers) {
        McdefRecord reference(12, BlockType::Input, slot, address);
        for (size_t n = 0; n < numbers.size(); ++n)
            std::copy(numbers[n].begin(), numbers[n].end(), &reference[6 + 4 * n]);
        insert(reference);
    };
    multiReference(1, 3, {{3, 15, 2}, {2, 1, 3}, {2, 2, 3}, {2, 3, 3}});
    multiReference(2, 40, {{9, 2, 3}, {9, 3, 3}, {9, 4, 3}, {9, 5, 3}, {9, 6, 3}});

    const std::vector<std::string> all = lines(layOut({12}));
    const int evaporators = find(all, "Addr. /Sect.");
    ASSERT_GT(evaporators, 0);
    const std::string& header = all[size_t(evaporators) + 1];
    EXPECT_TRUE(all[size_t(evaporators) + 2].starts_with("  003B            Meat 1"));
    const std::string& parameters = all[size_t(evaporators) + 3];
    for (const char* heading : {"RegCond", "Ther. Air", "Th. Cut in", "Th. Cut out"}) {
        const size_t column = header.find(heading);
        ASSERT_NE(column, std::string::npos) << heading;
        EXPECT_NE(parameters[column], ' ') << "a value stands under " << heading << ": " << parameters;
        EXPECT_EQ(parameters[column - 1], ' ') << "the value before " << heading << " ends in its column";
    }
    const int compressor = find(all, "Addr. /Circuit");
    ASSERT_GT(compressor, evaporators);
    EXPECT_TRUE(all[size_t(compressor) + 2].starts_with("  040B            Pack MT"));
}

TEST_F(ReportLayoutTest, PageBreakAndTheFifteenLineRule)
{
    for (uint8_t n = 1; n <= 3; ++n) {
        TestHome::addFunction(n, FunctionType::QebOn, "On " + std::to_string(n));
        insert(block(n, 1));
    }
    const ReportLayout oneBreak = layOut({1, 2, 3}, 200, true);
    ASSERT_EQ(oneBreak.pages.size(), 3u) << "every function on a page of its own";
    for (size_t i = 0; i < 3; ++i) {
        const std::vector<std::string> page = lines({{oneBreak.pages[i]}, {}, {}});
        EXPECT_TRUE(page[0].ends_with("Page   " + std::to_string(i + 1)));
        EXPECT_NE(find(page, "No.: " + std::to_string(i + 1)), -1);
    }

    const ReportLayout together = layOut({1, 2, 3});
    ASSERT_EQ(together.pages.size(), 1u);
    const std::vector<std::string> all = lines(together);
    // The second section starts with the blank line before its header.
    const int second = find(all, "No.: 2") - 1;
    EXPECT_EQ(layOut({1, 2, 3}, second + SectionMinimumLines).pages[0].size(), size_t(find(all, "No.: 3") - 1))
        << "15 lines left: the second section stays on the first page";
    const ReportLayout moved = layOut({1, 2, 3}, second + SectionMinimumLines - 1);
    ASSERT_GE(moved.pages.size(), 2u);
    EXPECT_EQ(moved.pages[0].size(), size_t(second)) << "14 lines left: the second section starts a new page";
}

TEST_F(ReportLayoutTest, AReferenceListThatSpillsOverGetsThePageHeaderFirst)
{
    TestHome::addFunction(4, FunctionType::QebOn, "Injection");
    for (const uint8_t address : {1, 2, 3, 4, 6, 8, 10, 12})
        addReference(4, BlockType::Output, 1, address);
    const int linesPerPage = 20;
    const ReportLayout layout = layOut({4}, linesPerPage);
    ASSERT_GE(layout.pages.size(), 2u);
    size_t rows = 0;
    for (size_t i = 0; i < layout.pages.size(); ++i) {
        const ReportPage& page = layout.pages[i];
        EXPECT_LE(page.size(), size_t(linesPerPage));
        EXPECT_EQ(page[0].text, HeaderStart + "2026-12-06 14:08   Page   " + std::to_string(i + 1));
        rows += size_t(std::count_if(page.begin(), page.end(), [](const ReportLine& line) {
            return line.text.starts_with("   ") && line.text.find("--Automatic--") != std::string::npos;
        }));
    }
    EXPECT_EQ(rows, 8u) << "no reference row is lost at the page end";
}

} // namespace
