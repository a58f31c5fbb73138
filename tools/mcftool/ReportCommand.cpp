#include "ReportCommand.h"

#include "model/McdefAccess.h"
#include "model/Records.h"
#include "protocol/TypeCatalogue.h"
#include "report/ReportLayout.h"
#include "report/ReportPainter.h"
#include "support/Clock.h"
#include "support/ConsoleUi.h"
#include "support/DbStatus.h"
#include "support/RecordStore.h"
#include "support/RegularFile.h"

#include <QPrinter>
#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace mcftool {

namespace {

constexpr const char* VerbName = "report";
// A report of 105 functions paints a few hundred kilobytes.
constexpr uint64_t MaxPdfSize = uint64_t(1) << 30;

struct ReportArguments {
    std::string home;
    std::string gatewayAddress;
    std::vector<uint8_t> numbers; // empty with --all
    std::optional<std::string> pdf;
    std::optional<std::string> text;
    std::optional<int> pageLines;
    uint32_t totalMemory = 0;
};

std::optional<int> positiveNumber(const std::string& text, int maximum)
{
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 1 || value > maximum)
        return std::nullopt;
    return int(value);
}

// The arguments, or the exit code of a usage error.
std::optional<ReportArguments> readArguments(const Args& args, int& exitCode)
{
    exitCode = Usage;
    std::string error;
    const auto parsed = parseArgs(args, {"--all"}, {"--pdf", "--text", "--now", "--page-lines", "--memory"}, error);
    if (!parsed) {
        usageError(VerbName, error);
        return std::nullopt;
    }
    if (parsed->positional.size() < 2) {
        usageError(VerbName, "expected HOME and NETWORK");
        return std::nullopt;
    }
    ReportArguments arguments;
    arguments.home = parsed->positional[0];
    arguments.pdf = parsed->value("--pdf");
    arguments.text = parsed->value("--text");
    const std::optional<std::string> address = gatewayOf(parsed->positional[1]);
    if (!address) {
        networkUsageError(VerbName, parsed->positional[1]);
        return std::nullopt;
    }
    arguments.gatewayAddress = *address;
    const Args numberTexts(parsed->positional.begin() + 2, parsed->positional.end());
    if (parsed->has("--all") == !numberTexts.empty()) {
        usageError(VerbName, "expected function NUMBERs or --all, not both");
        return std::nullopt;
    }
    if (!numberTexts.empty()) {
        const auto numbers = functionNumbers(numberTexts, error);
        if (!numbers) {
            usageError(VerbName, error);
            return std::nullopt;
        }
        arguments.numbers = *numbers;
    }
    if (!arguments.pdf && !arguments.text) {
        usageError(VerbName, "expected --pdf FILE, --text FILE or both");
        return std::nullopt;
    }
    if (const auto lines = parsed->value("--page-lines")) {
        arguments.pageLines = positiveNumber(*lines, 10000);
        if (!arguments.pageLines) {
            usageError(VerbName, "--page-lines " + *lines + " is not a number of lines from 1 to 10000");
            return std::nullopt;
        }
    }
    if (const auto memory = parsed->value("--memory")) {
        const std::optional<int> kib = positiveNumber(*memory, 65535);
        if (!kib) {
            usageError(VerbName, "--memory " + *memory + " is not a number of KiB from 1 to 65535");
            return std::nullopt;
        }
        arguments.totalMemory = uint32_t(*kib) * 1024;
    }
    if (const auto now = parsed->value("--now")) {
        const std::optional<std::time_t> time = ParseUtcTime(*now + ":00");
        if (!time) {
            usageError(VerbName, "--now " + *now + " is not a time YYYY-MM-DD HH:MM");
            return std::nullopt;
        }
        SetFixedTime(*time);
    }
    exitCode = Done;
    return arguments;
}

// What MCDEF tells of the gateway: its ID code from NETCNF, every function
// (for --all) and the memory its functions take.
struct GatewayContent {
    std::string idCode;
    std::vector<uint8_t> numbers;
    uint32_t usedMemory = 0;
};

std::optional<GatewayContent> readGateway(const std::string& gatewayAddress)
{
    GatewayContent content;
    std::string error;
    const std::optional<NetCnfRecord> node = gatewayNode(gatewayAddress, error);
    if (!node) {
        std::cerr << "mcftool report: " << error << "\n";
        return std::nullopt;
    }
    content.idCode = node->idCode;
    std::vector<McdefRecord> headers;
    const uint16_t status = ReadHeaders(headers);
    if (status != DbStatus::Success) {
        std::cerr << "mcftool report: " << tableProblem(table::Mcdef, status) << "\n";
        return std::nullopt;
    }
    for (const McdefRecord& header : headers) {
        content.numbers.push_back(header.number());
        content.usedMemory += TypeSize(header.type());
    }
    return content;
}

bool writeFile(const std::string& path, const std::string& text)
{
    std::string problem;
    if (WriteFileReplacing(path, text, problem))
        return true;
    std::cerr << "mcftool report: " << problem << "\n";
    return false;
}

