#pragma once
// The gateway the benchmarks work on: all 105 functions in use. Function 1 is
// a yearly schedule; 2..105 are day/night functions following it, each with 8
// automatic and 4 parameter outputs on the demo plant's controllers.

#include "GatewayState.h"

GatewayState FullGateway();
