#pragma once
// The special periods of a yearly schedule ("Force schedule to"): spans of
// time during which the schedule is forced On or Off. A period has full dates,
// or is a yearly event that recurs every year, kept in the year 1970 and shown
// with the year "0000". They are stored ten to a period record (data block 4);
// a removed period leaves a deleted entry until the next save after a reload.

#include "model/McdefRecord.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ForcedPeriod {
    uint32_t from = 0;   // seconds since 1970 of the calendar date and time, no zone
    uint32_t to = 0;
    uint8_t state = 0;   // 0 Off, 1 On

    bool yearly() const;
    bool operator==(const ForcedPeriod&) const = default;
};

namespace PeriodState {
constexpr uint8_t Off = 0;
constexpr uint8_t On = 1;
constexpr uint8_t Deleted = 255;
} // namespace PeriodState

constexpr size_t MaxForcedPeriods = 30;
constexpr size_t PeriodsPerRecord = 10;
constexpr size_t MaxPeriodRecords = MaxForcedPeriods / PeriodsPerRecord;

// A yearly event placed into `year`; nothing when its day does not exist then.
std::optional<ForcedPeriod> PlacedInYear(const ForcedPeriod& yearly, int year);

// Two periods collide when each starts no later than the other ends. A yearly
// event against a dated period is tested in every year the dated one touches.
bool PeriodsCollide(const ForcedPeriod& a, const ForcedPeriod& b);
// The first listed period that collides with `candidate`, skipping `skip`.
std::optional<size_t> FindCollision(const ForcedPeriod& candidate, const std::vector<ForcedPeriod>& listed,
                                    std::optional<size_t> skip = std::nullopt);

// "YYYY.MM.DD<s>HH:MM<s>-><s>YYYY.MM.DD<s>HH:MM<s>-<s>State", with `separator`
// between the columns (a tab in the list, a blank in messages).
std::string PeriodLine(const ForcedPeriod& period, const std::string& stateText, char separator);

// The line of a period with its state's text ("Off" or "On").
std::string ListedPeriodLine(const ForcedPeriod& period, char separator);
// In the order of the editor's list, which is sorted by its lines.
void SortAsListed(std::vector<ForcedPeriod>& periods);

// The periods of the period records in order, deleted entries skipped.
std::vector<ForcedPeriod> UnpackPeriods(const std::vector<McdefRecord>& records);
// The period records of function `number` for `periods`: as many entries as
// the larger of `loadedCount` and the list, the ones beyond the list deleted,
// ten to a record.
std::vector<McdefRecord> PackPeriods(uint8_t number, const std::vector<ForcedPeriod>& periods, size_t loadedCount);

// What the operator typed into the ten From/To fields, year, month, day,
// hour, minute each; an empty field is nothing.
struct PeriodInput {
    std::array<std::optional<int>, 5> from;
    std::array<std::optional<int>, 5> to;
};
// The fields of PeriodInput, From first, to name the one that needs the focus.
enum class PeriodField { FromYear, FromMonth, FromDay, FromHour, FromMinute, ToYear, ToMonth, ToDay, ToHour, ToMinute };

// A period from typed fields, or the message (text id) and the field to focus.
struct PeriodInputResult {
    std::optional<ForcedPeriod> period;
    uint16_t messageId = 0;
    PeriodField focus = PeriodField::FromYear;
};
// Both years empty make a yearly event; one empty year, another empty field,
// a day beyond its month or a From not before To is refused.
PeriodInputResult PeriodFromInput(const PeriodInput& input, uint8_t state);
