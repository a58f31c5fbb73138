#include "JsonExportCommand.h"

#include "gateway/FunctionFields.h"
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

namespace {

// A value that reads as a number is written as one; times, letters and texts stay strings.
QJsonValue jsonValue(const std::string& text)
{
    bool isNumber = false;
    const double number = QString::fromStdString(text).toDouble(&isNumber);
    return isNumber ? QJsonValue(number) : QJsonValue(QString::fromStdString(text));
}

QJsonObject functionObject(const FunctionFields& function, const std::map<uint8_t, std::string>& names)
{
    const auto header = [&](const char* name) {
        const FunctionField* field = function.find(name);
        return field ? field->value : std::string();
    };
    QJsonObject settings;
    QJsonArray inputs;
    QJsonArray outputs;
    QJsonArray schedules;
    for (const FunctionField& field : function.fields) {
        if (field.group == FieldGroup::Settings) {
            QJsonObject setting{{"value", jsonValue(field.value)}, {"block", field.block}};
            if (!field.unit.empty())
                setting["unit"] = QString::fromStdString(field.unit);
            if (!field.compared)
                setting["reportedByGateway"] = true;
            settings[QString::fromStdString(field.name)] = setting;
        } else if (field.group == FieldGroup::Reference && field.reference) {
            const ReferenceDetail& r = *field.reference;
            QJsonObject reference{{"slot", r.slot}, {"address", r.address}};
            if (r.parameter.empty()) {
                reference["automatic"] = true;
            } else {
                reference["parameter"] = QString::fromStdString(r.parameter);
                reference["identification"] = QString::fromStdString(StrFormat("0x%04x", r.identification));
            }
            (r.direction == Direction::Input ? inputs : outputs).append(reference);
        } else if (field.group == FieldGroup::Schedule) {
            for (const uint8_t number : field.schedules) {
                const auto name = names.find(number);
                schedules.append(QJsonObject{
                    {"group", field.block},
                    {"function", number},
                    {"name", name == names.end() ? QJsonValue() : QJsonValue(QString::fromStdString(name->second))}});
            }
        }
    }
    const std::string typeText = header("type");
    return QJsonObject{
        {"number", function.number},
        {"type", QJsonObject{{"code", function.type},
                             {"name", QString::fromStdString(typeText.substr(typeText.find(' ') + 1))}}},
        {"name", QString::fromStdString(header("name"))},
        {"stamp", jsonValue(header("stamp"))},
        {"flags", QJsonObject{{"started", header("started") == "yes"},
                              {"manual", header("manual") == "yes"},
                              {"error", header("error") == "yes"}}},
        {"settings", settings},
        {"inputs", inputs},
        {"outputs", outputs},
        {"schedules", schedules},
    };
}

} // namespace

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
    std::vector<McdefRecord> headers;
    if (const uint16_t status = ReadHeaders(headers); status != DbStatus::Success) {
        std::cerr << "mcftool export json: " << tableProblem(table::Mcdef, status) << "\n";
        RecordStore::instance().closeAll();
        return Failed;
    }
    std::map<uint8_t, std::string> names;
    for (const McdefRecord& header : headers)
        names[header.number()] = header.name();
    std::vector<uint8_t> wanted = *numbers;
    if (wanted.empty())
        for (const auto& [number, name] : names)
            wanted.push_back(number);
    QJsonArray functions;
    for (const uint8_t number : wanted) {
        FunctionFields fields;
        const uint16_t status = FunctionFieldsFromTable(number, fields);
        if (status != DbStatus::Success) {
            std::cerr << "mcftool export json: "
                      << (status == DbStatus::KeyNotFound ? "function " + std::to_string(number)
                                  + " is not in MCDEF (run mcftool upload first)"
                                                          : tableProblem(table::Mcdef, status))
                      << "\n";
            RecordStore::instance().closeAll();
            return Failed;
        }
        functions.append(functionObject(fields, names));
    }
    const std::string path = parsed->value("--out").value_or(
        StrFormat("%s%-3.3s_functions.json", ExportDirectory().c_str(), address->c_str()));
    RecordStore::instance().closeAll();
    const QJsonObject document{{"gateway", QString::fromStdString(*address)}, {"functions", functions}};
    const QByteArray text = QJsonDocument(document).toJson(QJsonDocument::Indented);
    std::string problem;
    if (!WriteFileReplacing(path, text.toStdString(), problem)) {
        std::cerr << "mcftool export json: " << problem << "\n";
        return Failed;
    }
    std::cout << path << "\n";
    return Done;
}

} // namespace mcftool
