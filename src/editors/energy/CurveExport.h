#pragma once
// The curve file of a peak shaving function: the last twelve complete months
// of consumption and load in one text file for the monitoring system's curve
// tools, fields separated by the user's list separator, decimals written with
// the user's decimal separator, CR LF line ends, and a first line that carries
// the checksum of everything after it.

#include "editors/energy/PeakGraph.h"
#include "protocol/CalendarSeconds.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

// The list and decimal separators of the user profile (section "intl", keys
// "sList" and "sDecimal"): one character each, the defaults "," and "."
// when a key is missing or empty.
struct CurveSeparators {
    char list = ',';
    char decimal = '.';
};
CurveSeparators ReadCurveSeparators();

// "MC" + the year counted from 1900 + the month + "01.csv": MC980701.csv in
// July 1998, MC1000701.csv in July 2000.
std::string DefaultCurveFileName(const CalendarTime& now);

// The chosen path, cut at its last '.' when the file's name holds more than one.
std::string CurveFilePath(const std::string& chosen);

// "Curve data was exported to data file\n'PATH'".
std::string CurveExportedMessage(const std::string& path);

// The twelve complete months before the month of `now`, oldest first, each
// with the day the file dates it by (the last of the month; February always 28).
struct CurveMonth {
    int year;
    int month;
    int day;
};
std::array<CurveMonth, 12> CurveMonths(const CalendarTime& now);

// Everything the file tells.
struct CurveFileContent {
    std::string typeName;
    std::string functionName;
    uint8_t functionNumber = 0;
    std::string gatewayAddress;
    std::string gatewayIdCode;
    PeakGraphData consumption{};
    PeakGraphData load{};
    CurveSeparators separators;
    CalendarTime now;
};

// The file after its first line: code-page bytes with CR LF line ends.
std::string CurveFileBody(const CurveFileContent& content);

// The sum of the bytes, 32 bits.
uint32_t CurveChecksum(std::string_view body);

// The first line without its line end: "21", a blank and the checksum in 11 digits.
std::string CurveChecksumLine(uint32_t checksum);

enum class CurveWriteResult { Written, NotCreated, WriteFailed };

// Writes the checksum line and the body through the one file writer:
// NotCreated when the path is no file to write (a folder, a FIFO ...),
// WriteFailed when writing failed; the old file then stays as it was. The
// reason, naming the file, goes to `problem`.
CurveWriteResult WriteCurveFile(const std::string& path, const std::string& body, std::string* problem = nullptr);

// The function whose curves are exported.
struct CurveExportRequest {
    std::string gatewayAddress;
    uint8_t functionNumber = 0;
    uint8_t functionType = 0;
    std::string functionName;
};

// WrittenWithoutIdCode: written, with the ID code left empty after a reported database error.
enum class CurveExportResult {
    Written,
    WrittenWithoutIdCode,
    SeparatorsIdentical,
    NoPath,
    GraphDataUnreadable,
    NotCreated,
    WriteFailed
};

// Asks for the path, given the export folder and the default file name;
// nothing when the operator gave none.
using CurvePathChooser = std::function<std::optional<std::string>(const std::string& folder, const std::string& fileName)>;

// The whole export: refuses identical separators before anything else, asks
// for the path, reads both graphs and the gateway's ID code, writes the file.
// Every failure is told the operator through the UI seam. `writtenPath` gets
// the path of the file written.
CurveExportResult ExportCurve(const CurveExportRequest& request, const CurvePathChooser& choosePath,
                              QWidget* parent = nullptr, std::string* writtenPath = nullptr);

// False, after a beep and the message naming it, when the path cannot be a file's name.
bool AcceptCurveFileName(const std::string& path, QWidget* parent = nullptr);
