// The curve file of a peak shaving function: its text byte for byte, the
// months it covers, the checksum line, the path rules, and the export as a
// whole on a demo home whose MCDEF holds a function's history records.

#include "editors/energy/CurveExport.h"

#include "CheckedScript.h"
#include "model/McdefAccess.h"
#include "protocol/LittleEndian.h"
#include "support/Clock.h"
#include "support/DbStatus.h"
#include "support/OrpaPaths.h"
#include "support/RecordStore.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>
#include <sstream>

namespace {

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    EXPECT_EQ(start, text.size()) << "the text ends with CR LF";
    return lines;
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

CalendarTime date(int year, int month, int day = 15) { return CalendarTime{year, month, day, 10, 30, 0}; }

// A function's history in which every value tells its place: month m has
// consumption (m * 1000 + 0.5, m * 100) and load (m + 0.25, m * 2 + 0.75).
CurveFileContent sampleContent(CurveSeparators separators, const CalendarTime& now)
{
    CurveFileContent c;
    c.typeName = "Peak Shaving";
    c.functionName = "Peak shaving";
    c.functionNumber = 5;
    c.gatewayAddress = "001:125";
    c.gatewayIdCode = "GW Market North";
    for (int m = 1; m <= PeakGraphRows; ++m) {
        c.consumption[size_t(m - 1)] = {m * 1000 + 0.5, m * 100.0};
        c.load[size_t(m - 1)] = {m + 0.25, m * 2 + 0.75};
    }
    c.separators = separators;
    c.now = now;
    return c;
}

TEST(CurveFileTest, TheBodyIsLaidOutLineByLine)
{
    const std::vector<std::string> lines =
        linesOf(CurveFileBody(sampleContent({';', ','}, date(1999, 1))));
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_EQ(lines[0], "Peak Shaving");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "Log name;ZUL system addr.;QEB system addr.;ZUL ID code;QEB ID code;Default text;"
                        "Custom text;Log no.;Log type;Block type;Block no.;Par. no.;Par. type;");
    EXPECT_EQ(lines[3], "[01] Peak shaving 005;001:125;001:125;GW Market North  ;GW Market North  ;"
                        "Normal tariff       ;Normal tariff       ;5;9;0;0;1;250");
    EXPECT_EQ(lines[4], "[02] Peak shaving 005;001:125;001:125;GW Market North  ;GW Market North  ;"
                        "Low tariff          ;Low tariff          ;5;9;0;0;2;250");
    EXPECT_EQ(lines[5], "[03] Peak shaving 005;001:125;001:125;GW Market North  ;GW Market North  ;"
                        "Normal load         ;Normal load         ;5;9;0;0;3;250");
    EXPECT_EQ(lines[6], "[04] Peak shaving 005;001:125;001:125;GW Market North  ;GW Market North  ;"
                        "Peak load           ;Peak load           ;5;9;0;0;4;250");
    EXPECT_EQ(lines[7], "");
    EXPECT_EQ(lines[8], "Date/Time;[01];[02];[03];[04];");
    EXPECT_EQ(lines[9], "1998-01-31 00:00:00;1000,5;100,0;1,2;2,8;")
        << "January's values; %.1f rounds 1.25 to even and 2.75 up";
    EXPECT_EQ(lines[20], "1998-12-31 00:00:00;12000,5;1200,0;12,2;24,8;");
    EXPECT_EQ(lines[21], "");
}

TEST(CurveFileTest, TheExampleMonthWithTheUsersSeparators)
{
    CurveFileContent c = sampleContent({';', ','}, date(1998, 7));
    c.consumption[5] = {1234.5, 0};
    c.load[5] = {float(80.3), float(99.9)};
    EXPECT_NE(CurveFileBody(c).find("\r\n1998-06-30 00:00:00;1234,5;0,0;80,3;99,9;\r\n"), std::string::npos);

    c.separators = {'\t', '.'};
    EXPECT_NE(CurveFileBody(c).find("\r\n1998-06-30 00:00:00\t1234.5\t0.0\t80.3\t99.9\t\r\n"), std::string::npos);
}

