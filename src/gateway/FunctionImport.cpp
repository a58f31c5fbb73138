#include "gateway/FunctionImport.h"

#include "gateway/SyncState.h"
#include "model/EventLog.h"
#include "model/FunctionSettings.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "protocol/CalendarSeconds.h"
#include "protocol/IdentityChecksum.h"
#include "protocol/LittleEndian.h"
#include "protocol/NodeAddress.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "support/Clock.h"
#include "support/DbStatus.h"
#include "support/RecordStore.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

namespace {

constexpr int LastFunctionNumber = 105;
constexpr uint8_t AutomaticMark = 255;
constexpr size_t ParameterAt = 6;
constexpr size_t MultiParameterBytes = 32;
constexpr size_t PeriodsPerRecord = 10;
constexpr size_t EvaporatorsPerRecord = 20;
constexpr uint8_t PeriodBlock = 4;
constexpr uint8_t EvaporatorBlock = 2;

// A refusal: the function, the key and the value at fault, and why.
struct Refusal {
    std::string text;
};

std::string valueText(const QJsonValue& value)
{
    if (value.isString())
        return "\"" + value.toString().toStdString() + "\"";
    if (value.isObject() || value.isArray())
        return QJsonDocument(value.isObject() ? QJsonDocument(value.toObject()) : QJsonDocument(value.toArray()))
            .toJson(QJsonDocument::Compact)
            .toStdString();
    return QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).mid(1).chopped(1).toStdString();
}

[[noreturn]] void refuse(int number, const std::string& key, const QJsonValue& value, const std::string& why)
{
    throw Refusal{StrFormat("function %d: %s %s: %s", number, key.c_str(), valueText(value).c_str(), why.c_str())};
}

int wholeNumber(const QJsonObject& object, const char* key, int number, int minimum, int maximum)
{
    const QJsonValue value = object.value(key);
    const double n = value.toDouble(-1e9);
    if (!value.isDouble() || n != double(int(n)) || n < minimum || n > maximum)
        refuse(number, key, value, StrFormat("not a whole number %d..%d", minimum, maximum));
    return int(n);
}

void onlyKeys(const QJsonObject& object, std::initializer_list<const char*> keys, int number, const std::string& where)
{
    for (auto it = object.begin(); it != object.end(); ++it)
        if (std::none_of(keys.begin(), keys.end(), [&](const char* k) { return it.key() == QLatin1String(k); }))
            refuse(number, where + it.key().toStdString(), it.value(), "not a key of the export");
}

// "06:30" or "none" (-1 where the field allows it).
std::optional<double> timeOfDay(const QString& text, bool noneAllowed)
{
    if (text == QLatin1String("none"))
        return noneAllowed ? std::optional<double>(-1) : std::nullopt;
    int hours = -1, minutes = -1;
    char tail = 0;
    if (std::sscanf(text.toStdString().c_str(), "%2d:%2d%c", &hours, &minutes, &tail) != 2 || text.size() != 5)
        return std::nullopt;
    return hours * 60.0 + minutes;
}

// A field's stored value from the document's value, or the refusal.
double settingValue(const SettingField& field, const QJsonValue& value, int number)
{
    const std::string key = "settings \"" + field.name + "\"";
    std::optional<double> stored;
    if (field.kind == SettingKind::TimeOfDay) {
        if (value.isString())
            stored = timeOfDay(value.toString(), field.noneAllowed);
    } else if (field.kind == SettingKind::Letter) {
        const QString text = value.toString();
        if (value.isString() && text.size() == 1 && text[0] >= QLatin1Char('A') && text[0] <= QLatin1Char('Z'))
            stored = double(text[0].unicode() - 'A');
    } else if (value.isDouble()) {
        stored = value.toDouble();
    }
    if (!stored)
        refuse(number, key, value, field.kind == SettingKind::TimeOfDay ? "not a time of day \"HH:MM\""
                                       : field.kind == SettingKind::Letter ? "not a loop letter"
                                                                          : "not a number");
    if (!SettingValid(field, *stored))
        refuse(number, key, value, "outside " + SettingRangeText(field));
    return *stored;
}

