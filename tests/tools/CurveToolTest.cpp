// mcftool export curve, run as the built program on a demo home after an
// upload of gateway 001 from a real qelnetd: function 5 "Peak shaving" has
// consumption and load history (June: 23560.5 kWh normal tariff, no low
// tariff, 156.9 kW normal load, 189.5 kW peak load).

#include "editors/energy/CurveExport.h"
#include "UploadedDemoHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

class CurveToolTest : public UploadedDemoHome {
protected:
    ToolRun exportCurve(const QStringList& rest) const { return run(QStringList{"export", "curve", home(), "001"} + rest); }
    std::string exportFolder() const { return m_home.path() + "export/"; }
};

TEST_F(CurveToolTest, WritesTheDefaultFileInTheExportFolder)
{
    const ToolRun done = exportCurve({"5", "--now", "2026-07-15"});
    ASSERT_EQ(done.exitCode, 0) << done.err;
    const std::string path = exportFolder() + "MC1260701.csv";
    EXPECT_EQ(done.out, path + "\n");
    const std::string text = fileText(path);
    ASSERT_GT(text.size(), 16u);
    EXPECT_EQ(text.substr(0, 16), CurveChecksumLine(CurveChecksum(text.substr(16))) + "\r\n");
    EXPECT_NE(text.find("\r\nPeak Shaving\r\n\r\nLog name;"), std::string::npos);
    EXPECT_NE(text.find("\r\n2025-07-31 00:00:00;"), std::string::npos) << "the first of the twelve months";
    EXPECT_NE(text.find("\r\n2026-06-30 00:00:00;23560,5;0,0;156,9;189,5;\r\n\r\n"), std::string::npos)
        << "the last of them, then the closing empty line";
}

TEST_F(CurveToolTest, OutIsTakenAsTheChosenPath)
{
    const std::string chosen = exportFolder() + "curve.old.csv";
    const ToolRun done = exportCurve({"5", "--out", QString::fromStdString(chosen)});
    ASSERT_EQ(done.exitCode, 0) << done.err;
    EXPECT_EQ(done.out, exportFolder() + "curve.old\n");
    EXPECT_TRUE(std::filesystem::is_regular_file(exportFolder() + "curve.old"));
    EXPECT_FALSE(std::filesystem::exists(chosen));

    // The dots of the folders do not count: the file keeps its name.
    const std::string dotted = exportFolder() + "my.dir/curve.csv";
    ASSERT_TRUE(std::filesystem::create_directory(exportFolder() + "my.dir"));
    const ToolRun inDottedFolder = exportCurve({"5", "--out", QString::fromStdString(dotted)});
    ASSERT_EQ(inDottedFolder.exitCode, 0) << inDottedFolder.err;
    EXPECT_EQ(inDottedFolder.out, dotted + "\n");
    EXPECT_TRUE(std::filesystem::is_regular_file(dotted));
}

TEST_F(CurveToolTest, EveryFailureExitsOneWithTheMessage)
{
    // A regular file where the folder should be stops even root.
    std::ofstream(exportFolder() + "plain") << "not a folder";
    const std::string blocked = exportFolder() + "plain/curve.csv";
    const ToolRun notWritten = exportCurve({"5", "--out", QString::fromStdString(blocked)});
    EXPECT_EQ(notWritten.exitCode, 1);
    EXPECT_NE(notWritten.err.find("Cannot write to file " + blocked), std::string::npos) << notWritten.err;
    EXPECT_TRUE(notWritten.out.empty());

    const ToolRun invalid = exportCurve({"5", "--out", "bad|name.csv"});
    EXPECT_EQ(invalid.exitCode, 1);
    EXPECT_NE(invalid.err.find("bad|name.csv\nThis is not a valid filename."), std::string::npos) << invalid.err;

    const ToolRun notPeakShaving = exportCurve({"1"});
    EXPECT_EQ(notPeakShaving.exitCode, 1);
    EXPECT_NE(notPeakShaving.err.find("is not a peak shaving function"), std::string::npos) << notPeakShaving.err;

    const ToolRun unknown = exportCurve({"20"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("function 20 is not in MCDEF"), std::string::npos) << unknown.err;

    m_home.setIni("USER.INI", "intl", "sDecimal", ";");
    const ToolRun identical = exportCurve({"5"});
    EXPECT_EQ(identical.exitCode, 1);
    EXPECT_NE(identical.err.find("The list and decimal separators specified by the system are identical. "
                                 "Replace the list or decimal separator."),
              std::string::npos)
        << identical.err;

    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(exportFolder()), std::filesystem::directory_iterator()), 1)
        << "nothing but the blocking file";
}

} // namespace
