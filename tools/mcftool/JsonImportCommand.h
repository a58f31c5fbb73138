#pragma once
// mcftool import json: the functions of a document in the JSON export's form
// written back into MCDEF, after their review in a dry run.

#include "CommandLine.h"

namespace mcftool {

extern const Verb ImportJsonVerb;

} // namespace mcftool
