#include "model/FunctionSettings.h"

#include "model/McdefAccess.h"
#include "protocol/CalendarSeconds.h"
#include "protocol/DataBlocks.h"
#include "protocol/LittleEndian.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "support/DbStatus.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

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

constexpr int LastMinuteOfDay = 24 * 60 - 1;

SettingField flag(uint8_t type, uint8_t block, uint8_t offset, std::string name)
{
    return {type, block, offset, SettingKind::U8, std::move(name), "", 0, 1, {}};
}

SettingField number(uint8_t type, uint8_t block, uint8_t offset, SettingKind kind, std::string name,
                    std::string unit, double minimum, double maximum)
{
    return {type, block, offset, kind, std::move(name), std::move(unit), minimum, maximum, {}};
}

SettingField timeOfDay(uint8_t type, uint8_t block, uint8_t offset, std::string name, bool noneAllowed)
{
    SettingField field{type, block, offset, SettingKind::TimeOfDay, std::move(name), "", 0, LastMinuteOfDay, {}};
    field.noneAllowed = noneAllowed;
    return field;
}

SettingField scaled(SettingField field, int scale)
{
    field.scale = scale;
    return field;
}

// What the gateway reports: shown, never written, so any value stands.
SettingField reported(uint8_t type, uint8_t block, uint8_t offset, SettingKind kind, std::string name,
                      std::string unit)
{
    return {type, block, offset, kind, std::move(name), std::move(unit), -HUGE_VAL, HUGE_VAL, {}};
}