// "2025.01.06 00:00" (year 0000: a yearly event, kept in 1970).
std::optional<uint32_t> periodTime(const std::string& text)
{
    CalendarTime t;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d.%2d.%2d %2d:%2d%c", &t.year, &t.month, &t.day, &t.hour, &t.minute, &tail) != 5)
        return std::nullopt;
    if (t.year == 0)
        t.year = 1970;
    return ToCalendarSeconds(t);
}

PeriodEntry periodEntry(const QJsonValue& value, uint8_t index, int number, const std::string& key)
{
    const std::string text = value.toString().toStdString();
    const size_t arrow = text.find(" -> ");
    const size_t state = text.rfind(' ');
    std::optional<uint32_t> from, to;
    if (value.isString() && arrow != std::string::npos && state > arrow + 4) {
        from = periodTime(text.substr(0, arrow));
        to = periodTime(text.substr(arrow + 4, state - arrow - 4));
    }
    const std::string stateText = state == std::string::npos ? std::string() : text.substr(state + 1);
    if (!from || !to || (stateText != "On" && stateText != "Off"))
        refuse(number, key, value, "not a period \"YYYY.MM.DD HH:MM -> YYYY.MM.DD HH:MM On\"");
    return {index, uint8_t(stateText == "On" ? 1 : 0), *from, *to};
}

EvaporatorEntry evaporatorEntry(const QJsonValue& value, uint8_t index, int number, const std::string& key)
{
    unsigned address = 0, delay = 0;
    char loop = 0, tail = 0;
    const std::string text = value.toString().toStdString();
    if (!value.isString()
        || std::sscanf(text.c_str(), "controller %3u loop %c: %5u%c", &address, &loop, &delay, &tail) != 3
        || address > 255 || loop < 'A' || loop > 'Z' || delay > 0xFFFF)
        refuse(number, key, value, "not a defrost delay \"controller 001 loop A: 1200\"");
    return {index, uint8_t(address), uint8_t(loop - 'A'), uint16_t(delay)};
}

// The list entries of a settings key "special period N" or "evaporator N defrost delay"; their index N - 1.
std::optional<uint8_t> listIndex(const std::string& key, const char* prefix, const char* suffix)
{
    unsigned n = 0;
    char tail = 0;
    const std::string format = std::string(prefix) + "%3u" + suffix + "%c";
    if (std::sscanf(key.c_str(), format.c_str(), &n, &tail) != 1 || n < 1 || n > 60)
        return std::nullopt;
    if (key != StrFormat((std::string(prefix) + "%u" + suffix).c_str(), n))
        return std::nullopt;
    return uint8_t(n - 1);
}

McdefRecord& dataBlock(std::vector<McdefRecord>& records, uint8_t number, uint8_t block)
{
    for (McdefRecord& r : records)
        if (r.blockType() == BlockType::Data && r.blockNumber() == block)
            return r;
    return records.emplace_back(number, BlockType::Data, block, 0);
}

void replaceBlock(std::vector<McdefRecord>& records, uint8_t block, const std::vector<McdefRecord>& replacement)
{
    std::erase_if(records, [block](const McdefRecord& r) {
        return r.blockType() == BlockType::Data && r.blockNumber() == block;
    });
    records.insert(records.end(), replacement.begin(), replacement.end());
}

// The records of a list block: the entries in the order of their keys, numbered anew from 0, as many to a
// record as it holds.
template <typename Entry, typename MakeRecord, typename Write>
std::vector<McdefRecord> listRecords(std::map<uint8_t, Entry>& byIndex, size_t perRecord, MakeRecord makeRecord,
                                     Write write)
{
    std::vector<Entry> entries;
    for (auto& [index, entry] : byIndex) {
        entry.index = uint8_t(entries.size());
        entries.push_back(entry);
    }
    std::vector<McdefRecord> records;
    for (size_t first = 0; first < entries.size(); first += perRecord) {
        McdefRecord& record = records.emplace_back(makeRecord(records.size()));
        write({entries.begin() + std::ptrdiff_t(first),
               entries.begin() + std::ptrdiff_t(std::min(entries.size(), first + perRecord))},
              record);
    }
    return records;
}

