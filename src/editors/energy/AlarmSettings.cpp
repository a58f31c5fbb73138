#include "editors/energy/AlarmSettings.h"

#include "model/EventLog.h"
#include "model/TextIds.h"
#include "protocol/LittleEndian.h"
#include "protocol/TypeCatalogue.h"

#include <tuple>

namespace {

constexpr size_t UseOutdoorByte = 6;
constexpr size_t OutdoorReferenceOffset = 7;
constexpr size_t LowerBandOffset = 9;
constexpr size_t UpperBandOffset = 11;
constexpr size_t EntranceOffset = 13;

constexpr AlarmLimitKind kinds[] = {
    {FunctionType::AlarmLimitOffset, false, txt::UnitKelvin, txt::AxisOffset, {0, 10}},
    {FunctionType::AlarmLimitDirect, true, txt::UnitCelsius, txt::Limit, {-50, 50}},
};

} // namespace

const AlarmLimitKind& AlarmLimitKindOf(uint8_t type)
{
    return type == FunctionType::AlarmLimitDirect ? kinds[1] : kinds[0];
}

AlarmSettings UnpackAlarmSettings(const McdefRecord& block2)
{
    AlarmSettings settings;
    settings.useOutdoor = block2[UseOutdoorByte] != 0;
    settings.outdoorReference = le::i16(block2.data() + OutdoorReferenceOffset);
    settings.lowerBand = le::i16(block2.data() + LowerBandOffset);
    settings.upperBand = le::i16(block2.data() + UpperBandOffset);
    settings.entrance = le::i16(block2.data() + EntranceOffset);
    return settings;
}

void PackAlarmSettings(const AlarmSettings& settings, uint8_t type, McdefRecord& block2)
{
    block2[UseOutdoorByte] = settings.useOutdoor ? 1 : 0;
    le::putI16(block2.data() + OutdoorReferenceOffset, settings.outdoorReference);
    le::putI16(block2.data() + LowerBandOffset, settings.lowerBand);
    le::putI16(block2.data() + UpperBandOffset, settings.upperBand);
    if (AlarmLimitKindOf(type).hasEntrance)
        le::putI16(block2.data() + EntranceOffset, settings.entrance);
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
