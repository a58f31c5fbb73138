#pragma once
// The rows of a reference group, read from the tables without any list: the
// references a function's slots hold, and the candidates the selection dialog
// offers for a group. The lists only show what these give them, and a report
// reads the same rows.

#include "model/Records.h"
#include "references/ReferenceRow.h"
#include "references/SelectionRules.h"

#include <array>
#include <cstdint>
#include <optional>
#include <source_location>
#include <string>
#include <vector>

// A database call that stopped a read: the table and status the operator is
// told, and where the call was made, for the log.
struct RowReadFailure {
    const char* table = nullptr;
    uint16_t status = 0;
    std::source_location where;
};

// The message and status of a reference's status flags A and B, later flags
// replacing what earlier ones gave.
void ApplyStatusFlags(uint8_t flagsA, uint8_t flagsB, std::string& message, uint32_t& status);

// Get-equal of a controller's node "NNN:AAA" in NETCNF, which must be open.
uint16_t ReadControllerNode(const std::string& networkPrefix, int address, NetCnfRecord& node);

enum class NodeRead { Found, Missing, Failed };
// The controller a reference names, with NETCNF opened as `netcnfStatus`
// says; a failure is kept in `failure`.
NodeRead ReadReferencedNode(uint16_t netcnfStatus, const std::string& networkPrefix, int address, NetCnfRecord& node,
                            std::optional<RowReadFailure>& failure);

// The row's address and parameter numbers, as the selection keeps them.
RowKey RowKeyOf(const ReferenceRow& row);

struct ReferenceRowsRead {
    std::vector<ReferenceRow> rows; // in record order
    // The description key of each reference whose parameter is missing from
    // its controller's description (the row reads "???"), in record order.
    std::vector<std::string> corruptedDescriptions;
    // A referenced controller is missing from the network configuration.
    bool controllerMissing = false;
    std::optional<RowReadFailure> failure;

    bool complete() const { return !controllerMissing && !failure; }
};

// The rows of the reference records in the slots (block numbers; the first 0
// ends them) of a function on a gateway, with their messages and status from
// the records' status flags and their controllers' configuration and texts.
// A read that is not complete stops there.
ReferenceRowsRead ReadReferenceRows(const std::string& gatewayAddress, uint8_t functionNumber, uint8_t blockType,
                                    const std::array<uint8_t, 4>& blockNumbers);

struct CandidateRow {
    ReferenceRow row;
    bool ofGroup = false; // one of the group's own rows
};

struct CandidateRowsRead {
    std::vector<CandidateRow> rows;
    std::optional<RowReadFailure> failure;
};

// What the selection dialog offers a group: the group's own rows first, then
// what every controller of the network can offer that the group does not hold
// yet (automatic rows to controllers of the support level, the defined
// parameters of the group's classes), an error row for a controller without
// description or with a broken definition, and a "Not defined" row for a
// controller that offers nothing. A failure stops the read.
CandidateRowsRead ReadCandidateRows(const std::string& networkPrefix, const GroupLimits& limits,
                                    const std::vector<ReferenceRow>& groupRows);
