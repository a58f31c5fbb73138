#pragma once
// The report of a gateway's functions laid out as printed lines: an overview
// of every function, then one section per chosen function with its settings
// and its references, cut into pages that each start with the page header.
// The lines are plain text in fixed columns, in the code page of the records
// (one byte a character, so that widths count characters); a printer or a
// text file gets them as they are.

#include "references/ReferenceRows.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ReportFont {
    int points = 8;
    int weight = 400;
    bool italic = false;
    bool underline = false;

    bool operator==(const ReportFont&) const = default;
};

namespace ReportFonts {
inline constexpr ReportFont Base{8, 400, false, false};
inline constexpr ReportFont Bold{8, 700, false, false};
inline constexpr ReportFont Underlined{8, 400, false, true};
inline constexpr ReportFont BoldUnderlined{8, 700, false, true};
inline constexpr ReportFont ItalicUnderlined{8, 400, true, true};
inline constexpr ReportFont PageHeader{9, 400, false, false};
} // namespace ReportFonts

struct ReportLine {
    std::string text; // code-page bytes
    ReportFont font;

    bool operator==(const ReportLine&) const = default;
};

using ReportPage = std::vector<ReportLine>;

// Lines an underlined heading is filled to, so that the line runs across the page.
constexpr size_t ReportWidth = 111;
// A function section starts on a new page when fewer lines than this are left.
constexpr int SectionMinimumLines = 15;

struct ReportRequest {
    std::string gatewayAddress; // "NNN:125"
    std::string idCode;         // the gateway's ID code (UTF-8)
    uint32_t totalMemory = 0;   // bytes
    uint32_t freeMemory = 0;    // bytes
    std::vector<uint8_t> numbers; // the chosen functions, in print order
    int linesPerPage = 60;
    bool pageBreak = false;     // every function on a page of its own
};

// A chosen function the report leaves out: the status of reading its header
// (4: the function does not exist).
struct LeftOutFunction {
    uint8_t number = 0;
    uint16_t status = 0;

    bool operator==(const LeftOutFunction&) const = default;
};

struct ReportLayout {
    // No pages when none of the chosen functions could be read.
    std::vector<ReportPage> pages;
    // A database call that stopped the report; the pages hold what came before.
    std::optional<RowReadFailure> failure;
    std::vector<LeftOutFunction> leftOut;
};

ReportLayout LayOutReport(const ReportRequest& request);

// "Left out: No. 5 (does not exist), No. 7 (Error on database 'MCDEF' Return code = 12)";
// empty when nothing was left out.
std::string LeftOutText(const std::vector<LeftOutFunction>& leftOut);

// VELT/PageBreak of ORPA.INI: non-zero starts every function on a new page.
bool ReadPageBreak();

// A line as UTF-8.
std::string LineText(const ReportLine& line);
// The pages as UTF-8 text: one line per printed line, a form feed between pages.
std::string ReportText(const std::vector<ReportPage>& pages);
