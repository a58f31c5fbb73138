#include "editors/schedule/ForcedPeriods.h"

#include "model/FunctionSettings.h"
#include "model/TextIds.h"
#include "model/Texts.h"
#include "protocol/CalendarSeconds.h"
#include "protocol/StrFormat.h"

#include <algorithm>

namespace {

constexpr int YearlyEventYear = 1970;

bool overlap(const ForcedPeriod& a, const ForcedPeriod& b) { return a.from <= b.to && b.from <= a.to; }

} // namespace

bool ForcedPeriod::yearly() const { return FromCalendarSeconds(from).year == YearlyEventYear; }

std::optional<ForcedPeriod> PlacedInYear(const ForcedPeriod& yearly, int year)
{
    CalendarTime from = FromCalendarSeconds(yearly.from);
    CalendarTime to = FromCalendarSeconds(yearly.to);
    from.year = year;
    to.year = year;
    const std::optional<uint32_t> fromSeconds = ToCalendarSeconds(from);
    const std::optional<uint32_t> toSeconds = ToCalendarSeconds(to);
    if (!fromSeconds || !toSeconds)
        return std::nullopt;
    return ForcedPeriod{*fromSeconds, *toSeconds, yearly.state};
}

bool PeriodsCollide(const ForcedPeriod& a, const ForcedPeriod& b)
{
    if (a.yearly() == b.yearly())
        return overlap(a, b);
    const ForcedPeriod& yearly = a.yearly() ? a : b;
    const ForcedPeriod& dated = a.yearly() ? b : a;
    const int lastYear = FromCalendarSeconds(dated.to).year;
    for (int year = FromCalendarSeconds(dated.from).year; year <= lastYear; ++year) {
        const std::optional<ForcedPeriod> placed = PlacedInYear(yearly, year);
        if (placed && overlap(*placed, dated))
            return true;
    }
    return false;
}

std::optional<size_t> FindCollision(const ForcedPeriod& candidate, const std::vector<ForcedPeriod>& listed,
                                    std::optional<size_t> skip)
{
    for (size_t i = 0; i < listed.size(); ++i)
        if (i != skip && PeriodsCollide(candidate, listed[i]))
            return i;
    return std::nullopt;
}

std::string PeriodLine(const ForcedPeriod& period, const std::string& stateText, char separator)
{
    const CalendarTime from = FromCalendarSeconds(period.from);
    const CalendarTime to = FromCalendarSeconds(period.to);
    const bool yearly = from.year == YearlyEventYear;
    const std::string fromYear = yearly ? "0000" : StrFormat("%04d", from.year);
    const std::string toYear = yearly ? "0000" : StrFormat("%04d", to.year);
    const auto two = [](int value) { return StrFormat("%02d", value); };
    return StrFormat("%4.4s.%s.%s%c%s:%s%c->%c%4.4s.%s.%s%c%s:%s%c-%c%s", fromYear.c_str(), two(from.month).c_str(),
                     two(from.day).c_str(), separator, two(from.hour).c_str(), two(from.minute).c_str(), separator,
                     separator, toYear.c_str(), two(to.month).c_str(), two(to.day).c_str(), separator,
                     two(to.hour).c_str(), two(to.minute).c_str(), separator, separator, stateText.c_str());
}

std::string ListedPeriodLine(const ForcedPeriod& period, char separator)
{
    return PeriodLine(period, TextById(period.state == PeriodState::On ? txt::StateOn : txt::StateOff), separator);
}

void SortAsListed(std::vector<ForcedPeriod>& periods)
{
    std::stable_sort(periods.begin(), periods.end(), [](const ForcedPeriod& a, const ForcedPeriod& b) {
        return ListedPeriodLine(a, '\t') < ListedPeriodLine(b, '\t');
    });
}

std::vector<ForcedPeriod> UnpackPeriods(const std::vector<McdefRecord>& records)
{
    std::vector<ForcedPeriod> periods;
    for (size_t r = 0; r < records.size() && r < MaxPeriodRecords; ++r)
        for (const PeriodEntry& entry : ReadPeriodEntries(records[r]))
            if (entry.state != PeriodState::Deleted)
                periods.push_back({entry.from, entry.to, entry.state});
    return periods;
}

std::vector<McdefRecord> PackPeriods(uint8_t number, const std::vector<ForcedPeriod>& periods, size_t loadedCount)
{
    const size_t total = std::min(std::max(loadedCount, periods.size()), MaxForcedPeriods);
    std::vector<McdefRecord> records;
    for (size_t first = 0; first < total; first += PeriodsPerRecord) {
        std::vector<PeriodEntry> entries;
        for (size_t index = first; index < std::min(total, first + PeriodsPerRecord); ++index)
            entries.push_back(index < periods.size()
                                  ? PeriodEntry{uint8_t(index), periods[index].state, periods[index].from, periods[index].to}
                                  : PeriodEntry{uint8_t(index), PeriodState::Deleted, 0, 0});
        McdefRecord& record = records.emplace_back(number, BlockType::Data, 4, 0);
        WritePeriodEntries(entries, record);
    }
    return records;
}

PeriodInputResult PeriodFromInput(const PeriodInput& input, uint8_t state)
{
    const auto refuse = [](uint16_t message, PeriodField field) { return PeriodInputResult{{}, message, field}; };
    const bool fromYearEmpty = !input.from[0];
    const bool toYearEmpty = !input.to[0];
    if (fromYearEmpty != toYearEmpty)
        return refuse(txt::YearFieldsBlank, PeriodField::FromYear);
    const bool yearly = fromYearEmpty;
    for (size_t side = 0; side < 2; ++side) {
        const auto& fields = side == 0 ? input.from : input.to;
        for (size_t f = yearly ? 1 : 0; f < fields.size(); ++f)
            if (!fields[f])
                return refuse(txt::FillInNumber, PeriodField(side * 5 + f));
    }
    const auto time = [yearly](const std::array<std::optional<int>, 5>& f) {
        return CalendarTime{yearly ? YearlyEventYear : *f[0], *f[1], *f[2], *f[3], *f[4], 0};
    };
    const CalendarTime from = time(input.from);
    const CalendarTime to = time(input.to);
    if (from.day < 1 || from.day > DaysInMonth(from.year, from.month))
        return refuse(txt::DayNumberExceeded, PeriodField::FromMonth);
    if (to.day < 1 || to.day > DaysInMonth(to.year, to.month))
        return refuse(txt::DayNumberExceeded, PeriodField::ToMonth);
    const std::optional<uint32_t> fromSeconds = ToCalendarSeconds(from);
    const std::optional<uint32_t> toSeconds = ToCalendarSeconds(to);
    if (!fromSeconds || !toSeconds || *fromSeconds >= *toSeconds)
        return refuse(txt::ToAfterFrom, PeriodField::FromYear);
    return {ForcedPeriod{*fromSeconds, *toSeconds, state}, 0, PeriodField::FromYear};
}
