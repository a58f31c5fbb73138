#pragma once
// A telegram as a line of text for the people who read traces, backup files
// and gateway images: its command, P, item, length and data decoded by command.

#include "protocol/Telegram.h"

#include <string>

std::string DescribeTelegram(const Telegram& telegram);
