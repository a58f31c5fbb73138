#include "JsonExportCommand.h"

#include "gateway/FunctionExport.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "support/ConsoleUi.h"
#include "support/DbStatus.h"
#include "support/OrpaPaths.h"
#include "support/RecordStore.h"
#include "support/RegularFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <iostream>
#include <map>

namespace mcftool {

const char* const ExportJsonHelp =
    "Writes the functions NUMBER... (all when none is named) of MCDEF of HOME, as\n"
    "the last upload of the gateway of NETWORK or the editors left them, as\n"
    "readable JSON: per function its number, type (code and name), name, stamp,\n"
    "state flags, the settings of its data blocks by field name with their units,\n"
    "the references by slot and controller address with parameter and\n"
    "identification, and the schedule references by function number and name.\n"
    "The format is described in docs/json-export.md.\n"
    "\n"
    "  --out FILE   the file to write (default: [Install] EXPDir of ORPA.INI,\n"
    "               the network number and \"_functions.json\", for example\n"
    "               HOME/export/001_functions.json)\n"
    "\n"
    "Prints the path written. Exit code 1 with the reason when MCDEF cannot be\n"
    "read, a function named is not in it, or the file cannot be written.\n";

int exportJson(const Args& args)
{
    std::string error;
    const auto parsed = parseArgs(args, {}, {"--out"}, error);
    if (!parsed)
        return usageError("export json", error);
    if (parsed->positional.size() < 2)
        return usageError("export json", "expected HOME, NETWORK and any function NUMBERs");
    const std::optional<std::string> address = gatewayOf(parsed->positional[1]);
    if (!address)
        return networkUsageError("export json", parsed->positional[1]);
    const auto numbers =
        optionalFunctionNumbers(Args(parsed->positional.begin() + 2, parsed->positional.end()), error);
    if (!numbers)
        return usageError("export json", error);
    ConsoleUi console;
    if (!useHome(parsed->positional[0], error)) {
        std::cerr << "mcftool export json: " << error << "\n";
        return Failed;
    }
    std::string problem;
    const std::optional<QJsonDocument> document = ExportFunctions(*address, *numbers, problem);
    if (!document) {
        std::cerr << "mcftool export json: " << problem << "\n";
        RecordStore::instance().closeAll();
        return Failed;
    }
    const std::string path = parsed->value("--out").value_or(
        StrFormat("%s%-3.3s_functions.json", ExportDirectory().c_str(), address->c_str()));
    RecordStore::instance().closeAll();
    if (!WriteFileReplacing(path, document->toJson(QJsonDocument::Indented).toStdString(), problem)) {
        std::cerr << "mcftool export json: " << problem << "\n";
        return Failed;
    }
    std::cout << path << "\n";
    return Done;
}

} // namespace mcftool
