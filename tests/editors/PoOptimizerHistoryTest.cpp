// The Po optimizer history against MCDEF as an upload from a real qelnetd
// left it: the charts, the export, and how the dialog closes.

#include "ScopedTimeZone.h"
#include "EditorFixture.h"

#include "editors/energy/PoOptimizerHistory.h"
#include "list/MCFODlg.h"
#include "list/FunctionListCtrl.h"
#include "list/ProgramOperations.h"
#include "protocol/LittleEndian.h"
#include "protocol/StrFormat.h"
#include "support/Clock.h"
#include "support/UiSeam.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QGroupBox>
#include <QLabel>
#include <QValueAxis>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr uint8_t PoMt = 12;

// What a chart shows.
struct Chart {
    QStringList labels;
    std::vector<double> hours;
    QColor colour;
    double hoursMaximum = 0;
    double percentMaximum = 0;
    QString hoursTitle;
    QString percentTitle;
};

Chart shown(const PoOptimizerHistory& dialog, HistoryPeriod period)
{
    Chart c;
    QChart* chart = dialog.chartView(period)->chart();
    const QList<QAbstractSeries*> series = chart->series();
    if (series.size() != 1)
        return c;
    QBarSet* bars = static_cast<QBarSeries*>(series.front())->barSets().value(0);
    for (int i = 0; bars && i < bars->count(); ++i)
        c.hours.push_back(bars->at(i));
    if (bars)
        c.colour = bars->color();
    for (QAbstractAxis* axis : chart->axes()) {
        if (auto* rows = qobject_cast<QBarCategoryAxis*>(axis))
            c.labels = rows->categories();
        auto* values = qobject_cast<QValueAxis*>(axis);
        if (values && axis->alignment() == Qt::AlignLeft) {
            c.hoursMaximum = values->max();
            c.hoursTitle = values->titleText();
        } else if (values && axis->alignment() == Qt::AlignRight) {
            c.percentMaximum = values->max();
            c.percentTitle = values->titleText();
        }
    }
    return c;
}

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

class PoOptimizerHistoryTest : public EditorFixture {
protected:
    void TearDown() override
    {
        SetFixedTime(std::nullopt);
        EditorFixture::TearDown();
    }

    // Runs the dialog; `steps` run once it is open. Its result, or nothing when it stayed open.
    static std::optional<int> runHistory(PoOptimizerHistory& dialog, const std::function<void()>& steps)
    {
        const std::optional<EditorResult> result = run(dialog, steps);
        return result ? std::optional<int>(int(*result)) : std::nullopt;
    }

    // Runs the dialog and presses OK once it is open: whether it was open, and the result.
    static std::pair<bool, std::optional<int>> openThenOk(PoOptimizerHistory& dialog)
    {
        bool open = false;
        const std::optional<int> result = runHistory(dialog, [&] {
            open = dialog.isVisible();
            button(dialog, "okButton")->click();
        });
        return {open, result};
    }

    // Opens the history of Po MT, presses Export and then OK; whether it was
    // still open after the export.
    static bool exportAndClose()
    {
        PoOptimizerHistory dialog("001:125", PoMt);
        bool open = false;
        runHistory(dialog, [&] {
            button(dialog, "exportButton")->click();
            open = dialog.isVisible();
            button(dialog, "okButton")->click();
        });
        return open;
    }

    // Both periods of Po MT replaced by `count` entries of `minutes` each.
    static void storeEqualHistory(size_t count, uint16_t minutes)
    {
        for (const uint8_t period : {3, 4}) {
            std::vector<McdefRecord> records;
            for (size_t first = 0; first < count; first += 20) {
                McdefRecord r(PoMt, BlockType::Data, period, uint8_t(records.size()));
                const size_t entries = std::min<size_t>(20, count - first);
                r[6] = uint8_t(entries);
                for (size_t i = 0; i < entries; ++i) {
                    uint8_t* e = r.data() + 7 + 5 * i;
                    e[0] = uint8_t(first + i);
                    e[1] = uint8_t(first + i + 1);
                    e[2] = 0;
                    le::putU16(e + 3, minutes);
                }
                records.push_back(r);
            }
            ASSERT_EQ(ReplaceBlocks(PoMt, BlockType::Data, period, records), DbStatus::Success);
        }
    }
};

