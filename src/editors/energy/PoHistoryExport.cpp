#include "editors/energy/PoHistoryExport.h"

#include "model/Texts.h"
#include "protocol/CodePage.h"
#include "protocol/StrFormat.h"
#include "support/Clock.h"
#include "support/DbStatus.h"
#include "support/OrpaPaths.h"
#include "support/RegularFile.h"

#include <charconv>

namespace {

// One decimal with a point whatever the process's locale says.
std::string oneDecimal(double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    return std::string(buffer, result.ptr);
}

void appendPeriod(std::string& text, HistoryPeriod period, const std::vector<HistoryEntry>& entries)
{
    const double periodMinutes = PeriodInfo(period).hours * 60.0;
    text += TextById(PeriodInfo(period).titleId) + "\n" + TextById(txt::PoColumnCaseNo) + ";";
    for (const uint16_t column : {txt::PoColumnAddress, txt::PoColumnSection, txt::HoursInPercent})
        text += TextById(column) + ";";
    text += TextById(txt::HoursOfSelection) + ";\n";
    for (const HistoryEntry& e : entries)
        text += StrFormat("%d;%03d;%c;", e.caseNumber + 1, e.address, e.loopLetter())
            + oneDecimal(e.minutes * 100.0 / periodMinutes) + ";" + oneDecimal(e.hours()) + "\n";
    text += "\n";
}

std::string withCrLf(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

} // namespace

std::string DefaultHistoryExportPath(const std::string& gatewayAddress, uint8_t number)
{
    return StrFormat("%s%-3.3s_MCF_%d.csv", ExportDirectory().c_str(), gatewayAddress.c_str(), number);
}

std::string HistoryExportText(const std::string& gatewayAddress, uint8_t number, const std::string& name,
                              const std::vector<HistoryEntry>& day, const std::vector<HistoryEntry>& week,
                              const LocalTime& local)
{
    const CalendarTime& now = local.time;
    std::string text = StrFormat("%s '%s'", TextById(txt::TypePoOptimizer).c_str(), name.c_str());
    text += StrFormat("\n%s %-3.3s", TextById(txt::NetAddress).c_str(), gatewayAddress.c_str());
    text += StrFormat(", %s %d", TextById(txt::McfNumber).c_str(), number);
    text += StrFormat(", %02d/%02d/%02d", now.month, now.day, now.year % 100);
    text += StrFormat(" %02d:%02d:%02d %s\n\n", now.hour, now.minute, now.second, local.zoneText().c_str());
    appendPeriod(text, HistoryPeriod::Day, day);
    appendPeriod(text, HistoryPeriod::Week, week);
    return text;
}

bool ExportHistory(const std::string& path, const std::string& gatewayAddress, uint8_t number,
                   const std::string& name, uint16_t* readStatus, std::string* problem)
{
    std::string failure;
    const bool written = [&] {
        // A folder, a FIFO or a device is not a file to write the export into: refused before anything is read.
        if (const std::optional<std::string> refused = WriteTargetProblem(path)) {
            failure = *refused;
            return false;
        }
        std::vector<HistoryEntry> day;
        std::vector<HistoryEntry> week;
        // A database error ends that period's list: what was read before it is exported.
        const uint16_t dayStatus = ReadHistoryPeriod(number, HistoryPeriod::Day, day);
        const uint16_t weekStatus = ReadHistoryPeriod(number, HistoryPeriod::Week, week);
        if (readStatus)
            *readStatus = dayStatus != DbStatus::Success ? dayStatus : weekStatus;
        // The file is in the code page of the names, as the monitoring system's tools read it.
        const std::string text =
            withCrLf(ToCodePage(HistoryExportText(gatewayAddress, number, name, day, week, CurrentLocalTime())));
        return WriteFileReplacing(path, text, failure);
    }();
    if (!written && problem)
        *problem = failure;
    return written;
}

std::string HistoryNotExportedMessage(const std::string& path)
{
    return TextById(txt::OutputFileNotCreated) + " ('" + path + "')";
}

std::string HistoryExportedMessage(const std::string& path)
{
    return TextById(txt::PoOptimizerExported) + "\n'" + path + "'";
}
