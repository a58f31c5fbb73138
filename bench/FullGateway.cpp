#include "FullGateway.h"

#include "protocol/IdentityChecksum.h"
#include "protocol/LittleEndian.h"
#include "protocol/Telegram.h"
#include "protocol/TypeCatalogue.h"

namespace {

ReferenceItem automaticItem(uint8_t address)
{
    ReferenceItem item;
    item.form = Command::WriteSimpleOutputs;
    item.address = address;
    item.parameters[0] = item.parameters[1] = item.parameters[2] = 255;
    return item;
}

ReferenceItem parameterItem(uint8_t address)
{
    ReferenceItem item;
    item.form = Command::WriteParameterOutputs;
    item.address = address;
    item.parameters = {15, 2, 1, 248};
    le::putU16(&item.parameters[4], IdentityChecksum(32, "EVA-100"));
    return item;
}

} // namespace

GatewayState FullGateway()
{
    GatewayState state;
    state.network = 1;
    state.netConfigStamp = 14961;
    state.memoryKiB = 1024;
    state.typeLimits.fill(105);
    GatewayFunction& schedule = state.functions[1];
    schedule.number = 1;
    schedule.type = FunctionType::YearlySchedule;
    schedule.flags = FunctionFlag::Started;
    schedule.stamp = state.nextStamp();
    schedule.name = "Shop hours";
    schedule.header.blockMask = TypeBlockMask(FunctionType::YearlySchedule);
    for (DataBlock& block : schedule.blocks)
        block.present = true;
    const uint8_t automaticAddresses[] = {1, 2, 3, 4, 10, 12, 15, 17};
    const uint8_t parameterAddresses[] = {1, 2, 12, 17};
    for (int n = 2; n <= 105; ++n) {
        GatewayFunction& f = state.functions[uint8_t(n)];
        f.number = uint8_t(n);
        f.type = FunctionType::DayNightControl;
        f.flags = FunctionFlag::Started;
        f.stamp = state.nextStamp();
        f.name = "Night " + std::to_string(n);
        const SlotSet outputs = TypeSlots(FunctionType::DayNightControl, Direction::Output);
        f.header.outputs.mask = outputs.mask;
        f.header.outputs.kinds = {outputs.descriptors[0].kind, outputs.descriptors[1].kind};
        f.header.scheduleMask = TypeOption(FunctionType::DayNightControl, 0);
        f.header.blockMask = TypeBlockMask(FunctionType::DayNightControl);
        for (uint8_t address : automaticAddresses)
            f.slot(2, 1).push_back(automaticItem(address));
        for (uint8_t address : parameterAddresses)
            f.slot(2, 2).push_back(parameterItem(address));
        f.schedules[0] = {1};
        f.blocks[0].present = true;
    }
    return state;
}
