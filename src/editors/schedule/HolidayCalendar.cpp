#include "editors/schedule/HolidayCalendar.h"

#include "model/FunctionSettings.h"
#include "model/TextIds.h"
#include "model/Texts.h"
#include "protocol/CalendarSeconds.h"
#include "support/Clock.h"
#include "support/RegularFile.h"

#include <libical/ical.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <string_view>

namespace {

// Far larger than any holiday calendar.
constexpr uint64_t MaxCalendarFileSize = 16 * 1024 * 1024;
// Occurrences of one recurrence walked at most, so that a rule repeating
// every minute since long ago ends.
constexpr int MaxOccurrencesWalked = 200000;
constexpr uint32_t SecondsPerMinute = 60;
constexpr uint32_t SecondsPerDay = 86400;
constexpr int YearlyEventYear = 1970;

struct ComponentDeleter {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentDeleter>;

// The date and time a value of the file names, in local time: a floating
// time and a date as written, a time with a zone converted into the
// process's local zone.
CalendarTime localTime(const icaltimetype& time)
{
    if (time.is_date)
        return {time.year, time.month, time.day, 0, 0, 0};
    if (!time.zone && !icaltime_is_utc(time))
        return {time.year, time.month, time.day, time.hour, time.minute, 0};
    const std::time_t moment = icaltime_as_timet_with_zone(time, time.zone ? time.zone : icaltimezone_get_utc_timezone());
    std::tm local{};
    localtime_r(&moment, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, 0};
}

std::optional<uint32_t> seconds(const CalendarTime& time) { return ToCalendarSeconds(time); }

// Whether a value names a day the calendar has, at a time a day has.
bool validTime(const icaltimetype& time)
{
    return time.month >= 1 && time.month <= 12 && time.day >= 1 && time.day <= DaysInMonth(time.year, time.month)
        && time.hour >= 0 && time.hour <= 23 && time.minute >= 0 && time.minute <= 59 && time.second >= 0
        && time.second <= 60;
}

// The period of one occurrence: an all-day one to 23:59 of the day before its
// end date, a timed one from its start to its end minute.
std::optional<ForcedPeriod> occurrencePeriod(const icaltimetype& start, const icaltimetype& end)
{
    const std::optional<uint32_t> from = seconds(localTime(start));
    if (!from)
        return std::nullopt;
    if (start.is_date) {
        const std::optional<uint32_t> endDay = icaltime_is_null_time(end) ? std::nullopt : seconds(localTime(end));
        const uint32_t lastDay = endDay && *endDay > *from ? *endDay - SecondsPerDay : *from;
        return ForcedPeriod{*from, lastDay + SecondsPerDay - SecondsPerMinute, PeriodState::Off};
    }
    const std::optional<uint32_t> to = icaltime_is_null_time(end) ? from : seconds(localTime(end));
    if (!to)
        return std::nullopt;
    return ForcedPeriod{*from, *to, PeriodState::Off};
}

bool ruleListEmpty(const short* values) { return values[0] == ICAL_RECURRENCE_ARRAY_MAX; }

bool ruleListIs(const short* values, int only) { return ruleListEmpty(values) || (values[0] == only && values[1] == ICAL_RECURRENCE_ARRAY_MAX); }

// The period as a yearly event, when the rule repeats it every year on its
// own date without an end and it stays within one year on days that every
// year has.
std::optional<ForcedPeriod> yearlyEvent(const icalrecurrencetype& rule, const ForcedPeriod& period,
                                         const icaltimetype& start, bool hasExceptions)
{
    if (rule.freq != ICAL_YEARLY_RECURRENCE || rule.interval > 1 || rule.count != 0
        || !icaltime_is_null_time(rule.until) || hasExceptions)
        return std::nullopt;
    if (!ruleListEmpty(rule.by_second) || !ruleListEmpty(rule.by_minute) || !ruleListEmpty(rule.by_hour)
        || !ruleListEmpty(rule.by_day) || !ruleListEmpty(rule.by_year_day) || !ruleListEmpty(rule.by_week_no)
        || !ruleListEmpty(rule.by_set_pos) || !ruleListIs(rule.by_month, start.month)
        || !ruleListIs(rule.by_month_day, start.day))
        return std::nullopt;
    CalendarTime from = FromCalendarSeconds(period.from);
    CalendarTime to = FromCalendarSeconds(period.to);
    if (from.year != to.year)
        return std::nullopt;
    from.year = to.year = YearlyEventYear;
    const std::optional<uint32_t> fromSeconds = seconds(from);
    const std::optional<uint32_t> toSeconds = seconds(to);
    if (!fromSeconds || !toSeconds)
        return std::nullopt;
    return ForcedPeriod{*fromSeconds, *toSeconds, PeriodState::Off};
}

std::vector<icaltimetype> exceptionDates(icalcomponent* event)
{
    std::vector<icaltimetype> dates;
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY))
        dates.push_back(icalproperty_get_exdate(p));
    return dates;
}

