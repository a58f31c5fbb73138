#pragma once
// The rows of a multi-parameter list without any list: a controller loop with
// up to eight input parameter slots and one output slot, as a Po optimizer
// refers to its evaporators and its compressor. Reading them from MCDEF,
// writing their records, the candidates a gateway offers for a role, and the
// loop a row's slots belong to.

#include "model/FunctionSettings.h"
#include "model/Descriptions.h"
#include "model/McdefRecord.h"
#include "references/QebTypeIni.h"
#include "references/ReferenceRow.h"
#include "references/ReferenceRows.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ParameterSlot {
    uint8_t p1 = 0, p2 = 0, p3 = 0;
    uint8_t parameterClass = 0;
    std::string defaultText; // up to 31
    std::string customText;  // up to 31

    ParameterNumbers numbers() const { return {p1, p2, p3}; }
};

struct MultiParmRow {
    static constexpr size_t InputSlots = 8;
    static constexpr uint16_t LoadedDefrostDelay = 1200;

    uint8_t address = 0;                 // controller system address
    char loop = QebTypeIni::UnknownLoop; // loop letter
    std::string idCode;                  // up to 16
    std::string ident;                   // up to 13, the QebType.ini section prefix
    std::string message;                 // up to 40
    std::string descKey;                 // up to 13
    uint16_t defrostDelay = 0;           // individual defrost delay in seconds
    std::array<ParameterSlot, InputSlots> inputs{};
    ParameterSlot output;
    uint16_t flags = 0; // status flags A (low byte) and B (high byte) of the record
    uint32_t status = ReferenceStatus::Valid;
    // A slot that QebType.ini names is missing from the description, or the
    // identification is unknown to QebType.ini.
    bool incomplete = false;
};

// The class and texts of a slot's parameter in a controller description;
// "???" when the description lacks it. `status` keeps a failure's status.
DescriptionLookup DescribeSlot(const std::string& descKey, ParameterSlot& slot, uint16_t& status);

// Reads the slots of a row from QebType.ini for its identification and loop:
// input slots 1..8, then output slot 1, each with its description's class and
// texts. A slot without a reference stays as it was; one whose parameter the
// description lacks reads "???".
struct SlotFill {
    bool complete = true; // every input slot that the file names was found
    std::optional<RowReadFailure> failure;
};
SlotFill FillRowSlots(const QebTypeIni& ini, MultiParmRow& row);

// The index of the loop letter whose input references in QebType.ini all
// equal the row's slots; NoLoop when none does.
constexpr uint8_t NoLoop = 255;
uint8_t FindLoop(const QebTypeIni& ini, const MultiParmRow& row);
// The same among the given letters.
uint8_t FindLoop(const QebTypeIni& ini, const MultiParmRow& row, const std::string& letters);
// The letter of that loop; "?" when none.
char FindLoopLetter(const QebTypeIni& ini, const MultiParmRow& row);

struct MultiRowsRead {
    std::vector<MultiParmRow> rows; // in record order
    bool controllerMissing = false;
    std::optional<RowReadFailure> failure;

    bool complete() const { return !controllerMissing && !failure; }
};

// The rows of the records {number, block type, block, *}: loop "?", defrost
// delay 1200 seconds, the controller's configuration, the eight input slots
// with their descriptions' texts, and the message of the status flags.
MultiRowsRead ReadMultiReferenceRows(const std::string& gatewayAddress, uint8_t functionNumber, uint8_t blockType,
                                     uint8_t block);

// The record of a row: address, the four bytes of each input slot and the
// identity checksum of the controller.
McdefRecord MultiReferenceRecord(uint8_t functionNumber, uint8_t blockType, uint8_t block, const MultiParmRow& row);

enum class MultiStore { Stored, NotReferenceSlot, Failed };
// Replaces the records of a slot by one record per row, in order; `status`
// keeps the database status of a failure.
MultiStore StoreMultiReferenceRows(uint8_t functionType, uint8_t functionNumber, uint8_t blockType, uint8_t block,
                                   const std::vector<MultiParmRow>& rows, uint16_t& status);

// Where a Po optimizer keeps what the candidate scan looks at: the
// compressor's loop in data block 1, and its evaporators in the records
// {number, 4, 2, s} of data block 2, each a count and up to twenty entries.
namespace PoLayout {
inline constexpr uint8_t SettingsBlock = 1;
inline constexpr uint8_t EvaporatorBlock = 2;
inline constexpr size_t EntriesPerRecord = 20;
} // namespace PoLayout

McdefRecord EvaporatorRecord(uint8_t number, uint8_t sequence, const std::vector<EvaporatorEntry>& entries);

struct MultiCandidate {
    MultiParmRow row;
    bool selected = false; // the editor's list holds this loop
};
struct MultiCandidatesRead {
    std::vector<MultiCandidate> rows;
    std::optional<RowReadFailure> failure;
};

// What a gateway offers a list of a role (PoRole) of function `ownNumber`:
// one row per loop of every controller that fits the role (or that
// QebType.ini does not know, as an incomplete row), without the loops that
// another Po optimizer uses. A row of the editor's list with the same address
// and loop gives its defrost delay and selects the candidate. Nothing is
// offered without a function number; number 255 treats every loop as used.
MultiCandidatesRead ReadMultiCandidates(const QebTypeIni& ini, const std::string& gatewayAddress, uint8_t ownNumber,
                                        int role, const std::vector<MultiParmRow>& editorRows);
