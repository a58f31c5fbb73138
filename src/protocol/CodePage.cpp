#include "protocol/CodePage.h"

#include <QList>

#include <array>
#include <cstdint>

namespace {

// Characters of bytes 0x80..0x9F; the rest of the page is Latin-1. The five
// bytes the page leaves undefined map to the control character of their value.
constexpr std::array<char16_t, 32> HighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t characterOf(uint8_t byte)
{
    return byte >= 0x80 && byte <= 0x9F ? HighControlRange[byte - 0x80] : char16_t(byte);
}

// The byte of a character, or -1 when the page has none.
int byteOf(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    for (size_t i = 0; i < HighControlRange.size(); ++i)
        if (HighControlRange[i] == c)
            return int(0x80 + i);
    return -1;
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

} // namespace

std::string FromCodePage(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char byte : bytes)
        appendUtf8(out, characterOf(uint8_t(byte)));
    return out;
}

std::string ToCodePage(std::string_view utf8, bool* complete)
{
    std::string out;
    out.reserve(utf8.size());
    bool all = true;
    for (const char32_t c : QString::fromUtf8(utf8.data(), qsizetype(utf8.size())).toUcs4()) {
        const int byte = byteOf(c);
        all = all && byte >= 0;
        out += byte >= 0 ? char(byte) : '?';
    }
    if (complete)
        *complete = all;
    return out;
}

bool FitsCodePage(const QString& text)
{
    for (const char32_t c : text.toUcs4())
        if (byteOf(c) < 0)
            return false;
    return true;
}
