#pragma once
// The functions of MCDEF as a readable JSON document (docs/json-export.md):
// the fields of gateway/FunctionFields.h, one object per function. mcftool
// export json and velt's "Export..." write it; gateway/FunctionImport.h reads
// it back.

#include <QJsonDocument>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The functions `numbers` (all of MCDEF when empty); nothing, with the problem, when MCDEF cannot be
// read or holds no such function.
std::optional<QJsonDocument> ExportFunctions(const std::string& gatewayAddress, const std::vector<uint8_t>& numbers,
                                             std::string& problem);