// The occurrences of a recurring event that end after now and begin before
// the same time a year on.
void expandOccurrences(icalcomponent* event, const icalrecurrencetype& rule, const icaltimetype& start,
                       const std::string& summary, uint32_t now, std::vector<HolidayEvent>& events)
{
    const icaldurationtype duration = icalcomponent_get_duration(event);
    const std::vector<icaltimetype> exceptions = exceptionDates(event);
    CalendarTime horizonTime = FromCalendarSeconds(now);
    horizonTime.year += 1;
    if (horizonTime.month == 2 && horizonTime.day == 29)
        horizonTime.day = 28;
    const uint64_t horizon = seconds(horizonTime).value_or(UINT32_MAX);
    icalrecur_iterator* walk = icalrecur_iterator_new(rule, start);
    if (!walk)
        return;
    for (int walked = 0; walked < MaxOccurrencesWalked; ++walked) {
        const icaltimetype occurrence = icalrecur_iterator_next(walk);
        if (icaltime_is_null_time(occurrence))
            break;
        const std::optional<uint32_t> occurrenceStart = seconds(localTime(occurrence));
        if (occurrenceStart && *occurrenceStart >= horizon)
            break;
        const bool excepted = std::any_of(exceptions.begin(), exceptions.end(), [&](const icaltimetype& date) {
            return icaltime_compare_date_only(date, occurrence) == 0
                && (date.is_date || icaltime_compare(date, occurrence) == 0);
        });
        if (excepted)
            continue;
        const std::optional<ForcedPeriod> period = occurrencePeriod(occurrence, icaltime_add(occurrence, duration));
        if (period && uint64_t(period->to) + SecondsPerMinute <= now)
            continue;
        events.push_back({summary, period});
    }
    icalrecur_iterator_free(walk);
}

// "'Summer fair'" or "number 3" for messages.
std::string eventName(const char* summary, size_t index)
{
    return summary && *summary ? "'" + std::string(summary) + "'" : "number " + std::to_string(index + 1);
}

std::optional<std::string> firstError(icalcomponent* component)
{
    for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_XLICERROR_PROPERTY); p;
         p = icalcomponent_get_next_property(component, ICAL_XLICERROR_PROPERTY))
        return std::string(icalproperty_get_xlicerror(p));
    for (icalcomponent* c = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT); c;
         c = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT))
        if (const std::optional<std::string> error = firstError(c))
            return error;
    return std::nullopt;
}

} // namespace

