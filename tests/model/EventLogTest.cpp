#include "ModelFixture.h"

#include "model/EventLog.h"
#include "model/Records.h"
#include "model/TextIds.h"
#include "protocol/StrFormat.h"

#include <fstream>
#include <regex>

namespace {

class EventLogTest : public ModelFixture {
protected:
    void SetUp() override
    {
        ModelFixture::SetUp();
        createTable(table::EventLog);
        createTable(table::NetCnf);
        createTable(table::XrtBrug);
        NetCnfRecord gateway;
        gateway.nodeKey = "002:125";
        gateway.idCode = "ZUL-SOUTH";
        gateway.supportLevel = 1;
        insert(table::NetCnf, gateway.bytes());
        XrtBrugRecord second;
        second.login = "ZVIEW";
        second.name = "Viewer";
        insert(table::XrtBrug, second.bytes());
        XrtBrugRecord first;
        first.login = "AHANSEN";
        first.name = "Anna Hansen";
        insert(table::XrtBrug, first.bytes());
    }

    std::vector<EventLogRecord> rows()
    {
        std::vector<EventLogRecord> all;
        ScopedTable open(table::EventLog, DbMode::ReadOnly);
        uint8_t record[EventLogRecord::Size];
        for (uint16_t s = DbRelGet(table::EventLog, 0, record, sizeof record, DbOp::GetFirst); s == DbStatus::Success;
             s = DbRelGet(table::EventLog, 0, record, sizeof record, DbOp::GetNext))
            all.push_back(EventLogRecord::read(record));
        return all;
    }
};

TEST_F(EventLogTest, OneDeletedFunctionWritesOneCompleteRow)
{
    ASSERT_EQ(LogFunctionEvent("002:125", {"Cold room 3"}, txt::AreDeleted), DbStatus::Success);
    const auto written = rows();
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].text, "002:125 ZUL-SOUTH\nCold room 3 is/are deleted");
    EXPECT_EQ(written[0].eventClass, 16);
    EXPECT_EQ(written[0].user, "Anna Hansen") << "the first user in the table is the one logged on";
    EXPECT_TRUE(std::regex_match(written[0].year, std::regex(R"(\d{4})")));
    for (const std::string* field : {&written[0].month, &written[0].day, &written[0].hour, &written[0].minute,
                                     &written[0].second})
        EXPECT_TRUE(std::regex_match(*field, std::regex(R"(\d{2})"))) << *field;
}

TEST_F(EventLogTest, ManyNamesAreSpreadOverCompleteRows)
{
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i)
        names.push_back(StrFormat("Evaporator ctl%02d", i));
    ASSERT_EQ(names[0].size(), 16u);
    ASSERT_EQ(LogFunctionEvent("002:125", names, txt::AreStarted), DbStatus::Success);
    const auto written = rows();
    ASSERT_GT(written.size(), 1u);
    std::string joined;
    for (const auto& row : written) {
        EXPECT_LE(row.text.size(), 300u);
        ASSERT_EQ(row.text.rfind("002:125 ZUL-SOUTH\n", 0), 0u) << row.text;
        const std::string suffix = " is/are started";
        ASSERT_EQ(row.text.substr(row.text.size() - suffix.size()), suffix);
        const std::string body = row.text.substr(18, row.text.size() - 18 - suffix.size());
        joined += (joined.empty() ? "" : ", ") + body;
        // A row is only closed when the next name would not have fitted.
        if (&row != &written.back()) {
            EXPECT_GT(row.text.size() + 2 + 16, 300u);
        }
    }
    std::string expected;
    for (const auto& n : names)
        expected += (expected.empty() ? "" : ", ") + n;
    EXPECT_EQ(joined, expected) << "every name once, in order";
}

TEST_F(EventLogTest, ChangeLinesAndChangedListsAreGroupedByKind)
{
    ASSERT_EQ(LogChangeLines("002:125", "Night mode", {"Name  Night -> Night mode"}), DbStatus::Success);
    ASSERT_EQ(LogFunctionChanges("002:125", "Night mode",
                                   {{2, "Day/Night signal"}, {1, "External Day signal"}, {3, "Schedule"},
                                    {2, "Second outputs"}}), DbStatus::Success);
    const auto written = rows();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0].text, "002:125 ZUL-SOUTH\nNight mode\nName  Night -> Night mode");
    EXPECT_EQ(written[1].text, "002:125 ZUL-SOUTH\nNight mode\nInput: External Day signal is/are changed"
                               "\nOutput: Day/Night signal, Second outputs is/are changed"
                               "\nSchedule: Schedule is/are changed");
}

TEST_F(EventLogTest, NothingToLogWritesNothing)
{
    EXPECT_EQ(LogFunctionEvent("002:125", {}, txt::AreDeleted), DbStatus::Success);
    EXPECT_EQ(LogChangeLines("002:125", "x", {}), DbStatus::Success);
    EXPECT_EQ(LogFunctionChanges("002:125", "x", {}), DbStatus::Success);
    EXPECT_TRUE(rows().empty());
}

TEST_F(EventLogTest, MissingGatewayAndUserShowQuestionMarks)
{
    RecordStore::instance().closeAll();
    createTable(table::XrtBrug);
    ASSERT_EQ(LogFunctionEvent("009:125", {"F"}, txt::IsCreated), DbStatus::Success);
    const auto written = rows();
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].text, "009:125 ???\nF is created");
    EXPECT_EQ(written[0].user, "???");
}

TEST_F(EventLogTest, AFailedInsertIsReportedAndReturnsItsStatus)
{
    std::remove((m_dir.path().toStdString() + "/EVENTLOG.DAT").c_str());
    m_script.expectMessage(QString::fromStdString("Error on database 'EVENTLOG' Return code = 2\n"
                                                   + m_dir.path().toStdString() + "/EVENTLOG.DAT"));
    EXPECT_EQ(LogFunctionEvent("002:125", {"F"}, txt::AreStopped), DbStatus::NotAvailable);

    std::ofstream(m_dir.path().toStdString() + "/EVENTLOG.DAT", std::ios::binary | std::ios::trunc)
        << std::string(4096, 'x');
    m_script.expectMessage(QString::fromStdString("Error on database 'EVENTLOG' Return code = 30\n"
                                                   + m_dir.path().toStdString() + "/EVENTLOG.DAT"));
    EXPECT_EQ(LogChangeLines("002:125", "F", {"line"}), DbStatus::NotATable);
}

TEST(EventRowPacking, RowsFillUpToTheirBudget)
{
    const std::string header = "001:125 GW\n"; // 11 characters
    // Budget for change lines: 300 - 11 - name (9) = 280; each line costs 1 + 69 = 70.
    std::vector<std::string> lines(5, std::string(69, 'x'));
    const auto rows = PackEventRows(header, "Func name", lines, {});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].size(), 300u) << "four lines fill the row exactly";
    EXPECT_EQ(rows[1], header + "Func name\n" + std::string(69, 'x'));

    // A single item that is too long on its own is still written.
    const auto single = PackEventRows(header, {}, {std::string(320, 'y')}, "is/are deleted");
    ASSERT_EQ(single.size(), 1u);
}

} // namespace