TEST_F(PoOptimizerHistoryTest, ChartsShowTheUploadedEvaporatorsInListOrderUntilOk)
{
    start();
    PoOptimizerHistory dialog("001:125", PoMt);
    EXPECT_EQ(openThenOk(dialog), std::pair(true, std::optional<int>(IDOK)));
    EXPECT_EQ(dialog.windowTitle(), "Po Optimizer History");
    EXPECT_EQ(child<QLabel>(dialog, "numberLabel")->text(), "12");
    EXPECT_EQ(child<QLabel>(dialog, "nameLabel")->text(), "Po MT");
    EXPECT_EQ(child<QGroupBox>(dialog, "dayGroup")->title(), "Critical case, 24 Hour period");
    EXPECT_EQ(child<QGroupBox>(dialog, "weekGroup")->title(), "Critical case, 7 day period");

    const QStringList evaporators = {"001 A", "002 A", "003 A", "003 B", "012 A", "070 A"};
    const Chart day = shown(dialog, HistoryPeriod::Day);
    EXPECT_EQ(day.labels, evaporators);
    const std::vector<double> dayHours = {310 / 60.0, 95 / 60.0, 520 / 60.0, 3.0, 0.0, 335 / 60.0};
    EXPECT_EQ(day.hours, dayHours);
    EXPECT_EQ(day.hoursMaximum, 9);
    EXPECT_EQ(day.percentMaximum, 38);
    EXPECT_EQ(day.hoursTitle, "Hours of selection");
    EXPECT_EQ(day.percentTitle, "Hours in %");
    EXPECT_EQ(day.colour, QColor(32, 112, 176)) << "QebType.ini [History]";

    const Chart week = shown(dialog, HistoryPeriod::Week);
    EXPECT_EQ(week.labels, evaporators);
    ASSERT_EQ(week.hours.size(), 6u);
    EXPECT_EQ(week.hours[2], 3310 / 60.0);
    EXPECT_EQ(week.hoursMaximum, 56);
    EXPECT_EQ(week.percentMaximum, 33);
}

TEST_F(PoOptimizerHistoryTest, TwelveEvaporatorsOfEqualRankShowTenRowsOnScalesAboveSevenHours)
{
    start();
    storeEqualHistory(12, 420);
    m_home.setIni("QebType.ini", "History", "ColumnR", "");
    m_home.setIni("QebType.ini", "History", "ColumnG", "");
    m_home.setIni("QebType.ini", "History", "ColumnB", "");
    PoOptimizerHistory dialog("001:125", PoMt);
    openThenOk(dialog);
    const Chart day = shown(dialog, HistoryPeriod::Day);
    const Chart week = shown(dialog, HistoryPeriod::Week);
    EXPECT_EQ(day.labels.size(), 10);
    EXPECT_EQ(day.labels.front(), "001 A");
    EXPECT_EQ(day.labels.back(), "010 A");
    EXPECT_EQ(week.labels, day.labels);
    EXPECT_EQ(day.hoursMaximum, 8);
    EXPECT_EQ(day.percentMaximum, 33);
    EXPECT_EQ(week.hoursMaximum, 8);
    EXPECT_EQ(week.percentMaximum, 5);
    EXPECT_EQ(day.colour, QColor(0, 128, 128)) << "the colour without QebType.ini values";
}

TEST_F(PoOptimizerHistoryTest, ExportWritesTheStoredHistoryWithCrLfAndStaysOpen)
{
    start();
    SetFixedTime(ParseUtcTime("2026-12-06 14:08:09"));
    // The charts' selection does not reach the file: it reads every entry again.
    storeEqualHistory(12, 420);
    std::vector<McdefRecord> day;
    ASSERT_EQ(ReadBlocks(PoMt, BlockType::Data, 3, day), DbStatus::Success);
    day[0][7 + 5 * 11 + 1] = 255;  // the last entry has no controller
    ASSERT_EQ(ReplaceBlocks(PoMt, BlockType::Data, 3, day), DbStatus::Success);
    // Names are written in their code page, as they are stored.
    McdefRecord header;
    ASSERT_EQ(ReadBlock(PoMt, BlockType::Header, 0, 0, header), DbStatus::Success);
    header.setName("Po K\u00fchlung");
    ASSERT_EQ(UpdateBlock(header), DbStatus::Success);

    // The heading is in the operator's local time, as the event log and the report are.
    const ScopedTimeZone zone("CET-1");
    const std::string path = m_home.path() + "export/po.csv";
    m_script.expectSaveFile(QString::fromStdString(path));
    m_script.expectMessage(QString::fromStdString("Po optimizer was exported to data file\n'" + path + "'"));
    EXPECT_TRUE(exportAndClose());
    ASSERT_FALSE(m_script.prompts().empty());
    EXPECT_EQ(m_script.prompts().front().text, "001_MCF_12.csv") << "the proposed name";

    std::string expected =
        "Po Optimizer 'Po K\xfchlung'\r\nNet address 001, MCF number 12, 12/06/26 15:08:09 CET (UTC+01:00)\r\n\r\n";
    for (const char* title : {"24 Hour period", "7 day period"}) {
        expected += std::string(title) + "\r\nCase no.;Addr.;Sect.;Hours in %;Hours of selection;\r\n";
        const int last = title[0] == '2' ? 11 : 12;
        for (int i = 1; i <= last; ++i)
            expected += StrFormat("%d;%03d;A;", i, i) + (title[0] == '2' ? "29.2;7.0\r\n" : "4.2;7.0\r\n");
        expected += "\r\n";
    }
    EXPECT_EQ(fileBytes(path), expected);
}

