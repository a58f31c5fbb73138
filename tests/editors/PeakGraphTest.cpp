// The consumption and load graphs of a peak shaving function end to end: the
// demo gateway 001 uploaded from a real qelnetd, whose function 5 "Peak
// shaving" reports twelve months and the current month of consumption (June's
// low tariff is 0) and load; the real graph dialog offscreen.

#include "editors/EditorFixture.h"

#include "editors/energy/PeakGDlg.h"
#include "support/Clock.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QLabel>
#include <QValueAxis>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

constexpr uint8_t PeakShaving = 5;
constexpr int PeakShavingType = 4;

class PeakGraphTest : public EditorFixture {
protected:
    void TearDown() override
    {
        SetFixedTime(std::nullopt);
        EditorFixture::TearDown();
    }

    static std::unique_ptr<PeakGDlg> graph(PeakGDlg::Mode mode, uint8_t number = PeakShaving)
    {
        return std::make_unique<PeakGDlg>("001:125", number, PeakShavingType, "Peak shaving", mode);
    }

    static QBarSeries* bars(PeakGDlg& d) { return static_cast<QBarSeries*>(d.chart()->series().value(0)); }

    static QColor boxColour(PeakGDlg& d, const char* name)
    {
        return child<QLabel>(d, name)->pixmap().toImage().pixelColor(2, 2);
    }

