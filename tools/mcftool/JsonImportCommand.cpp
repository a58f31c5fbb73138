#include "JsonImportCommand.h"

#include "gateway/FunctionImport.h"
#include "model/Records.h"
#include "support/ConsoleUi.h"
#include "support/DbStatus.h"
#include "support/RecordStore.h"
#include "support/RegularFile.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include <iostream>

namespace mcftool {

namespace {

// A document of a whole gateway is far below this.
constexpr uint64_t MaxDocumentBytes = 16 * 1024 * 1024;

int importJson(const Args& args)
{
    std::string error;
    const auto parsed = parseArgs(args, {"--dry-run", "--allow-shared-outputs"}, {}, error);
    if (!parsed)
        return usageError("import json", error);
    if (parsed->positional.size() < 3)
        return usageError("import json", "expected HOME, NETWORK, FILE and any function NUMBERs");
    const std::optional<std::string> address = gatewayOf(parsed->positional[1]);
    if (!address)
        return usageError("import json", parsed->positional[1] + " is not a network number (three digits)");
    const auto numbers = optionalFunctionNumbers(Args(parsed->positional.begin() + 3, parsed->positional.end()), error);
    if (!numbers)
        return usageError("import json", error);
    const std::string& path = parsed->positional[2];
    ConsoleUi console;
    if (!useHome(parsed->positional[0], error)) {
        std::cerr << "mcftool import json: " << error << "\n";
        return Failed;
    }
    FileProblem problem = FileProblem::None;
    const std::optional<std::string> text = ReadRegularFile(path, MaxDocumentBytes, &problem);
    if (!text) {
        std::cerr << "mcftool import json: " << DescribeFileProblem(path, problem, MaxDocumentBytes) << "\n";
        return Failed;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(*text), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        std::cerr << "mcftool import json: " << path << " is not JSON: " << parseError.errorString().toStdString()
                  << " at byte " << parseError.offset << "\n";
        return Failed;
    }
    ImportPlan plan;
    std::string refusal;
    const bool planned = PlanImport(document, *address, *numbers, plan, refusal);
    if (!planned) {
        RecordStore::instance().closeAll();
        std::cerr << "mcftool import json: " << path << ": " << refusal << "\nnothing was written\n";
        return Failed;
    }
    for (const std::string& line : ImportPlanLines(plan))
        std::cout << line << "\n";
    const bool dryRun = parsed->has("--dry-run");
    if (!plan.sharedOutputs.empty() && !dryRun && !parsed->has("--allow-shared-outputs")) {
        RecordStore::instance().closeAll();
        std::cerr << "mcftool import json: functions would write the same controller parameter; nothing was "
                     "written (--allow-shared-outputs writes them all the same)\n";
        return Failed;
    }
    if (dryRun || plan.changed.empty()) {
        RecordStore::instance().closeAll();
        std::cout << plan.changed.size() << (plan.changed.size() == 1 ? " function" : " functions")
                  << (dryRun ? " would change" : " changed") << ", " << plan.unchanged << " unchanged"
                  << (dryRun ? "; nothing was written (dry run)" : "") << "\n";
        return Done;
    }
    const ImportOutcome outcome = ApplyImport(plan, *address, path);
    if (outcome.writeStatus != DbStatus::Success) {
        RecordStore::instance().closeAll();
        std::cerr << "mcftool import json: " << tableProblem(table::Mcdef, outcome.writeStatus)
                  << "; nothing was written\n";
        return Failed;
    }
    std::string sendCommand = "mcftool update " + parsed->positional[0] + " " + parsed->positional[1];
    for (const ImportedFunction& function : plan.changed)
        sendCommand += " " + std::to_string(function.number);
    RecordStore::instance().closeAll();
    std::cout << plan.changed.size() << (plan.changed.size() == 1 ? " function" : " functions") << " changed, "
              << plan.unchanged << " unchanged; send them to the gateway with\n"
              << sendCommand << "\n";
    if (outcome.markProblem)
        std::cerr << "mcftool import json: the functions were not marked as not sent: " << *outcome.markProblem
                  << "\n";
    if (!outcome.logged)
        std::cerr << "mcftool import json: the event log did not take every row\n";
    return outcome.markProblem || !outcome.logged ? Failed : Done;
}

} // namespace

const Verb ImportJsonVerb = {
    "import json", "HOME NETWORK FILE [NUMBER...] [--dry-run] [--allow-shared-outputs]",
    "write functions of a JSON document (the export's form) into MCDEF",
    "Reads FILE, a document in the form mcftool export json writes\n"
    "(docs/json-export.md), and writes its functions (all, or those named) into\n"
    "MCDEF of HOME for the gateway of NETWORK:\n"
    "\n"
    "- every settings field by its name, checked against its range; what the\n"
    "  gateway reports itself (stamp, flags, measured values) is not taken;\n"
    "- references by controller address and identification, which must be those\n"
    "  of a controller of the network configuration; schedule references must\n"
    "  name a yearly schedule in MCDEF or in the document;\n"
    "- a function whose number is free is created; one of another type under the\n"
    "  same number is refused.\n"
    "An unknown key, a value out of range or of the wrong kind is refused naming\n"
    "the function, the key and the value: exit code 1, nothing written.\n"
    "\n"
    "  --dry-run               print per function and field what would change,\n"
    "                          and write nothing (exit code 0)\n"
    "  --allow-shared-outputs  write even when a function would write the same\n"
    "                          parameter of the same controller as another\n"
    "\n"
    "Otherwise every change is written in one batch, all or none; each changed\n"
    "function is marked as not sent (mcftool status) and gets one EVENTLOG row\n"
    "naming the file with its changes, and the output ends with the mcftool\n"
    "update command that sends them. A document that MCDEF already holds changes\n"
    "nothing: \"0 functions changed\".\n",
    importJson};

} // namespace mcftool
