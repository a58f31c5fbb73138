#pragma once
// A function as the write telegrams that define it in a gateway, in the order
// an update sends them (header, references slot by slot, schedule references,
// data blocks).

#include "GatewayState.h"
#include "protocol/Telegram.h"

#include <string>
#include <vector>

std::vector<Telegram> FunctionTelegrams(const GatewayFunction& function, const std::string& gatewayAddress);