std::vector<SettingField> buildSettingFields()
{
    using K = SettingKind;
    std::vector<SettingField> fields = {
        reported(YearlySchedule, 1, 6, K::U8, "present output", ""),
        flag(QebOn, 1, 6, "manual mode"),
        flag(QebOn, 1, 7, "manual value"),
        flag(DayNightControl, 1, 6, "manual mode"),
        flag(DayNightControl, 1, 7, "manual value"),
        flag(DayNightExternal, 1, 6, "manual mode"),
        flag(DayNightExternal, 1, 7, "manual value"),
        flag(DayNightExternal, 2, 6, "use external signal"),
        reported(PeakShaving, 1, 7, K::F32, "calculated thermostat offset", "K"),
        number(PeakShaving, 2, 6, K::U16, "impulses per kWh", "", 20, 10000),
        number(PeakShaving, 2, 8, K::U16, "load period", "min", 5, 60),
        number(PeakShaving, 2, 10, K::U16, "intern load period", "s", 30, 300),
        number(PeakShaving, 2, 12, K::U16, "peak limit", "kW", 0, 999),
        number(PeakShaving, 2, 14, K::U16, "max shave time", "min", 0, 90),
        number(PeakShaving, 2, 16, K::F32, "max thermostat offset", "K", 0.0, 5.0),
        {PeakShaving, 2, 20, K::F32, "offset step", "K", 0.1, 0.5, {0.1, 0.2, 0.3, 0.4, 0.5}},
        flag(PeakShaving, 2, 24, "use tariff schedule"),
        flag(PeakShaving, 2, 25, "use cold accumulation schedule"),
        flag(PeakShaving, 2, 26, "use peak meter schedule"),
        reported(PeakShaving, 2, 27, K::F32, "normal meter reading", "kWh"),
        reported(PeakShaving, 2, 31, K::F32, "peak meter reading", "kWh"),
        flag(CentralDefrost, 1, 6, "manual mode"),
        flag(CentralDefrost, 2, 6, "external defrost start"),
        flag(CentralDefrost, 2, 7, "co-ordinate defrost"),
        // Entered in minutes, kept in seconds.
        scaled(number(PoOptimizer, 1, 6, K::U16, "period", "s", 5 * 60, 30 * 60), 60),
        number(PoOptimizer, 1, 8, K::U16, "filter", "", 300, 3000),
        number(PoOptimizer, 1, 10, K::F32, "Kp", "", 0.2, 2.0),
        number(PoOptimizer, 1, 14, K::F32, "Tn", "", 300, 3000),
        flag(PoOptimizer, 1, 18, "Po offset disable"),
        reported(PoOptimizer, 1, 19, K::F32, "actual Po offset", "K"),
        number(PoOptimizer, 1, 23, K::Letter, "compressor loop", "", 0, LoopCount - 1),
        flag(PoOptimizer, 1, 24, "Po offset alarm enable"),
        number(PoOptimizer, 1, 25, K::U16, "alarm delay", "min", 0, 1440),
        // 255: the gateway does not offer the setting.
        {PoOptimizer, 1, 27, K::U8, "optimise communication", "", 0, 255, {0, 1, 255}},
    };
    // The alarm limit types: the manual value and the settings in K (offset) or °C (direct).
    for (const uint8_t type : {AlarmLimitOffset, AlarmLimitDirect}) {
        const bool direct = type == AlarmLimitDirect;
        fields.push_back(flag(type, 1, 6, "manual mode"));
        fields.push_back(number(type, 1, 7, K::I16, "manual value", direct ? "°C" : "K", direct ? -50 : 0,
                                direct ? 50 : 10));
        fields.push_back(flag(type, 2, 6, "use outdoor temperature"));
        fields.push_back(number(type, 2, 7, K::I16, "outdoor reference temperature", "°C", 10, 40));
        fields.push_back(number(type, 2, 9, K::I16, "lower band temperature", "°C", 10, 40));
        fields.push_back(number(type, 2, 11, K::I16, "upper band temperature", "°C", 10, 40));
        if (direct)
            fields.push_back(number(type, 2, 13, K::I16, "entrance value", "°C", -50, 50));
    }
    // The yearly schedule's week: the first period of each day in block 2, periods 2 to 4 in block 3.
    for (uint8_t day = 0; day < WeekdayNames.size(); ++day)
        for (uint8_t period = 1; period <= 4; ++period) {
            const uint8_t block = period == 1 ? 2 : 3;
            const uint8_t at = period == 1 ? uint8_t(6 + day * 4) : uint8_t(6 + (day * 3 + period - 2) * 4);
            const std::string name = std::string(WeekdayNames[day]) + " period " + std::to_string(period);
            fields.push_back(timeOfDay(YearlySchedule, block, at, name + " on", false));
            fields.push_back(timeOfDay(YearlySchedule, block, uint8_t(at + 2), name + " off", false));
        }
    // The central defrost's three schedules of eight start times, then the schedule of each weekday.
    for (uint8_t schedule = 0; schedule < 3; ++schedule)
        for (uint8_t row = 0; row < 8; ++row)
            fields.push_back(timeOfDay(CentralDefrost, 3, uint8_t(6 + (schedule * 8 + row) * 2),
                                       "schedule " + std::to_string(schedule + 1) + " time " + std::to_string(row + 1),
                                       true));
    for (uint8_t day = 0; day < WeekdayNames.size(); ++day)
        fields.push_back(number(CentralDefrost, 3, uint8_t(54 + day), K::U8,
                                std::string(WeekdayNames[day]) + " schedule", "", 0, 2));
    return fields;
}

bool isWhole(double value) { return std::floor(value) == value; }

// The years the yearly schedule editor takes: its year edits, or 1970 for a yearly event.
bool periodYearValid(int year) { return year == 1970 || (year >= 1997 && year <= 2038); }

constexpr size_t EntryCountByte = 6;
constexpr size_t FirstEntryByte = 7;
constexpr size_t PeriodEntrySize = 10;
constexpr size_t PeriodEntriesPerRecord = 10;
constexpr size_t EvaporatorEntrySize = 5;
constexpr size_t EvaporatorEntriesPerRecord = 20;

void checkPeriods(const std::vector<const McdefRecord*>& records, std::vector<SettingViolation>& violations)
{
    for (const McdefRecord* record : records)
        for (const PeriodEntry& entry : ReadPeriodEntries(*record))
            if (const std::optional<std::string> range = PeriodEntryProblem(entry))
                violations.push_back({"special period " + std::to_string(entry.index + 1),
                                      PeriodTimeText(entry.from) + " -> " + PeriodTimeText(entry.to) + " state "
                                          + std::to_string(entry.state),
                                      *range});
}

