#include "support/Util.h"

#include "support/Clock.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <ctime>

std::string GetTimeStamp()
{
    const std::time_t now = CurrentTime();
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

int IsValidFileName(const std::string& name)
{
    if (name.empty())
        return 0;
    size_t componentStart = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == '/') {
            const std::string component = name.substr(componentStart, i - componentStart);
            if (component == "." || component == ".." || component.size() > 255)
                return 0;
            if (i == name.size() && component.empty())
                return 0;
            componentStart = i + 1;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c == 0x7F)
            return 0;
        switch (c) {
        case '<': case '>': case ':': case '"': case '|': case '?': case '*': case '\\':
            return 0;
        default:
            break;
        }
    }
    return 1;
}

void RemoveSpaces(std::string& text) { text.erase(std::remove(text.begin(), text.end(), ' '), text.end()); }
