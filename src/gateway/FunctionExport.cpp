#include "gateway/FunctionExport.h"

#include "gateway/FunctionFields.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "support/DbStatus.h"

#include <QJsonArray>
#include <QJsonObject>

#include <map>

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

std::optional<QJsonDocument> ExportFunctions(const std::string& gatewayAddress, const std::vector<uint8_t>& numbers,
                                             std::string& problem)
{
    std::vector<McdefRecord> headers;
    if (const uint16_t status = ReadHeaders(headers); status != DbStatus::Success) {
        problem = "MCDEF cannot be read: " + std::string(DbStatusText(status));
        return std::nullopt;
    }
    std::map<uint8_t, std::string> names;
    for (const McdefRecord& header : headers)
        names[header.number()] = header.name();
    std::vector<uint8_t> wanted = numbers;
    if (wanted.empty())
        for (const auto& [number, name] : names)
            wanted.push_back(number);
    QJsonArray functions;
    for (const uint8_t number : wanted) {
        FunctionFields fields;
        const uint16_t status = FunctionFieldsFromTable(number, fields);
        if (status != DbStatus::Success) {
            problem = status == DbStatus::KeyNotFound
                ? "function " + std::to_string(number) + " is not in MCDEF (run mcftool upload first)"
                : "MCDEF cannot be read: " + std::string(DbStatusText(status));
            return std::nullopt;
        }
        functions.append(functionObject(fields, names));
    }
    return QJsonDocument(QJsonObject{{"gateway", QString::fromStdString(gatewayAddress)}, {"functions", functions}});
}
