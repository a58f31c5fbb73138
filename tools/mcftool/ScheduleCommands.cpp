#include "ScheduleCommands.h"

#include "editors/schedule/HolidayCalendar.h"
#include "editors/schedule/ScheduleEvaluation.h"
#include "gateway/SyncState.h"
#include "model/EventLog.h"
#include "model/FunctionSettings.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "model/TextIds.h"
#include "model/Texts.h"
#include "model/TypeNames.h"
#include "protocol/TypeCatalogue.h"
#include "support/Clock.h"
#include "support/DbStatus.h"
#include "support/RecordStore.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

namespace mcftool {

namespace {

constexpr uint32_t SecondsPerDay = 86400;

// A yearly schedule as MCDEF holds it.
struct StoredSchedule {
    uint8_t number = 0;
    std::string name;
    ScheduleDefinition definition;
};

// The yearly schedule `number` of MCDEF; nothing, with the reason, when it is
// not there, is of another type or cannot be read.
std::optional<StoredSchedule> readSchedule(uint8_t number, std::string& error)
{
    McdefRecord header;
    const uint16_t status = ReadBlock(number, BlockType::Header, 0, 0, header);
    if (status != DbStatus::Success) {
        error = status == DbStatus::KeyNotFound ? "function " + std::to_string(number) + " is not in MCDEF"
                                                : tableProblem(table::Mcdef, status);
        return std::nullopt;
    }
    if (header.type() != FunctionType::YearlySchedule) {
        error = "function " + std::to_string(number) + " " + header.name() + " is not a yearly schedule (it is a "
            + TypeName(header.type()) + ")";
        return std::nullopt;
    }
    McdefRecord block2(number, BlockType::Data, 2, 0), block3(number, BlockType::Data, 3, 0);
    std::vector<McdefRecord> periodRecords;
    for (const auto& [block, record] : {std::pair{2, &block2}, std::pair{3, &block3}})
        if (const uint16_t read = ReadBlock(number, BlockType::Data, uint8_t(block), 0, *record);
            read != DbStatus::Success && read != DbStatus::KeyNotFound) {
            error = tableProblem(table::Mcdef, read);
            return std::nullopt;
        }
    if (const uint16_t read = ReadBlocks(number, BlockType::Data, 4, periodRecords); read != DbStatus::Success) {
        error = tableProblem(table::Mcdef, read);
        return std::nullopt;
    }
    return StoredSchedule{number, header.name(),
                          {UnpackBasicSchedule(block2, block3), UnpackPeriods(periodRecords)}};
}

// "YYYY-MM-DD HH:MM" as calendar seconds.
std::optional<uint32_t> minuteTime(const std::string& text)
{
    const std::optional<std::time_t> time = ParseUtcTime(text + ":00");
    if (!time || *time < 0 || *time > std::time_t(UINT32_MAX) || text.size() != 16)
        return std::nullopt;
    return uint32_t(*time);
}

std::string minuteText(uint32_t seconds) { return FormatUtcTime(std::time_t(seconds)).substr(0, 16); }

// Sets the clock from --now; false after the usage message.
bool setNow(const char* verb, const ParsedArgs& parsed)
{
    const std::optional<std::string> now = parsed.value("--now");
    if (!now)
        return true;
    const std::optional<uint32_t> time = minuteTime(*now);
    if (!time) {
        usageError(verb, "--now " + *now + " is not a time YYYY-MM-DD HH:MM");
        return false;
    }
    SetFixedTime(std::time_t(*time));
    return true;
}

// --- holidays -----------------------------------------------------------------

struct Target {
    std::string address;
    uint8_t number = 0;
};

// "001:12" as the gateway and the function.
std::optional<Target> targetOf(const std::string& text, std::string& error)
{
    const size_t colon = text.find(':');
    const std::optional<std::string> address = gatewayOf(text.substr(0, colon));
    const auto number = colon == std::string::npos ? std::nullopt : functionNumbers({text.substr(colon + 1)}, error);
    if (!address || colon != 3 || !number) {
        error = text + " is not NETWORK:NUMBER (three digits, a colon and a function number from 1 to 105)";
        return std::nullopt;
    }
    return Target{*address, number->front()};
}

// Adds the planned events to one schedule; false when it was not done whole.
bool addHolidays(const Target& target, const StoredSchedule& schedule, const std::vector<HolidayEvent>& events,
                 uint8_t state, bool dryRun, const std::string& fileName)
{
    const std::vector<ForcedPeriod>& listed = schedule.definition.periods;
    const std::vector<HolidayChoice> plan = PlanHolidays(events, listed, CalendarNow(), state);
    std::cout << target.address << " function " << int(target.number) << " " << schedule.name << ": "
              << listed.size() << " special periods\n";
    std::vector<ForcedPeriod> periods = listed;
    for (const HolidayChoice& choice : plan) {
        if (choice.verdict == HolidayVerdict::Add) {
            periods.push_back(*choice.event.period);
            std::cout << "  add   " << HolidayEventText(choice.event) << "\n";
        } else {
            std::cout << "  skip  " << HolidayEventText(choice.event) << ": " << HolidayReasonText(choice) << "\n";
        }
    }
    const size_t added = periods.size() - listed.size();
    const size_t room = MaxForcedPeriods - std::min(listed.size(), MaxForcedPeriods);
    if (added > room) {
        std::cout << "  " << room << " of the " << added << " events to add fit beside the " << listed.size()
                  << " special periods (at most " << MaxForcedPeriods << "): nothing written\n";
        std::cerr << "mcftool holidays: " << target.address << " function " << int(target.number) << ": only " << room
                  << " of " << added << " events fit\n";
        return false;
    }
    if (dryRun || added == 0) {
        std::cout << "  " << (dryRun ? "would add " : "added ") << added << "\n";
        return true;
    }
    SortAsListed(periods);
    if (const uint16_t status = ReplaceBlocks(target.number, BlockType::Data, 4,
                                              PackPeriods(target.number, periods, listed.size()));
        status != DbStatus::Success) {
        std::cerr << "mcftool holidays: " << tableProblem(table::Mcdef, status) << "\n";
        return false;
    }
    std::cout << "  added " << added << "\n";
    const std::optional<std::string> unmarked = ChangeSyncState([&](SyncState& marks) {
        marks.mark({target.address, target.number, schedule.name, CurrentTime(),
                    "special periods from " + fileName + " not sent yet"});
        return true;
    });
    if (unmarked)
        std::cerr << "mcftool holidays: " << *unmarked << "\n";
    const bool logged = eventLogStored(
        "holidays", LogChangeLines(target.address, schedule.name,
                                   {TextById(txt::ForceScheduleChanged) + " (" + fileName + ")"}));
    return !unmarked && logged;
}

int holidays(const Args& args)
{
    std::string error;
    const auto parsed = parseArgs(args, {"--dry-run"}, {"--state", "--now"}, error);
    if (!parsed)
        return usageError("holidays", error);
    if (parsed->positional.size() < 3)
        return usageError("holidays", "expected HOME, FILE and at least one NETWORK:NUMBER");
    const std::string stateText = parsed->value("--state").value_or("off");
    if (stateText != "off" && stateText != "on")
        return usageError("holidays", "--state " + stateText + " is neither off nor on");
    const uint8_t state = stateText == "on" ? PeriodState::On : PeriodState::Off;
    std::vector<Target> targets;
    for (auto text = parsed->positional.begin() + 2; text != parsed->positional.end(); ++text) {
        const std::optional<Target> target = targetOf(*text, error);
        if (!target)
            return usageError("holidays", error);
        if (!targets.empty() && target->address != targets.front().address)
            return usageError("holidays", "MCDEF holds one gateway at a time: " + *text + " is not of "
                                              + targets.front().address.substr(0, 3));
        targets.push_back(*target);
    }
    if (!setNow("holidays", *parsed))
        return Usage;
    if (!useHome(parsed->positional[0], error)) {
        std::cerr << "mcftool holidays: " << error << "\n";
        return Failed;
    }
    const std::string& file = parsed->positional[1];
    const std::optional<std::vector<HolidayEvent>> events = ReadHolidayCalendar(file, CalendarNow(), error);
    if (!events) {
        std::cerr << "mcftool holidays: " << error << "\n";
        return Failed;
    }
    std::vector<StoredSchedule> schedules;
    for (const Target& target : targets) {
        std::optional<StoredSchedule> schedule = readSchedule(target.number, error);
        if (!schedule) {
            std::cerr << "mcftool holidays: " << target.address << " " << error << "; nothing written\n";
            RecordStore::instance().closeAll();
            return Failed;
        }
        schedules.push_back(std::move(*schedule));
    }
    const std::string fileName = std::filesystem::path(file).filename().string();
    bool allDone = true;
    for (size_t i = 0; i < targets.size(); ++i)
        allDone = addHolidays(targets[i], schedules[i], *events, state, parsed->has("--dry-run"), fileName) && allDone;
    RecordStore::instance().closeAll();
    return allDone ? Done : Failed;
}

// --- schedule -----------------------------------------------------------------

int schedule(const Args& args)
{
    std::string error;
    const auto parsed = parseArgs(args, {}, {"--at", "--from", "--to", "--now"}, error);
    if (!parsed)
        return usageError("schedule", error);
    if (parsed->positional.size() != 3)
        return usageError("schedule", "expected HOME, NETWORK and one function NUMBER");
    const std::optional<std::string> address = gatewayOf(parsed->positional[1]);
    if (!address)
        return usageError("schedule", parsed->positional[1] + " is not a network number (three digits)");
    const auto numbers = functionNumbers({parsed->positional[2]}, error);
    if (!numbers)
        return usageError("schedule", error);
    if (parsed->has("--at") && (parsed->has("--from") || parsed->has("--to")))
        return usageError("schedule", "--at asks for one time, --from and --to for a stretch: not both");
    if (!setNow("schedule", *parsed))
        return Usage;
    std::optional<uint32_t> times[3];
    const char* flags[3] = {"--at", "--from", "--to"};
    for (size_t i = 0; i < 3; ++i)
        if (const std::optional<std::string> text = parsed->value(flags[i])) {
            times[i] = minuteTime(*text);
            if (!times[i])
                return usageError("schedule", std::string(flags[i]) + " " + *text + " is not a time YYYY-MM-DD HH:MM");
        }
    const uint32_t now = CalendarNow();
    const uint32_t from = times[1].value_or(now - now % 60);
    const uint32_t to = times[2].value_or(from + 7 * SecondsPerDay);
    if (!times[0] && from >= to)
        return usageError("schedule", "--to must come after --from");
    if (!useHome(parsed->positional[0], error)) {
        std::cerr << "mcftool schedule: " << error << "\n";
        return Failed;
    }
    const std::optional<StoredSchedule> stored = readSchedule(numbers->front(), error);
    RecordStore::instance().closeAll();
    if (!stored) {
        std::cerr << "mcftool schedule: " << *address << " " << error << "\n";
        return Failed;
    }
    const ScheduleDefinition& definition = stored->definition;
    if (times[0]) {
        const ScheduleState state = StateAt(definition, *times[0]);
        std::cout << (state.on ? "On " : "Off ") << CauseText(definition, state) << "\n";
        return Done;
    }
    for (const ScheduleSegment& segment : SwitchingTimes(definition, from, to))
        std::cout << minuteText(segment.start) << " " << (segment.state.on ? "On " : "Off ")
                  << CauseText(definition, segment.state) << "\n";
    return Done;
}

} // namespace

const Verb HolidaysVerb = {
    "holidays", "HOME FILE NETWORK:NUMBER... [--state off|on] [--dry-run] [--now \"YYYY-MM-DD HH:MM\"]",
    "add the events of an iCalendar file as special periods of yearly schedules",
    "Reads the iCalendar file FILE and adds each of its events as a special\n"
    "period (\"Force schedule to\") of each yearly schedule NETWORK:NUMBER in MCDEF\n"
    "of HOME, as the yearly schedule editor would if they were typed in. MCDEF\n"
    "holds the gateway uploaded last, so every NETWORK:NUMBER names that gateway.\n"
    "\n"
    "  an all-day event     00:00 of its first day to 23:59 of its last\n"
    "  a timed event        its start and end, to the minute, in local time\n"
    "  recurring yearly     a yearly event (year 0000) when it recurs on its\n"
    "                       date without an end; other recurrences are\n"
    "                       expanded over the coming 12 months\n"
    "\n"
    "An event that ended before now, one that collides with a special period\n"
    "already there or with an event added before it, and one that a special\n"
    "period cannot hold (years 1997..2038) is skipped with the reason. When the\n"
    "events would take a schedule past 30 special periods nothing is written\n"
    "for it and the output says how many fit.\n"
    "\n"
    "  --state off|on   the state the periods force (default off)\n"
    "  --dry-run        print what would be added and skipped; write nothing\n"
    "  --now TIME       the current date and time instead of the clock's (UTC)\n"
    "\n"
    "A changed schedule is marked as not sent to the gateway (mcftool status)\n"
    "until mcftool update or velt sends it, and EVENTLOG gets \"'Force schedule\n"
    "to' is changed\" with the file's name. A missing or malformed file, an\n"
    "event without a start or a NUMBER that is not a yearly schedule stops the\n"
    "verb before anything is written. Exit code 0 when every schedule took its\n"
    "events.\n",
    holidays};

const Verb ScheduleVerb = {
    "schedule", "HOME NETWORK NUMBER [--at TIME | --from TIME --to TIME] [--now TIME]",
    "tell when a yearly schedule is On",
    "Tells from MCDEF of HOME when the yearly schedule NUMBER is On. TIME is\n"
    "\"YYYY-MM-DD HH:MM\", the gateway's local date and time.\n"
    "\n"
    "  --at TIME     print On or Off at that time, a blank and the cause: the\n"
    "                weekly period, the special period with its dates, or\n"
    "                \"no period\"\n"
    "  --from TIME   list the state at TIME and every later time at which the\n"
    "  --to TIME     schedule switches, before --to, with the new state and its\n"
    "                cause (default: the coming 7 days from now)\n"
    "  --now TIME    the current date and time instead of the clock's (UTC)\n"
    "\n"
    "The rule: a special period forces its state from its From to the end of\n"
    "the minute of its To, a yearly event every year; otherwise a weekly period\n"
    "is On from its On time up to, not including, its Off time of its weekday;\n"
    "otherwise the schedule is Off. Exit code 1 when the function is not a\n"
    "yearly schedule of MCDEF.\n",
    schedule};

} // namespace mcftool
