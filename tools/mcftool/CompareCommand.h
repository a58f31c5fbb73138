#pragma once
// mcftool compare: where the gateway, MCDEF and the backup file differ, per
// function and per field.

#include "CommandLine.h"

#include "gateway/FunctionFields.h"

#include <cstdint>
#include <ostream>
#include <vector>

namespace mcftool {

int compare(const Args& args);

// One line per differing field: "  NAME (UNIT): SOURCE VALUE; SOURCE VALUE ...".
void printDifferences(const std::vector<FieldDifference>& differences, const std::vector<const char*>& sourceNames,
                      std::ostream& out);

extern const char* const CompareHelp;

// The fields of every function of a backup file's bytes; a file the upload
// would not take gets the reason instead.
void printBackupFields(const std::vector<uint8_t>& bytes, std::ostream& out);

} // namespace mcftool
