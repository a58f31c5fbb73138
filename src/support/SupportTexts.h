#pragma once
// Texts that the support layer shows itself. The text service installs its
// lookup at start, so that these texts can be overridden like any other; until
// then the built-in text given by the caller is used.

#include <cstdint>
#include <string>

using TextLookup = std::string (*)(uint16_t id);

void SetSupportTextLookup(TextLookup lookup);
std::string SupportText(uint16_t id, const char* builtin);
