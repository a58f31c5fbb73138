#include "editors/energy/PeakSettings.h"

#include "model/TextIds.h"
#include "model/Texts.h"
#include "protocol/LittleEndian.h"
#include "protocol/StrFormat.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr size_t ImpulsesByte = 6;
constexpr size_t LoadPeriodByte = 8;
constexpr size_t InternLoadPeriodByte = 10;
constexpr size_t PeakLimitByte = 12;
constexpr size_t MaxShaveTimeByte = 14;
constexpr size_t MaxOffsetByte = 16;
constexpr size_t OffsetStepByte = 20;
constexpr size_t UseScheduleByte = 24;
constexpr size_t NormalMeterByte = 27;
constexpr size_t PeakMeterByte = 31;
constexpr size_t CalculatedOffsetByte = 7;

void addNumberLine(std::vector<std::string>& lines, uint16_t label, uint16_t loaded, uint16_t saved)
{
    if (loaded != saved)
        lines.push_back(StrFormat("%s  %hd -> %hd", TextById(label).c_str(), int16_t(loaded), int16_t(saved)));
}

void addFloatLine(std::vector<std::string>& lines, uint16_t label, float loaded, float saved)
{
    if (loaded != saved)
        lines.push_back(StrFormat("%s  %.2f -> %.2f", TextById(label).c_str(), double(loaded), double(saved)));
}

void addSwitchLine(std::vector<std::string>& lines, uint16_t label, uint8_t loaded, uint8_t saved)
{
    const auto state = [](uint8_t on) { return TextById(on ? txt::SwitchOn : txt::SwitchOff); };
    if (loaded != saved)
        lines.push_back(
            StrFormat("%s  %s -> %s", TextById(label).c_str(), state(loaded).c_str(), state(saved).c_str()));
}

} // namespace

PeakSettings UnpackPeakSettings(const McdefRecord& block2)
{
    const uint8_t* p = block2.data();
    PeakSettings s;
    s.impulsesPerKwh = le::u16(p + ImpulsesByte);
    s.loadPeriod = le::u16(p + LoadPeriodByte);
    s.advanced.internLoadPeriod = le::u16(p + InternLoadPeriodByte);
    s.peakLimit = le::u16(p + PeakLimitByte);
    s.advanced.maxShaveTime = le::u16(p + MaxShaveTimeByte);
    s.maxThermostatOffset = le::f32(p + MaxOffsetByte);
    s.advanced.offsetStep = le::f32(p + OffsetStepByte);
    for (size_t slot = 0; slot < PeakScheduleSlots; ++slot)
        s.advanced.useSchedule[slot] = p[UseScheduleByte + slot];
    s.normalMeter = le::f32(p + NormalMeterByte);
    s.peakMeter = le::f32(p + PeakMeterByte);
    return s;
}

void PackPeakSettings(const PeakSettings& s, McdefRecord& block2)
{
    uint8_t* p = block2.data();
    le::putU16(p + ImpulsesByte, s.impulsesPerKwh);
    le::putU16(p + LoadPeriodByte, s.loadPeriod);
    le::putU16(p + InternLoadPeriodByte, s.advanced.internLoadPeriod);
    le::putU16(p + PeakLimitByte, s.peakLimit);
    le::putU16(p + MaxShaveTimeByte, s.advanced.maxShaveTime);
    le::putF32(p + MaxOffsetByte, s.maxThermostatOffset);
    le::putF32(p + OffsetStepByte, s.advanced.offsetStep);
    for (size_t slot = 0; slot < PeakScheduleSlots; ++slot)
        p[UseScheduleByte + slot] = s.advanced.useSchedule[slot] ? 1 : 0;
}

float CalculatedOffset(const McdefRecord& block1) { return le::f32(block1.data() + CalculatedOffsetByte); }

int OffsetStepIndex(float step)
{
    // The gateway keeps the step as a float; a tenth is matched as the list shows it.
    const auto found = std::find_if(PeakOffsetSteps.begin(), PeakOffsetSteps.end(),
                                    [step](float offered) { return std::fabs(offered - step) < 0.005f; });
    return found == PeakOffsetSteps.end() ? -1 : int(found - PeakOffsetSteps.begin());
}

int AdvancedVisitStatus(const PeakAdvanced& committed, const PeakAdvanced& shown, bool editModified,
                        bool scheduleListChanged)
{
    int status = 0;
    if (editModified || shown.offsetStep != committed.offsetStep || shown.useSchedule != committed.useSchedule)
        status |= PeakChange::Settings;
    if (scheduleListChanged)
        status |= PeakChange::Lists;
    return status;
}

int PeakEditorStatus(bool mainEditModified, bool outputsOrNameChanged, int advancedVisits)
{
    int status = 0;
    if (mainEditModified || (advancedVisits & PeakChange::Settings))
        status |= PeakChange::Settings;
    if (outputsOrNameChanged || (advancedVisits & PeakChange::Lists))
        status |= PeakChange::Lists;
    return status;
}

std::vector<std::string> PeakSettingsChangeLines(const PeakSettings& loaded, const PeakSettings& saved)
{
    std::vector<std::string> lines;
    addNumberLine(lines, txt::LogImpulsesPerKwh, loaded.impulsesPerKwh, saved.impulsesPerKwh);
    addNumberLine(lines, txt::LogLoadPeriod, loaded.loadPeriod, saved.loadPeriod);
    addNumberLine(lines, txt::LogInternLoadPeriod, loaded.advanced.internLoadPeriod, saved.advanced.internLoadPeriod);
    addNumberLine(lines, txt::LogPeakLimit, loaded.peakLimit, saved.peakLimit);
    addNumberLine(lines, txt::LogMaxShaveTime, loaded.advanced.maxShaveTime, saved.advanced.maxShaveTime);
    addFloatLine(lines, txt::LogMaxThermOffset, loaded.maxThermostatOffset, saved.maxThermostatOffset);
    addFloatLine(lines, txt::LogOffsetSteps, loaded.advanced.offsetStep, saved.advanced.offsetStep);
    addSwitchLine(lines, txt::LogUseTariffSchedule, loaded.advanced.useSchedule[TariffSlot],
                  saved.advanced.useSchedule[TariffSlot]);
    addSwitchLine(lines, txt::LogUseColdAccumSchedule, loaded.advanced.useSchedule[ColdAccumulationSlot],
                  saved.advanced.useSchedule[ColdAccumulationSlot]);
    addSwitchLine(lines, txt::LogUsePeakMeterSchedule, loaded.advanced.useSchedule[PeakMeterSlot],
                  saved.advanced.useSchedule[PeakMeterSlot]);
    return lines;
}
