#pragma once
// mcftool export json: the functions of MCDEF as readable JSON.

#include "CommandLine.h"

namespace mcftool {

int exportJson(const Args& args);

extern const char* const ExportJsonHelp;

} // namespace mcftool
