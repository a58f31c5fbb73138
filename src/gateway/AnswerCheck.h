#pragma once
// How the exchanges tell the operator why an answer was not taken: a refusal
// by the gateway, or an answer that does not answer the request. Every
// exchange words them the same way; the check itself is CheckAnswer.

#include <cstdint>

class QWidget;

// Changed by another user (statuses 16, 32, 255), else the return code.
void ShowRefusal(uint8_t status, QWidget* messageParent);

// An answer that cannot be read or that answers another request.
void ShowUnexpectedAnswer(QWidget* messageParent);
