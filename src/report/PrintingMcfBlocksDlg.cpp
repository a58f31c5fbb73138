#include "report/PrintingMcfBlocksDlg.h"
#include "ui_PrintingMcfBlocksDlg.h"

#include "model/ApplicationState.h"
#include "model/Messages.h"
#include "model/Texts.h"
#include "protocol/StrFormat.h"
#include "references/IOList.h"
#include "report/ReportLayout.h"
#include "report/ReportPainter.h"
#include "support/UiSeam.h"

#include <QPrinter>

PrintingMcfBlocksDlg::PrintingMcfBlocksDlg(std::string gatewayAddress, std::string idCode,
                                           std::vector<uint8_t> numbers, QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::PrintingMcfBlocksDlg)
    , m_gatewayAddress(std::move(gatewayAddress))
    , m_idCode(std::move(idCode))
    , m_numbers(std::move(numbers))
{
    m_ui->setupUi(this);
    DialogTexts(this);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &PrintingMcfBlocksDlg::reject);
}

PrintingMcfBlocksDlg::~PrintingMcfBlocksDlg() = default;

void PrintingMcfBlocksDlg::reject() { done(IDOK); }

int PrintingMcfBlocksDlg::run()
{
    m_ui->statusLabel->setText(print());
    ui().runModal(*this);
    return IDOK;
}

QString PrintingMcfBlocksDlg::print()
{
    QPrinter printer(QPrinter::HighResolution);
    SetUpReportPrinter(printer);
    if (!ui().printDialog(this, printer))
        return QText(txt::ReportCancelled);
    const GatewayCapacity& capacity = appState().capacity;
    ReportLayout layout;
    {
        WaitCursor wait;
        layout = LayOutReport({m_gatewayAddress, m_idCode, capacity.totalMemory, capacity.freeMemory, m_numbers,
                               ReportLinesPerPage(printer), ReadPageBreak()});
    }
    if (layout.failure) {
        ReportRowReadFailure(*layout.failure, this);
        return QText(txt::ReportNotComplete);
    }
    const std::string leftOut = LeftOutText(layout.leftOut);
    if (layout.pages.empty())
        return QString::fromStdString(TextById(txt::ReportNoFunction) + "\n" + leftOut);
    QString destination;
    if (!PaintReport(layout.pages, printer, destination)) {
        const QString message = QString::fromStdString(
            StrFormat("%s '%s'.", TextById(txt::ReportNotStarted).c_str(), destination.toStdString().c_str()));
        ShowMessage(message, MB::Ok | MB::IconStop, this, true);
        return message;
    }
    std::string printed = StrFormat("%s %d", TextById(txt::ReportPrintedPages).c_str(), int(layout.pages.size()));
    if (!leftOut.empty())
        printed += "\n" + leftOut;
    return QString::fromStdString(printed);
}
