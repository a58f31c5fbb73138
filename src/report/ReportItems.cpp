#include "report/ReportItems.h"

#include "model/McdefRecord.h"
#include "model/StringTable.h"
#include "protocol/TypeCatalogue.h"

namespace {

using B = std::array<uint8_t, 8>;
constexpr uint8_t Settings = BlockType::Data;
constexpr uint8_t Inputs = BlockType::Input;
constexpr uint8_t Outputs = BlockType::Output;
constexpr uint8_t Schedules = BlockType::ScheduleReference;

constexpr ReportItem YearlySchedule[] = {
    {dlg::CentralDefrost, Settings, B{1, 2, 3, 4}, 101},
};
constexpr ReportItem QebOn[] = {
    {dlg::ControllerOn, Settings, B{1}, 101},
    {dlg::ControllerOn, Inputs, B{1, 2}, 36},
    {dlg::ControllerOn, Outputs, B{1, 2}, 35},
};
constexpr ReportItem AlarmLimit[] = {
    {dlg::AlarmLimit, Settings, B{1, 2}, 101},
    {dlg::AlarmLimit, Inputs, B{1}, 36},
    {dlg::AlarmLimit, Inputs, B{2}, 37},
    {dlg::AlarmLimit, Outputs, B{1, 2}, 35},
};
constexpr ReportItem DayNight[] = {
    {dlg::DayNight, Settings, B{1}, 101},
    {dlg::DayNight, Schedules, B{1}, 36},
    {dlg::DayNight, Inputs, B{1}, 37},
    {dlg::DayNight, Outputs, B{1, 2}, 35},
};
constexpr ReportItem CentralDefrost[] = {
    {dlg::CentralDefrost, Settings, B{1, 2, 3}, 101},
    {dlg::CentralDefrost, Inputs, B{1}, 36},
    {dlg::CentralDefrost, Inputs, B{2}, 38},
    {dlg::CentralDefrost, Outputs, B{1}, 35},
    {dlg::CentralDefrost, Outputs, B{2}, 37},
};
// Its settings come line by line from the field table, under the editor's "Peak Shaving" group.
constexpr ReportItem PeakShaving[] = {
    {dlg::PeakShaving, Settings, B{1, 2}, 1007},
};
constexpr ReportItem PoOptimizer[] = {
    {dlg::PoOptimizer, Settings, B{1}, 166},
    {dlg::PoOptimizer, Inputs, B{1}, 1149},
    {dlg::PoOptimizer, Outputs, B{1}, 1150},
};

} // namespace

std::span<const ReportItem> ReportItemsOf(uint8_t type)
{
    switch (type) {
    case FunctionType::YearlySchedule:
        return YearlySchedule;
    case FunctionType::QebOn:
        return QebOn;
    case FunctionType::AlarmLimitOffset:
    case FunctionType::AlarmLimitDirect:
        return AlarmLimit;
    case FunctionType::DayNightControl:
    case FunctionType::DayNightExternal:
        return DayNight;
    case FunctionType::CentralDefrost:
        return CentralDefrost;
    case FunctionType::PeakShaving:
        return PeakShaving;
    case FunctionType::PoOptimizer:
        return PoOptimizer;
    default:
        return {};
    }
}