std::optional<std::vector<HolidayEvent>> ParseHolidayCalendar(const std::string& text, uint32_t now,
                                                              std::string& problem)
{
    icalerror_set_errors_are_fatal(0);
    // Some programs write a UTF-8 byte order mark before BEGIN:VCALENDAR.
    const std::string_view byteOrderMark = "\xEF\xBB\xBF";
    const size_t start = std::string_view(text).substr(0, 3) == byteOrderMark ? 3 : 0;
    const Component calendar(icalparser_parse_string(text.c_str() + start));
    if (!calendar || icalcomponent_isa(calendar.get()) != ICAL_VCALENDAR_COMPONENT) {
        problem = "is not a whole iCalendar file (BEGIN:VCALENDAR .. END:VCALENDAR)";
        return std::nullopt;
    }
    if (const std::optional<std::string> error = firstError(calendar.get())) {
        problem = "is malformed: " + *error;
        return std::nullopt;
    }
    std::vector<HolidayEvent> events;
    size_t index = 0;
    for (icalcomponent* event = icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT); event;
         event = icalcomponent_get_next_component(calendar.get(), ICAL_VEVENT_COMPONENT), ++index) {
        const char* summary = icalcomponent_get_summary(event);
        const std::string name = summary ? summary : "";
        if (!icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY)
            || icaltime_is_null_time(icalcomponent_get_dtstart(event))) {
            problem = "holds the event " + eventName(summary, index) + " without a start (DTSTART)";
            return std::nullopt;
        }
        const icaltimetype start = icalcomponent_get_dtstart(event);
        const icaltimetype end = icalcomponent_get_dtend(event);
        if (!validTime(start) || (!icaltime_is_null_time(end) && !validTime(end))) {
            problem = "is malformed: the event " + eventName(summary, index) + " names a day that does not exist";
            return std::nullopt;
        }
        const std::optional<ForcedPeriod> period = occurrencePeriod(start, end);
        icalproperty* rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
        if (!rule) {
            events.push_back({name, period});
            continue;
        }
        const icalrecurrencetype recurrence = icalproperty_get_rrule(rule);
        const bool hasExceptions = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY) != nullptr;
        if (const std::optional<ForcedPeriod> yearly
            = period ? yearlyEvent(recurrence, *period, start, hasExceptions) : std::nullopt) {
            events.push_back({name, yearly});
            continue;
        }
        expandOccurrences(event, recurrence, start, name, now, events);
    }
    return events;
}

std::optional<std::vector<HolidayEvent>> ReadHolidayCalendar(const std::string& path, uint32_t now,
                                                             std::string& problem)
{
    FileProblem fileProblem = FileProblem::None;
    const std::optional<std::string> text = ReadRegularFile(path, MaxCalendarFileSize, &fileProblem);
    if (!text) {
        problem = DescribeFileProblem(path, fileProblem, MaxCalendarFileSize);
        return std::nullopt;
    }
    std::optional<std::vector<HolidayEvent>> events = ParseHolidayCalendar(*text, now, problem);
    if (!events)
        problem = path + " " + problem;
    return events;
}

std::vector<HolidayChoice> PlanHolidays(const std::vector<HolidayEvent>& events,
                                        const std::vector<ForcedPeriod>& listed, uint32_t now, uint8_t state)
{
    std::vector<ForcedPeriod> taken = listed;
    std::vector<HolidayChoice> choices;
    for (const HolidayEvent& event : events) {
        HolidayChoice& choice = choices.emplace_back(HolidayChoice{event, HolidayVerdict::Add, {}, {}});
        if (!event.period) {
            choice.verdict = HolidayVerdict::CannotHold;
            choice.problem = "dates outside 1970..2106";
            continue;
        }
        ForcedPeriod& period = *choice.event.period;
        period.state = state;
        if (const std::optional<std::string> problem = PeriodEntryProblem({0, state, period.from, period.to})) {
            choice.verdict = HolidayVerdict::CannotHold;
            choice.problem = *problem;
        } else if (!period.yearly() && uint64_t(period.to) + SecondsPerMinute <= now) {
            choice.verdict = HolidayVerdict::Past;
        } else if (const std::optional<size_t> other = FindCollision(period, taken)) {
            choice.verdict = HolidayVerdict::Collides;
            choice.collidesWith = taken[*other];
        } else {
            taken.push_back(period);
        }
    }
    return choices;
}

std::string HolidayEventText(const HolidayEvent& event)
{
    const std::string when = event.period
        ? PeriodTimeText(event.period->from) + " -> " + PeriodTimeText(event.period->to)
        : std::string("----.--.-- --:-- -> ----.--.-- --:--");
    return event.summary.empty() ? when : when + " " + event.summary;
}

std::string HolidayReasonText(const HolidayChoice& choice)
{
    switch (choice.verdict) {
    case HolidayVerdict::Add:
        break;
    case HolidayVerdict::Past:
        return TextById(txt::HolidayEndedBeforeNow);
    case HolidayVerdict::Collides:
        return TextById(txt::HolidayCollidesWith) + " '" + ListedPeriodLine(choice.collidesWith, ' ') + "'";
    case HolidayVerdict::CannotHold:
        return TextById(txt::HolidayCannotBeHeld) + " " + choice.problem;
    }
    return {};
}

uint32_t CalendarNow()
{
    const std::time_t now = CurrentTime();
    return now < 0 ? 0 : now > std::time_t(UINT32_MAX) ? UINT32_MAX : uint32_t(now);
}
