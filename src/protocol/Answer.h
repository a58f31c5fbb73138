#pragma once
// The one check of a gateway's answer against the request it should answer,
// in a fixed order: an identified telegram, the command of the request, the
// same P (when the request names a type), the same item, the same function,
// a plausible data length; then the status, for the commands that carry one.

#include "protocol/Telegram.h"

#include <cstddef>
#include <cstdint>
#include <optional>

enum class AnswerFault {
    None,
    Unidentified,      // fits no row of the command table
    OtherCommand,
    OtherType,         // P differs from the type the request named
    OtherItem,
    OtherFunction,     // answers for another function number
    ImplausibleLength, // too short for what the command answers, or longer than a telegram holds
};

struct CheckedAnswer {
    AnswerFault fault = AnswerFault::None;
    IdentifiedTelegram id{};
    // The gateway's status for writes, start, stop, delete and reset; 0 = accepted.
    std::optional<uint8_t> status;

    bool matches() const { return fault == AnswerFault::None; }
    bool refused() const { return matches() && status && *status != 0; }
};

CheckedAnswer CheckAnswer(const Telegram& request, const Telegram& answer);

// Where the gateway puts its status: byte 25 of a write answer (commands
// 11..31), byte 24 of a start, stop, delete or reset answer; 0 for commands
// whose answers carry none.
size_t AnswerStatusOffset(uint8_t command);

// Statuses that mean the function changed in the gateway under us.
bool ChangedInGateway(uint8_t status);
