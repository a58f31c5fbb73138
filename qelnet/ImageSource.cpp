#include "ImageSource.h"

#include "FunctionTelegrams.h"
#include "GatewayImage.h"
#include "protocol/CalendarSeconds.h"
#include "protocol/IdentityChecksum.h"
#include "protocol/LittleEndian.h"
#include "protocol/NodeAddress.h"
#include "protocol/TelegramText.h"
#include "protocol/TypeCatalogue.h"
#include "SimulatedGateway.h"
#include "support/RegularFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdio>
#include <set>
#include <stdexcept>

namespace {

constexpr int MaxPeriods = 30;
constexpr int DefrostSchedules = 3;
constexpr int DefrostTimesPerSchedule = 8;
constexpr int Days = 7;
constexpr int MonthsAndCurrent = 13;

enum class FieldKind { U8, I16, U16, F32 };

// A named setting of a type: where it lies in which data block.
struct Field {
    uint8_t type;
    uint8_t block;
    const char* name;
    uint8_t offset;
    FieldKind kind;
};

constexpr Field fields[] = {
    {FunctionType::YearlySchedule, 1, "state", 0, FieldKind::U8},
    {FunctionType::QebOn, 1, "manual", 0, FieldKind::U8},
    {FunctionType::QebOn, 1, "manualValue", 1, FieldKind::U8},
    {FunctionType::AlarmLimitOffset, 1, "manual", 0, FieldKind::U8},
    {FunctionType::AlarmLimitOffset, 1, "manualValue", 1, FieldKind::I16},
    {FunctionType::AlarmLimitOffset, 2, "useOutdoor", 0, FieldKind::U8},
    {FunctionType::AlarmLimitOffset, 2, "outdoorReference", 1, FieldKind::I16},
    {FunctionType::AlarmLimitOffset, 2, "lowerBand", 3, FieldKind::I16},
    {FunctionType::AlarmLimitOffset, 2, "upperBand", 5, FieldKind::I16},
    {FunctionType::DayNightControl, 1, "manual", 0, FieldKind::U8},
    {FunctionType::DayNightControl, 1, "manualValue", 1, FieldKind::U8},
    {FunctionType::PeakShaving, 1, "calculatedOffset", 1, FieldKind::F32},
    {FunctionType::PeakShaving, 2, "impulsesPerKwh", 0, FieldKind::U16},
    {FunctionType::PeakShaving, 2, "loadPeriod", 2, FieldKind::U16},
    {FunctionType::PeakShaving, 2, "internLoadPeriod", 4, FieldKind::U16},
    {FunctionType::PeakShaving, 2, "peakLimit", 6, FieldKind::U16},
    {FunctionType::PeakShaving, 2, "maxShaveTime", 8, FieldKind::U16},
    {FunctionType::PeakShaving, 2, "maxThermostatOffset", 10, FieldKind::F32},
    {FunctionType::PeakShaving, 2, "offsetStep", 14, FieldKind::F32},
    {FunctionType::PeakShaving, 2, "useTariff", 18, FieldKind::U8},
    {FunctionType::PeakShaving, 2, "useColdAccumulation", 19, FieldKind::U8},
    {FunctionType::PeakShaving, 2, "usePeakMeter", 20, FieldKind::U8},
    {FunctionType::PeakShaving, 2, "normalMeter", 21, FieldKind::F32},
    {FunctionType::PeakShaving, 2, "peakMeter", 25, FieldKind::F32},
    {FunctionType::AlarmLimitDirect, 1, "manual", 0, FieldKind::U8},
    {FunctionType::AlarmLimitDirect, 1, "manualValue", 1, FieldKind::I16},
    {FunctionType::AlarmLimitDirect, 2, "useOutdoor", 0, FieldKind::U8},
    {FunctionType::AlarmLimitDirect, 2, "outdoorReference", 1, FieldKind::I16},
    {FunctionType::AlarmLimitDirect, 2, "lowerBand", 3, FieldKind::I16},
    {FunctionType::AlarmLimitDirect, 2, "upperBand", 5, FieldKind::I16},
    {FunctionType::AlarmLimitDirect, 2, "entrance", 7, FieldKind::I16},
    {FunctionType::DayNightExternal, 1, "manual", 0, FieldKind::U8},
    {FunctionType::DayNightExternal, 1, "manualValue", 1, FieldKind::U8},
    {FunctionType::DayNightExternal, 2, "useExternalSignal", 0, FieldKind::U8},
    {FunctionType::CentralDefrost, 1, "manual", 0, FieldKind::U8},
    {FunctionType::CentralDefrost, 2, "externalStart", 0, FieldKind::U8},
    {FunctionType::CentralDefrost, 2, "coordinate", 1, FieldKind::U8},
    {FunctionType::PoOptimizer, 1, "period", 0, FieldKind::U16},
    {FunctionType::PoOptimizer, 1, "filter", 2, FieldKind::U16},
    {FunctionType::PoOptimizer, 1, "kp", 4, FieldKind::F32},
    {FunctionType::PoOptimizer, 1, "tn", 8, FieldKind::F32},
    {FunctionType::PoOptimizer, 1, "offsetDisable", 12, FieldKind::U8},
    {FunctionType::PoOptimizer, 1, "actualOffset", 13, FieldKind::F32},
    {FunctionType::PoOptimizer, 1, "compressorLoop", 17, FieldKind::U8},
    {FunctionType::PoOptimizer, 1, "alarmEnable", 18, FieldKind::U8},
    {FunctionType::PoOptimizer, 1, "alarmDelay", 19, FieldKind::U16},
    {FunctionType::PoOptimizer, 1, "optimiseCommunication", 21, FieldKind::U8},
};

[[noreturn]] void fail(const std::string& place, const std::string& reason)
{
    throw std::runtime_error(place + ": " + reason);
}

QJsonObject object(const QJsonValue& value, const std::string& place)
{
    if (!value.isObject())
        fail(place, "must be an object");
    return value.toObject();
}

QJsonArray array(const QJsonValue& value, const std::string& place)
{
    if (!value.isArray())
        fail(place, "must be a list");
    return value.toArray();
}

double number(const QJsonValue& value, const std::string& place, double minimum, double maximum)
{
    if (!value.isDouble())
        fail(place, "must be a number");
    const double v = value.toDouble();
    if (v < minimum || v > maximum)
        fail(place, "must lie in " + std::to_string(int64_t(minimum)) + ".." + std::to_string(int64_t(maximum)));
    return v;
}

int integer(const QJsonValue& value, const std::string& place, int minimum, int maximum)
{
    const double v = number(value, place, minimum, maximum);
    if (v != std::floor(v))
        fail(place, "must be a whole number");
    return int(v);
}

std::string text(const QJsonValue& value, const std::string& place, size_t maxLength)
{
    if (!value.isString())
        fail(place, "must be a text");
    const std::string s = value.toString().toStdString();
    if (s.size() > maxLength)
        fail(place, "is longer than " + std::to_string(maxLength) + " characters");
    return s;
}

void onlyKeys(const QJsonObject& o, const std::string& place, std::initializer_list<const char*> keys)
{
    for (const QString& key : o.keys()) {
        bool known = false;
        for (const char* k : keys)
            known = known || key == QLatin1String(k);
        if (!known)
            fail(place, "unknown key \"" + key.toStdString() + "\"");
    }
}

// "HH:MM" as minutes after midnight.
int16_t minutes(const QJsonValue& value, const std::string& place)
{
    const std::string s = text(value, place, 5);
    int h = 0, m = 0;
    if (std::sscanf(s.c_str(), "%2d:%2d", &h, &m) != 2 || h < 0 || h > 23 || m < 0 || m > 59)
        fail(place, "must be a time HH:MM");
    return int16_t(h * 60 + m);
}

// "YYYY-MM-DD HH:MM" as seconds since 1970 without zone; year 0000 = a yearly event, kept in 1970.
uint32_t date(const QJsonValue& value, const std::string& place)
{
    const std::string s = text(value, place, 16);
    int y = 0, mo = 0, d = 0, h = 0, mi = 0;
    if (std::sscanf(s.c_str(), "%4d-%2d-%2d %2d:%2d", &y, &mo, &d, &h, &mi) != 5)
        fail(place, "must be a date YYYY-MM-DD HH:MM");
    const std::optional<uint32_t> seconds = ToCalendarSeconds({y == 0 ? 1970 : y, mo, d, h, mi, 0});
    if (!seconds)
        fail(place, "is not a valid date and time");
    return *seconds;
}

SlotLayout catalogueSlots(uint8_t type, int direction)
{
    const SlotSet set = TypeSlots(type, direction);
    SlotLayout layout;
    layout.mask = set.mask;
    for (size_t s = 0; s < 8; ++s)
        layout.kinds[s] = set.has(int(s + 1)) ? set.descriptors[s].kind : 0;
    return layout;
}

uint8_t statusBits(const QJsonValue& value, const std::string& place)
{
    uint8_t bits = 0;
    const QJsonArray list = array(value, place);
    for (qsizetype i = 0; i < list.size(); ++i) {
        const std::string name = text(list[i], place, 20);
        if (name == "no answer")
            bits |= ItemStatus::NoAnswer;
        else if (name == "type conflict")
            bits |= ItemStatus::TypeConflict;
        else
            fail(place, "knows \"no answer\" and \"type conflict\", not \"" + name + "\"");
    }
    return bits;
}

ReferenceItem reference(const QJsonValue& value, const std::string& place, const SlotDescriptor& slot)
{
    const QJsonObject o = object(value, place);
    onlyKeys(o, place, {"address", "parameter", "class", "inputs", "ident", "status", "checksum", "comment"});
    ReferenceItem item;
    item.address = uint8_t(integer(o.value("address"), place + ".address", 0, 255));
    if (o.contains("status"))
        item.status = statusBits(o.value("status"), place + ".status");
    const auto checksum = [&]() -> uint16_t {
        if (o.contains("checksum"))
            return uint16_t(integer(o.value("checksum"), place + ".checksum", 0, 0xFFFF));
        return IdentityChecksum(ControllerNodeKind, text(o.value("ident"), place + ".ident", 13));
    };
    if (o.contains("parameter")) {
        if (slot.kind != SlotKind::Parameter)
            fail(place, "a parameter reference in a slot that takes none");
        const QJsonArray p = array(o.value("parameter"), place + ".parameter");
        if (p.size() != 3)
            fail(place + ".parameter", "must hold P1, P2 and P3");
        for (qsizetype k = 0; k < 3; ++k)
            item.parameters[size_t(k)] = uint8_t(integer(p[k], place + ".parameter", 0, 254));
        item.parameters[3] = o.contains("class") ? uint8_t(integer(o.value("class"), place + ".class", 0, 255))
                                                 : slot.parameterClass;
        le::putU16(&item.parameters[4], checksum());
    } else if (o.contains("inputs")) {
        if (slot.kind != SlotKind::KeptByEditor)
            fail(place, "a multi-parameter reference in a slot that takes none");
        const QJsonArray inputs = array(o.value("inputs"), place + ".inputs");
        if (inputs.isEmpty() || inputs.size() > 8)
            fail(place + ".inputs", "must hold 1 to 8 parameters");
        for (qsizetype k = 0; k < inputs.size(); ++k) {
            const std::string at = place + ".inputs[" + std::to_string(k) + "]";
            const QJsonArray p = array(inputs[k], at);
            if (p.size() != 4)
                fail(at, "must hold P1, P2, P3 and the class");
            for (qsizetype b = 0; b < 4; ++b)
                item.parameters[size_t(4 * k + b)] = uint8_t(integer(p[b], at, 0, 255));
        }
        le::putU16(&item.parameters[32], checksum());
    } else {
        if (slot.kind != SlotKind::Automatic)
            fail(place, "an automatic reference in a slot that takes parameters");
        item.parameters[0] = item.parameters[1] = item.parameters[2] = 255;
    }
    return item;
}

void readReferences(const QJsonObject& o, const std::string& place, GatewayFunction& f, int direction)
{
    const SlotSet slots = TypeSlots(f.type, direction);
    for (const QString& key : o.keys()) {
        const std::string at = place + "." + key.toStdString();
        bool ok = false;
        const int slot = key.toInt(&ok);
        if (!ok || !slots.has(slot))
            fail(at, "the type has no such slot");
        const SlotDescriptor& descriptor = slots.descriptors[size_t(slot - 1)];
        const QJsonArray list = array(o.value(key), at);
        // The type's own editor keeps its slots (the Po optimizer's evaporators) without the catalogue's maximum.
        if (descriptor.kind != SlotKind::KeptByEditor && list.size() > descriptor.maximumCount)
            fail(at, "the slot takes at most " + std::to_string(descriptor.maximumCount) + " references");
        for (qsizetype i = 0; i < list.size(); ++i) {
            ReferenceItem item = reference(list[i], at + "[" + std::to_string(i) + "]", descriptor);
            item.form = WriteCommandFor(direction, item.parameters.data());
            f.slot(direction, slot).push_back(item);
        }
    }
}

void readSchedules(const QJsonObject& o, const std::string& place, GatewayFunction& f)
{
    for (const QString& key : o.keys()) {
        const std::string at = place + "." + key.toStdString();
        bool ok = false;
        const int group = key.toInt(&ok);
        if (!ok || group < 1 || group > 4 || !(TypeOption(f.type, 0) & (1u << (group - 1))))
            fail(at, "the type has no such schedule group");
        const QJsonArray list = array(o.value(key), at);
        if (list.size() > TypeOption(f.type, group))
            fail(at, "the group takes at most " + std::to_string(TypeOption(f.type, group)) + " schedules");
        for (qsizetype i = 0; i < list.size(); ++i)
            f.schedules[size_t(group - 1)].push_back(uint8_t(integer(list[i], at, 1, MaxFunctionNumber)));
    }
}

void putField(uint8_t* at, FieldKind kind, const QJsonValue& value, const std::string& place)
{
    switch (kind) {
    case FieldKind::U8:
        *at = uint8_t(integer(value, place, 0, 255));
        break;
    case FieldKind::I16:
        le::putI16(at, int16_t(integer(value, place, -32768, 32767)));
        break;
    case FieldKind::U16:
        le::putU16(at, uint16_t(integer(value, place, 0, 65535)));
        break;
    case FieldKind::F32:
        le::putF32(at, float(number(value, place, -1e9, 1e9)));
        break;
    }
}

void weekly(const QJsonValue& value, const std::string& place, GatewayFunction& f)
{
    const QJsonArray days = array(value, place);
    if (days.size() != Days)
        fail(place, "must hold seven days, Monday first");
    for (qsizetype d = 0; d < Days; ++d) {
        const std::string day = place + "[" + std::to_string(d) + "]";
        const QJsonArray periods = array(days[d], day);
        if (periods.size() > 4)
            fail(day, "holds at most four periods");
        for (qsizetype p = 0; p < periods.size(); ++p) {
            const std::string at = day + "[" + std::to_string(p) + "]";
            const QJsonArray onOff = array(periods[p], at);
            if (onOff.size() != 2)
                fail(at, "must be [on, off]");
            uint8_t* pair = p == 0 ? &f.blocks[1].bytes[size_t(4 * d)]
                                   : &f.blocks[2].bytes[size_t((d * 3 + p - 1) * 4)];
            le::putI16(pair, minutes(onOff[0], at));
            le::putI16(pair + 2, minutes(onOff[1], at));
        }
    }
}

void periods(const QJsonValue& value, const std::string& place, GatewayFunction& f)
{
    const QJsonArray list = array(value, place);
    if (list.size() > MaxPeriods)
        fail(place, "holds at most 30 periods");
    for (qsizetype i = 0; i < list.size(); ++i) {
        const std::string at = place + "[" + std::to_string(i) + "]";
        const QJsonObject o = object(list[i], at);
        onlyKeys(o, at, {"from", "to", "state"});
        const std::string state = text(o.value("state"), at + ".state", 3);
        if (state != "on" && state != "off")
            fail(at + ".state", "must be \"on\" or \"off\"");
        std::vector<uint8_t> entry(10, 0);
        entry[0] = uint8_t(i);
        entry[1] = state == "on" ? 1 : 0;
        le::putU32(&entry[2], date(o.value("from"), at + ".from"));
        le::putU32(&entry[6], date(o.value("to"), at + ".to"));
        f.blocks[3].entries[uint8_t(i)] = entry;
    }
}

void defrostTimes(const QJsonObject& settings, const std::string& place, GatewayFunction& f)
{
    uint8_t* block = f.blocks[2].bytes.data();
    for (int k = 0; k < DefrostSchedules * DefrostTimesPerSchedule; ++k)
        le::putI16(block + 2 * k, -1);
    if (settings.contains("defrostTimes")) {
        const QJsonArray schedules = array(settings.value("defrostTimes"), place + ".defrostTimes");
        if (schedules.size() > DefrostSchedules)
            fail(place + ".defrostTimes", "holds at most three schedules");
        for (qsizetype s = 0; s < schedules.size(); ++s) {
            const std::string at = place + ".defrostTimes[" + std::to_string(s) + "]";
            const QJsonArray times = array(schedules[s], at);
            if (times.size() > DefrostTimesPerSchedule)
                fail(at, "holds at most eight times");
            for (qsizetype t = 0; t < times.size(); ++t)
                le::putI16(block + 2 * (s * DefrostTimesPerSchedule + t), minutes(times[t], at));
        }
    }
    if (settings.contains("weekdays")) {
        const QJsonArray days = array(settings.value("weekdays"), place + ".weekdays");
        if (days.size() != Days)
            fail(place + ".weekdays", "must hold seven schedule indices, Monday first");
        for (qsizetype d = 0; d < Days; ++d)
            block[48 + d] = uint8_t(integer(days[d], place + ".weekdays", 0, DefrostSchedules - 1));
    }
}

void monthly(const QJsonObject& o, const std::string& place, const char* first, const char* second, DataBlock& block)
{
    onlyKeys(o, place, {first, second});
    const char* names[2] = {first, second};
    for (size_t half = 0; half < 2; ++half) {
        const std::string at = place + "." + names[half];
        const QJsonArray values = array(o.value(names[half]), at);
        if (values.size() != MonthsAndCurrent)
            fail(at, "must hold January to December and the current month");
        for (qsizetype m = 0; m < MonthsAndCurrent; ++m)
            le::putF32(&block.bytes[half * 52 + size_t(4 * m)], float(number(values[m], at, 0, 1e9)));
    }
    block.present = true;
}

// The Po optimizer's evaporators with their individual defrost delays (block 2)
// and the minutes each was the critical case (history blocks 3 and 4).
void evaporators(const QJsonObject& settings, const std::string& place, GatewayFunction& f)
{
    const QJsonArray list = array(settings.value("evaporators"), place + ".evaporators");
    if (list.size() != qsizetype(f.slot(1, 1).size()))
        fail(place + ".evaporators", "must name one entry per evaporator reference (input slot 1)");
    for (qsizetype i = 0; i < list.size(); ++i) {
        const std::string at = place + ".evaporators[" + std::to_string(i) + "]";
        const QJsonObject o = object(list[i], at);
        onlyKeys(o, at, {"address", "loop", "defrostDelay", "critical24h", "critical7d"});
        const uint8_t address = uint8_t(integer(o.value("address"), at + ".address", 1, 254));
        if (address != f.slot(1, 1)[size_t(i)].address)
            fail(at + ".address", "differs from the evaporator reference in the same place");
        const std::string loop = text(o.value("loop"), at + ".loop", 1);
        if (loop.size() != 1 || loop[0] < 'A' || loop[0] > 'G')
            fail(at + ".loop", "must be a loop letter A..G");
        const auto entry = [&](uint16_t value) {
            std::vector<uint8_t> e(5, 0);
            e[0] = uint8_t(i);
            e[1] = address;
            e[2] = uint8_t(loop[0] - 'A');
            le::putU16(&e[3], value);
            return e;
        };
        f.blocks[1].entries[uint8_t(i)] = entry(uint16_t(integer(o.value("defrostDelay"), at + ".defrostDelay", 0, 65535)));
        f.history[0].entries[uint8_t(i)] = entry(uint16_t(integer(o.value("critical24h"), at + ".critical24h", 0, 1440)));
        f.history[1].entries[uint8_t(i)] = entry(uint16_t(integer(o.value("critical7d"), at + ".critical7d", 0, 10080)));
    }
    f.blocks[1].present = true;
    f.history[0].present = f.history[1].present = !list.isEmpty();
}

void readSettings(const QJsonObject& settings, const std::string& place, GatewayFunction& f)
{
    for (const QString& key : settings.keys()) {
        const std::string name = key.toStdString();
        const std::string at = place + "." + name;
        bool done = false;
        for (const Field& field : fields) {
            if (field.type == f.type && name == field.name) {
                putField(&f.blocks[size_t(field.block - 1)].bytes[field.offset], field.kind, settings.value(key), at);
                done = true;
            }
        }
        if (done)
            continue;
        const QJsonValue value = settings.value(key);
        if (f.type == FunctionType::YearlySchedule && name == "weekly")
            weekly(value, at, f);
        else if (f.type == FunctionType::YearlySchedule && name == "periods")
            periods(value, at, f);
        else if (f.type == FunctionType::PeakShaving && name == "consumption")
            monthly(object(value, at), at, "lowTariff", "normalTariff", f.history[0]);
        else if (f.type == FunctionType::PeakShaving && name == "load")
            monthly(object(value, at), at, "normalLoad", "peakLoad", f.history[1]);
        else if (f.type == FunctionType::PoOptimizer && name == "evaporators")
            evaporators(settings, place, f);
        else if (!(f.type == FunctionType::CentralDefrost && (name == "defrostTimes" || name == "weekdays")))
            fail(at, "is not a setting of type " + std::to_string(f.type));
    }
    if (f.type == FunctionType::CentralDefrost)
        defrostTimes(settings, place, f);
}

uint8_t flagBits(const QJsonValue& value, const std::string& place)
{
    uint8_t flags = 0;
    const QJsonArray list = array(value, place);
    for (qsizetype i = 0; i < list.size(); ++i) {
        const std::string name = text(list[i], place, 16);
        if (name == "started")
            flags |= FunctionFlag::Started;
        else if (name == "error")
            flags |= FunctionFlag::ErrorMark;
        else if (name == "errorChecked")
            flags |= FunctionFlag::ReferenceErrorMark;
        else
            fail(place, "knows \"started\", \"error\" and \"errorChecked\" (manual mode follows the setting"
                        " \"manual\"), not \"" + name + "\"");
    }
    return flags;
}

GatewayFunction readFunction(const QJsonValue& value, const std::string& place)
{
    const QJsonObject o = object(value, place);
    onlyKeys(o, place, {"number", "type", "name", "flags", "inputs", "outputs", "schedules", "settings", "comment"});
    GatewayFunction f;
    f.number = uint8_t(integer(o.value("number"), place + ".number", 1, MaxFunctionNumber));
    f.type = uint8_t(integer(o.value("type"), place + ".type", 0, FunctionType::Count - 1));
    f.name = text(o.value("name"), place + ".name", FunctionNameLength);
    f.header.inputs = catalogueSlots(f.type, Direction::Input);
    f.header.outputs = catalogueSlots(f.type, Direction::Output);
    f.header.scheduleMask = TypeOption(f.type, 0);
    f.header.blockMask = TypeBlockMask(f.type);
    for (uint8_t n = 1; n <= 4; ++n)
        f.blocks[n - 1].present = TypeBlockKind(f.type, n) != BlockKind::None && !FindBlockLayout(f.type, n)->measured;
    if (o.contains("inputs"))
        readReferences(object(o.value("inputs"), place + ".inputs"), place + ".inputs", f, Direction::Input);
    if (o.contains("outputs"))
        readReferences(object(o.value("outputs"), place + ".outputs"), place + ".outputs", f, Direction::Output);
    if (o.contains("schedules"))
        readSchedules(object(o.value("schedules"), place + ".schedules"), place + ".schedules", f);
    if (o.contains("settings"))
        readSettings(object(o.value("settings"), place + ".settings"), place + ".settings", f);
    if (o.contains("flags"))
        f.flags = flagBits(o.value("flags"), place + ".flags");
    return f;
}

// Writes the function as an update would, then adds what the gateway keeps by itself.
void install(GatewayState& state, const GatewayFunction& f, const std::string& place)
{
    SimulatedGateway gateway(state);
    for (const Telegram& telegram : FunctionTelegrams(f, gateway.address())) {
        const std::optional<Telegram> answer = gateway.answer(telegram);
        const uint8_t status = answer ? (*answer)[TelegramField::Data + 1] : uint8_t(GatewayStatus::BadRequest);
        if (status != GatewayStatus::Accepted)
            fail(place, "the gateway refuses " + DescribeTelegram(telegram) + " with " + GatewayStatusText(status));
    }
    state = gateway.state();
    GatewayFunction& held = state.functions[f.number];
    held.flags = uint8_t((held.flags & (FunctionFlag::Manual | FunctionFlag::Started)) | f.flags);
    for (int direction = 1; direction <= 2; ++direction)
        for (int slot = 1; slot <= 8; ++slot)
            for (size_t k = 0; k < held.slot(direction, slot).size(); ++k)
                held.slot(direction, slot)[k].status = f.slot(direction, slot)[k].status;
    for (const ReportedRange& range : ReportedRanges())
        if (range.type == f.type)
            std::copy_n(f.blocks[range.block - 1].bytes.begin() + range.first, range.length,
                        held.blocks[range.block - 1].bytes.begin() + range.first);
    for (uint8_t n = 1; n <= 4; ++n)
        if (TypeBlockKind(f.type, n) == BlockKind::UploadOnly && !FindBlockLayout(f.type, n)->measured)
            held.blocks[n - 1] = f.blocks[n - 1];
    held.history = f.history;
}

GatewayState readSource(const QJsonObject& top)
{
    onlyKeys(top, "source", {"comment", "network", "netConfigStamp", "memoryKiB", "typeLimits", "password",
                             "firstStamp", "functions"});
    GatewayState state;
    const std::string network = text(top.value("network"), "network", 3);
    bool ok = false;
    state.network = uint16_t(QString::fromStdString(network).toUInt(&ok));
    if (!ok || network.size() != 3)
        fail("network", "must be a three-digit network number");
    state.netConfigStamp = uint16_t(integer(top.value("netConfigStamp"), "netConfigStamp", 0, 65535));
    state.memoryKiB = uint16_t(integer(top.value("memoryKiB"), "memoryKiB", 1, 65535));
    const QJsonArray limits = array(top.value("typeLimits"), "typeLimits");
    if (limits.size() != FunctionType::Count)
        fail("typeLimits", "must hold one limit per type code 0..8");
    for (qsizetype t = 0; t < limits.size(); ++t)
        state.typeLimits[size_t(t)] = uint8_t(integer(limits[t], "typeLimits", 0, MaxFunctionNumber));
    if (top.contains("password"))
        state.password = text(top.value("password"), "password", MaxPasswordLength);
    if (top.contains("firstStamp"))
        state.lastStamp = uint32_t(number(top.value("firstStamp"), "firstStamp", 0, 4e9));
    const QJsonArray functions = array(top.value("functions"), "functions");
    std::set<int> numbers;
    for (qsizetype i = 0; i < functions.size(); ++i) {
        const std::string place = "functions[" + std::to_string(i) + "]";
        const GatewayFunction f = readFunction(functions[i], place);
        if (!numbers.insert(f.number).second)
            fail(place + ".number", "function " + std::to_string(f.number) + " appears twice");
        install(state, f, place);
    }
    return state;
}

} // namespace

std::optional<GatewayState> GatewayStateFromSource(const std::string& json, std::string& error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &parseError);
    if (document.isNull()) {
        error = "not JSON: " + parseError.errorString().toStdString() + " at offset "
            + std::to_string(parseError.offset);
        return std::nullopt;
    }
    if (!document.isObject()) {
        error = "the source must be a JSON object";
        return std::nullopt;
    }
    try {
        return readSource(document.object());
    } catch (const std::exception& e) {
        error = e.what();
        return std::nullopt;
    }
}

std::optional<GatewayState> ReadImageSource(const std::string& path, std::string& error)
{
    FileProblem problem = FileProblem::None;
    const std::optional<std::string> content = ReadRegularFile(path, MaxImageFileSize, &problem);
    if (!content) {
        error = DescribeFileProblem(path, problem, MaxImageFileSize);
        return std::nullopt;
    }
    return GatewayStateFromSource(*content, error);
}
