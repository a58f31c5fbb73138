#pragma once
// The defrost times of a central defrost function: three defrost schedules of
// up to eight start times each, and for each weekday the schedule that applies.
// They live in data block 3: the 24 times from byte 6 (signed 16-bit minutes
// after midnight, -1 when not set), then the seven weekdays, Monday first.

#include "model/McdefRecord.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

constexpr size_t DefrostScheduleCount = 3;
constexpr size_t DefrostTimesPerSchedule = 8;
constexpr size_t DefrostWeekdays = 7;
constexpr int16_t NoDefrostTime = -1;
// A weekday whose drop-down list has nothing chosen.
constexpr uint8_t NoDefrostSchedule = 255;

struct DefrostTimes {
    std::array<int16_t, DefrostScheduleCount * DefrostTimesPerSchedule> times;
    std::array<uint8_t, DefrostWeekdays> weekdays{};

    DefrostTimes() { times.fill(NoDefrostTime); }
    static size_t index(size_t schedule, size_t row) { return schedule * DefrostTimesPerSchedule + row; }
    bool anySet() const;
    bool operator==(const DefrostTimes&) const = default;
};

DefrostTimes UnpackDefrostTimes(const McdefRecord& block3);
// Writes the times and weekdays into the content of data block 3, keeping its key.
void PackDefrostTimes(const DefrostTimes& defrost, McdefRecord& block3);

// Auto Set: `count` times evenly from `first` to `last` (minutes after
// midnight), descending when last is before first; the rows from `count` on
// are empty.
std::array<std::optional<int>, DefrostTimesPerSchedule> AutoSetTimes(int count, int first, int last);

// A defrost time read back from its hours and minutes edits (empty is nothing):
// both empty is no time; one empty names that field, which must be filled in.
enum class DefrostTimeField { Hours, Minutes };
struct TypedDefrostTime {
    int16_t time = NoDefrostTime;
    std::optional<DefrostTimeField> missing;
};
TypedDefrostTime DefrostTimeFromInput(std::optional<int> hours, std::optional<int> minutes);
