#pragma once
// Fixed-size records are little-endian byte arrays; these helpers are the only
// way the program reads and writes their multi-byte fields.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "protocol/CodePage.h"

namespace le {

inline uint16_t u16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline int16_t i16(const uint8_t* p) { return int16_t(u16(p)); }
inline uint32_t u32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline float f32(const uint8_t* p)
{
    const uint32_t bits = u32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline void putU16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void putI16(uint8_t* p, int16_t v) { putU16(p, uint16_t(v)); }
inline void putU32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline void putF32(uint8_t* p, float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    putU32(p, bits);
}

// A NUL-terminated text in a fixed-size field, as UTF-8 from the field's code
// page; stops at the field's end when the field holds no terminator.
inline std::string str(const uint8_t* p, size_t width)
{
    size_t n = 0;
    while (n < width && p[n] != 0)
        ++n;
    return FromCodePage(std::string_view(reinterpret_cast<const char*>(p), n));
}

// Writes a UTF-8 text into a fixed-size field in its code page, NUL-padded; at
// most width - 1 characters so the field stays terminated.
inline void putStr(uint8_t* p, size_t width, std::string_view text)
{
    std::memset(p, 0, width);
    if (width == 0)
        return;
    const std::string bytes = ToCodePage(text);
    std::memcpy(p, bytes.data(), std::min(bytes.size(), width - 1));
}

// As putStr, but may fill the whole field without a terminator (fields the
// gateway holds as exactly N characters).
inline void putChars(uint8_t* p, size_t width, std::string_view text)
{
    std::memset(p, 0, width);
    const std::string bytes = ToCodePage(text);
    std::memcpy(p, bytes.data(), std::min(bytes.size(), width));
}

} // namespace le
