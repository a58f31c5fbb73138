#pragma once
// mcftool update --dry-run: the telegrams an update would send, decoded.

#include "CommandLine.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mcftool {

// Prints, per function, the telegrams that its update builds from MCDEF of
// HOME, in the order the update sends them; sends nothing and changes nothing.
int updateDryRun(const std::string& home, const std::string& network, const std::vector<uint8_t>& numbers,
                 bool blocksOnly);

} // namespace mcftool
