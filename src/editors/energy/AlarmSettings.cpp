#include "editors/energy/AlarmSettings.h"

#include "model/EventLog.h"
#include "model/TextIds.h"
#include "model/FunctionSettings.h"
#include "protocol/TypeCatalogue.h"

#include <tuple>

namespace {

// Both types keep the settings at the same places; only the direct type has an entrance value.
constexpr uint8_t Layout = FunctionType::AlarmLimitDirect;

int16_t read(const McdefRecord& block2, std::string_view name) { return int16_t(SettingValue(Layout, name, block2)); }

constexpr AlarmLimitKind kinds[] = {
    {FunctionType::AlarmLimitOffset, false, txt::UnitKelvin, txt::AxisOffset},
    {FunctionType::AlarmLimitDirect, true, txt::UnitCelsius, txt::Limit},
};

} // namespace

const AlarmLimitKind& AlarmLimitKindOf(uint8_t type)
{
    return type == FunctionType::AlarmLimitDirect ? kinds[1] : kinds[0];
}

AlarmSettings UnpackAlarmSettings(const McdefRecord& block2)
{
    AlarmSettings settings;
    settings.useOutdoor = read(block2, "use outdoor temperature") != 0;
    settings.outdoorReference = read(block2, "outdoor reference temperature");
    settings.lowerBand = read(block2, "lower band temperature");
    settings.upperBand = read(block2, "upper band temperature");
    settings.entrance = read(block2, "entrance value");
    return settings;
}

void PackAlarmSettings(const AlarmSettings& settings, uint8_t type, McdefRecord& block2)
{
    SetSettingValue(Layout, "use outdoor temperature", block2, settings.useOutdoor ? 1 : 0);
    SetSettingValue(Layout, "outdoor reference temperature", block2, settings.outdoorReference);
    SetSettingValue(Layout, "lower band temperature", block2, settings.lowerBand);
    SetSettingValue(Layout, "upper band temperature", block2, settings.upperBand);
    if (AlarmLimitKindOf(type).hasEntrance)
        SetSettingValue(Layout, "entrance value", block2, settings.entrance);
}

int RampTopValue(const AlarmSettings& settings, uint8_t type)
{
    const int width = settings.upperBand - settings.lowerBand;
    return AlarmLimitKindOf(type).hasEntrance ? width + settings.entrance : width;
}

BandCheck CheckBand(int lowerBand, int upperBand)
{
    if (upperBand <= lowerBand)
        return BandCheck::StartNotAboveStop;
    if (upperBand - lowerBand > MaxBandWidth)
        return BandCheck::TooWide;
    return BandCheck::Accepted;
}

std::vector<std::string> AlarmSettingsChangeLines(const AlarmSettings& loaded, const AlarmSettings& saved)
{
    std::vector<std::string> lines = SwitchChangeLines(txt::LogUseOutdoorTemp, loaded.useOutdoor, saved.useOutdoor);
    for (const auto& [label, before, after] :
         {std::tuple{txt::LogOutdoorReferenceTemp, loaded.outdoorReference, saved.outdoorReference},
          std::tuple{txt::LogOffsetStartTemp, loaded.lowerBand, saved.lowerBand},
          std::tuple{txt::LogOffsetStopTemp, loaded.upperBand, saved.upperBand},
          std::tuple{txt::LogEntranceTemp, loaded.entrance, saved.entrance}}) {
        const std::vector<std::string> line = NumberChangeLines(label, before, after);
        lines.insert(lines.end(), line.begin(), line.end());
    }
    return lines;
}
