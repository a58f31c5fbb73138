#include "editors/energy/CurveExport.h"

#include "model/Messages.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "model/TypeNames.h"
#include "protocol/CodePage.h"
#include "protocol/StrFormat.h"
#include "support/Clock.h"
#include "support/DbStatus.h"
#include "support/OrpaPaths.h"
#include "support/Profile.h"
#include "support/RegularFile.h"
#include "support/UiSeam.h"
#include "support/Util.h"


namespace {

constexpr const char* LineEnd = "\r\n";
constexpr unsigned ChecksumLineMark = 21;
constexpr unsigned CurveLogType = 9;
constexpr unsigned CurveParType = 250;

constexpr std::array<uint16_t, 13> ColumnHeaderTexts{
    txt::CsvLogName,    txt::CsvZulSystemAddress, txt::CsvQebSystemAddress, txt::CsvZulIdCode, txt::CsvQebIdCode,
    txt::CsvDefaultText, txt::CsvCustomText,      txt::CsvLogNumber,        txt::CsvLogType,   txt::CsvBlockType,
    txt::CsvBlockNumber, txt::CsvParNumber,       txt::CsvParType};

// The curves in column order, each described by its own label: the
// consumption pair as the graph shows it, then the load pair.
constexpr std::array<uint16_t, 4> CurveLabels{txt::NormalTariff, txt::LowTariff, txt::NormalLoad, txt::PeakLoad};

char profileCharacter(const char* key, char defaultValue)
{
    const std::string value = GetProfileString("intl", key, std::string(1, defaultValue));
    return value.empty() ? defaultValue : value[0];
}

std::string codePageText(uint16_t id) { return ToCodePage(TextById(id)); }

std::string decimalValue(double value, char decimal)
{
    std::string text = StrFormat("%.1f", value);
    for (char& c : text)
        if (c == '.')
            c = decimal;
    return text;
}

// The gateway's ID code, empty when it has no record; false after a reported database error.
bool readIdCode(const std::string& gatewayAddress, std::string& idCode, QWidget* parent)
{
    idCode.clear();
    NetCnfRecord node;
    const uint16_t status = ReadNetCnfNode(gatewayAddress, node);
    if (status == DbStatus::Success)
        idCode = node.idCode;
    if (status == DbStatus::Success || status == DbStatus::KeyNotFound)
        return true;
    ReportDbError(table::NetCnf, status, __FILE__, __LINE__, parent);
    return false;
}

void cannotWrite(const std::string& path, const std::string& problem, unsigned icon, QWidget* parent)
{
    ShowMessage(QText(txt::CannotWriteToFile) + " " + QString::fromStdString(path + "\n" + problem), icon, parent, true);
}

} // namespace

CurveSeparators ReadCurveSeparators()
{
    const CurveSeparators defaults;
    return {profileCharacter("sList", defaults.list), profileCharacter("sDecimal", defaults.decimal)};
}

std::string DefaultCurveFileName(const CalendarTime& now)
{
    return StrFormat("MC%02d%02d01.csv", now.year - 1900, now.month);
}

std::string CurveFilePath(const std::string& chosen)
{
    // Only the file's own name counts: the folders above it may hold dots of their own.
    const size_t nameStart = chosen.rfind('/') == std::string::npos ? 0 : chosen.rfind('/') + 1;
    const size_t first = chosen.find('.', nameStart);
    const size_t last = chosen.rfind('.');
    return first != std::string::npos && first != last ? chosen.substr(0, last) : chosen;
}

std::string CurveExportedMessage(const std::string& path)
{
    return TextById(txt::CurveExported) + "\n'" + path + "'";
}

