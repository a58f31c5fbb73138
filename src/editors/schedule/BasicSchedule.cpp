#include "editors/schedule/BasicSchedule.h"

#include "model/TextIds.h"
#include "model/FunctionSettings.h"
#include "protocol/TypeCatalogue.h"

#include <array>
#include <string>

namespace {

// The On or Off field of a period; the first period of a day lies in block 2, the others in block 3.
const SettingField& timeField(size_t day, size_t period, bool on)
{
    return Setting(FunctionType::YearlySchedule,
                   std::string(WeekdayNames[day]) + " period " + std::to_string(period + 1) + (on ? " on" : " off"));
}

McdefRecord& blockOf(const SettingField& field, McdefRecord& block2, McdefRecord& block3)
{
    return field.block == 2 ? block2 : block3;
}

} // namespace

BasicSchedule UnpackBasicSchedule(const McdefRecord& block2, const McdefRecord& block3)
{
    BasicSchedule schedule;
    for (size_t day = 0; day < ScheduleDays; ++day)
        for (size_t period = 0; period < PeriodsPerDay; ++period) {
            const SettingField& on = timeField(day, period, true);
            const SettingField& off = timeField(day, period, false);
            const McdefRecord& block = on.block == 2 ? block2 : block3;
            schedule[day][period] = {int16_t(SettingValue(on, block)), int16_t(SettingValue(off, block))};
        }
    return schedule;
}

void PackBasicSchedule(const BasicSchedule& schedule, McdefRecord& block2, McdefRecord& block3)
{
    for (size_t day = 0; day < ScheduleDays; ++day)
        for (size_t period = 0; period < PeriodsPerDay; ++period) {
            const SettingField& on = timeField(day, period, true);
            const SettingField& off = timeField(day, period, false);
            SetSettingValue(on, blockOf(on, block2, block3), schedule[day][period].on);
            SetSettingValue(off, blockOf(off, block2, block3), schedule[day][period].off);
        }
}

BasicPeriodResult BasicPeriodFromInput(const BasicPeriodInput& input)
{
    const auto field = [&](BasicPeriodField f) { return input[size_t(f)]; };
    const bool anyFilled = field(BasicPeriodField::OnHours) || field(BasicPeriodField::OnMinutes)
                        || field(BasicPeriodField::OffHours) || field(BasicPeriodField::OffMinutes);
    if (!anyFilled)
        return {BasicPeriod{}, 0, BasicPeriodField::OnHours};
    for (size_t f = 0; f < input.size(); ++f)
        if (!input[f])
            return {{}, txt::FillInValue, BasicPeriodField(f)};
    const int on = *field(BasicPeriodField::OnHours) * 60 + *field(BasicPeriodField::OnMinutes);
    const int off = *field(BasicPeriodField::OffHours) * 60 + *field(BasicPeriodField::OffMinutes);
    if (on > off)
        return {{}, txt::OffAfterOn, BasicPeriodField::OffHours};
    return {BasicPeriod{int16_t(on), int16_t(off)}, 0, BasicPeriodField::OnHours};
}
