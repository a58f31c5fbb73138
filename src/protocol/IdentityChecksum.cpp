#include "protocol/IdentityChecksum.h"

#include "protocol/CodePage.h"

#include <algorithm>
#include <array>
#include <cstring>

uint16_t IdentityChecksum(uint8_t nodeKind, const std::string& identification)
{
    std::array<uint8_t, 14> buffer{};
    buffer[0] = nodeKind;
    const std::string bytes = ToCodePage(identification);
    std::memcpy(&buffer[1], bytes.data(), std::min<size_t>(bytes.size(), 13));
    uint16_t c = 0xFFFF;
    for (uint8_t byte : buffer) {
        c ^= byte;
        for (int step = 0; step < 16; ++step)
            c = (c & 0x8000) ? uint16_t((c << 1) ^ 0x1021) : uint16_t(c << 1);
    }
    return c;
}
