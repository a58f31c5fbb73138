#include "support/Clock.h"

#include "protocol/StrFormat.h"

#include <atomic>
#include <cstdint>

namespace {

// Set from a test or a command line before work starts, read from any thread.
std::atomic<bool> timeIsFixed{false};
std::atomic<std::time_t> fixedTime{0};

} // namespace

std::time_t CurrentTime()
{
    return timeIsFixed.load() ? fixedTime.load() : std::time(nullptr);
}

void SetFixedTime(std::optional<std::time_t> fixed)
{
    fixedTime.store(fixed.value_or(0));
    timeIsFixed.store(fixed.has_value());
}

LocalTime CurrentLocalTime()
{
    const std::time_t now = CurrentTime();
    std::tm local{};
    localtime_r(&now, &local);
    LocalTime result;
    result.time = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
    result.zone = local.tm_zone ? local.tm_zone : "";
    result.utcOffsetMinutes = int(local.tm_gmtoff / 60);
    return result;
}

std::string LocalTime::zoneText() const
{
    const int offset = utcOffsetMinutes < 0 ? -utcOffsetMinutes : utcOffsetMinutes;
    return StrFormat("%s (UTC%c%02d:%02d)", zone.c_str(), utcOffsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
}

namespace {

// The gateway's calendar seconds run to 2106; clamp rather than wrap.
CalendarTime utcTimeOf(std::time_t time)
{
    if (time <= 0)
        return FromCalendarSeconds(0);
    if (time >= static_cast<std::time_t>(UINT32_MAX))
        return FromCalendarSeconds(UINT32_MAX);
    return FromCalendarSeconds(static_cast<uint32_t>(time));
}

} // namespace

CalendarTime CurrentUtcTime() { return utcTimeOf(CurrentTime()); }

std::string FormatUtcTime(std::time_t time)
{
    const CalendarTime t = utcTimeOf(time);
    return StrFormat("%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::optional<std::time_t> ParseUtcTime(const std::string& text)
{
    // Digits where "2026-12-06 14:08:00" has digits, its separators elsewhere.
    static const std::string pattern = "dddd-dd-dd dd:dd:dd";
    if (text.size() != 10 && text.size() != pattern.size())
        return std::nullopt;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool digitWanted = pattern[i] == 'd';
        if (digitWanted != (text[i] >= '0' && text[i] <= '9') || (!digitWanted && text[i] != pattern[i]))
            return std::nullopt;
    }
    const auto number = [&text](size_t at, size_t length) { return std::stoi(text.substr(at, length)); };
    CalendarTime time;
    time.year = number(0, 4);
    time.month = number(5, 2);
    time.day = number(8, 2);
    if (text.size() == pattern.size()) {
        time.hour = number(11, 2);
        time.minute = number(14, 2);
        time.second = number(17, 2);
    }
    const std::optional<uint32_t> seconds = ToCalendarSeconds(time);
    if (!seconds)
        return std::nullopt;
    return static_cast<std::time_t>(*seconds);
}
