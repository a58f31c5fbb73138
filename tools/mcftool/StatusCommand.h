#pragma once
// mcftool status: the functions of a gateway that the gateway has not
// accepted as MCDEF defines them.

#include "CommandLine.h"

namespace mcftool {

extern const Verb StatusVerb;

} // namespace mcftool