void checkEvaporators(const std::vector<const McdefRecord*>& records, std::vector<SettingViolation>& violations)
{
    for (const McdefRecord* record : records)
        for (const EvaporatorEntry& entry : ReadEvaporatorEntries(*record)) {
            const std::string name = "evaporator " + std::to_string(entry.index + 1);
            const char letter = char('A' + entry.loop);
            const std::string value = StrFormat("controller %03u loop %c, delay %u s", entry.address,
                                                entry.loop < 26 ? letter : '?', entry.delay);
            if (entry.loop >= LoopCount)
                violations.push_back({name + " loop", value, "a loop A..G"});
            if (entry.delay < MinDefrostDelayMinutes * 60 || entry.delay > MaxDefrostDelayMinutes * 60)
                violations.push_back({name + " defrost delay", value,
                                      StrFormat("%d..%d s", MinDefrostDelayMinutes * 60, MaxDefrostDelayMinutes * 60)});
        }
}

std::string timeText(int minutes) { return StrFormat("%02d:%02d", minutes / 60, minutes % 60); }

// The rules between fields that the editors keep on OK.
void checkRules(uint8_t type, const std::vector<McdefRecord>& records, std::vector<SettingViolation>& violations)
{
    const auto block = [&records](uint8_t number) -> const McdefRecord* {
        for (const McdefRecord& r : records)
            if (r.blockType() == BlockType::Data && r.blockNumber() == number)
                return &r;
        return nullptr;
    };
    if (type == YearlySchedule) {
        for (const char* day : WeekdayNames)
            for (int period = 1; period <= 4; ++period) {
                const std::string name = std::string(day) + " period " + std::to_string(period);
                const SettingField& on = Setting(type, name + " on");
                const SettingField& off = Setting(type, name + " off");
                const McdefRecord* record = block(on.block);
                if (!record)
                    continue;
                const double onValue = SettingValue(on, *record);
                const double offValue = SettingValue(off, *record);
                if (SettingValid(on, onValue) && SettingValid(off, offValue) && onValue > offValue)
                    violations.push_back({name, timeText(int(onValue)) + " - " + timeText(int(offValue)),
                                          "Off not before On"});
            }
    } else if (type == AlarmLimitOffset || type == AlarmLimitDirect) {
        const McdefRecord* record = block(2);
        if (!record)
            return;
        const double lower = SettingValue(Setting(type, "lower band temperature"), *record);
        const double upper = SettingValue(Setting(type, "upper band temperature"), *record);
        if (upper <= lower || upper - lower > 10)
            violations.push_back({"band temperatures", StrFormat("%g..%g", lower, upper),
                                  "upper above lower by 1..10 °C"});
    }
}

} // namespace

size_t SettingField::width() const
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

bool SettingField::written() const
{
    if (TypeBlockKind(type, block) != BlockKind::UploadAndWrite)
        return false;
    const BlockLayout* layout = FindBlockLayout(type, block);
    const size_t first = offset - McdefRecord::ContentOffset;
    if (!layout || first + width() > layout->writeBytes)
        return false;
    for (size_t k = 0; k < width(); ++k)
        if (IsReportedByte(type, block, first + k))
            return false;
    return true;
}

const std::vector<SettingField>& SettingFields()
{
    static const std::vector<SettingField> fields = buildSettingFields();
    return fields;
}

const SettingField& Setting(uint8_t type, std::string_view name)
{
    for (const SettingField& field : SettingFields())
        if (field.type == type && field.name == name)
            return field;
    throw std::logic_error("no setting '" + std::string(name) + "' of type " + std::to_string(type));
}

double SettingValue(const SettingField& field, const McdefRecord& record)
{
    const uint8_t* at = record.data() + field.offset;
    switch (field.kind) {
    case SettingKind::U8:
    case SettingKind::Letter:
        return at[0];
    case SettingKind::I16:
    case SettingKind::TimeOfDay:
        return le::i16(at);
    case SettingKind::U16:
        return le::u16(at);
    case SettingKind::F32:
        return double(le::f32(at));
    }
    return 0;
}