class Importer {
public:
    Importer(const std::string& gatewayAddress, std::set<uint8_t> yearlyInDocument)
        : m_network(NetworkPrefix(gatewayAddress))
        , m_yearlyInDocument(std::move(yearlyInDocument))
    {
    }

    ImportedFunction read(const QJsonObject& object);

private:
    void readSettings(const QJsonObject& settings, uint8_t type, uint8_t number, std::vector<McdefRecord>& records);
    void readReferences(const QJsonArray& references, uint8_t blockType, uint8_t number,
                        const std::vector<McdefRecord>& stored, std::vector<McdefRecord>& records);
    void readSchedules(const QJsonArray& schedules, uint8_t number, std::vector<McdefRecord>& records);

    std::string m_network;
    std::set<uint8_t> m_yearlyInDocument;
};

ImportedFunction Importer::read(const QJsonObject& object)
{
    const int number = wholeNumber(object, "number", 0, 1, LastFunctionNumber);
    onlyKeys(object, {"number", "type", "name", "stamp", "flags", "settings", "inputs", "outputs", "schedules"}, number,
             "");
    const QJsonObject typeObject = object.value("type").toObject();
    const int type = wholeNumber(typeObject, "code", number, 0, FunctionType::Count - 1);
    const QJsonValue nameValue = object.value("name");
    const std::string name = nameValue.toString().toStdString();
    if (!nameValue.isString() || name.empty())
        refuse(number, "name", nameValue, "not a function name");

    ImportedFunction function;
    function.number = uint8_t(number);
    function.name = name;
    std::vector<McdefRecord> stored;
    const uint16_t status = ReadDefinedFunction(uint8_t(number), stored);
    if (status != DbStatus::Success && status != DbStatus::KeyNotFound)
        throw Refusal{"MCDEF cannot be read: " + std::string(DbStatusText(status))};
    function.created = status == DbStatus::KeyNotFound;
    if (!function.created && stored.front().type() != type)
        refuse(number, "type", object.value("type"),
               StrFormat("MCDEF holds function %d as type %u", number, stored.front().type()));

    McdefRecord header = function.created ? McdefRecord(uint8_t(number), BlockType::Header, 0, 0) : stored.front();
    if (function.created) {
        header.setType(uint8_t(type));
        // As its editor saves it: a yearly schedule runs from the start.
        if (type == FunctionType::YearlySchedule)
            header.setFlags(FunctionFlag::Started);
    }
    header.setName(name);
    if (header.name() != name)
        refuse(number, "name", nameValue, "longer than 16 characters of the code page");
    std::vector<McdefRecord> records = {header};
    for (const McdefRecord& r : stored)
        if (r.blockType() == BlockType::Data)
            records.push_back(r);
    if (function.created)
        for (const uint8_t block : TypeWritableBlocks(uint8_t(type)))
            if (block != 0 && !(type == FunctionType::YearlySchedule && block == PeriodBlock)
                && !(type == FunctionType::PoOptimizer && block == EvaporatorBlock))
                dataBlock(records, uint8_t(number), block);
    readSettings(object.value("settings").toObject(), uint8_t(type), uint8_t(number), records);
    readReferences(object.value("inputs").toArray(), BlockType::Input, uint8_t(number), stored, records);
    readReferences(object.value("outputs").toArray(), BlockType::Output, uint8_t(number), stored, records);
    readSchedules(object.value("schedules").toArray(), uint8_t(number), records);
    std::sort(records.begin(), records.end(),
              [](const McdefRecord& a, const McdefRecord& b) { return a.key() < b.key(); });

    for (const SettingViolation& violation : CheckFunctionSettings(uint8_t(type), records))
        throw Refusal{ViolationText(uint8_t(number), name, violation)};
    function.records = std::move(records);
    return function;
}

