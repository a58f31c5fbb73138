#pragma once
// The settings of a peak shaving function in data block 2, what the gateway
// reports beside them, the change status of its editor and the lines of its
// change log. Block 2 (little-endian, from byte 6): impulses per kWh, load
// period (min), intern load period (s), peak limit (kW), max shave time (min),
// all u16; max thermostat offset and offset step (K, float32); the three use
// flags of the schedule slots (tariff, cold accumulation, peak meter); then
// the normal and the peak meter reading (kWh, float32) that the gateway
// reports. Block 1 carries the calculated thermostat offset at byte 7.

#include "model/McdefRecord.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The schedule slots in the order of their use flags.
enum PeakScheduleSlot : size_t { TariffSlot = 0, ColdAccumulationSlot = 1, PeakMeterSlot = 2 };
constexpr size_t PeakScheduleSlots = 3;

// The steps the offset may move in, as the drop-down list offers them: those
// the settings table allows.
const std::vector<double>& PeakOffsetSteps();

// What the advanced dialog edits.
struct PeakAdvanced {
    uint16_t maxShaveTime = 90;
    uint16_t internLoadPeriod = 60;
    float offsetStep = 0.2f;
    std::array<uint8_t, PeakScheduleSlots> useSchedule{};

    bool operator==(const PeakAdvanced&) const = default;
};

struct PeakSettings {
    uint16_t impulsesPerKwh = 200;
    uint16_t loadPeriod = 15;
    uint16_t peakLimit = 0;
    float maxThermostatOffset = 1.5f;
    PeakAdvanced advanced;
    float normalMeter = 0; // reported by the gateway
    float peakMeter = 0;   // reported by the gateway

    bool operator==(const PeakSettings&) const = default;
};

PeakSettings UnpackPeakSettings(const McdefRecord& block2);
// Writes what the operator sets (bytes 6..26); the meter readings and the
// bytes behind them stay as they were read.
void PackPeakSettings(const PeakSettings& settings, McdefRecord& block2);
// The thermostat offset the gateway calculated (data block 1).
float CalculatedOffset(const McdefRecord& block1);

// The position of a step in the drop-down list; -1 for a value it does not offer.
int OffsetStepIndex(float step);

// Change status: Settings when a value of data block 2 may have changed,
// Lists when a reference list, a schedule list or the name did.
namespace PeakChange {
enum : int { Settings = 1, Lists = 2 };
}

// One visit of the advanced dialog: Settings when one of its two edits was
// modified or the step or a use box differs from the committed value; Lists
// when a visible schedule list changed.
int AdvancedVisitStatus(const PeakAdvanced& committed, const PeakAdvanced& shown, bool editModified,
                        bool scheduleListChanged);
// The editor: the main edits and the outputs and name, with what the visits
// of the advanced dialog brought together.
int PeakEditorStatus(bool mainEditModified, bool outputsOrNameChanged, int advancedVisits);

// The change lines of the settings, each only for a value that changed, in
// the log's order after the name.
std::vector<std::string> PeakSettingsChangeLines(const PeakSettings& loaded, const PeakSettings& saved);
