#include "gateway/FunctionFields.h"

#include "gateway/TelegramConversion.h"
#include "model/McdefAccess.h"
#include "model/TypeNames.h"
#include "protocol/CalendarSeconds.h"
#include "protocol/DataBlocks.h"
#include "protocol/HeaderTelegram.h"
#include "protocol/LittleEndian.h"
#include "protocol/ReferenceForms.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "support/DbStatus.h"

#include <algorithm>
#include <array>
#include <map>

namespace {

using FunctionType::AlarmLimitDirect;
using FunctionType::AlarmLimitOffset;
using FunctionType::CentralDefrost;
using FunctionType::DayNightControl;
using FunctionType::DayNightExternal;
using FunctionType::PeakShaving;
using FunctionType::PoOptimizer;
using FunctionType::QebOn;
using FunctionType::YearlySchedule;

constexpr std::array<const char*, 7> Weekdays = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                                 "Friday", "Saturday", "Sunday"};

std::vector<SettingField> buildSettingFields()
{
    std::vector<SettingField> fields = {
        {YearlySchedule, 1, 6, SettingKind::U8, "present output", ""},
        {QebOn, 1, 6, SettingKind::U8, "manual mode", ""},
        {QebOn, 1, 7, SettingKind::U8, "manual value", ""},
        {DayNightControl, 1, 6, SettingKind::U8, "manual mode", ""},
        {DayNightControl, 1, 7, SettingKind::U8, "manual value", ""},
        {DayNightExternal, 1, 6, SettingKind::U8, "manual mode", ""},
        {DayNightExternal, 1, 7, SettingKind::U8, "manual value", ""},
        {DayNightExternal, 2, 6, SettingKind::U8, "use external signal", ""},
        {PeakShaving, 1, 7, SettingKind::F32, "calculated thermostat offset", "K"},
        {PeakShaving, 2, 6, SettingKind::U16, "impulses per kWh", ""},
        {PeakShaving, 2, 8, SettingKind::U16, "load period", "min"},
        {PeakShaving, 2, 10, SettingKind::U16, "intern load period", "s"},
        {PeakShaving, 2, 12, SettingKind::U16, "peak limit", "kW"},
        {PeakShaving, 2, 14, SettingKind::U16, "max shave time", "min"},
        {PeakShaving, 2, 16, SettingKind::F32, "max thermostat offset", "K"},
        {PeakShaving, 2, 20, SettingKind::F32, "offset step", "K"},
        {PeakShaving, 2, 24, SettingKind::U8, "use tariff schedule", ""},
        {PeakShaving, 2, 25, SettingKind::U8, "use cold accumulation schedule", ""},
        {PeakShaving, 2, 26, SettingKind::U8, "use peak meter schedule", ""},
        {PeakShaving, 2, 27, SettingKind::F32, "normal meter reading", "kWh"},
        {PeakShaving, 2, 31, SettingKind::F32, "peak meter reading", "kWh"},
        {CentralDefrost, 1, 6, SettingKind::U8, "manual mode", ""},
        {CentralDefrost, 2, 6, SettingKind::U8, "external defrost start", ""},
        {CentralDefrost, 2, 7, SettingKind::U8, "co-ordinate defrost", ""},
        {PoOptimizer, 1, 6, SettingKind::U16, "period", "s"},
        {PoOptimizer, 1, 8, SettingKind::U16, "filter", ""},
        {PoOptimizer, 1, 10, SettingKind::F32, "Kp", ""},
        {PoOptimizer, 1, 14, SettingKind::F32, "Tn", ""},
        {PoOptimizer, 1, 18, SettingKind::U8, "Po offset disable", ""},
        {PoOptimizer, 1, 19, SettingKind::F32, "actual Po offset", "K"},
        {PoOptimizer, 1, 23, SettingKind::Letter, "compressor loop", ""},
        {PoOptimizer, 1, 24, SettingKind::U8, "Po offset alarm enable", ""},
        {PoOptimizer, 1, 25, SettingKind::U16, "alarm delay", "min"},
        {PoOptimizer, 1, 27, SettingKind::U8, "optimise communication", ""},
    };
    // The alarm limit types: the manual value and the settings in K (offset) or °C (direct).
    for (const uint8_t type : {AlarmLimitOffset, AlarmLimitDirect}) {
        const std::string unit = type == AlarmLimitOffset ? "K" : "°C";
        fields.push_back({type, 1, 6, SettingKind::U8, "manual mode", ""});
        fields.push_back({type, 1, 7, SettingKind::I16, "manual value", unit});
        fields.push_back({type, 2, 6, SettingKind::U8, "use outdoor temperature", ""});
        fields.push_back({type, 2, 7, SettingKind::I16, "outdoor reference temperature", "°C"});
        fields.push_back({type, 2, 9, SettingKind::I16, "lower band temperature", "°C"});
        fields.push_back({type, 2, 11, SettingKind::I16, "upper band temperature", "°C"});
        if (type == AlarmLimitDirect)
            fields.push_back({type, 2, 13, SettingKind::I16, "entrance value", "°C"});
    }
    // The yearly schedule's week: the first period of each day in block 2, periods 2 to 4 in block 3.
    for (uint8_t day = 0; day < Weekdays.size(); ++day)
        for (uint8_t period = 1; period <= 4; ++period) {
            const uint8_t block = period == 1 ? 2 : 3;
            const uint8_t at = period == 1 ? uint8_t(6 + day * 4) : uint8_t(6 + (day * 3 + period - 2) * 4);
            const std::string name = std::string(Weekdays[day]) + " period " + std::to_string(period);
            fields.push_back({YearlySchedule, block, at, SettingKind::TimeOfDay, name + " on", ""});
            fields.push_back({YearlySchedule, block, uint8_t(at + 2), SettingKind::TimeOfDay, name + " off", ""});
        }
    // The central defrost's three schedules of eight start times, then the schedule of each weekday.
    for (uint8_t schedule = 0; schedule < 3; ++schedule)
        for (uint8_t row = 0; row < 8; ++row)
            fields.push_back({CentralDefrost, 3, uint8_t(6 + (schedule * 8 + row) * 2), SettingKind::TimeOfDay,
                              "schedule " + std::to_string(schedule + 1) + " time " + std::to_string(row + 1), ""});
    for (uint8_t day = 0; day < Weekdays.size(); ++day)
        fields.push_back({CentralDefrost, 3, uint8_t(54 + day), SettingKind::U8,
                          std::string(Weekdays[day]) + " schedule", ""});
    return fields;
}