void Importer::readSettings(const QJsonObject& settings, uint8_t type, uint8_t number, std::vector<McdefRecord>& records)
{
    std::map<uint8_t, PeriodEntry> periods;
    std::map<uint8_t, EvaporatorEntry> evaporators;
    for (auto it = settings.begin(); it != settings.end(); ++it) {
        const std::string name = it.key().toStdString();
        const std::string key = "settings \"" + name + "\"";
        const QJsonObject setting = it.value().toObject();
        if (!it.value().isObject())
            refuse(number, key, it.value(), "not a settings object");
        onlyKeys(setting, {"value", "unit", "block", "reportedByGateway"}, number, key + " ");
        const QJsonValue value = setting.value("value");
        const auto field = std::find_if(SettingFields().begin(), SettingFields().end(), [&](const SettingField& f) {
            return f.type == type && f.name == name;
        });
        if (field != SettingFields().end()) {
            if (setting.value("block").toInt(-1) != field->block)
                refuse(number, key + " block", setting.value("block"), StrFormat("the field is in block %u", field->block));
            if (field->written())
                SetSettingValue(*field, dataBlock(records, number, field->block), settingValue(*field, value, number));
            continue;
        }
        if (type == FunctionType::YearlySchedule)
            if (const std::optional<uint8_t> index = listIndex(name, "special period ", "")) {
                periods[*index] = periodEntry(value, *index, number, key);
                continue;
            }
        if (type == FunctionType::PoOptimizer)
            if (const std::optional<uint8_t> index = listIndex(name, "evaporator ", " defrost delay")) {
                evaporators[*index] = evaporatorEntry(value, *index, number, key);
                continue;
            }
        refuse(number, key, value, "not a setting of type " + std::to_string(type));
    }
    if (type == FunctionType::YearlySchedule)
        replaceBlock(records, PeriodBlock,
                     listRecords(periods, PeriodsPerRecord, [&](size_t) {
                         return McdefRecord(number, BlockType::Data, PeriodBlock, 0);
                     }, WritePeriodEntries));
    if (type == FunctionType::PoOptimizer)
        replaceBlock(records, EvaporatorBlock,
                     listRecords(evaporators, EvaporatorsPerRecord, [&](size_t sequence) {
                         return McdefRecord(number, BlockType::Data, EvaporatorBlock, uint8_t(sequence + 1));
                     }, WriteEvaporatorEntries));
}

