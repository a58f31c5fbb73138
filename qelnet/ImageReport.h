#pragma once
// The readable listing of a gateway state that `qelnetd --show-image` prints:
// the gateway's values, then per function its flags and stamp, the write
// telegrams that define it decoded by command, and what the gateway keeps by
// itself (reference status, reported values, history).

#include "GatewayState.h"

#include <string>

std::string DescribeGatewayState(const GatewayState& state);