std::array<CurveMonth, 12> CurveMonths(const CalendarTime& now)
{
    std::array<CurveMonth, 12> months{};
    int year = now.year - 1;
    int month = now.month;
    for (CurveMonth& m : months) {
        m = {year, month, month == 2 ? 28 : DaysInMonth(year, month)};
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    return months;
}

std::string CurveFileBody(const CurveFileContent& c)
{
    const std::string s(1, c.separators.list);
    const std::string name = ToCodePage(c.functionName);
    const std::string address = ToCodePage(c.gatewayAddress);
    const std::string idCode = ToCodePage(c.gatewayIdCode);

    std::string body = ToCodePage(c.typeName) + LineEnd + LineEnd;
    for (uint16_t id : ColumnHeaderTexts)
        body += codePageText(id) + s;
    body += LineEnd;
    for (unsigned i = 1; i <= CurveLabels.size(); ++i) {
        const std::string label = codePageText(CurveLabels[i - 1]);
        body += StrFormat("[%02d] %-s %03d%s%-s%s%-s%s%-17s%s%-17s%s%-20s%s%-20s%s%u%s%u%s%u%s%u%s%u%s%u", int(i),
                          name.c_str(), int(c.functionNumber), s.c_str(), address.c_str(), s.c_str(), address.c_str(),
                          s.c_str(), idCode.c_str(), s.c_str(), idCode.c_str(), s.c_str(), label.c_str(), s.c_str(),
                          label.c_str(), s.c_str(), unsigned(c.functionNumber), s.c_str(), CurveLogType, s.c_str(), 0u,
                          s.c_str(), 0u, s.c_str(), i, s.c_str(), CurveParType);
        body += LineEnd;
    }
    body += LineEnd;
    body += codePageText(txt::CsvDateTime) + StrFormat("%s[01]%s[02]%s[03]%s[04]%s", s.c_str(), s.c_str(), s.c_str(),
                                                       s.c_str(), s.c_str());
    body += LineEnd;
    for (const CurveMonth& m : CurveMonths(c.now)) {
        const PeakGraphPair& consumption = c.consumption[size_t(m.month - 1)];
        const PeakGraphPair& load = c.load[size_t(m.month - 1)];
        body += StrFormat("%d-%02d-%02d 00:00:00", m.year, m.month, m.day);
        for (double value : {consumption.first, consumption.second, load.first, load.second})
            body += s + decimalValue(value, c.separators.decimal);
        body += s + LineEnd;
    }
    body += LineEnd;
    return body;
}

uint32_t CurveChecksum(std::string_view body)
{
    uint32_t sum = 0;
    for (char c : body)
        sum += static_cast<unsigned char>(c);
    return sum;
}

std::string CurveChecksumLine(uint32_t checksum)
{
    // The curve tools read the sum as a signed 32-bit number.
    return StrFormat("%02u %011ld", ChecksumLineMark, long(int32_t(checksum)));
}

CurveWriteResult WriteCurveFile(const std::string& path, const std::string& body, std::string* problem)
{
    std::string failure;
    if (const std::optional<std::string> refused = WriteTargetProblem(path)) {
        if (problem)
            *problem = *refused;
        return CurveWriteResult::NotCreated;
    }
    if (WriteFileReplacing(path, CurveChecksumLine(CurveChecksum(body)) + LineEnd + body, failure))
        return CurveWriteResult::Written;
    if (problem)
        *problem = failure;
    return CurveWriteResult::WriteFailed;
}

bool AcceptCurveFileName(const std::string& path, QWidget* parent)
{
    if (IsValidFileName(path))
        return true;
    ShowMessage(QString::fromStdString(StrFormat("%s\n%s", path.c_str(), TextById(txt::InvalidFileName).c_str())),
                MB::IconExclamation, parent, true);
    return false;
}

CurveExportResult ExportCurve(const CurveExportRequest& request, const CurvePathChooser& choosePath, QWidget* parent,
                              std::string* writtenPath)
{
    const CurveSeparators separators = ReadCurveSeparators();
    if (separators.list == separators.decimal) {
        ShowMessage(QText(txt::SeparatorsIdentical) + " " + QText(txt::ReplaceSeparator), MB::IconExclamation, parent,
                    true);
        return CurveExportResult::SeparatorsIdentical;
    }
    const CalendarTime now = CurrentUtcTime();
    const std::optional<std::string> chosen = choosePath(ExportDirectory(), DefaultCurveFileName(now));
    if (!chosen)
        return CurveExportResult::NoPath;
    const std::string path = CurveFilePath(*chosen);

    CurveFileContent content;
    for (PeakGraphMode mode : {PeakGraphMode::Consumption, PeakGraphMode::Load}) {
        const uint16_t status =
            ReadPeakGraph(request.functionNumber, mode, mode == PeakGraphMode::Consumption ? content.consumption : content.load);
        if (status != DbStatus::Success) {
            ReportPeakGraphFailure(status, parent);
            return CurveExportResult::GraphDataUnreadable;
        }
    }
    content.typeName = TypeName(request.functionType);
    content.functionName = request.functionName;
    content.functionNumber = request.functionNumber;
    content.gatewayAddress = request.gatewayAddress;
    const bool idCodeRead = readIdCode(request.gatewayAddress, content.gatewayIdCode, parent);
    content.separators = separators;
    content.now = now;

    std::string problem;
    switch (WriteCurveFile(path, CurveFileBody(content), &problem)) {
    case CurveWriteResult::Written:
        if (writtenPath)
            *writtenPath = path;
        return idCodeRead ? CurveExportResult::Written : CurveExportResult::WrittenWithoutIdCode;
    case CurveWriteResult::NotCreated:
        cannotWrite(path, problem, MB::IconExclamation, parent);
        return CurveExportResult::NotCreated;
    case CurveWriteResult::WriteFailed:
        cannotWrite(path, problem, MB::IconStop, parent);
        return CurveExportResult::WriteFailed;
    }
    return CurveExportResult::WriteFailed;
}
