#include "support/SupportTexts.h"

namespace {
TextLookup installedLookup = nullptr;
}

void SetSupportTextLookup(TextLookup lookup) { installedLookup = lookup; }

std::string SupportText(uint16_t id, const char* builtin)
{
    if (installedLookup) {
        std::string text = installedLookup(id);
        if (!text.empty())
            return text;
    }
    return builtin;
}
