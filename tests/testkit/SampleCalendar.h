#pragma once
// iCalendar texts for the tests of holiday calendars: a calendar around its
// events, an event with its summary and lines, an all-day event.

#include <string>

inline std::string IcsCalendar(const std::string& events)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//velt tests//holidays//EN\r\n" + events + "END:VCALENDAR\r\n";
}

inline std::string IcsEvent(const std::string& summary, const std::string& lines)
{
    return "BEGIN:VEVENT\r\nUID:" + summary + "@velt\r\nSUMMARY:" + summary + "\r\n" + lines + "END:VEVENT\r\n";
}

// From the day `first` up to, not including, the day `after` (YYYYMMDD).
inline std::string IcsAllDay(const std::string& summary, const std::string& first, const std::string& after)
{
    return IcsEvent(summary, "DTSTART;VALUE=DATE:" + first + "\r\nDTEND;VALUE=DATE:" + after + "\r\n");
}
