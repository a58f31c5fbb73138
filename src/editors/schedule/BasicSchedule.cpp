#include "editors/schedule/BasicSchedule.h"

#include "model/TextIds.h"
#include "protocol/LittleEndian.h"

namespace {

constexpr size_t FirstPair = 6;
constexpr size_t PairSize = 4;

// Where a period's On/Off pair starts: in block 2 for the first period of a
// day, else in block 3.
size_t pairOffset(size_t day, size_t period)
{
    if (period == 0)
        return FirstPair + day * PairSize;
    return FirstPair + (day * (PeriodsPerDay - 1) + period - 1) * PairSize;
}

} // namespace

BasicSchedule UnpackBasicSchedule(const McdefRecord& block2, const McdefRecord& block3)
{
    BasicSchedule schedule;
    for (size_t day = 0; day < ScheduleDays; ++day)
        for (size_t period = 0; period < PeriodsPerDay; ++period) {
            const uint8_t* pair = (period == 0 ? block2 : block3).data() + pairOffset(day, period);
            schedule[day][period] = {le::i16(pair), le::i16(pair + 2)};
        }
    return schedule;
}

void PackBasicSchedule(const BasicSchedule& schedule, McdefRecord& block2, McdefRecord& block3)
{
    for (size_t day = 0; day < ScheduleDays; ++day)
        for (size_t period = 0; period < PeriodsPerDay; ++period) {
            uint8_t* pair = (period == 0 ? block2 : block3).data() + pairOffset(day, period);
            le::putI16(pair, schedule[day][period].on);
            le::putI16(pair + 2, schedule[day][period].off);
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
