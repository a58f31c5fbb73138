#include "editors/energy/PeakGDlg.h"
#include "ui_PeakGDlg.h"

#include "editors/energy/CurveExport.h"
#include "model/Messages.h"
#include "model/Texts.h"
#include "model/TypeNames.h"
#include "support/DbStatus.h"
#include "support/UiSeam.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QPixmap>
#include <QValueAxis>

#include <algorithm>

namespace {

constexpr int ColourBoxSize = 12;

QPixmap colourBox(const QColor& colour)
{
    QPixmap box(ColourBoxSize, ColourBoxSize);
    box.fill(colour);
    return box;
}

} // namespace

PeakGDlg::PeakGDlg(const std::string& gatewayAddress, int functionNumber, int functionType,
                   const std::string& functionName, Mode mode, QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::PeakGDlg)
    , m_gatewayAddress(gatewayAddress)
    , m_number(uint8_t(functionNumber))
    , m_type(uint8_t(functionType))
    , m_functionName(functionName)
    , m_mode(mode)
{
    m_ui->setupUi(this);
    DialogTexts(this);
    const PeakGraphStyle& style = PeakGraphStyleOf(m_mode);
    setWindowTitle(QText(txt::ControlFunction) + QStringLiteral(" - ") + QString::fromStdString(TypeName(m_type))
                   + QStringLiteral(", ") + QText(style.captionText));
    m_ui->firstColourBox->setPixmap(colourBox(style.firstColour));
    m_ui->firstLegendText->setText(QText(style.firstText));
    m_ui->secondColourBox->setPixmap(colourBox(style.secondColour));
    m_ui->secondLegendText->setText(QText(style.secondText));
    setUpChart();
    connect(m_ui->exportButton, &QPushButton::clicked, this, &PeakGDlg::exportCurves);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &PeakGDlg::reject);
}

PeakGDlg::~PeakGDlg() = default;

QChart* PeakGDlg::chart() const { return m_ui->chartView->chart(); }

void PeakGDlg::setUpChart()
{
    const PeakGraphStyle& style = PeakGraphStyleOf(m_mode);
    auto* graph = new QChart;
    graph->legend()->hide();
    auto* series = new QBarSeries(graph);
    for (const auto& [text, colour] : {std::pair{style.firstText, style.firstColour}, {style.secondText, style.secondColour}}) {
        auto* set = new QBarSet(QText(text), series);
        set->setColor(colour);
        set->setBorderColor(colour.darker(150));
        series->append(set);
    }
    graph->addSeries(series);

    QStringList rows;
    // Labels of several words ("Cur. month") take one line per word, to fit the width of a month.
    for (uint16_t id : PeakGraphRowTexts)
        rows << QText(id).toHtmlEscaped().replace(QLatin1Char(' '), QStringLiteral("<br>"));
    auto* categories = new QBarCategoryAxis(graph);
    categories->append(rows);
    categories->setTruncateLabels(false);
    graph->addAxis(categories, Qt::AlignBottom);
    series->attachAxis(categories);

    auto* values = new QValueAxis(graph);
    values->setTitleText(QText(style.unitText));
    graph->addAxis(values, Qt::AlignLeft);
    series->attachAxis(values);

    // The view gives up its previous chart without deleting it.
    QChart* previous = m_ui->chartView->chart();
    m_ui->chartView->setChart(graph);
    delete previous;
    m_ui->chartView->setRenderHint(QPainter::Antialiasing);
}

void PeakGDlg::showGraph(const PeakGraphData& data)
{
    auto* series = static_cast<QBarSeries*>(chart()->series().first());
    QBarSet* first = series->barSets().at(0);
    QBarSet* second = series->barSets().at(1);
    first->remove(0, first->count());
    second->remove(0, second->count());
    double largest = 0;
    for (const PeakGraphPair& pair : data) {
        first->append(pair.first);
        second->append(pair.second);
        largest = std::max({largest, pair.first, pair.second});
    }
    // The scale follows the data; an empty graph still shows an axis.
    auto* values = static_cast<QValueAxis*>(chart()->axes(Qt::Vertical).first());
    values->setRange(0, largest > 0 ? largest : 1);
    values->applyNiceNumbers();
    values->setLabelFormat(largest >= 10 ? QStringLiteral("%.0f") : QStringLiteral("%.1f"));
}

int PeakGDlg::exec()
{
    PeakGraphData data;
    const uint16_t status = ReadPeakGraph(m_number, m_mode, data);
    if (status != DbStatus::Success) {
        ReportPeakGraphFailure(status, parentWidget());
        return -1;
    }
    showGraph(data);
    return QDialog::exec();
}

void PeakGDlg::reject() { done(IDCANCEL); }

void PeakGDlg::exportCurves()
{
    const CurveExportRequest request{m_gatewayAddress, m_number, m_type, m_functionName};
    std::string written;
    const CurveExportResult result = ExportCurve(
        request,
        [this](const std::string& folder, const std::string& fileName) -> std::optional<std::string> {
            SaveFileRequest dialog;
            dialog.title = QText(txt::SaveCurveData);
            dialog.directory = QString::fromStdString(folder);
            dialog.fileName = QString::fromStdString(fileName);
            dialog.filter = QText(txt::CurveFiles) + QStringLiteral(" (*.csv)");
            dialog.defaultSuffix = QStringLiteral("csv");
            dialog.confirmOverwrite = true;
            // The file dialog keeps asking until the name is a valid one or the operator gives up.
            for (;;) {
                const std::optional<QString> chosen = ui().saveFileName(this, dialog);
                if (!chosen)
                    return std::nullopt;
                if (AcceptCurveFileName(chosen->toStdString(), this))
                    return chosen->toStdString();
            }
        },
        this, &written);
    if (result == CurveExportResult::Written || result == CurveExportResult::WrittenWithoutIdCode)
        ShowMessage(QString::fromStdString(CurveExportedMessage(written)), MB::IconInformation, this);
}
