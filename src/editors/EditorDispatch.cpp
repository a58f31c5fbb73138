#include "editors/EditorDispatch.h"

#include "editors/defrost/DefrostDlg.h"
#include "editors/energy/AlimDlg.h"
#include "editors/energy/PeakBDlg.h"
#include "editors/energy/PoOptimiserDlg.h"
#include "editors/schedule/DayNiDlg.h"
#include "editors/schedule/QEBOnDlg.h"
#include "editors/schedule/YeSchDlg.h"
#include "protocol/TypeCatalogue.h"

namespace {

struct EditorEntry {
    uint8_t type;
    EditorResult (*run)(QWidget* parent, const EditorRequest& request);
};

constexpr EditorEntry editors[] = {
    {FunctionType::YearlySchedule, RunYearlyScheduleEditor},
    {FunctionType::QebOn, RunControllerOnEditor},
    {FunctionType::AlarmLimitOffset, RunAlarmLimitEditor},
    {FunctionType::DayNightControl, RunDayNightEditor},
    {FunctionType::AlarmLimitDirect, RunAlarmLimitEditor},
    {FunctionType::DayNightExternal, RunDayNightEditor},
    {FunctionType::CentralDefrost, RunCentralDefrostEditor},
    {FunctionType::PeakShaving, RunPeakShavingEditor},
    {FunctionType::PoOptimizer, RunPoOptimizerEditor},
};

} // namespace

EditorFunction EditorForType(uint8_t type)
{
    for (const EditorEntry& entry : editors)
        if (entry.type == type)
            return entry.run;
    return {};
}
