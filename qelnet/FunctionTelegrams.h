#pragma once
// A function as the write telegrams that define it in a gateway, in the order
// an update sends them (header, references slot by slot, schedule references,
// data blocks).

#include "GatewayState.h"
#include "protocol/HeaderTelegram.h"
#include "protocol/Telegram.h"

#include <string>
#include <vector>

// The header fields of a function: slots, counts and masks as the gateway holds them.
HeaderTelegram HeaderOf(const GatewayFunction& function);

std::vector<Telegram> FunctionTelegrams(const GatewayFunction& function, const std::string& gatewayAddress);