void SetSettingValue(const SettingField& field, McdefRecord& record, double value)
{
    uint8_t* at = record.data() + field.offset;
    // Whole numbers wrap into their width, as the record keeps them.
    const int64_t whole = field.kind == SettingKind::F32 || !std::isfinite(value) ? 0 : int64_t(value);
    switch (field.kind) {
    case SettingKind::U8:
    case SettingKind::Letter:
        at[0] = uint8_t(whole);
        break;
    case SettingKind::I16:
    case SettingKind::TimeOfDay:
        le::putI16(at, int16_t(whole));
        break;
    case SettingKind::U16:
        le::putU16(at, uint16_t(whole));
        break;
    case SettingKind::F32:
        le::putF32(at, float(value));
        break;
    }
}

double SettingValue(uint8_t type, std::string_view name, const McdefRecord& record)
{
    return SettingValue(Setting(type, name), record);
}

void SetSettingValue(uint8_t type, std::string_view name, McdefRecord& record, double value)
{
    SetSettingValue(Setting(type, name), record, value);
}

bool SettingValid(const SettingField& field, double value)
{
    if (field.kind == SettingKind::F32) {
        // A float keeps 0.2 as 0.2000000029...: compared at its own precision.
        const auto near = [value](double bound) { return std::fabs(value - bound) <= 1e-6 * std::max(1.0, std::fabs(bound)); };
        if (!field.allowed.empty())
            return std::any_of(field.allowed.begin(), field.allowed.end(), near);
        return (value >= field.minimum && value <= field.maximum) || near(field.minimum) || near(field.maximum);
    }
    if (!field.allowed.empty())
        return std::find(field.allowed.begin(), field.allowed.end(), value) != field.allowed.end();
    if (field.kind == SettingKind::TimeOfDay && field.noneAllowed && value == -1)
        return true;
    return isWhole(value) && value >= field.minimum && value <= field.maximum;
}

std::string SettingText(const SettingField& field, double value)
{
    switch (field.kind) {
    case SettingKind::U8:
    case SettingKind::I16:
    case SettingKind::U16:
        return StrFormat("%.0f", value);
    case SettingKind::Letter:
        return std::string(1, value < 26 ? char('A' + int(value)) : '?');
    case SettingKind::F32:
        return StrFormat("%.7g", value);
    case SettingKind::TimeOfDay:
        if (value == -1)
            return "none";
        return value < 0 ? StrFormat("%.0f", value) : timeText(int(value));
    }
    return {};
}

std::string SettingRangeText(const SettingField& field)
{
    std::string text;
    if (!field.allowed.empty()) {
        for (const double value : field.allowed)
            text += (text.empty() ? "one of " : ", ") + StrFormat("%g", value);
        return text;
    }
    switch (field.kind) {
    case SettingKind::TimeOfDay:
        text = timeText(int(field.minimum)) + ".." + timeText(int(field.maximum));
        return field.noneAllowed ? text + " or none" : text;
    case SettingKind::Letter:
        return SettingText(field, field.minimum) + ".." + SettingText(field, field.maximum);
    default:
        return StrFormat("%g..%g", field.minimum, field.maximum) + (field.unit.empty() ? "" : " " + field.unit);
    }
}

std::string PeriodTimeText(uint32_t seconds)
{
    const CalendarTime t = FromCalendarSeconds(seconds);
    return StrFormat("%04d.%02d.%02d %02d:%02d", t.year == 1970 ? 0 : t.year, t.month, t.day, t.hour, t.minute);
}

std::optional<std::string> PeriodEntryProblem(const PeriodEntry& entry)
{
    if (entry.state == 255)
        return std::nullopt;
    const int fromYear = FromCalendarSeconds(entry.from).year;
    const int toYear = FromCalendarSeconds(entry.to).year;
    if (entry.state > 1)
        return "state 0 (Off), 1 (On) or 255 (deleted)";
    if (!periodYearValid(fromYear) || !periodYearValid(toYear) || (fromYear == 1970) != (toYear == 1970))
        return "years 1997..2038, or 0000 at both ends for a yearly event";
    if (entry.from >= entry.to)
        return "From before To";
    return std::nullopt;
}

