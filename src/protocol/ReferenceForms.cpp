#include "protocol/ReferenceForms.h"

#include "protocol/Telegram.h"
#include "protocol/TypeCatalogue.h"

#include <algorithm>

namespace {

constexpr ReferenceForm referenceForms[] = {
    {Command::ReadSimpleInputs, Command::WriteSimpleInputs, Direction::Input, SlotKind::Automatic, 0, 0, 51, 33},
    {Command::ReadSimpleOutputs, Command::WriteSimpleOutputs, Direction::Output, SlotKind::Automatic, 0, 0, 51, 33},
    {Command::ReadParameterInputs, Command::WriteParameterInputs, Direction::Input, SlotKind::Parameter, 4, 2, 13, 11},
    {Command::ReadParameterOutputs, Command::WriteParameterOutputs, Direction::Output, SlotKind::Parameter, 4, 2, 13,
     11},
    {Command::ReadMultiInputs, Command::WriteMultiInputs, Direction::Input, SlotKind::KeptByEditor, 32, 2, 2, 2},
    {Command::ReadMultiOutputs, Command::WriteMultiOutputs, Direction::Output, SlotKind::KeptByEditor, 32, 2, 2, 2},
};

constexpr uint8_t NoParameter = 255;

} // namespace

const ReferenceForm* FindReferenceForm(uint8_t command)
{
    for (const ReferenceForm& form : referenceForms)
        if (form.readCommand == command || form.writeCommand == command)
            return &form;
    return nullptr;
}

const ReferenceForm* FindSlotForm(int direction, uint8_t slotKind)
{
    for (const ReferenceForm& form : referenceForms)
        if (form.direction == direction && form.slotKind == slotKind)
            return &form;
    return nullptr;
}

uint8_t WriteCommandFor(int direction, const uint8_t* parameters)
{
    const uint8_t kind = parameters[0] == NoParameter                  ? SlotKind::Automatic
        : parameters[32] == 0 && parameters[33] == 0                   ? SlotKind::Parameter
                                                                       : SlotKind::KeptByEditor;
    return FindSlotForm(direction, kind)->writeCommand;
}

ReferenceItemFields ReadReferenceItem(const uint8_t* at, const ReferenceForm& form, uint8_t command)
{
    ReferenceItemFields item;
    item.index = at[0];
    item.address = at[1];
    const bool read = command == form.readCommand;
    if (form.parameterBytes == 0)
        std::fill_n(item.parameters.begin(), 3, NoParameter);
    std::copy_n(at + 2, form.parameterBytes, item.parameters.begin());
    const uint8_t* checksum = at + 2 + form.parameterBytes + (read ? 1 : 0);
    std::copy_n(checksum, form.checksumBytes, item.parameters.begin() + form.parameterBytes);
    if (read)
        item.status = at[2 + form.parameterBytes];
    return item;
}

void WriteReferenceItem(uint8_t* at, const ReferenceForm& form, uint8_t command, const ReferenceItemFields& item)
{
    at[0] = item.index;
    at[1] = item.address;
    const bool read = command == form.readCommand;
    std::copy_n(item.parameters.begin(), form.parameterBytes, at + 2);
    uint8_t* checksum = at + 2 + form.parameterBytes + (read ? 1 : 0);
    std::copy_n(item.parameters.begin() + form.parameterBytes, form.checksumBytes, checksum);
    if (read)
        at[2 + form.parameterBytes] = item.status;
}
