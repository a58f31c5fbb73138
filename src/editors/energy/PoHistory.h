#pragma once
// The Po optimizer's history: per evaporator loop, the minutes it was the
// critical case (the one that limited the suction pressure) in the last 24
// hours and the last 7 days, as the upload stored them in data blocks 3 and 4.
// Reading them, choosing the rows both charts show, and the charts' scales.

#include "model/McdefRecord.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class HistoryPeriod : uint8_t { Day = 3, Week = 4 };

struct HistoryPeriodInfo {
    HistoryPeriod period;
    int hours;        // 24 or 168
    uint16_t titleId; // "24 Hour period", "7 day period"
};
const HistoryPeriodInfo& PeriodInfo(HistoryPeriod period);
inline constexpr HistoryPeriod HistoryPeriods[] = {HistoryPeriod::Day, HistoryPeriod::Week};

struct HistoryEntry {
    uint8_t caseNumber = 0; // 0-based
    uint8_t address = 0;    // controller system address
    uint8_t loop = 0;       // loop letter - 'A'
    uint16_t minutes = 0;   // minutes within the period as the critical case

    double hours() const { return minutes / 60.0; }
    char loopLetter() const { return char('A' + loop); }
    bool operator==(const HistoryEntry&) const = default;
};

// A record holds at most this many 5-byte entries from byte 7; one with fewer
// is the last of its period.
constexpr size_t HistoryEntriesPerRecord = 20;

// The entries of one period's records, in key order; entries without a
// controller (address or loop 255) are left out.
std::vector<HistoryEntry> HistoryEntriesOf(const std::vector<McdefRecord>& records);

// Reads one period of a function from MCDEF. On a database error the entries
// read before it are kept and the status is returned.
uint16_t ReadHistoryPeriod(uint8_t number, HistoryPeriod period, std::vector<HistoryEntry>& entries);

// The positions of the entries both charts show, ascending: the evaporators
// ranked highest in either period, alternately, at most 10 (14 less the
// repeats) when there are 10 or more. Nothing when the periods differ in
// length or are empty: then each chart shows its own entries unchanged.
std::optional<std::vector<size_t>> HistoryRowPositions(const std::vector<HistoryEntry>& day,
                                                       const std::vector<HistoryEntry>& week);
// Replaces both periods by the entries at HistoryRowPositions, if any.
void SelectHistoryRows(std::vector<HistoryEntry>& day, std::vector<HistoryEntry>& week);

struct HistoryAxes {
    int hoursMaximum;   // the hours axis: whole part of the largest value, plus 1
    int percentMaximum; // the same height in percent of the period, rounded
};
HistoryAxes HistoryAxisMaxima(const std::vector<HistoryEntry>& entries, int periodHours);

// A bar's label: the address in three digits and the loop letter ("012 A").
std::string HistoryRowLabel(const HistoryEntry& entry);

struct BarColour {
    int red;
    int green;
    int blue;
};
// The bars' colour: QebType.ini, section "History", keys ColumnR/G/B.
BarColour HistoryBarColour();
