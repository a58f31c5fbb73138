#include "report/ReportPainter.h"

#include "model/Texts.h"

#include <QFontMetrics>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace {

// Installed by the Debian package fonts-dejavu-core.
constexpr const char* FixedPitchFamily = "DejaVu Sans Mono";
constexpr double MarginMillimetres = 7.0;

// Character height and external leading of the base font on the device.
int lineHeight(QPaintDevice& device)
{
    const QFontMetrics metrics(ReportQFont(ReportFonts::Base), &device);
    return std::max(1, metrics.height() + metrics.leading());
}

} // namespace

QFont ReportQFont(const ReportFont& font)
{
    QFont qfont(QString::fromLatin1(FixedPitchFamily));
    qfont.setStyleHint(QFont::TypeWriter);
    qfont.setFixedPitch(true);
    qfont.setPointSize(font.points);
    qfont.setWeight(QFont::Weight(font.weight));
    qfont.setItalic(font.italic);
    qfont.setUnderline(font.underline);
    return qfont;
}

int ReportLinesPerPage(QPaintDevice& device) { return device.height() / lineHeight(device) - 3; }

void SetUpReportPrinter(QPrinter& printer, const std::string& pdfFile)
{
    printer.setDocName(QText(txt::PrintDocumentName));
    printer.setPageMargins(QMarginsF(MarginMillimetres, MarginMillimetres, MarginMillimetres, MarginMillimetres),
                           QPageLayout::Millimeter);
    if (pdfFile.empty())
        return;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(QString::fromStdString(pdfFile));
}

bool PaintReport(const std::vector<ReportPage>& pages, QPrinter& printer, QString& error)
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        error = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
        return false;
    }
    const int height = lineHeight(printer);
    for (size_t page = 0; page < pages.size(); ++page) {
        if (page > 0)
            printer.newPage();
        for (size_t line = 0; line < pages[page].size(); ++line) {
            const ReportLine& printed = pages[page][line];
            painter.setFont(ReportQFont(printed.font));
            const int top = height * int(line + 1);
            painter.drawText(0, top + painter.fontMetrics().ascent(), QString::fromStdString(LineText(printed)));
        }
    }
    return painter.end();
}