void Importer::readReferences(const QJsonArray& references, uint8_t blockType, uint8_t number,
                              const std::vector<McdefRecord>& stored, std::vector<McdefRecord>& records)
{
    const std::string list = blockType == BlockType::Input ? "inputs" : "outputs";
    for (const QJsonValue& value : references) {
        const QJsonObject reference = value.toObject();
        const std::string key = list + " entry";
        if (!value.isObject())
            refuse(number, key, value, "not a reference object");
        onlyKeys(reference, {"slot", "address", "automatic", "parameter", "identification"}, number, key + " ");
        const int slot = wholeNumber(reference, "slot", number, 1, 8);
        const int address = wholeNumber(reference, "address", number, 0, 255);
        McdefRecord record(number, blockType, uint8_t(slot), uint8_t(address));
        const bool automatic = reference.value("automatic").toBool(false);
        size_t checksumAt = 0;
        if (automatic) {
            std::fill(&record[ParameterAt], &record[ParameterAt + 3], AutomaticMark);
        } else {
            const std::string parameter = reference.value("parameter").toString().toStdString();
            unsigned p1 = 0, p2 = 0, p3 = 0, parameterClass = 0;
            char tail = 0;
            if (std::sscanf(parameter.c_str(), "%3u.%3u.%3u class %3u%c", &p1, &p2, &p3, &parameterClass, &tail) == 4
                && p1 < 255 && p2 < 256 && p3 < 256 && parameterClass < 256) {
                for (const unsigned byte : {p1, p2, p3, parameterClass})
                    record[checksumAt++ + ParameterAt] = uint8_t(byte);
                checksumAt = ParameterAt + 4;
            } else {
                const QByteArray bytes = QByteArray::fromHex(QByteArray::fromStdString(parameter));
                if (size_t(bytes.size()) != MultiParameterBytes || bytes.toHex().toStdString() != parameter)
                    refuse(number, key + " parameter", reference.value("parameter"),
                           "neither \"P1.P2.P3 class C\" nor 32 bytes in hexadecimal");
                std::copy(bytes.begin(), bytes.end(), &record[ParameterAt]);
                checksumAt = ParameterAt + MultiParameterBytes;
            }
            unsigned identification = 0;
            const std::string identText = reference.value("identification").toString().toStdString();
            if (std::sscanf(identText.c_str(), "0x%4x%c", &identification, &tail) != 1 || identification > 0xFFFF)
                refuse(number, key + " identification", reference.value("identification"), "not \"0x1a2b\"");
            le::putU16(&record[checksumAt], uint16_t(identification));
        }
        // A reference that MCDEF holds with the same content stays as it is, with its status marks;
        // a new one must name a controller of the network configuration as it is identified there.
        const auto same = std::find_if(stored.begin(), stored.end(), [&](const McdefRecord& r) {
            return r.key() == record.key()
                && std::equal(r.data() + ParameterAt, r.data() + McdefRecord::Size, record.data() + ParameterAt);
        });
        if (same != stored.end()) {
            records.push_back(*same);
            continue;
        }
        NetCnfRecord node;
        const std::string nodeKey = NodeKey(m_network, address);
        if (ReadNetCnfNode(nodeKey, node) != DbStatus::Success)
            refuse(number, key + " address", reference.value("address"),
                   "no controller " + nodeKey + " in the network configuration");
        if (!automatic && le::u16(&record[checksumAt]) != IdentityChecksum(uint8_t(node.nodeKind), node.ident))
            refuse(number, key + " identification", reference.value("identification"),
                   "controller " + nodeKey + " is identified otherwise (" + node.ident + ")");
        records.push_back(record);
    }
}

void Importer::readSchedules(const QJsonArray& schedules, uint8_t number, std::vector<McdefRecord>& records)
{
    for (const QJsonValue& value : schedules) {
        const QJsonObject schedule = value.toObject();
        if (!value.isObject())
            refuse(number, "schedules entry", value, "not a schedule object");
        onlyKeys(schedule, {"group", "function", "name"}, number, "schedules entry ");
        const int group = wholeNumber(schedule, "group", number, 1, 4);
        const int yearly = wholeNumber(schedule, "function", number, 1, LastFunctionNumber);
        McdefRecord header;
        const bool inTable = ReadBlock(uint8_t(yearly), BlockType::Header, 0, 0, header) == DbStatus::Success
            && header.type() == FunctionType::YearlySchedule;
        if (!inTable && !m_yearlyInDocument.count(uint8_t(yearly)))
            refuse(number, "schedules entry function", schedule.value("function"),
                   "no yearly schedule of this number in MCDEF or in the document");
        records.emplace_back(number, BlockType::ScheduleReference, uint8_t(group), uint8_t(yearly));
    }
}

std::vector<McdefRecord> storedOrEmpty(uint8_t number)
{
    std::vector<McdefRecord> records;
    if (ReadDefinedFunction(number, records) != DbStatus::Success)
        records.clear();
    return records;
}

