#pragma once
// The parameter definitions (MCPARDEF): which controller parameters may serve
// a function parameter, either for every controller of an identification
// ("255:255") or for one node. Here are the table's file copies (the restore
// point the selection dialog keeps), the queries of the definition wizard's
// pages and the save of one definition list.

#include "model/Descriptions.h"
#include "model/Records.h"
#include "references/ReferenceRow.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QWidget;

struct ParameterTriple {
    uint8_t p1 = 0, p2 = 0, p3 = 0;
    friend bool operator==(const ParameterTriple&, const ParameterTriple&) = default;
};

// The part of an MCPARDEF key before the parameter numbers.
struct DefinitionKey {
    std::string ident;
    std::string nodeText; // "255:255" or a node key
    uint8_t functionParameter = 0;
};

// ---- Definition files, in the data directory.

inline constexpr const char* DefinitionFile = "MCPARDEF.DAT";
inline constexpr const char* DefinitionRestoreFile = "MCPARDEF.ORG";

// The path of a file in the data directory (`Install`/`DATADir` followed directly by the name).
std::string DataFilePath(const std::string& name);

// Replaces a table file of the data directory by a copy of another one
// (RecordStore::replaceTableFile). Not forced: a missing source, or a
// destination not older than the source, copies nothing. A failed copy shows
// "Failed to copy database '<source>'" and gives false.
bool CopyDatabaseFile(const std::string& source, const std::string& destination, bool force,
                      QWidget* parent = nullptr);

// Takes the restore copy MCPARDEF.ORG of the table (not forced), with the table
// closed meanwhile; false when the copy failed.
bool KeepDefinitionRestorePoint(QWidget* parent);
// Puts MCPARDEF.ORG back over the table (forced); false when the copy or the
// opening of the table afterwards failed.
bool RestoreDefinitions(QWidget* parent);

// ---- Queries. Each returns 0 when its scan ended normally, else the failing status.

// Every stored triple of the key, in key order.
uint16_t ReadDefinedTriples(const DefinitionKey& key, std::vector<ParameterTriple>& triples);
// Whether the key has at least one stored triple.
uint16_t HasDefinitions(const DefinitionKey& key, bool& found);

// The text mode of the reference lists (QEBCtrl/TxtMode): 1 custom texts, 0 default texts.
int ReadTextMode();
// The custom text under text mode 1 when there is one, else the default text.
std::string TextByMode(const std::string& defaultText, const std::string& customText, int textMode);

struct ControllerFunction {
    uint16_t number = 0;
    std::string text;
};
// The functions of a description, in number order, without functions 0 and 15.
uint16_t ReadControllerFunctions(const std::string& descKey, int textMode, std::vector<ControllerFunction>& functions);

struct OfferedParameter {
    ParameterTriple triple;
    std::string text;
};
// The parameters a function offers: those of function 15 first, then the
// function's own; only the classes of the list, never class 251.
uint16_t ReadOfferedParameters(const std::string& descKey, uint16_t function, const std::vector<uint8_t>& classes,
                               int textMode, std::vector<OfferedParameter>& parameters);

// Items of the wizard's parameter lists: the text padded to its column, a tab
// and the three numbers as three digits each.
std::string ParameterListItem(const std::string& text, const ParameterTriple& triple);
std::string DefinedListItem(const std::string& text, const ParameterTriple& triple);
// The numbers in the last nine characters of an item.
std::optional<ParameterTriple> TripleOfItem(const std::string& item);

// One item of a definition list, and whether the table holds it already.
struct DefinedItem {
    ParameterTriple triple;
    bool stored = false;
};
// Makes the stored triples of the key those of the items: removes the ones the
// list no longer holds, inserts the new ones and marks every item stored.
// Database errors are shown; false after one.
bool SaveDefinitions(const DefinitionKey& key, std::vector<DefinedItem>& items, QWidget* parent);

// ---- The wizard's controllers.

struct WizardEntry {
    enum Mark : uint32_t { Defined = 0, Undefined = 1 };
    uint32_t mark = Undefined;
    std::string address;
    std::string idCode;
    std::string ident;
    std::string descKey;
};

// The controllers of the selected rows, in list order (rows with errors left
// out; with notDefinedOnly only "Not defined" rows), one entry per run of rows
// of one address, and the key of every row taken.
std::vector<WizardEntry> WizardEntriesOf(const std::vector<ReferenceRow>& selected, bool notDefinedOnly,
                                         std::vector<RowKey>& keys);

// "+" for a controller with definitions for its identification or its node.
// Database errors are shown; false after one.
bool ComputeMarks(std::vector<WizardEntry>& entries, const std::string& networkPrefix, uint8_t functionParameter,
                  QWidget* parent);