std::vector<PeriodEntry> ReadPeriodEntries(const McdefRecord& record)
{
    std::vector<PeriodEntry> entries(std::min<size_t>(record[EntryCountByte], PeriodEntriesPerRecord));
    for (size_t i = 0; i < entries.size(); ++i) {
        const uint8_t* bytes = record.data() + FirstEntryByte + i * PeriodEntrySize;
        entries[i] = {bytes[0], bytes[1], le::u32(bytes + 2), le::u32(bytes + 6)};
    }
    return entries;
}

std::vector<EvaporatorEntry> ReadEvaporatorEntries(const McdefRecord& record)
{
    std::vector<EvaporatorEntry> entries(std::min<size_t>(record[EntryCountByte], EvaporatorEntriesPerRecord));
    for (size_t i = 0; i < entries.size(); ++i) {
        const uint8_t* bytes = record.data() + FirstEntryByte + i * EvaporatorEntrySize;
        entries[i] = {bytes[0], bytes[1], bytes[2], le::u16(bytes + 3)};
    }
    return entries;
}

void WritePeriodEntries(const std::vector<PeriodEntry>& entries, McdefRecord& record)
{
    const size_t count = std::min(entries.size(), PeriodEntriesPerRecord);
    record[EntryCountByte] = uint8_t(count);
    for (size_t i = 0; i < count; ++i) {
        uint8_t* bytes = record.data() + FirstEntryByte + i * PeriodEntrySize;
        bytes[0] = entries[i].index;
        bytes[1] = entries[i].state;
        le::putU32(bytes + 2, entries[i].from);
        le::putU32(bytes + 6, entries[i].to);
    }
}

void WriteEvaporatorEntries(const std::vector<EvaporatorEntry>& entries, McdefRecord& record)
{
    const size_t count = std::min(entries.size(), EvaporatorEntriesPerRecord);
    record[EntryCountByte] = uint8_t(count);
    for (size_t i = 0; i < count; ++i) {
        uint8_t* bytes = record.data() + FirstEntryByte + i * EvaporatorEntrySize;
        bytes[0] = entries[i].index;
        bytes[1] = entries[i].address;
        bytes[2] = entries[i].loop;
        le::putU16(bytes + 3, entries[i].delay);
    }
}

std::vector<SettingViolation> CheckFunctionSettings(uint8_t type, const std::vector<McdefRecord>& records)
{
    std::vector<SettingViolation> violations;
    std::vector<const McdefRecord*> periodRecords;
    std::vector<const McdefRecord*> evaporatorRecords;
    for (const McdefRecord& record : records) {
        if (record.blockType() != BlockType::Data || TypeBlockKind(type, record.blockNumber()) != BlockKind::UploadAndWrite)
            continue;
        const uint8_t block = record.blockNumber();
        if (type == YearlySchedule && block == 4)
            periodRecords.push_back(&record);
        else if (type == PoOptimizer && block == 2)
            evaporatorRecords.push_back(&record);
        for (const SettingField& field : SettingFields()) {
            if (field.type != type || field.block != block || !field.written())
                continue;
            const double value = SettingValue(field, record);
            if (!SettingValid(field, value))
                violations.push_back({field.name, SettingText(field, value), SettingRangeText(field)});
        }
    }
    checkPeriods(periodRecords, violations);
    checkEvaporators(evaporatorRecords, violations);
    checkRules(type, records, violations);
    return violations;
}

std::string ViolationText(uint8_t number, const std::string& name, const SettingViolation& violation)
{
    return StrFormat("function %u '%s': %s is %s, allowed %s", number, name.c_str(), violation.field.c_str(),
                     violation.value.c_str(), violation.range.c_str());
}

uint16_t CheckStoredFunction(uint8_t number, FunctionCheck& check)
{
    std::vector<McdefRecord> records;
    const uint16_t status = ReadDefinedFunction(number, records);
    if (status != DbStatus::Success)
        return status;
    check.number = number;
    check.name = records.front().name();
    check.violations = CheckFunctionSettings(records.front().type(), records);
    return DbStatus::Success;
}

std::string FunctionCheckText(const FunctionCheck& check)
{
    std::string text;
    for (const SettingViolation& violation : check.violations)
        text += (text.empty() ? "" : "\n") + ViolationText(check.number, check.name, violation);
    return text;
}
