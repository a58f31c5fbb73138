#include "editors/energy/PeakSettings.h"

#include "model/TextIds.h"
#include "model/Texts.h"
#include "model/FunctionSettings.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint8_t Type = FunctionType::PeakShaving;
constexpr std::array<std::string_view, PeakScheduleSlots> UseScheduleFields = {
    "use tariff schedule", "use cold accumulation schedule", "use peak meter schedule"};

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
    const auto value = [&block2](std::string_view name) { return SettingValue(Type, name, block2); };
    PeakSettings s;
    s.impulsesPerKwh = uint16_t(value("impulses per kWh"));
    s.loadPeriod = uint16_t(value("load period"));
    s.advanced.internLoadPeriod = uint16_t(value("intern load period"));
    s.peakLimit = uint16_t(value("peak limit"));
    s.advanced.maxShaveTime = uint16_t(value("max shave time"));
    s.maxThermostatOffset = float(value("max thermostat offset"));
    s.advanced.offsetStep = float(value("offset step"));
    for (size_t slot = 0; slot < PeakScheduleSlots; ++slot)
        s.advanced.useSchedule[slot] = uint8_t(value(UseScheduleFields[slot]));
    s.normalMeter = float(value("normal meter reading"));
    s.peakMeter = float(value("peak meter reading"));
    return s;
}

void PackPeakSettings(const PeakSettings& s, McdefRecord& block2)
{
    const auto set = [&block2](std::string_view name, double value) { SetSettingValue(Type, name, block2, value); };
    set("impulses per kWh", s.impulsesPerKwh);
    set("load period", s.loadPeriod);
    set("intern load period", s.advanced.internLoadPeriod);
    set("peak limit", s.peakLimit);
    set("max shave time", s.advanced.maxShaveTime);
    set("max thermostat offset", s.maxThermostatOffset);
    set("offset step", s.advanced.offsetStep);
    for (size_t slot = 0; slot < PeakScheduleSlots; ++slot)
        set(UseScheduleFields[slot], s.advanced.useSchedule[slot] ? 1 : 0);
}

float CalculatedOffset(const McdefRecord& block1)
{
    return float(SettingValue(Type, "calculated thermostat offset", block1));
}

const std::vector<double>& PeakOffsetSteps() { return Setting(Type, "offset step").allowed; }

int OffsetStepIndex(float step)
{
    // The gateway keeps the step as a float; a tenth is matched as the list shows it.
    const std::vector<double>& steps = PeakOffsetSteps();
    const auto found = std::find_if(steps.begin(), steps.end(),
                                    [step](double offered) { return std::fabs(offered - double(step)) < 0.005; });
    return found == steps.end() ? -1 : int(found - steps.begin());
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
