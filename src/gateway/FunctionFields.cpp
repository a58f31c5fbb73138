#include "gateway/FunctionFields.h"

#include "gateway/TelegramConversion.h"
#include "model/McdefAccess.h"
#include "model/TypeNames.h"
#include "protocol/DataBlocks.h"
#include "protocol/HeaderTelegram.h"
#include "protocol/LittleEndian.h"
#include "protocol/ReferenceForms.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "support/DbStatus.h"

#include <algorithm>
#include <map>

namespace {

using FunctionType::YearlySchedule;

std::string yesNo(bool value) { return value ? "yes" : "no"; }

void addListFields(uint8_t type, uint8_t block, const std::vector<const McdefRecord*>& records,
                   std::vector<FunctionField>& fields)
{
    const bool compared = TypeBlockKind(type, block) == BlockKind::UploadAndWrite;
    // By entry index: a later record's entry of the same index does not replace the first.
    std::map<uint8_t, FunctionField> byIndex;
    for (const McdefRecord* r : records) {
        if (type == YearlySchedule) {
            for (const PeriodEntry& entry : ReadPeriodEntries(*r))
                if (entry.state != 255) // a deleted period
                    byIndex.emplace(entry.index,
                                    FunctionField{FieldGroup::Settings, "special period " + std::to_string(entry.index + 1),
                                                  PeriodTimeText(entry.from) + " -> " + PeriodTimeText(entry.to) + " "
                                                      + (entry.state ? "On" : "Off"),
                                                  {}, compared, {}, {}, block});
        } else {
            for (const EvaporatorEntry& entry : ReadEvaporatorEntries(*r))
                byIndex.emplace(entry.index,
                                FunctionField{FieldGroup::Settings,
                                              "evaporator " + std::to_string(entry.index + 1) + " defrost delay",
                                              StrFormat("controller %03u loop %c: %u", entry.address,
                                                        entry.loop < 26 ? char('A' + entry.loop) : '?', entry.delay),
                                              "s", compared, {}, {}, block});
        }
    }
    for (auto& [index, field] : byIndex)
        fields.push_back(std::move(field));
}

void addBlockFields(uint8_t type, uint8_t block, const std::vector<const McdefRecord*>& records,
                    std::vector<FunctionField>& fields)
{
    const BlockLayout* layout = FindBlockLayout(type, block);
    if (!layout || layout->measured)
        return;
    if (layout->entrySize) {
        addListFields(type, block, records, fields);
        return;
    }
    const McdefRecord& record = *records.front();
    for (const SettingField& setting : SettingFields()) {
        if (setting.type != type || setting.block != block)
            continue;
        fields.push_back({FieldGroup::Settings, setting.name, SettingText(setting, SettingValue(setting, record)),
                          setting.unit, setting.written(), {}, {}, block});
    }
}

FunctionField referenceField(const McdefRecord& r)
{
    const uint8_t direction = r.blockType() == BlockType::Input ? Direction::Input : Direction::Output;
    const uint8_t* parameters = &r[McdefRecord::ContentOffset];
    const ReferenceForm* form = FindReferenceForm(WriteCommandFor(direction, parameters));
    ReferenceDetail detail{direction, r.blockNumber(), r.item(), {}, 0};
    if (form && form->parameterBytes) {
        const size_t checksumAt = McdefRecord::ContentOffset + form->parameterBytes;
        detail.identification = le::u16(&r[checksumAt]);
        detail.parameter = form->parameterBytes == 4
            ? StrFormat("%u.%u.%u class %u", r[6], r[7], r[8], r[9])
            : HexBytes(parameters, form->parameterBytes, "");
    }
    FunctionField field{FieldGroup::Reference, {}, {}, {}, true, detail, {}};
    field.name = StrFormat("%s %u controller %03u", direction == Direction::Input ? "input" : "output",
                           detail.slot, detail.address);
    field.value = detail.parameter.empty()
        ? "automatic"
        : StrFormat("parameter %s, identification 0x%04x", detail.parameter.c_str(), detail.identification);
    return field;
}

} // namespace

const FunctionField* FunctionFields::find(std::string_view name) const
{
    const auto it = std::find_if(fields.begin(), fields.end(), [&](const FunctionField& f) { return f.name == name; });
    return it == fields.end() ? nullptr : &*it;
}

