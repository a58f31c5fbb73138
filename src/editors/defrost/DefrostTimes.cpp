#include "editors/defrost/DefrostTimes.h"

#include "model/FunctionSettings.h"
#include "protocol/TypeCatalogue.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

constexpr uint8_t Type = FunctionType::CentralDefrost;
const SettingField& timeField(size_t k)
{
    return Setting(Type, "schedule " + std::to_string(k / DefrostTimesPerSchedule + 1) + " time "
                             + std::to_string(k % DefrostTimesPerSchedule + 1));
}

const SettingField& weekdayField(size_t day) { return Setting(Type, std::string(WeekdayNames[day]) + " schedule"); }

} // namespace

bool DefrostTimes::anySet() const
{
    return std::any_of(times.begin(), times.end(), [](int16_t t) { return t != NoDefrostTime; });
}

DefrostTimes UnpackDefrostTimes(const McdefRecord& block3)
{
    DefrostTimes defrost;
    for (size_t k = 0; k < defrost.times.size(); ++k)
        defrost.times[k] = int16_t(SettingValue(timeField(k), block3));
    for (size_t day = 0; day < DefrostWeekdays; ++day)
        defrost.weekdays[day] = uint8_t(SettingValue(weekdayField(day), block3));
    return defrost;
}

void PackDefrostTimes(const DefrostTimes& defrost, McdefRecord& block3)
{
    for (size_t k = 0; k < defrost.times.size(); ++k)
        SetSettingValue(timeField(k), block3, defrost.times[k]);
    for (size_t day = 0; day < DefrostWeekdays; ++day)
        SetSettingValue(weekdayField(day), block3, defrost.weekdays[day]);
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
