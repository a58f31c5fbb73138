#pragma once
// The laid-out report on paper: each line at the left edge of the printable
// area, one line height below the one before, in a fixed-pitch font.

#include "report/ReportLayout.h"

#include <QFont>
#include <QString>

#include <string>
#include <vector>

class QPaintDevice;
class QPrinter;

// The font of a line, fixed pitch.
QFont ReportQFont(const ReportFont& font);

// How many lines fit on a page of the device below the page header's place:
// the page height over the line height of the base font, less three.
int ReportLinesPerPage(QPaintDevice& device);

// Sets the printer up for the report: the document name (text 8000), the
// margins, and for a file an A4 PDF at that path.
void SetUpReportPrinter(QPrinter& printer, const std::string& pdfFile = {});

// Paints the pages; false with the reason when the document could not be started.
bool PaintReport(const std::vector<ReportPage>& pages, QPrinter& printer, QString& error);
