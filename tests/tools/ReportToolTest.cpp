// mcftool report, run as the built program on a demo home after an upload of
// gateway 001 from a real qelnetd: the text file and the PDF hold the same
// lines, read back from the PDF by pdftotext.

#include "UploadedDemoHome.h"

#include <QFile>
#include <QStandardPaths>

#include <sstream>

#include <sys/stat.h>

namespace {

class ReportToolTest : public UploadedDemoHome {
protected:
    ToolRun report(const QStringList& rest) const
    {
        return run(QStringList{"report", home(), "001"} + rest + QStringList{"--now", "2026-12-06 14:08"});
    }
    QString file(const char* name) const { return QString::fromStdString(m_home.path() + name); }
    static std::string fileText(const QString& path) { return UploadedDemoHome::fileText(path.toStdString()); }

    // The words of a line with one blank between them: pdftotext places words
    // by their position on the page, not by the blanks that were printed.
    static std::string words(const std::string& line)
    {
        std::istringstream in(line);
        std::string word, all;
        while (in >> word)
            all += (all.empty() ? "" : " ") + word;
        return all;
    }
    // The pages of a text, each a list of its lines as words; blank lines left
    // out, as a PDF has no text to read back for them.
    static std::vector<std::vector<std::string>> pages(const std::string& text)
    {
        std::vector<std::vector<std::string>> all(1);
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line)) {
            size_t feed;
            while ((feed = line.find('\f')) != std::string::npos) {
                if (const std::string before = words(line.substr(0, feed)); !before.empty())
                    all.back().push_back(before);
                all.emplace_back();
                line = line.substr(feed + 1);
            }
            if (const std::string rest = words(line); !rest.empty())
                all.back().push_back(rest);
        }
        while (!all.empty() && all.back().empty())
            all.pop_back();
        return all;
    }
};

