#include "editors/energy/PeakGraph.h"

#include "model/McdefAccess.h"
#include "model/Messages.h"
#include "model/Records.h"
#include "model/TextIds.h"
#include "protocol/LittleEndian.h"
#include "support/DbStatus.h"
#include "support/UiSeam.h"

namespace {

// Record bytes of the first half (low tariff, normal load) and the second
// half (normal tariff, peak load): twelve months, then the current month.
constexpr size_t FirstHalfOffset = 6;
constexpr size_t SecondHalfOffset = 58;

const PeakGraphStyle consumptionStyle{txt::GraphConsumption, txt::NormalTariff, QColor(255, 255, 0),
                                      txt::LowTariff,        QColor(0, 0, 255),  txt::UnitKwh};
const PeakGraphStyle loadStyle{txt::GraphLoad, txt::NormalLoad, QColor(0, 255, 0),
                               txt::PeakLoad,  QColor(255, 0, 0), txt::UnitKw};

} // namespace

const std::array<uint16_t, PeakGraphRows> PeakGraphRowTexts{
    txt::MonthJanuary, txt::MonthFebruary, txt::MonthMarch,    txt::MonthApril,     txt::MonthMay,
    txt::MonthJune,    txt::MonthJuly,     txt::MonthAugust,   txt::MonthSeptember, txt::MonthOctober,
    txt::MonthNovember, txt::MonthDecember, txt::CurrentMonth};

const PeakGraphStyle& PeakGraphStyleOf(PeakGraphMode mode)
{
    return mode == PeakGraphMode::Consumption ? consumptionStyle : loadStyle;
}

uint8_t PeakGraphBlock(PeakGraphMode mode) { return mode == PeakGraphMode::Consumption ? 3 : 4; }

PeakGraphData PeakGraphPairs(const McdefRecord& record, PeakGraphMode mode)
{
    // Series 1 is the normal tariff (second half) in consumption, the normal
    // load (first half) in load.
    const bool consumption = mode == PeakGraphMode::Consumption;
    const size_t firstOffset = consumption ? SecondHalfOffset : FirstHalfOffset;
    const size_t secondOffset = consumption ? FirstHalfOffset : SecondHalfOffset;
    PeakGraphData data;
    for (size_t row = 0; row < data.size(); ++row) {
        data[row].first = le::f32(record.data() + firstOffset + 4 * row);
        data[row].second = le::f32(record.data() + secondOffset + 4 * row);
    }
    return data;
}

uint16_t ReadPeakGraph(uint8_t number, PeakGraphMode mode, PeakGraphData& data)
{
    McdefRecord record;
    const uint16_t status = ReadBlock(number, BlockType::Data, PeakGraphBlock(mode), 0, record);
    if (status == DbStatus::Success)
        data = PeakGraphPairs(record, mode);
    return status;
}

void ReportPeakGraphFailure(uint16_t status, QWidget* parent)
{
    if (status == DbStatus::KeyNotFound)
        MessageById(txt::GraphDataNotFound, MB::IconStop, parent);
    else
        ReportDbError(table::Mcdef, status, __FILE__, __LINE__, parent);
}