TEST_F(PoOptimizerHistoryTest, AFileThatCannotBeCreatedIsNamedAndTheDialogStaysOpen)
{
    start();
    const std::vector<std::pair<std::string, std::string>> paths = {
        {m_home.path() + "missing/po.csv", "the folder " + m_home.path() + "missing does not exist"},
        {m_home.path() + "export", "it is a folder"}};
    for (const auto& [path, why] : paths) {
        SCOPED_TRACE(path);
        m_script.expectSaveFile(QString::fromStdString(path));
        m_script.expectMessage(
            QString::fromStdString("Output file could not be created ('" + path + "')\n" + path + " cannot be written: " + why));
        EXPECT_TRUE(exportAndClose());
    }
    // No file name chosen: nothing written, nothing said.
    m_script.expectSaveFile(std::nullopt);
    EXPECT_TRUE(exportAndClose());
}

TEST_F(PoOptimizerHistoryTest, EscapeAndTheCloseBoxGiveCancel)
{
    start();
    for (const auto& [wayName, way] : escapeAndCloseBox()) {
        SCOPED_TRACE(wayName);
        PoOptimizerHistory dialog("001:125", PoMt);
        bool open = false;
        EXPECT_EQ(runHistory(dialog,
                             [&, way = way] {
                                 open = dialog.isVisible();
                                 way(dialog);
                             }),
                  IDCANCEL);
        EXPECT_TRUE(open);
    }
}

TEST_F(PoOptimizerHistoryTest, WithoutHistoryItClosesAfterTheMessageAndWithoutANumberAtOnce)
{
    start();
    ASSERT_EQ(RemoveBlocks(PoMt, BlockType::Data, 4), DbStatus::Success);
    m_script.expectMessage("'Po MT': There are no historical data available");
    PoOptimizerHistory noWeek("001:125", PoMt);
    bool shown = false;
    EXPECT_EQ(runHistory(noWeek, [&] { shown = true; }), IDCANCEL);
    EXPECT_FALSE(shown);

    PoOptimizerHistory noNumber("001:125", 0);
    EXPECT_EQ(runHistory(noNumber, [&] { shown = true; }), -1);
    EXPECT_FALSE(shown);
}

TEST_F(PoOptimizerHistoryTest, AMissingHeaderIsReportedAndTheDialogOpensEmpty)
{
    start();
    m_script.expectMessageContaining("'MCDEF' Return code = 4");
    PoOptimizerHistory dialog("001:125", 50);
    EXPECT_EQ(openThenOk(dialog), std::pair(true, std::optional<int>(IDOK)));
    EXPECT_TRUE(dialog.chartView(HistoryPeriod::Day)->chart()->series().isEmpty());
}

TEST_F(PoOptimizerHistoryTest, TheFunctionListOpensTheHistoryOfTheSelectedPoOptimizer)
{
    start();
    MCFODlg list("001:125", "GW Market North", true, ProgramListOperations());
    QString name;
    QStringList rows;
    m_script.expectDialog("PoOptimizerHistory", [&](QDialog& d) {
        return int(run(d, [&] {
                       name = child<QLabel>(d, "nameLabel")->text();
                       rows = shown(static_cast<PoOptimizerHistory&>(d), HistoryPeriod::Week).labels;
                       button(d, "okButton")->click();
                   }).value_or(EditorResult::DatabaseFailure));
    });
    // The demo's twelve evaporators that were each critical for the same time.
    list.list().setRowSelected(list.list().rowOf(16), true);
    QPushButton* history = button(list, "historyButton");
    ASSERT_TRUE(history->isEnabled());
    history->click();
    EXPECT_EQ(name, "Po counters");
    EXPECT_EQ(rows, (QStringList{"004 A", "004 B", "006 A", "008 A", "010 A", "010 B", "013 A", "020 A", "071 A",
                                 "090 A"}));
}

} // namespace
