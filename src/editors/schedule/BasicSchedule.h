#pragma once
// The basic schedule of a yearly schedule: for each weekday, Monday first, up
// to four On/Off periods in minutes after midnight. A period with On and Off
// both 0 is empty. The first period of each day lives in data block 2, the
// other three in data block 3.

#include "model/McdefRecord.h"

#include <array>
#include <cstdint>
#include <optional>

struct BasicPeriod {
    int16_t on = 0;
    int16_t off = 0;

    bool empty() const { return on == 0 && off == 0; }
    bool operator==(const BasicPeriod&) const = default;
};

constexpr size_t ScheduleDays = 7;
constexpr size_t PeriodsPerDay = 4;
using BasicSchedule = std::array<std::array<BasicPeriod, PeriodsPerDay>, ScheduleDays>;

BasicSchedule UnpackBasicSchedule(const McdefRecord& block2, const McdefRecord& block3);
// Writes the periods into the content of the two blocks, keeping their keys.
void PackBasicSchedule(const BasicSchedule& schedule, McdefRecord& block2, McdefRecord& block3);

// The four fields of a period as typed: On hours, On minutes, Off hours, Off
// minutes; an empty field is nothing.
using BasicPeriodInput = std::array<std::optional<int>, 4>;
enum class BasicPeriodField { OnHours, OnMinutes, OffHours, OffMinutes };

// A period from its fields, or the message (text id) and the field to focus.
struct BasicPeriodResult {
    std::optional<BasicPeriod> period;
    uint16_t messageId = 0;
    BasicPeriodField focus = BasicPeriodField::OnHours;
};
// All fields empty give the empty period; a period filled in part, or one
// whose Off is before its On, is refused.
BasicPeriodResult BasicPeriodFromInput(const BasicPeriodInput& input);
