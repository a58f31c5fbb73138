#pragma once
// The consumption and load history of a peak shaving function: the gateway
// accumulates, for every calendar month and for the current month, two values
// per mode, and the upload keeps them in data blocks 3 (consumption, kWh) and
// 4 (load, kW) of the function.

#include <QColor>

#include <array>
#include <cstdint>

class McdefRecord;
class QWidget;

// The two graphs; the values are the control ids of the editor's buttons
// that open them.
enum class PeakGraphMode { Consumption = 65, Load = 1117 };

// January to December, then the current month.
constexpr int PeakGraphRows = 13;
constexpr int CurrentMonthRow = 12;

// One row of a graph: series 1 and series 2. Consumption: normal tariff, low
// tariff; load: normal load, peak load.
struct PeakGraphPair {
    double first = 0;
    double second = 0;
};
using PeakGraphData = std::array<PeakGraphPair, PeakGraphRows>;

// How a mode is shown: its caption word, series texts and colours, value axis title.
struct PeakGraphStyle {
    uint16_t captionText;
    uint16_t firstText;
    QColor firstColour;
    uint16_t secondText;
    QColor secondColour;
    uint16_t unitText;
};
const PeakGraphStyle& PeakGraphStyleOf(PeakGraphMode mode);

// The row labels "Jan." .. "Dec.", "Cur. month" by text id.
extern const std::array<uint16_t, PeakGraphRows> PeakGraphRowTexts;

// Data block 3 for consumption, 4 for load.
uint8_t PeakGraphBlock(PeakGraphMode mode);

// The 13 pairs of a mode's record.
PeakGraphData PeakGraphPairs(const McdefRecord& record, PeakGraphMode mode);

// Reads a mode's record of a function: 0, 4 when the gateway reported no
// history, or another database status.
uint16_t ReadPeakGraph(uint8_t number, PeakGraphMode mode, PeakGraphData& data);

// "Graph data not found" for status 4, else the database error report.
void ReportPeakGraphFailure(uint16_t status, QWidget* parent = nullptr);
