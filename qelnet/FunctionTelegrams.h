#pragma once
// A function as the write telegrams that define it in a gateway, in the order
// an update sends them (header, references slot by slot, schedule references,
// data blocks), and a readable line for any telegram.

#include "GatewayState.h"
#include "Telegram.h"

#include <string>
#include <vector>

std::vector<Telegram> FunctionTelegrams(const GatewayFunction& function, const std::string& gatewayAddress);

// "> 17 P3 item 2: ..." style text: the command identified from the table (or
// "?"), P, the item offset, the data length and the data decoded by command.
std::string DescribeTelegram(const Telegram& telegram);