FunctionFields DecodeFunction(uint8_t number, const std::vector<McdefRecord>& records, HeaderFlags known)
{
    FunctionFields result;
    result.number = number;
    const auto header = std::find_if(records.begin(), records.end(),
                                     [](const McdefRecord& r) { return r.blockType() == BlockType::Header; });
    std::vector<FunctionField>& fields = result.fields;
    if (header != records.end()) {
        result.type = header->type();
        const uint8_t flags = header->flags();
        fields.push_back({FieldGroup::Header, "name", header->name(), {}, true, {}, {}});
        const std::string typeText = StrFormat("%u %s", result.type, TypeName(result.type).c_str());
        fields.push_back({FieldGroup::Header, "type", typeText, {}, true, {}, {}});
        fields.push_back({FieldGroup::Header, "stamp", std::to_string(header->stamp()), {}, true, {}, {}});
        fields.push_back({FieldGroup::Header, "started", yesNo(flags & FunctionFlag::Started), {}, true, {}, {}});
        if (known == HeaderFlags::All) {
            fields.push_back({FieldGroup::Header, "manual", yesNo(flags & FunctionFlag::Manual), {}, true, {}, {}});
            // The PC marks reference errors of its own at upload: shown, not compared.
            fields.push_back(
                {FieldGroup::Header, "error", yesNo(flags & FunctionFlag::ErrorMarks), {}, false, {}, {}});
        }
    }
    std::map<uint8_t, std::vector<uint8_t>> scheduleGroups;
    std::map<uint8_t, std::vector<const McdefRecord*>> blocks;
    std::map<std::string, int> referenceNames;
    for (const McdefRecord& r : records) {
        if (r.blockType() == BlockType::Input || r.blockType() == BlockType::Output) {
            FunctionField field = referenceField(r);
            // A controller with several references in one slot (loops of a multi-parameter list): numbered in order.
            if (const int seen = referenceNames[field.name]++)
                field.name += " (" + std::to_string(seen + 1) + ")";
            fields.push_back(std::move(field));
        } else if (r.blockType() == BlockType::ScheduleReference) {
            scheduleGroups[r.blockNumber()].push_back(r.item());
        } else if (r.blockType() == BlockType::Data) {
            blocks[r.blockNumber()].push_back(&r);
        }
    }
    for (auto& [group, numbers] : scheduleGroups) {
        std::sort(numbers.begin(), numbers.end());
        std::string value;
        for (const uint8_t n : numbers)
            value += (value.empty() ? "" : ", ") + std::to_string(n);
        fields.push_back(
            {FieldGroup::Schedule, "schedule group " + std::to_string(group), value, {}, true, {}, numbers, group});
    }
    for (const auto& [block, blockRecords] : blocks)
        addBlockFields(result.type, block, blockRecords, fields);
    return result;
}

uint16_t FunctionFieldsFromTable(uint8_t number, FunctionFields& fields)
{
    std::vector<McdefRecord> records;
    const uint16_t status = ReadDefinedFunction(number, records);
    if (status != DbStatus::Success)
        return status;
    fields = DecodeFunction(number, records);
    return DbStatus::Success;
}

std::optional<FunctionFields> FunctionFieldsFromBackup(const BackupFile& file, uint8_t number)
{
    const std::vector<Telegram> telegrams = file.functionTelegrams(number);
    if (telegrams.empty())
        return std::nullopt;
    DirectoryEntry entry;
    entry.stamp = file.stamps[size_t(number - 1)];
    for (const Telegram& t : telegrams)
        if (const auto id = IdentifyTelegram(t); id && id->command == Command::WriteHeader)
            entry.type = id->p;
    // The start telegram after the functions' telegrams names the started ones.
    for (const Telegram& t : file.telegrams) {
        const auto id = IdentifyTelegram(t);
        if (!id || id->command != Command::Start)
            continue;
        const uint8_t* data = &t[TelegramField::Data];
        for (size_t k = 1; k <= data[0] && TelegramField::Data + k < TelegramSize; ++k)
            if (data[k] == number)
                entry.flags |= FunctionFlag::Started;
    }
    return DecodeFunction(number, ConvertTelegrams(number, telegrams, entry), HeaderFlags::StartedOnly);
}

FunctionFields FunctionFieldsFromAnswers(uint8_t number, const std::vector<Telegram>& answers)
{
    DirectoryEntry entry;
    for (const Telegram& t : answers)
        if (const auto id = IdentifyTelegram(t); id && id->command == Command::ReadHeader)
            entry.type = ReadHeaderAnswer(t).type;
    return DecodeFunction(number, ConvertTelegrams(number, answers, entry));
}

std::vector<FieldDifference> CompareFunctions(const std::vector<const FunctionFields*>& sources)
{
    std::vector<FieldDifference> differences;
    const bool allPresent = std::all_of(sources.begin(), sources.end(), [](const FunctionFields* f) { return f; });
    if (!allPresent) {
        FieldDifference missing{"function", {}, {}};
        for (const FunctionFields* f : sources)
            missing.values.push_back(f ? std::optional<std::string>("present") : std::nullopt);
        differences.push_back(std::move(missing));
        return differences;
    }
    std::vector<std::string> seen;
    for (const FunctionFields* source : sources)
        for (const FunctionField& field : source->fields) {
            if (!field.compared || std::find(seen.begin(), seen.end(), field.name) != seen.end())
                continue;
            seen.push_back(field.name);
            FieldDifference difference{field.name, field.unit, {}};
            // A header field that a source cannot know is left out of the comparison.
            std::vector<std::optional<std::string>> compared;
            for (const FunctionFields* other : sources) {
                const FunctionField* match = other->find(field.name);
                difference.values.push_back(match ? std::optional<std::string>(match->value) : std::nullopt);
                if (match || field.group != FieldGroup::Header)
                    compared.push_back(difference.values.back());
            }
            if (std::adjacent_find(compared.begin(), compared.end(), std::not_equal_to<>()) != compared.end())
                differences.push_back(std::move(difference));
        }
    return differences;
}

std::string DifferenceNames(const std::vector<FieldDifference>& differences)
{
    std::string names;
    for (const FieldDifference& d : differences)
        names += (names.empty() ? "" : ", ") + d.name;
    return names;
}
