#include "editors/energy/PoOptimizerHistory.h"
#include "ui_PoOptimizerHistory.h"

#include "editors/energy/PoHistoryExport.h"
#include "model/McdefAccess.h"
#include "model/Messages.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "protocol/GatewayCodes.h"
#include "support/DbStatus.h"
#include "support/UiSeam.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QValueAxis>

namespace {

// Each value axis is divided into five parts.
constexpr int AxisTicks = 6;

} // namespace

PoOptimizerHistory::PoOptimizerHistory(const std::string& gatewayAddress, int functionNumber, QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::PoOptimizerHistory)
    , m_gatewayAddress(gatewayAddress)
    , m_number(functionNumber)
{
    m_ui->setupUi(this);
    DialogTexts(this);
    const QString criticalCase = QText(txt::CriticalCase) + QStringLiteral(", ");
    m_ui->dayGroup->setTitle(criticalCase + QText(txt::Period24Hours));
    m_ui->weekGroup->setTitle(criticalCase + QText(txt::Period7Days));

    m_dayChart = new QChartView(m_ui->dayGroup);
    m_dayChart->setObjectName(QStringLiteral("dayChart"));
    m_ui->dayLayout->addWidget(m_dayChart);
    m_weekChart = new QChartView(m_ui->weekGroup);
    m_weekChart->setObjectName(QStringLiteral("weekChart"));
    m_ui->weekLayout->addWidget(m_weekChart);
    for (QChartView* view : {m_dayChart, m_weekChart}) {
        view->setRenderHint(QPainter::Antialiasing);
        view->chart()->legend()->hide();
    }

    connect(m_ui->okButton, &QPushButton::clicked, this, [this] { done(IDOK); });
    connect(m_ui->exportButton, &QPushButton::clicked, this, &PoOptimizerHistory::exportHistory);
}

PoOptimizerHistory::~PoOptimizerHistory() = default;

QChartView* PoOptimizerHistory::chartView(HistoryPeriod period) const
{
    return period == HistoryPeriod::Day ? m_dayChart : m_weekChart;
}

int PoOptimizerHistory::exec()
{
    if (m_number < 1 || m_number > MaxFunctionNumber)
        return -1;
    Loaded loaded;
    {
        WaitCursor wait;
        loaded = load();
    }
    if (loaded == Loaded::Unreadable)
        return -1;
    if (loaded == Loaded::NoHistory)
        return IDCANCEL;
    return QDialog::exec();
}

void PoOptimizerHistory::reject() { done(IDCANCEL); }

PoOptimizerHistory::Loaded PoOptimizerHistory::load()
{
    m_ui->numberLabel->setText(QString::number(m_number));
    McdefRecord header;
    if (const uint16_t status = ReadBlock(uint8_t(m_number), BlockType::Header, 0, 0, header);
        status != DbStatus::Success) {
        ReportDbError(table::Mcdef, status, __FILE__, __LINE__, this);
        return Loaded::Shown;
    }
    m_name = header.name();
    m_ui->nameLabel->setText(QString::fromStdString(m_name));

    std::vector<HistoryEntry> day;
    std::vector<HistoryEntry> week;
    for (const auto& [period, entries] : {std::pair{HistoryPeriod::Day, &day}, {HistoryPeriod::Week, &week}})
        if (const uint16_t status = ReadHistoryPeriod(uint8_t(m_number), period, *entries);
            status != DbStatus::Success) {
            ReportDbError(table::Mcdef, status, __FILE__, __LINE__, this);
            return Loaded::Unreadable;
        }
    if (day.empty() || week.empty()) {
        ShowMessage(QStringLiteral("'") + QString::fromStdString(m_name) + QStringLiteral("': ")
                        + QText(txt::NoHistoricalData),
                    MB::IconInformation, this);
        return Loaded::NoHistory;
    }
    SelectHistoryRows(day, week);
    fillChart(HistoryPeriod::Day, day);
    fillChart(HistoryPeriod::Week, week);
    return Loaded::Shown;
}

void PoOptimizerHistory::fillChart(HistoryPeriod period, const std::vector<HistoryEntry>& entries)
{
    QChart* chart = chartView(period)->chart();
    const BarColour colour = HistoryBarColour();
    auto* bars = new QBarSet(QString());
    bars->setColor(QColor(colour.red, colour.green, colour.blue));
    QStringList labels;
    for (const HistoryEntry& entry : entries) {
        bars->append(entry.hours());
        labels << QString::fromStdString(HistoryRowLabel(entry));
    }
    auto* series = new QBarSeries;
    series->append(bars);
    chart->addSeries(series);

    const HistoryAxes maxima = HistoryAxisMaxima(entries, PeriodInfo(period).hours);
    auto* rows = new QBarCategoryAxis;
    rows->append(labels);
    chart->addAxis(rows, Qt::AlignBottom);
    series->attachAxis(rows);
    const auto valueAxis = [chart](uint16_t titleId, int maximum, Qt::Alignment side) {
        auto* axis = new QValueAxis;
        axis->setTitleText(QText(titleId));
        axis->setRange(0, maximum);
        axis->setTickCount(AxisTicks);
        chart->addAxis(axis, side);
        return axis;
    };
    series->attachAxis(valueAxis(txt::HoursOfSelection, maxima.hoursMaximum, Qt::AlignLeft));
    valueAxis(txt::HoursInPercent, maxima.percentMaximum, Qt::AlignRight);
}

void PoOptimizerHistory::exportHistory()
{
    const QString proposed = QString::fromStdString(DefaultHistoryExportPath(m_gatewayAddress, uint8_t(m_number)));
    const qsizetype slash = proposed.lastIndexOf(QLatin1Char('/'));
    SaveFileRequest request;
    request.directory = proposed.left(slash + 1);
    request.fileName = proposed.mid(slash + 1);
    request.filter = QText(txt::ExcelCsvFiles) + QStringLiteral(" (*.csv);;") + QText(txt::AllFiles)
        + QStringLiteral(" (*.*)");
    request.defaultSuffix = QStringLiteral("csv");
    const std::optional<QString> chosen = ui().saveFileName(this, request);
    if (!chosen)
        return;
    const std::string path = QFile::encodeName(*chosen).toStdString();
    bool written = false;
    std::string problem;
    {
        WaitCursor wait;
        written = ExportHistory(path, m_gatewayAddress, uint8_t(m_number), m_name, nullptr, &problem);
    }
    if (!written) {
        ShowMessage(QString::fromStdString(HistoryNotExportedMessage(path) + "\n" + problem), MB::IconStop, this);
        return;
    }
    ShowMessage(QString::fromStdString(HistoryExportedMessage(path)), MB::IconInformation, this);
}
