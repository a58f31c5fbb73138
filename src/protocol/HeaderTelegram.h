#pragma once
// The header of a function as its read answer (command 10) and its write
// telegram (command 11) carry it: the answer has flags and stamp after the
// number, the write has not; then name, slots with their kinds and item
// counts, schedule groups and the data block mask.

#include "protocol/Telegram.h"

#include <array>
#include <cstdint>
#include <string>

struct SlotCounts {
    uint8_t mask = 0;
    std::array<uint8_t, 8> kinds{};
    std::array<uint8_t, 8> counts{};
};

struct HeaderTelegram {
    uint8_t number = 0;
    uint8_t type = 0;
    uint8_t flags = 0;  // read answers only
    uint32_t stamp = 0; // read answers only
    std::string name;
    SlotCounts inputs;
    SlotCounts outputs;
    uint8_t scheduleMask = 0;
    std::array<uint8_t, 4> scheduleCounts{};
    uint8_t blockMask = 0;
};

// The data lengths of the two forms.
constexpr uint16_t HeaderAnswerLength = 62;
constexpr uint16_t HeaderWriteLength = 57;

HeaderTelegram ReadHeaderAnswer(const Telegram& answer);
HeaderTelegram ReadHeaderWrite(const Telegram& write);
// The header telegram of a function: a read answer (command 10) or a write (command 11).
Telegram BuildHeaderTelegram(uint8_t command, const std::string& gatewayAddress, const HeaderTelegram& header);