TEST(CurveFileTest, TwelveCompleteMonthsEndWithThePreviousMonthAndFebruaryHas28Days)
{
    const auto january = CurveMonths(date(1999, 1, 1));
    EXPECT_EQ(january.front().year, 1998);
    EXPECT_EQ(january.front().month, 1);
    EXPECT_EQ(january.back().year, 1998);
    EXPECT_EQ(january.back().month, 12);
    const int days1998[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (size_t i = 0; i < 12; ++i)
        EXPECT_EQ(january[i].day, days1998[i]) << "month " << january[i].month;

    // July 2000: July 1999 to June 2000; February of the leap year 2000 still ends on the 28th.
    const auto july = CurveMonths(date(2000, 7, 31));
    EXPECT_EQ(july.front().year, 1999);
    EXPECT_EQ(july.front().month, 7);
    EXPECT_EQ(july[7].year, 2000);
    EXPECT_EQ(july[7].month, 2);
    EXPECT_EQ(july[7].day, 28);
    EXPECT_EQ(july.back().year, 2000);
    EXPECT_EQ(july.back().month, 6);
    EXPECT_EQ(july.back().day, 30);

    const std::vector<std::string> lines = linesOf(CurveFileBody(sampleContent({';', ','}, date(2000, 7))));
    EXPECT_EQ(lines[9], "1999-07-31 00:00:00;7000,5;700,0;7,2;14,8;") << "each month shows its own values";
    EXPECT_EQ(lines[16], "2000-02-28 00:00:00;2000,5;200,0;2,2;4,8;");
}

TEST(CurveFileTest, TheChecksumLineCarries21AndTheSumOfTheBody)
{
    EXPECT_EQ(CurveChecksumLine(12345), "21 00000012345");
    EXPECT_EQ(CurveChecksumLine(0), "21 00000000000");
    EXPECT_EQ(CurveChecksum(std::string("\x01\xff\r\n", 4)), 1u + 255u + 13u + 10u) << "bytes count unsigned";
}

TEST(CurveFileTest, DefaultNameAndChosenPath)
{
    EXPECT_EQ(DefaultCurveFileName(date(1998, 7)), "MC980701.csv");
    EXPECT_EQ(DefaultCurveFileName(date(2000, 7)), "MC1000701.csv");
    EXPECT_EQ(DefaultCurveFileName(date(2026, 12)), "MC1261201.csv");

    EXPECT_EQ(CurveFilePath("curve.old.csv"), "curve.old");
    EXPECT_EQ(CurveFilePath("/exp/curve.csv"), "/exp/curve.csv");
    EXPECT_EQ(CurveFilePath("/exp/curve"), "/exp/curve");
    EXPECT_EQ(CurveFilePath("/exp.2/curve.csv"), "/exp.2/curve.csv") << "only the file's name counts";
    EXPECT_EQ(CurveFilePath("/home/op/.local/share/velt-demo/export/MC1261201.csv"),
              "/home/op/.local/share/velt-demo/export/MC1261201.csv");
    EXPECT_EQ(CurveFilePath("/exp.2/curve.old.csv"), "/exp.2/curve.old");
    EXPECT_EQ(CurveFilePath(".hidden.csv"), ".hidden");
}

TEST(CurveFileTest, WritingPutsTheChecksumLineOverThePlaceholder)
{
    const std::string folder = ::testing::TempDir() + "curve-write/";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string path = folder + "MC990101.csv";
    // An older, longer file of that name is replaced.
    std::ofstream(path) << std::string(5000, 'z');
    const std::string body = CurveFileBody(sampleContent({';', ','}, date(1999, 1)));
    ASSERT_EQ(WriteCurveFile(path, body), CurveWriteResult::Written);
    const std::string text = fileText(path);
    EXPECT_EQ(text, CurveChecksumLine(CurveChecksum(body)) + "\r\n" + body);
    EXPECT_EQ(CurveChecksum(body), std::accumulate(body.begin(), body.end(), 0u,
                                                   [](uint32_t sum, char c) { return sum + uint8_t(c); }));

    EXPECT_EQ(WriteCurveFile(folder, body), CurveWriteResult::NotCreated) << "a folder is no file";
    EXPECT_EQ(WriteCurveFile(path + "/inner.csv", body), CurveWriteResult::NotCreated)
        << "a file where the folder should be";
    std::filesystem::remove_all(folder);
}

// The export on a demo home whose MCDEF holds function 5's history records.
class CurveExportTest : public ::testing::Test {
protected:
    static constexpr uint8_t Number = 5;

    void SetUp() override
    {
        ASSERT_TRUE(m_home.ok());
        SetFixedTime(*ParseUtcTime("2026-12-06 19:00:00"));
        for (uint8_t block : {3, 4}) {
            McdefRecord record(Number, BlockType::Data, block, 0);
            for (int i = 0; i < 2 * PeakGraphRows; ++i)
                le::putF32(record.data() + 6 + 4 * i, float(block * 1000 + i) + 0.5f);
            ASSERT_EQ(InsertBlock(record), DbStatus::Success);
        }
    }
    void TearDown() override
    {
        SetFixedTime(std::nullopt);
        RecordStore::instance().closeAll();
    }

    CurveExportResult exportTo(std::optional<std::string> path, std::string* written = nullptr,
                               const std::string& gateway = "001:125")
    {
        return ExportCurve({gateway, Number, 4, "Peak shaving"},
                           [this, path](const std::string& folder, const std::string& fileName) {
                               m_offered = folder + "|" + fileName;
                               return path;
                           },
                           nullptr, written);
    }

    std::string exportFolder() const { return m_home.path() + "export/"; }

    TestHome m_home;
    CheckedScript m_script;
    std::string m_offered;
};

TEST_F(CurveExportTest, WritesTheFileInTheChosenPlace)
{
    std::string written;
    ASSERT_EQ(exportTo(exportFolder() + "curve.csv", &written), CurveExportResult::Written);
    EXPECT_EQ(m_offered, ExportDirectory() + "|MC1261201.csv") << "the export folder and the name for December 2026";
    EXPECT_EQ(written, exportFolder() + "curve.csv");

    const std::vector<std::string> lines = linesOf(fileText(written));
    ASSERT_EQ(lines.size(), 23u);
    const std::string checksumLine = lines[0];
    const std::string text = fileText(written);
    EXPECT_EQ(checksumLine, CurveChecksumLine(CurveChecksum(text.substr(16))));
    EXPECT_EQ(lines[1], "Peak Shaving");
    EXPECT_EQ(lines[4].substr(0, 63), "[01] Peak shaving 005;001:125;001:125;GW Market North  ;GW Mark");
    // December 2025 to November 2026; block 3 holds low tariff in its first half, normal tariff in its
    // second; block 4 normal load, then peak load.
    EXPECT_EQ(lines[10], "2025-12-31 00:00:00;3024,5;3011,5;4011,5;4024,5;");
    EXPECT_EQ(lines[21], "2026-11-30 00:00:00;3023,5;3010,5;4010,5;4023,5;");
}

TEST_F(CurveExportTest, APathWithTwoDotsLosesItsLastPart)
{
    std::string written;
    ASSERT_EQ(exportTo(exportFolder() + "curve.old.csv", &written), CurveExportResult::Written);
    EXPECT_EQ(written, exportFolder() + "curve.old");
    EXPECT_TRUE(std::filesystem::is_regular_file(exportFolder() + "curve.old"));
    EXPECT_FALSE(std::filesystem::exists(exportFolder() + "curve.old.csv"));
}

TEST_F(CurveExportTest, IdenticalSeparatorsRefuseBeforeThePathIsAsked)
{
    m_home.setIni("USER.INI", "intl", "sList", ",");
    m_home.setIni("USER.INI", "intl", "sDecimal", ",");
    m_script.expectMessage("The list and decimal separators specified by the system are identical. "
                           "Replace the list or decimal separator.");
    EXPECT_EQ(exportTo(exportFolder() + "curve.csv"), CurveExportResult::SeparatorsIdentical);
    EXPECT_TRUE(m_offered.empty()) << "no file dialog";
    EXPECT_EQ(m_script.prompts().at(0).style & MB::IconMask, unsigned(MB::IconExclamation));
    EXPECT_EQ(m_script.beeps(), 1);
    EXPECT_TRUE(std::filesystem::is_empty(exportFolder()));
}

TEST_F(CurveExportTest, SeparatorsComeFromTheUserProfile)
{
    const CurveSeparators demo = ReadCurveSeparators();
    EXPECT_EQ(demo.list, ';');
    EXPECT_EQ(demo.decimal, ',');
    m_home.setIni("USER.INI", "intl", "sList", "|;");
    m_home.setIni("USER.INI", "intl", "sDecimal", "");
    const CurveSeparators changed = ReadCurveSeparators();
    EXPECT_EQ(changed.list, '|') << "one character";
    EXPECT_EQ(changed.decimal, '.') << "the default for an empty value";
}

TEST_F(CurveExportTest, AMissingGraphStopsTheExportBeforeTheFile)
{
    ASSERT_EQ(RemoveBlocks(Number, BlockType::Data, 4), DbStatus::Success);
    m_script.expectMessage("Graph data not found");
    EXPECT_EQ(exportTo(exportFolder() + "curve.csv"), CurveExportResult::GraphDataUnreadable);
    EXPECT_TRUE(std::filesystem::is_empty(exportFolder()));
}

TEST_F(CurveExportTest, AFileThatCannotBeCreatedIsNamed)
{
    // Root writes into read-only folders; a regular file where the folder should be stops anyone.
    std::ofstream(exportFolder() + "plain") << "not a folder";
    const std::string path = exportFolder() + "plain/curve.csv";
    m_script.expectMessage(QString::fromStdString("Cannot write to file " + path + "\n" + path
                                                   + " cannot be written: Not a directory"));
    EXPECT_EQ(exportTo(path), CurveExportResult::NotCreated);
    EXPECT_EQ(m_script.prompts().at(0).style & MB::IconMask, unsigned(MB::IconExclamation));
    EXPECT_EQ(m_script.beeps(), 1);
}

TEST_F(CurveExportTest, AGatewayWithoutNodeRecordHasAnEmptyIdCode)
{
    std::string written;
    ASSERT_EQ(exportTo(exportFolder() + "curve.csv", &written, "009:125"), CurveExportResult::Written);
    const std::vector<std::string> lines = linesOf(fileText(written));
    const std::string blank(17, ' ');
    EXPECT_EQ(lines.at(4).substr(0, 80), "[01] Peak shaving 005;009:125;009:125;" + blank + ";" + blank + ";Normal");
}

TEST_F(CurveExportTest, AnUnreadableNetConfigurationIsToldAndTheFileIsWrittenWithoutIdCode)
{
    RecordStore::instance().closeAll();
    std::filesystem::remove(RecordStore::instance().tableFile("NETCNF"));
    m_script.expectMessage(QString::fromStdString("Error on database 'NETCNF' Return code = 2\n"
                                                   + RecordStore::instance().tableFile("NETCNF")));
    std::string written;
    ASSERT_EQ(exportTo(exportFolder() + "curve.csv", &written), CurveExportResult::WrittenWithoutIdCode);
    const std::string blank(17, ' ');
    EXPECT_EQ(linesOf(fileText(written)).at(4).substr(0, 80),
              "[01] Peak shaving 005;001:125;001:125;" + blank + ";" + blank + ";Normal");
}

} // namespace