// The differences that the import makes: the header fields the gateway reports are not the document's.
std::vector<FieldDifference> importDifferences(const ImportedFunction& function)
{
    const std::vector<McdefRecord> stored = storedOrEmpty(function.number);
    const FunctionFields after = DecodeFunction(function.number, function.records);
    if (stored.empty()) {
        std::vector<FieldDifference> created;
        for (const FunctionField& field : after.fields)
            if (field.compared && field.group != FieldGroup::Header)
                created.push_back({field.name, field.unit, {std::nullopt, field.value}});
        created.insert(created.begin(), FieldDifference{"name", {}, {std::nullopt, function.name}});
        return created;
    }
    const FunctionFields before = DecodeFunction(function.number, stored);
    return CompareFunctions({&before, &after});
}

} // namespace

std::string SharedOutputText(const SharedOutput& shared)
{
    return StrFormat("functions %u and %u both write parameter %s of controller %03u", shared.first, shared.second,
                     shared.parameter.c_str(), shared.address);
}

std::vector<SharedOutput> FindSharedOutputs(const std::vector<std::vector<McdefRecord>>& functions)
{
    // Who writes each parameter of each controller.
    std::map<std::pair<uint8_t, std::string>, std::vector<uint8_t>> writers;
    for (const std::vector<McdefRecord>& records : functions)
        for (const McdefRecord& r : records) {
            if (r.blockType() != BlockType::Output || r[ParameterAt] == AutomaticMark)
                continue;
            const std::string parameter = StrFormat("%u.%u.%u", r[ParameterAt], r[ParameterAt + 1], r[ParameterAt + 2]);
            std::vector<uint8_t>& numbers = writers[{r.item(), parameter}];
            if (std::find(numbers.begin(), numbers.end(), r.number()) == numbers.end())
                numbers.push_back(r.number());
        }
    std::vector<SharedOutput> shared;
    for (const auto& [place, numbers] : writers)
        for (size_t i = 0; i < numbers.size(); ++i)
            for (size_t j = i + 1; j < numbers.size(); ++j)
                shared.push_back({std::min(numbers[i], numbers[j]), std::max(numbers[i], numbers[j]), place.first,
                                  place.second});
    return shared;
}

bool PlanImport(const QJsonDocument& document, const std::string& gatewayAddress, const std::vector<uint8_t>& numbers,
                ImportPlan& plan, std::string& problem)
{
    plan = ImportPlan{};
    const QJsonArray functions = document.object().value("functions").toArray();
    if (!document.isObject() || !document.object().value("functions").isArray()) {
        problem = "not a document of functions: it has no array \"functions\"";
        return false;
    }
    std::set<uint8_t> yearly;
    std::set<uint8_t> inDocument;
    for (const QJsonValue& value : functions) {
        const QJsonObject function = value.toObject();
        const int number = function.value("number").toInt(0);
        if (function.value("type").toObject().value("code").toInt(-1) == FunctionType::YearlySchedule)
            yearly.insert(uint8_t(number));
        if (!inDocument.insert(uint8_t(number)).second) {
            problem = StrFormat("function %d: the document holds it twice", number);
            return false;
        }
    }
    for (const uint8_t number : numbers)
        if (!inDocument.count(number)) {
            problem = StrFormat("function %u is not in the document", number);
            return false;
        }
    Importer importer(gatewayAddress, yearly);
    std::map<uint8_t, std::vector<McdefRecord>> after;
    try {
        for (const QJsonValue& value : functions) {
            if (!value.isObject())
                throw Refusal{"an entry of \"functions\" is not a function object"};
            const uint8_t number = uint8_t(value.toObject().value("number").toInt(0));
            if (!numbers.empty() && std::find(numbers.begin(), numbers.end(), number) == numbers.end())
                continue;
            ImportedFunction function = importer.read(value.toObject());
            function.differences = importDifferences(function);
            if (function.differences.empty()) {
                ++plan.unchanged;
                continue;
            }
            after[function.number] = function.records;
            plan.changed.push_back(std::move(function));
        }
    } catch (const Refusal& refusal) {
        problem = refusal.text;
        return false;
    }
    std::sort(plan.changed.begin(), plan.changed.end(),
              [](const ImportedFunction& a, const ImportedFunction& b) { return a.number < b.number; });

    std::vector<McdefRecord> headers;
    if (const uint16_t status = ReadHeaders(headers); status != DbStatus::Success) {
        problem = "MCDEF cannot be read: " + std::string(DbStatusText(status));
        return false;
    }
    std::vector<std::vector<McdefRecord>> before;
    std::vector<std::vector<McdefRecord>> whole;
    std::set<uint8_t> all;
    for (const McdefRecord& header : headers)
        all.insert(header.number());
    for (const auto& [number, records] : after)
        all.insert(number);
    for (const uint8_t number : all) {
        std::vector<McdefRecord> stored = storedOrEmpty(number);
        before.push_back(stored);
        whole.push_back(after.count(number) ? after.at(number) : stored);
    }
    const std::vector<SharedOutput> existing = FindSharedOutputs(before);
    for (const SharedOutput& shared : FindSharedOutputs(whole)) {
        const bool imported = after.count(shared.first) || after.count(shared.second);
        const bool known = std::any_of(existing.begin(), existing.end(), [&](const SharedOutput& e) {
            return e.first == shared.first && e.second == shared.second && e.address == shared.address
                && e.parameter == shared.parameter;
        });
        if (imported && !known)
            plan.sharedOutputs.push_back(shared);
    }
    return true;
}

