#pragma once
// How update, start/stop and deletion judge the gateway's answer to what they
// wrote: it must be the command that was sent, and its status byte says
// whether the gateway took it. Refusals and unreadable answers are shown to
// the operator here, so that every exchange words them the same way.

#include "protocol/Telegram.h"

#include <cstddef>
#include <cstdint>
#include <optional>

class QWidget;

enum class AnswerVerdict { Accepted, Refused, Unreadable };

// Where the gateway puts its status: byte 25 of a write answer (commands
// 11..31), byte 24 of a start, stop, delete or reset answer.
size_t AnswerStatusOffset(uint8_t command);

// The status the gateway answered a write with; nothing when the answer is
// not the answer to `sentCommand`.
std::optional<uint8_t> AnswerStatus(const Telegram& answer, uint8_t sentCommand);

// Statuses that mean the function changed in the gateway under us.
bool ChangedInGateway(uint8_t status);

// Checks an answer and shows why it was not accepted: changed by another
// user (statuses 16, 32, 255), another return code, or an answer that is
// not the one expected.
AnswerVerdict CheckGatewayAnswer(const Telegram& answer, uint8_t sentCommand, QWidget* messageParent);

// The message for an answer that cannot be read or identified.
void ShowUnreadableAnswer(QWidget* messageParent);
