#include "editors/defrost/DefrostTimes.h"

#include "protocol/LittleEndian.h"

#include <algorithm>

namespace {
constexpr size_t TimesOffset = 6;
constexpr size_t WeekdaysOffset = TimesOffset + 2 * DefrostScheduleCount * DefrostTimesPerSchedule;
} // namespace

bool DefrostTimes::anySet() const
{
    return std::any_of(times.begin(), times.end(), [](int16_t t) { return t != NoDefrostTime; });
}

DefrostTimes UnpackDefrostTimes(const McdefRecord& block3)
{
    DefrostTimes defrost;
    for (size_t k = 0; k < defrost.times.size(); ++k)
        defrost.times[k] = le::i16(block3.data() + TimesOffset + 2 * k);
    for (size_t day = 0; day < DefrostWeekdays; ++day)
        defrost.weekdays[day] = block3[WeekdaysOffset + day];
    return defrost;
}

void PackDefrostTimes(const DefrostTimes& defrost, McdefRecord& block3)
{
    for (size_t k = 0; k < defrost.times.size(); ++k)
        le::putI16(block3.data() + TimesOffset + 2 * k, defrost.times[k]);
    for (size_t day = 0; day < DefrostWeekdays; ++day)
        block3[WeekdaysOffset + day] = defrost.weekdays[day];
}

std::array<std::optional<int>, DefrostTimesPerSchedule> AutoSetTimes(int count, int first, int last)
{
    std::array<std::optional<int>, DefrostTimesPerSchedule> rows;
    int time = first;
    for (int row = 0; row < int(rows.size()) && row < count; ++row) {
        if (row >= 1 && row >= count - 1)
            time = last;
        else if (row >= 1)
            time += (last - first) / (count - 1); // count is at least 3 here
        rows[size_t(row)] = time;
    }
    return rows;
}

TypedDefrostTime DefrostTimeFromInput(std::optional<int> hours, std::optional<int> minutes)
{
    if (!hours && !minutes)
        return {};
    if (!hours)
        return {NoDefrostTime, DefrostTimeField::Hours};
    if (!minutes)
        return {NoDefrostTime, DefrostTimeField::Minutes};
    return {int16_t(*hours * 60 + *minutes), std::nullopt};
}