    static std::string fileText(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

TEST_F(PeakGraphTest, ConsumptionShowsNormalAndLowTariffPerMonthInKwh)
{
    start();
    auto dialog = graph(PeakGDlg::Mode::Consumption);
    PeakGDlg& d = *dialog;
    const auto result = runDialog(d, [&d] {
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.windowTitle(), "ZUL control function - Peak Shaving, Consumption");
        auto* categories = static_cast<QBarCategoryAxis*>(d.chart()->axes(Qt::Horizontal).value(0));
        ASSERT_NE(categories, nullptr);
        EXPECT_EQ(categories->categories(), QStringList({"Jan.", "Feb.", "Mar.", "Apr.", "May", "Jun.", "Jul.", "Aug.",
                                                         "Sep.", "Okt.", "Nov.", "Dec.", "Cur.<br>month"}))
            << "the current month on two lines";
        auto* values = static_cast<QValueAxis*>(d.chart()->axes(Qt::Vertical).value(0));
        ASSERT_NE(values, nullptr);
        EXPECT_EQ(values->titleText(), "kWh");
        EXPECT_GE(values->max(), float(25710.2)) << "the scale reaches the largest month";

        ASSERT_NE(bars(d), nullptr);
        const QList<QBarSet*> sets = bars(d)->barSets();
        ASSERT_EQ(sets.size(), 2);
        EXPECT_EQ(sets[0]->label(), "Normal tariff");
        EXPECT_EQ(sets[0]->color(), QColor(255, 255, 0));
        EXPECT_EQ(sets[1]->label(), "Low tariff");
        EXPECT_EQ(sets[1]->color(), QColor(0, 0, 255));
        ASSERT_EQ(sets[0]->count(), 13);
        ASSERT_EQ(sets[1]->count(), 13);
        EXPECT_EQ(sets[0]->at(0), float(21350.4)) << "January, normal tariff";
        EXPECT_EQ(sets[1]->at(0), float(9120.5)) << "January, low tariff";
        EXPECT_EQ(sets[0]->at(5), float(23560.5)) << "June, normal tariff";
        EXPECT_EQ(sets[1]->at(5), 0.0) << "June, low tariff";
        EXPECT_EQ(sets[0]->at(12), float(7480.8)) << "current month, normal tariff";
        EXPECT_EQ(sets[1]->at(12), float(3120.4)) << "current month, low tariff";

        EXPECT_EQ(child<QLabel>(d, "firstLegendText")->text(), "Normal tariff");
        EXPECT_EQ(boxColour(d, "firstColourBox"), QColor(255, 255, 0));
        EXPECT_EQ(child<QLabel>(d, "secondLegendText")->text(), "Low tariff");
        EXPECT_EQ(boxColour(d, "secondColourBox"), QColor(0, 0, 255));
        button(d, "closeButton")->click();
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(PeakGraphTest, LoadShowsNormalAndPeakLoadPerMonthInKw)
{
    start();
    auto dialog = graph(PeakGDlg::Mode::Load);
    PeakGDlg& d = *dialog;
    const auto result = runDialog(d, [&d] {
        EXPECT_EQ(d.windowTitle(), "ZUL control function - Peak Shaving, Load");
        EXPECT_EQ(static_cast<QValueAxis*>(d.chart()->axes(Qt::Vertical).value(0))->titleText(), "kW");
        const QList<QBarSet*> sets = bars(d)->barSets();
        ASSERT_EQ(sets.size(), 2);
        EXPECT_EQ(sets[0]->label(), "Normal load");
        EXPECT_EQ(sets[0]->color(), QColor(0, 255, 0));
        EXPECT_EQ(sets[1]->label(), "Peak load");
        EXPECT_EQ(sets[1]->color(), QColor(255, 0, 0));
        EXPECT_EQ(sets[0]->at(0), float(142.5)) << "January, normal load";
        EXPECT_EQ(sets[1]->at(0), float(171.2)) << "January, peak load";
        EXPECT_EQ(sets[1]->at(12), float(178.9)) << "current month, peak load";
        EXPECT_EQ(child<QLabel>(d, "firstLegendText")->text(), "Normal load");
        EXPECT_EQ(boxColour(d, "firstColourBox"), QColor(0, 255, 0));
        EXPECT_EQ(child<QLabel>(d, "secondLegendText")->text(), "Peak load");
        EXPECT_EQ(boxColour(d, "secondColourBox"), QColor(255, 0, 0));
    });
    EXPECT_FALSE(result) << "the graph stays open until it is closed";
}

TEST_F(PeakGraphTest, CloseEscapeAndTheCloseBoxEndTheGraphAlike)
{
    start();
    for (const PeakGDlg::Mode mode : {PeakGDlg::Mode::Consumption, PeakGDlg::Mode::Load}) {
        // One graph opened again and again shows its months once.
        auto dialog = graph(mode);
        PeakGDlg& d = *dialog;
        for (const auto& [wayName, way] : leavingWays("closeButton")) {
            SCOPED_TRACE(wayName);
            EXPECT_EQ(runDialog(d, [&d, &way] { way(d); }), IDCANCEL);
            EXPECT_EQ(bars(d)->barSets().at(0)->count(), PeakGraphRows);
        }
    }
}

TEST_F(PeakGraphTest, AGraphWithoutDataEndsWithMinusOneUnshown)
{
    start();
    // The gateway reported consumption, but no load.
    ASSERT_EQ(RemoveBlocks(PeakShaving, BlockType::Data, 4), DbStatus::Success);
    m_script.expectMessage("Graph data not found");
    auto dialog = graph(PeakGDlg::Mode::Load);
    PeakGDlg& d = *dialog;
    bool shown = false;
    EXPECT_EQ(runDialog(d, [&d, &shown] { shown = d.isVisible(); }), -1);
    EXPECT_FALSE(shown);
    ASSERT_FALSE(m_script.prompts().empty());
    EXPECT_EQ(m_script.prompts().back().style & MB::IconMask, unsigned(MB::IconStop));
    EXPECT_EQ(m_script.beeps(), 1);
}

TEST_F(PeakGraphTest, ExportWritesBothGraphsOfTheLastTwelveMonthsAndTheGraphStaysOpen)
{
    start();
    SetFixedTime(*ParseUtcTime("2026-07-15 10:00:00"));
    // A folder with a dot in its name, as the package's default home has one, keeps the file's ".csv".
    const std::string path = m_home.path() + "velt.export/peak.csv";
    ASSERT_TRUE(std::filesystem::create_directory(m_home.path() + "velt.export"));
    m_script.expectSaveFile(QString::fromStdString(path))
        .expectMessage(QString::fromStdString("Curve data was exported to data file\n'" + path + "'"));
    auto dialog = graph(PeakGDlg::Mode::Load);
    PeakGDlg& d = *dialog;
    const auto result = runDialog(d, [&d] {
        button(d, "exportButton")->click();
        EXPECT_TRUE(d.isVisible());
    });
    EXPECT_FALSE(result);
    ASSERT_EQ(m_script.prompts().size(), 2u);
    EXPECT_EQ(m_script.prompts()[0].text, "MC1260701.csv") << "the default name for July 2026";
    EXPECT_EQ(m_script.prompts()[1].style & MB::IconMask, unsigned(MB::IconInformation));

    const std::string text = fileText(path);
    EXPECT_NE(text.find("\r\n[01] Peak shaving 005;001:125;001:125;GW Market North  ;GW Market North  ;"
                        "Normal tariff       ;Normal tariff       ;5;9;0;0;1;250\r\n"),
              std::string::npos);
    // June 2026: normal tariff, low tariff (0), normal load, peak load, with the user's ";" and ",".
    EXPECT_NE(text.find("\r\n2026-06-30 00:00:00;23560,5;0,0;156,9;189,5;\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nDate/Time;[01];[02];[03];[04];\r\n2025-07-31 00:00:00;"), std::string::npos)
        << "the first month is July of the year before";
}

TEST_F(PeakGraphTest, AnInvalidFileNameIsRefusedAndAskedAgain)
{
    start();
    m_script.expectSaveFile(QStringLiteral("bad|name.csv"))
        .expectMessage("bad|name.csv\nThis is not a valid filename.")
        .expectSaveFile(std::nullopt);
    auto dialog = graph(PeakGDlg::Mode::Consumption);
    PeakGDlg& d = *dialog;
    const auto result = runDialog(d, [&d] { button(d, "exportButton")->click(); });
    EXPECT_FALSE(result);
    EXPECT_EQ(m_script.beeps(), 1);
    EXPECT_FALSE(std::filesystem::exists("bad|name.csv"));
}

} // namespace
