#pragma once
// mcftool report: the report of a gateway's functions without a window.

#include "CommandLine.h"

namespace mcftool {

extern const Verb ReportVerb;

} // namespace mcftool
