#pragma once
// mcftool check: the functions of MCDEF whose settings hold a value that the
// update would refuse to send.

#include "CommandLine.h"

namespace mcftool {

extern const Verb CheckVerb;

} // namespace mcftool