// The painter writes its PDF into a folder of its own; the file asked for is
// then written from it through the one file writer.
bool writePdf(const std::vector<ReportPage>& pages, QPrinter& printer, const std::string& path)
{
    QString destination;
    if (!PaintReport(pages, printer, destination)) {
        std::cerr << "mcftool report: cannot write " << destination.toStdString() << "\n";
        return false;
    }
    FileProblem readProblem = FileProblem::None;
    const std::string painted = printer.outputFileName().toStdString();
    const std::optional<std::string> content = ReadRegularFile(painted, MaxPdfSize, &readProblem);
    if (!content) {
        std::cerr << "mcftool report: " << DescribeFileProblem(painted, readProblem, MaxPdfSize) << "\n";
        return false;
    }
    return writeFile(path, *content);
}

int report(const Args& args)
{
    ConsoleUi console;
    int exitCode = Done;
    const std::optional<ReportArguments> arguments = readArguments(args, exitCode);
    if (!arguments)
        return exitCode;
    std::string error;
    if (!useHome(arguments->home, error)) {
        std::cerr << "mcftool report: " << error << "\n";
        return Failed;
    }
    const std::optional<GatewayContent> gateway = readGateway(arguments->gatewayAddress);
    if (!gateway) {
        RecordStore::instance().closeAll();
        return Failed;
    }
    // Nothing is laid out, painted or written while either file is refused.
    for (const std::optional<std::string>& file : {arguments->text, arguments->pdf})
        if (file)
            if (const std::optional<std::string> refused = WriteTargetProblem(*file)) {
                std::cerr << "mcftool report: " << *refused << "\n";
                RecordStore::instance().closeAll();
                return Failed;
            }
    const QTemporaryDir paintFolder;
    if (arguments->pdf && !paintFolder.isValid()) {
        std::cerr << "mcftool report: no temporary folder to paint the PDF in: "
                  << paintFolder.errorString().toStdString() << "\n";
        RecordStore::instance().closeAll();
        return Failed;
    }
    QPrinter printer(QPrinter::HighResolution);
    SetUpReportPrinter(printer, arguments->pdf ? paintFolder.filePath("report.pdf").toStdString() : std::string());
    if (!arguments->pdf)
        printer.setPageSize(QPageSize(QPageSize::A4));
    const uint32_t total = arguments->totalMemory;
    const ReportLayout layout = LayOutReport(
        {arguments->gatewayAddress, gateway->idCode, total, total > gateway->usedMemory ? total - gateway->usedMemory : 0,
         arguments->numbers.empty() ? gateway->numbers : arguments->numbers,
         arguments->pageLines.value_or(ReportLinesPerPage(printer)), ReadPageBreak()});
    RecordStore::instance().closeAll();
    if (layout.failure) {
        std::cerr << "mcftool report: nothing written: "
                  << tableProblem(layout.failure->table, layout.failure->status) << "\n";
        return Failed;
    }
    if (layout.pages.empty()) {
        std::cerr << "mcftool report: nothing written: none of the chosen functions could be read. "
                  << LeftOutText(layout.leftOut) << "\n";
        return Failed;
    }
    if (arguments->text && !writeFile(*arguments->text, ReportText(layout.pages)))
        return Failed;
    if (arguments->pdf && !writePdf(layout.pages, printer, *arguments->pdf))
        return Failed;
    std::cout << layout.pages.size() << (layout.pages.size() == 1 ? " page" : " pages") << "\n";
    if (!layout.leftOut.empty()) {
        std::cerr << "mcftool report: " << LeftOutText(layout.leftOut) << "\n";
        return Failed;
    }
    return Done;
}

} // namespace

const Verb ReportVerb{
    "report", "HOME NETWORK (NUMBER...|--all) [--pdf FILE] [--text FILE] [--now \"YYYY-MM-DD HH:MM\"] "
              "[--page-lines N] [--memory KIB]",
    "print the report of a gateway's functions into a PDF or text file",
    "Lays out the report that velt's Print button prints, from MCDEF of HOME as an\n"
    "upload of the gateway of NETWORK left it (run mcftool upload first): the page\n"
    "header, the overview of every function of the gateway, and a section for each\n"
    "function NUMBER (or every function with --all) with its settings and its\n"
    "references. [VELT] PageBreak of ORPA.INI starts every function on a new page.\n"
    "\n"
    "  --pdf FILE        paint the pages into an A4 PDF file\n"
    "  --text FILE       write the lines as UTF-8 text, one line per printed line,\n"
    "                    a form feed between pages\n"
    "  --now TIME        the date and time of the page header, \"YYYY-MM-DD HH:MM\"\n"
    "  --page-lines N    lines per page (default: those of an A4 page in the\n"
    "                    report's font)\n"
    "  --memory KIB      the gateway's memory for functions, as the upload read it;\n"
    "                    the used memory is what the functions of MCDEF take\n"
    "                    (default: 0, not known without the gateway)\n"
    "\n"
    "At least one of --pdf and --text. Prints the number of pages. Exit code 1\n"
    "with the reason when a table cannot be read or a file cannot be written,\n"
    "and when a chosen function does not exist or its header cannot be read: the\n"
    "others are printed, and nothing when none is left.\n",
    report,
    true};

} // namespace mcftool