uint16_t WriteImport(const ImportPlan& plan)
{
    if (const uint16_t open = OpenMcdef(); open != DbStatus::Success)
        return open;
    DbBatch batch(table::Mcdef);
    if (batch.beginStatus() != DbStatus::Success)
        return batch.beginStatus();
    for (const ImportedFunction& function : plan.changed) {
        uint16_t status = RemoveFunction(function.number);
        for (size_t i = 0; i < function.records.size() && status == DbStatus::Success; ++i)
            status = InsertBlock(function.records[i]);
        if (status != DbStatus::Success)
            return status;
    }
    return batch.commit();
}

ImportOutcome ApplyImport(const ImportPlan& plan, const std::string& gatewayAddress, const std::string& source)
{
    ImportOutcome outcome;
    outcome.writeStatus = WriteImport(plan);
    if (outcome.writeStatus != DbStatus::Success)
        return outcome;
    // The functions now differ from what the gateway holds until they are sent.
    outcome.markProblem = ChangeSyncState([&](SyncState& state) {
        for (const ImportedFunction& function : plan.changed)
            state.mark({gatewayAddress, function.number, function.name, CurrentTime(),
                        "imported from " + source + ", not sent"});
        return true;
    });
    for (const ImportedFunction& function : plan.changed) {
        std::vector<std::string> lines = {"imported from " + source};
        const std::vector<std::string> changes = ImportChangeLines(function);
        lines.insert(lines.end(), changes.begin(), changes.end());
        outcome.logged = LogChangeLines(gatewayAddress, function.name, lines) == DbStatus::Success && outcome.logged;
    }
    return outcome;
}

std::vector<std::string> ImportPlanLines(const ImportPlan& plan)
{
    std::vector<std::string> lines;
    for (const ImportedFunction& function : plan.changed) {
        const size_t count = function.differences.size();
        lines.push_back(StrFormat("function %u %s: %s%zu %s", function.number, function.name.c_str(),
                                  function.created ? "created, " : "", count, count == 1 ? "change" : "changes"));
        for (const std::string& line : ImportChangeLines(function))
            lines.push_back("  " + line);
    }
    for (const SharedOutput& shared : plan.sharedOutputs)
        lines.push_back("shared output: " + SharedOutputText(shared));
    return lines;
}

std::vector<std::string> ImportChangeLines(const ImportedFunction& function)
{
    std::vector<std::string> lines;
    for (const FieldDifference& d : function.differences)
        lines.push_back(d.name + ": " + d.values.front().value_or("(none)") + " -> " + d.values.back().value_or("(none)")
                        + (d.unit.empty() ? "" : " " + d.unit));
    return lines;
}
