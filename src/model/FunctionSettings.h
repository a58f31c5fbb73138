#pragma once
// The settings of every function type, field by field: where each lies in its
// data block, how it reads, its unit and the values it may take. The editors
// read and write their data blocks through this table, the decoder of
// gateway/FunctionFields.h shows them from it, and the check before every
// update refuses a function whose stored records hold a value outside it.

#include "model/McdefRecord.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class SettingKind : uint8_t {
    U8,
    I16,
    U16,
    F32,
    TimeOfDay, // signed 16-bit minutes after midnight; -1 = none where the field allows it
    Letter,    // u8 counted from 'A'
};

// The days of the week as the field names give them, Monday first.
inline constexpr std::array<const char*, 7> WeekdayNames = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                                            "Friday", "Saturday", "Sunday"};

struct SettingField {
    uint8_t type;
    uint8_t block;
    uint8_t offset; // record byte
    SettingKind kind;
    std::string name;
    std::string unit;
    // The values the field may hold, as stored: minimum..maximum, or only
    // those of `allowed` when it is not empty.
    double minimum = 0;
    double maximum = 0;
    std::vector<double> allowed;
    // Stored units per unit the operator enters (the Po optimizer's period is
    // entered in minutes and kept in seconds).
    int scale = 1;
    // A time of day that may be unset (-1, shown "none").
    bool noneAllowed = false;

    size_t width() const;
    // Whether the update writes the field to the gateway: it lies in a
    // written block, in the part the update sends, and is not one the
    // gateway reports itself.
    bool written() const;
    // The range as the operator enters it.
    int entryMinimum() const { return int(minimum) / scale; }
    int entryMaximum() const { return int(maximum) / scale; }
};

// Every settings field of the plain data blocks, by type and block.
const std::vector<SettingField>& SettingFields();
// The field of a type by its name; the table must hold it.
const SettingField& Setting(uint8_t type, std::string_view name);

// The stored value of a field and its writing.
double SettingValue(const SettingField& field, const McdefRecord& record);
void SetSettingValue(const SettingField& field, McdefRecord& record, double value);
// The same by the type's field name.
double SettingValue(uint8_t type, std::string_view name, const McdefRecord& record);
void SetSettingValue(uint8_t type, std::string_view name, McdefRecord& record, double value);
// Whether a stored value is one the field may take.
bool SettingValid(const SettingField& field, double value);
// The value as shown: "25", "1.5", "06:30", "none", "A".
std::string SettingText(const SettingField& field, double value);
// What the field may take, as shown: "10..40", "00:00..23:59 or none", "one of 0.1, 0.2".
std::string SettingRangeText(const SettingField& field);

// The entries of the list blocks: the special periods of a yearly schedule
// (data block 4) and the evaporators' defrost delays of a Po optimizer (data
// block 2), as many as the record's count byte says.
struct PeriodEntry {
    uint8_t index = 0;
    uint8_t state = 0; // 0 Off, 1 On, 255 deleted
    uint32_t from = 0;
    uint32_t to = 0;
};
std::vector<PeriodEntry> ReadPeriodEntries(const McdefRecord& record);
// Writes the entries and their count (at most ten) into the record.
void WritePeriodEntries(const std::vector<PeriodEntry>& entries, McdefRecord& record);
// "2024.12.24 18:00"; a yearly event (kept in 1970) shows the year 0000.
std::string PeriodTimeText(uint32_t seconds);

// What a special period entry may hold that it does not: its state, its years
// (1997..2038, or 1970 at both ends for a yearly event) or From before To;
// nothing for a valid or deleted entry.
std::optional<std::string> PeriodEntryProblem(const PeriodEntry& entry);

struct EvaporatorEntry {
    uint8_t index = 0;   // row index over all records
    uint8_t address = 0;
    uint8_t loop = 0;    // loop letter - 'A'
    uint16_t delay = 0;  // individual defrost delay in seconds
};
std::vector<EvaporatorEntry> ReadEvaporatorEntries(const McdefRecord& record);
// Writes the entries and their count (at most twenty) into the record.
void WriteEvaporatorEntries(const std::vector<EvaporatorEntry>& entries, McdefRecord& record);

// The loops a controller may have, and the individual defrost delay of an evaporator.
inline constexpr uint8_t LoopCount = 7;
inline constexpr int MinDefrostDelayMinutes = 1, MaxDefrostDelayMinutes = 240;

// A stored value that the update must not send.
struct SettingViolation {
    std::string field; // "Monday period 1 off", "special period 3", "evaporator 2 defrost delay"
    std::string value; // as shown
    std::string range; // what the field may take
};
// Checks every field that the update writes, in the records of one function
// of `type`: the plain fields against the table, the list entries, and the
// rules between fields that the editors keep (a basic period's Off not before
// its On, the alarm band).
std::vector<SettingViolation> CheckFunctionSettings(uint8_t type, const std::vector<McdefRecord>& records);
// "function 12 'Sales night': Monday period 1 off is 26:15, allowed 00:00..23:59"
std::string ViolationText(uint8_t number, const std::string& name, const SettingViolation& violation);

// The check of one function as MCDEF holds it.
struct FunctionCheck {
    uint8_t number = 0;
    std::string name;
    std::vector<SettingViolation> violations;
    bool passed() const { return violations.empty(); }
};
// Reads the function's records and checks them; the database status (4: no such function).
uint16_t CheckStoredFunction(uint8_t number, FunctionCheck& check);
// One line for each violation, as ViolationText gives it.
std::string FunctionCheckText(const FunctionCheck& check);