TEST_F(ReportToolTest, ThePdfReadsBackWithTheLinesOfTheTextFile)
{
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    ASSERT_FALSE(pdftotext.isEmpty()) << "pdftotext (Debian poppler-utils) is needed";
    // As from cron or ssh, without a session's runtime folder: nothing to warn of.
    const QByteArray runtimeFolder = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    const ToolRun done = report({"--all", "--memory", "64", "--pdf", file("report.pdf"), "--text", file("report.txt")});
    if (!runtimeFolder.isEmpty())
        qputenv("XDG_RUNTIME_DIR", runtimeFolder);
    ASSERT_EQ(done.exitCode, 0) << done.err;
    EXPECT_TRUE(done.err.empty()) << done.err;

    const std::string text = fileText(file("report.txt"));
    const auto printed = pages(text);
    ASSERT_GE(printed.size(), 2u) << "every function of the demo gateway takes more than a page";
    EXPECT_EQ(done.out, std::to_string(printed.size()) + " pages\n");
    EXPECT_EQ(printed[0][0], "Function report printed by HOLM [Karin Holm] 2026-12-06 14:08 Page 1");
    EXPECT_TRUE(printed[0][1].starts_with("Network: 001:125, GW Market North, Used space: "));
    EXPECT_TRUE(printed[0][1].ends_with("[65K]"));
    EXPECT_NE(text.find("°C"), std::string::npos) << "the text file is UTF-8";

    const ToolRun read = RunTool(pdftotext, {"-layout", file("report.pdf"), file("readback.txt")}, 60000);
    ASSERT_EQ(read.exitCode, 0) << read.err;
    EXPECT_EQ(pages(fileText(file("readback.txt"))), printed);

    const QString pdfinfo = QStandardPaths::findExecutable("pdfinfo");
    ASSERT_FALSE(pdfinfo.isEmpty());
    const ToolRun info = RunTool(pdfinfo, {file("report.pdf")}, 60000);
    EXPECT_NE(info.out.find("MCF Print Report"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("A4"), std::string::npos) << info.out;
}

TEST_F(ReportToolTest, PageLinesAndChosenFunctions)
{
    ASSERT_EQ(report({"3", "--page-lines", "30", "--text", file("short.txt")}).exitCode, 0);
    const std::string text = fileText(file("short.txt"));
    std::istringstream in(text);
    std::string line;
    size_t onPage = 0;
    while (std::getline(in, line)) {
        if (line.starts_with("\f")) {
            EXPECT_LE(onPage, 30u);
            onPage = 0;
        }
        ++onPage;
    }
    EXPECT_LE(onPage, 30u);
    EXPECT_NE(text.find("\f"), std::string::npos) << "30 lines do not hold the overview and the section";
    EXPECT_NE(text.find("\nNo.: 3 "), std::string::npos);
    EXPECT_EQ(text.find("\nNo.: 1 "), std::string::npos) << "only the function asked for";
}

// The demo gateway as an operator reads its report: captions without their
// mnemonic marks, addresses as the lists show them, peak shaving with its
// settings, and functions that do not exist named and left out.
TEST_F(ReportToolTest, TheDemoReportReadsAsTheScreens)
{
    const ToolRun done = report({"1", "5", "12", "--text", file("demo.txt")});
    ASSERT_EQ(done.exitCode, 0) << done.err;
    const std::string text = fileText(file("demo.txt"));
    EXPECT_NE(text.find("\nBasic schedule\n"), std::string::npos);
    EXPECT_NE(text.find("\nForce schedule to\n"), std::string::npos);
    EXPECT_EQ(text.find('&'), std::string::npos) << "no mnemonic mark is printed";
    EXPECT_NE(text.find("\nPeak Shaving\nCalculated thermostat offset: "), std::string::npos) << text;
    EXPECT_NE(text.find("\nImpulses per kWh: 200\nLoad period: 15 min\n"), std::string::npos);
    EXPECT_NE(text.find("\n  003A            Meat 1 "), std::string::npos) << "Po rows: address and loop letter";
    EXPECT_NE(text.find("\n  003B            Meat 1 "), std::string::npos);

    const ToolRun partly = report({"3", "77", "--text", file("partly.txt")});
    EXPECT_EQ(partly.exitCode, 1) << "not everything asked was printed";
    EXPECT_NE(partly.err.find("Left out: No. 77 (does not exist)"), std::string::npos) << partly.err;
    EXPECT_NE(fileText(file("partly.txt")).find("\nNo.: 3 "), std::string::npos) << "the rest is printed";

    const ToolRun none = report({"77", "78", "--text", file("none.txt")});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("none of the chosen functions could be read. Left out: No. 77 (does not exist), "
                            "No. 78 (does not exist)"),
              std::string::npos)
        << none.err;
    EXPECT_FALSE(QFile::exists(file("none.txt"))) << "no overview is printed for nothing";
}

TEST_F(ReportToolTest, MistakesAreRefused)
{
    EXPECT_EQ(report({"--all"}).exitCode, 2) << "neither --pdf nor --text";
    EXPECT_EQ(report({"3", "--all", "--text", file("x.txt")}).exitCode, 2);
    EXPECT_EQ(report({"--all", "--page-lines", "0", "--text", file("x.txt")}).exitCode, 2);
    for (const std::string format : {"--text", "--pdf"}) {
        const ToolRun unwritable = report({"--all", QString::fromStdString(format), file("missing/x")});
        EXPECT_EQ(unwritable.exitCode, 1) << format;
        EXPECT_NE(unwritable.err.find("mcftool report: " + file("missing/x").toStdString() + " cannot be written: the "
                                      "folder " + file("missing").toStdString() + " does not exist"),
                  std::string::npos)
            << format << ": the file and why\n" << unwritable.err;
        EXPECT_EQ(unwritable.err.find("QPainter"), std::string::npos) << unwritable.err;
    }
    // A FIFO would be waited on for ever.
    const QString fifo = file("report.fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const std::string format : {"--text", "--pdf"}) {
        const ToolRun intoFifo = report({"--all", QString::fromStdString(format), fifo});
        EXPECT_EQ(intoFifo.exitCode, 1) << format;
        EXPECT_NE(intoFifo.err.find(fifo.toStdString() + " cannot be written: it is a FIFO"),
                  std::string::npos)
            << intoFifo.err;
    }
}

} // namespace
