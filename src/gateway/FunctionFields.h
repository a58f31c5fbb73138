#pragma once
// A control function as a list of named fields, the same whichever way it
// was read: from its MCDEF records, from the write telegrams of a backup
// file, or from the gateway's read answers. Telegrams become records first
// (the upload's conversion), records become fields here: the header (name,
// type, stamp, state flags), the settings of the data blocks by field name
// with their units, the references by slot and controller address with their
// parameter and identification, and the schedule references by group.

#include "gateway/BackupFile.h"
#include "model/FunctionSettings.h"
#include "model/McdefRecord.h"
#include "protocol/Telegram.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class FieldGroup : uint8_t { Header, Settings, Reference, Schedule };

// A reference field's parts, for readers that want them apart (the JSON export).
struct ReferenceDetail {
    uint8_t direction = 0; // Direction::Input or Direction::Output
    uint8_t slot = 0;
    uint8_t address = 0;
    std::string parameter;      // empty for an automatic reference
    uint16_t identification = 0; // the identity checksum the reference carries
};

struct FunctionField {
    FieldGroup group = FieldGroup::Header;
    std::string name;  // "name", "block 2 lower band", "input 1 controller 005"
    std::string value; // as shown: "25", "1.5", "06:30", "parameter 12.3.4 class 248, identification 0x1a2b"
    std::string unit;  // "°C", "min", ... or empty
    // False for what the gateway measures itself, for blocks it is never
    // written, and for the marks the PC sets on its own: shown, not compared.
    bool compared = true;
    std::optional<ReferenceDetail> reference; // reference fields
    std::vector<uint8_t> schedules;          // schedule fields: the referenced function numbers
    uint8_t block = 0;                       // settings: the data block; schedules: the group
};

struct FunctionFields {
    uint8_t number = 0;
    uint8_t type = 255;
    std::vector<FunctionField> fields;

    const FunctionField* find(std::string_view name) const;
};

// What a source knows of the header's flags: everything (the table, the
// gateway), or only whether the function is started (a backup file).
enum class HeaderFlags : uint8_t { All, StartedOnly };

// The fields of one function's records, in key order.
FunctionFields DecodeFunction(uint8_t number, const std::vector<McdefRecord>& records,
                              HeaderFlags known = HeaderFlags::All);

// Reads the function from MCDEF; the database status (4: no such function).
uint16_t FunctionFieldsFromTable(uint8_t number, FunctionFields& fields);
// The function as a backup file keeps it; nothing when the file has no telegram of it.
std::optional<FunctionFields> FunctionFieldsFromBackup(const BackupFile& file, uint8_t number);
// The function from the gateway's read answers to its header request and the
// requests that followed it.
FunctionFields FunctionFieldsFromAnswers(uint8_t number, const std::vector<Telegram>& answers);

// A field on which the sources differ; per source its value, nothing where
// the source has no such field.
struct FieldDifference {
    std::string name;
    std::string unit;
    std::vector<std::optional<std::string>> values;
};

// Compares a function as several sources give it (nothing: the source does
// not hold the function). A function missing in some source differs in the
// single field "function"; otherwise every compared field that some source
// has is compared, except header fields a source does not know.
std::vector<FieldDifference> CompareFunctions(const std::vector<const FunctionFields*>& sources);

// "name, block 2 lower band": the names of the differing fields.
std::string DifferenceNames(const std::vector<FieldDifference>& differences);
