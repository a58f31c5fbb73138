#include "model/TypeNames.h"

#include "model/Texts.h"
#include "protocol/TypeCatalogue.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

namespace {

std::array<std::optional<std::string>, FunctionType::Count>& nameCache()
{
    static std::array<std::optional<std::string>, FunctionType::Count> names;
    return names;
}

} // namespace

std::string TypeName(uint8_t code)
{
    if (!IsKnownType(code))
        return TextById(txt::UnknownType);
    auto& cached = nameCache()[code];
    if (!cached)
        cached = TextById(uint16_t(txt::TypeNameBase + code)).substr(0, 16);
    return *cached;
}

bool TypeName(uint8_t code, char* buffer, size_t max)
{
    const std::string name = TypeName(code);
    if (buffer && max > 0) {
        const size_t n = std::min({name.size(), max - 1, size_t(16)});
        std::memcpy(buffer, name.data(), n);
        buffer[n] = '\0';
    }
    return IsKnownType(code);
}

void ForgetTypeNames()
{
    for (auto& name : nameCache())
        name.reset();
}