size_t kindWidth(SettingKind kind)
{
    switch (kind) {
    case SettingKind::U8:
    case SettingKind::Letter:
        return 1;
    case SettingKind::I16:
    case SettingKind::U16:
    case SettingKind::TimeOfDay:
        return 2;
    case SettingKind::F32:
        return 4;
    }
    return 1;
}

std::string settingValue(SettingKind kind, const uint8_t* at)
{
    switch (kind) {
    case SettingKind::U8:
        return std::to_string(at[0]);
    case SettingKind::Letter:
        return std::string(1, char('A' + at[0]));
    case SettingKind::I16:
        return std::to_string(le::i16(at));
    case SettingKind::U16:
        return std::to_string(le::u16(at));
    case SettingKind::F32:
        return StrFormat("%.7g", double(le::f32(at)));
    case SettingKind::TimeOfDay: {
        const int minutes = le::i16(at);
        return minutes < 0 ? "none" : StrFormat("%02d:%02d", minutes / 60, minutes % 60);
    }
    }
    return {};
}

// Whether the gateway keeps the field as the PC writes it.
bool writtenField(uint8_t type, uint8_t block, size_t offset, size_t width)
{
    if (TypeBlockKind(type, block) != BlockKind::UploadAndWrite)
        return false;
    const BlockLayout* layout = FindBlockLayout(type, block);
    if (!layout || offset - McdefRecord::ContentOffset + width > layout->writeBytes)
        return false;
    for (size_t k = 0; k < width; ++k)
        if (IsReportedByte(type, block, offset - McdefRecord::ContentOffset + k))
            return false;
    return true;
}

std::string yesNo(bool value) { return value ? "yes" : "no"; }

// "2024.12.24 18:00"; a yearly event (kept in 1970) shows the year 0000.
std::string periodTime(uint32_t seconds)
{
    const CalendarTime t = FromCalendarSeconds(seconds);
    return StrFormat("%04d.%02d.%02d %02d:%02d", t.year == 1970 ? 0 : t.year, t.month, t.day, t.hour, t.minute);
}

// The entries of a list block over all its records, by their index.
std::map<uint8_t, const uint8_t*> listEntries(const std::vector<const McdefRecord*>& records, size_t entrySize)
{
    std::map<uint8_t, const uint8_t*> entries;
    for (const McdefRecord* r : records) {
        const uint8_t count = (*r)[6];
        for (size_t i = 0; i < count; ++i) {
            const size_t at = 7 + i * entrySize;
            if (at + entrySize > McdefRecord::Size)
                break;
            entries.emplace((*r)[at], r->data() + at);
        }
    }
    return entries;
}

void addListFields(uint8_t type, uint8_t block, const std::vector<const McdefRecord*>& records,
                   std::vector<FunctionField>& fields)
{
    const BlockLayout* layout = FindBlockLayout(type, block);
    const bool compared = TypeBlockKind(type, block) == BlockKind::UploadAndWrite;
    for (const auto& [index, entry] : listEntries(records, layout->entrySize)) {
        FunctionField field{FieldGroup::Settings, {}, {}, {}, compared, {}, {}, block};
        if (type == YearlySchedule) {
            const uint8_t state = entry[1];
            if (state == 255) // a deleted period
                continue;
            field.name = "special period " + std::to_string(index + 1);
            field.value = periodTime(le::u32(entry + 2)) + " -> " + periodTime(le::u32(entry + 6)) + " "
                + (state ? "On" : "Off");
        } else {
            field.name = "evaporator " + std::to_string(index + 1) + " defrost delay";
            field.value = StrFormat("controller %03d loop %c: %u", entry[1], char('A' + entry[2]), le::u16(entry + 3));
            field.unit = "s";
        }
        fields.push_back(std::move(field));
    }
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
        fields.push_back({FieldGroup::Settings, setting.name, settingValue(setting.kind, &record[setting.offset]),
                          setting.unit, writtenField(type, block, setting.offset, kindWidth(setting.kind)), {}, {},
                          block});
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

const std::vector<SettingField>& SettingFields()
{
    static const std::vector<SettingField> fields = buildSettingFields();
    return fields;
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
    const uint16_t status = ReadFunction(number, records);
    if (status != DbStatus::Success)
        return status;
    if (records.empty() || records.front().blockType() != BlockType::Header)
        return DbStatus::KeyNotFound;
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
