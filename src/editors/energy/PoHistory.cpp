#include "editors/energy/PoHistory.h"

#include "model/McdefAccess.h"
#include "model/TextIds.h"
#include "protocol/LittleEndian.h"
#include "protocol/StrFormat.h"
#include "support/OrpaPaths.h"
#include "support/Profile.h"

#include <algorithm>
#include <array>

namespace {

constexpr size_t EntryCountByte = 6;
constexpr size_t FirstEntryByte = 7;
constexpr size_t EntrySize = 5;
constexpr uint8_t NoController = 255;

// The ranking lists and the merge work on fixed lists of 10 positions; a
// list shorter than that is filled up with position 0.
constexpr size_t RankedLength = 10;
constexpr size_t ManyRows = 10;
constexpr size_t MergedLength = 14;
constexpr size_t MaxRepeatsDropped = 4;

using Ranked = std::array<size_t, RankedLength>;

// The positions of the entries with ranks 0..9, rank by rank and in stored
// order within a rank. The rank of an entry is the number of entries with
// more minutes.
Ranked rankedPositions(const std::vector<HistoryEntry>& entries)
{
    std::vector<size_t> rank(entries.size(), 0);
    for (size_t i = 0; i < entries.size(); ++i)
        for (const HistoryEntry& other : entries)
            if (other.minutes > entries[i].minutes)
                ++rank[i];
    Ranked ranked{};
    size_t length = 0;
    for (size_t r = 0; r < RankedLength; ++r)
        for (size_t i = 0; i < entries.size() && length < RankedLength; ++i)
            if (rank[i] == r)
                ranked[length++] = i;
    return ranked;
}

} // namespace

const HistoryPeriodInfo& PeriodInfo(HistoryPeriod period)
{
    static const HistoryPeriodInfo day{HistoryPeriod::Day, 24, txt::Period24Hours};
    static const HistoryPeriodInfo week{HistoryPeriod::Week, 168, txt::Period7Days};
    return period == HistoryPeriod::Day ? day : week;
}

std::vector<HistoryEntry> HistoryEntriesOf(const std::vector<McdefRecord>& records)
{
    std::vector<HistoryEntry> entries;
    for (const McdefRecord& record : records) {
        const size_t count = record[EntryCountByte];
        for (size_t i = 0; i < std::min(count, HistoryEntriesPerRecord); ++i) {
            const uint8_t* e = record.data() + FirstEntryByte + i * EntrySize;
            if (e[1] == NoController || e[2] == NoController)
                continue;
            entries.push_back({e[0], e[1], e[2], le::u16(e + 3)});
        }
        if (count < HistoryEntriesPerRecord)
            break;
    }
    return entries;
}

uint16_t ReadHistoryPeriod(uint8_t number, HistoryPeriod period, std::vector<HistoryEntry>& entries)
{
    std::vector<McdefRecord> records;
    const uint16_t status = ReadBlocks(number, BlockType::Data, uint8_t(period), records);
    entries = HistoryEntriesOf(records);
    return status;
}

std::optional<std::vector<size_t>> HistoryRowPositions(const std::vector<HistoryEntry>& day,
                                                       const std::vector<HistoryEntry>& week)
{
    const size_t n = day.size();
    if (n == 0 || week.size() != n)
        return std::nullopt;
    const size_t target = n < ManyRows ? n : MergedLength;

    Ranked top24 = rankedPositions(day);
    Ranked top7 = rankedPositions(week);

    // Where the two rankings disagree on an evaporator that was never critical
    // in the last 24 hours, the next one of the week is preferred.
    for (size_t i = 0; i + 1 < RankedLength; ++i) {
        const size_t a = top24[i];
        const size_t b = top7[i];
        if (a < b && day[a].minutes == 0 && week[top7[i + 1]].minutes != 0)
            std::swap(top24[i], top24[i + 1]);
        else if (a > b && day[a].minutes != 0 && week[top7[i + 1]].minutes == 0)
            std::swap(top7[i], top7[i + 1]);
    }

    // Alternately the best of the 24 hours and of the week not yet taken.
    std::vector<size_t> out(target, 0);
    size_t read[2] = {0, 0};
    const Ranked* lists[2] = {&top24, &top7};
    size_t repeats = 0;
    for (size_t k = 0; k < target; ++k) {
        const Ranked& list = *lists[k % 2];
        size_t& position = read[k % 2];
        while (position < RankedLength
               && std::find(out.begin(), out.begin() + std::ptrdiff_t(k), list[position]) != out.begin() + std::ptrdiff_t(k)) {
            ++position;
            ++repeats;
        }
        if (position < RankedLength)
            out[k] = list[position++];
    }

    const size_t rows = n < ManyRows ? target : target - std::min(repeats, MaxRepeatsDropped);
    out.resize(rows);
    std::sort(out.begin(), out.end());
    return out;
}

void SelectHistoryRows(std::vector<HistoryEntry>& day, std::vector<HistoryEntry>& week)
{
    const std::optional<std::vector<size_t>> positions = HistoryRowPositions(day, week);
    if (!positions)
        return;
    std::vector<HistoryEntry> selectedDay;
    std::vector<HistoryEntry> selectedWeek;
    for (const size_t p : *positions) {
        selectedDay.push_back(day[p]);
        selectedWeek.push_back(week[p]);
    }
    day = std::move(selectedDay);
    week = std::move(selectedWeek);
}

HistoryAxes HistoryAxisMaxima(const std::vector<HistoryEntry>& entries, int periodHours)
{
    double largest = 0;
    for (const HistoryEntry& entry : entries)
        largest = std::max(largest, entry.hours());
    const int hoursMaximum = int(largest) + 1;
    return {hoursMaximum, int(hoursMaximum * 100.0 / periodHours + 0.5)};
}

std::string HistoryRowLabel(const HistoryEntry& entry)
{
    return StrFormat("%03d %c", entry.address, entry.loopLetter());
}

BarColour HistoryBarColour()
{
    const std::string file = QebTypeIniFile();
    return {GetPrivateProfileInt("History", "ColumnR", 0, file), GetPrivateProfileInt("History", "ColumnG", 128, file),
            GetPrivateProfileInt("History", "ColumnB", 128, file)};
}
