#pragma once
// The settings of an alarm limit function, "Alarm limit Off." (type 2: the
// alarm limit is shifted by an offset in K) and "Alarm Limit Dir." (type 5:
// the limit is set in °C). Both ramp the value over a band of indoor
// temperature, optionally only above an outdoor temperature. They live in
// data block 2: byte 6 the outdoor switch, then signed 16-bit temperatures
// from byte 7: outdoor reference, lower band, upper band and, for type 5
// only, the entrance value (the limit at the lower band).

#include "model/McdefRecord.h"

#include <cstdint>
#include <string>
#include <vector>

struct AlarmSettings {
    bool useOutdoor = false;
    int16_t outdoorReference = 25;
    int16_t lowerBand = 25;
    int16_t upperBand = 30;
    int16_t entrance = 0;
    bool operator==(const AlarmSettings&) const = default;
};

// What differs between the two types: the entrance value, the units and the
// y-axis label. The ranges of the values are those of model/FunctionSettings.h.
struct AlarmLimitKind {
    uint8_t type;
    bool hasEntrance;
    uint16_t unitText;
    uint16_t axisText;
};
const AlarmLimitKind& AlarmLimitKindOf(uint8_t type);

// How far the upper band temperature may lie above the lower one.
inline constexpr int MaxBandWidth = 10;

AlarmSettings UnpackAlarmSettings(const McdefRecord& block2);
// Writes the settings into data block 2, keeping its key and the bytes it
// does not hold; a type without an entrance value leaves bytes 13..14 as read.
void PackAlarmSettings(const AlarmSettings& settings, uint8_t type, McdefRecord& block2);

// The value at the upper band: the band width, raised by the entrance value
// where the type has one.
int RampTopValue(const AlarmSettings& settings, uint8_t type);

enum class BandCheck { Accepted, StartNotAboveStop, TooWide };
BandCheck CheckBand(int lowerBand, int upperBand);

// One line for each field that differs, in the change log's order (the
// name's line comes before them).
std::vector<std::string> AlarmSettingsChangeLines(const AlarmSettings& loaded, const AlarmSettings& saved);
