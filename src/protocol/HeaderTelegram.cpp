#include "protocol/HeaderTelegram.h"

#include "protocol/GatewayCodes.h"
#include "protocol/LittleEndian.h"

#include <algorithm>

namespace {

struct HeaderLayout {
    size_t name, inputs, outputs, scheduleMask, scheduleCounts, blockMask;
};
constexpr HeaderLayout AnswerLayout{30, 46, 63, 80, 81, 85};
constexpr HeaderLayout WriteLayout{25, 41, 58, 75, 76, 80};
constexpr size_t FlagsOffset = 25;
constexpr size_t StampOffset = 26;

SlotCounts readSlots(const uint8_t* at)
{
    SlotCounts slots;
    slots.mask = at[0];
    for (size_t s = 0; s < 8; ++s) {
        slots.kinds[s] = at[1 + 2 * s];
        slots.counts[s] = at[2 + 2 * s];
    }
    return slots;
}

void writeSlots(uint8_t* at, const SlotCounts& slots)
{
    at[0] = slots.mask;
    for (size_t s = 0; s < 8; ++s) {
        at[1 + 2 * s] = slots.kinds[s];
        at[2 + 2 * s] = slots.counts[s];
    }
}

HeaderTelegram readHeader(const Telegram& t, const HeaderLayout& layout)
{
    HeaderTelegram h;
    h.number = t[TelegramField::Data];
    h.type = t[TelegramField::Parameter];
    h.name = le::str(&t[layout.name], FunctionNameLength);
    h.inputs = readSlots(&t[layout.inputs]);
    h.outputs = readSlots(&t[layout.outputs]);
    h.scheduleMask = t[layout.scheduleMask];
    std::copy_n(&t[layout.scheduleCounts], 4, h.scheduleCounts.begin());
    h.blockMask = t[layout.blockMask];
    return h;
}

} // namespace

HeaderTelegram ReadHeaderAnswer(const Telegram& answer)
{
    HeaderTelegram h = readHeader(answer, AnswerLayout);
    h.flags = answer[FlagsOffset];
    h.stamp = le::u32(&answer[StampOffset]);
    return h;
}

HeaderTelegram ReadHeaderWrite(const Telegram& write) { return readHeader(write, WriteLayout); }

Telegram BuildHeaderTelegram(uint8_t command, const std::string& gatewayAddress, const HeaderTelegram& h)
{
    const bool answer = command == Command::ReadHeader;
    const HeaderLayout& layout = answer ? AnswerLayout : WriteLayout;
    Telegram t = *BuildTelegram(command, gatewayAddress, answer ? HeaderAnswerLength : HeaderWriteLength, h.type, 0);
    t[TelegramField::Data] = h.number;
    if (answer) {
        t[FlagsOffset] = h.flags;
        le::putU32(&t[StampOffset], h.stamp);
    }
    le::putChars(&t[layout.name], FunctionNameLength, h.name);
    writeSlots(&t[layout.inputs], h.inputs);
    writeSlots(&t[layout.outputs], h.outputs);
    t[layout.scheduleMask] = h.scheduleMask;
    std::copy(h.scheduleCounts.begin(), h.scheduleCounts.end(), &t[layout.scheduleCounts]);
    t[layout.blockMask] = h.blockMask;
    return t;
}
