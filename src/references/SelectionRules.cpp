#include "references/SelectionRules.h"

#include "model/McdefRecord.h"
#include "protocol/TypeCatalogue.h"

bool GroupLimits::singleSelection() const
{
    return (noMixing && (parameterMaximum == 1 || automaticMaximum == 1))
        || (parameterMaximum == 1 && automaticMaximum == 0) || (parameterMaximum == 0 && automaticMaximum == 1);
}

GroupLimits GroupLimitsOf(uint8_t functionType, uint8_t blockType, const std::array<uint8_t, 4>& blockNumbers)
{
    const SlotSet slots = TypeSlots(functionType, blockType == BlockType::Input ? Direction::Input : Direction::Output);
    GroupLimits limits;
    for (uint8_t block : blockNumbers) {
        if (block == 0)
            break;
        if (!slots.has(block))
            continue;
        const SlotDescriptor& slot = slots.descriptors[size_t(block - 1)];
        if (slot.kind == SlotKind::Automatic) {
            limits.automaticMaximum = slot.maximumCount;
            limits.minimumLevel = slot.minimumLevel;
        } else {
            limits.parameterMaximum = slot.maximumCount;
            limits.functionParameter = slot.functionParameter;
            limits.classes.push_back(slot.parameterClass);
        }
        limits.noMixing = slot.noMixing == 1;
    }
    return limits;
}

SelectionCount CountSelection(const std::vector<const ReferenceRow*>& selected)
{
    SelectionCount count;
    for (const ReferenceRow* row : selected) {
        if (row->status == ReferenceStatus::Error) {
            count.errors = true;
            break;
        }
        if (row->automatic())
            ++count.automatic;
        else
            ++count.parameters;
        if (row->flags & ReferenceFlag::NotDefined)
            count.notDefined = true;
        if (row->flags & ReferenceFlag::NeedsApproval)
            count.needsApproval = true;
    }
    return count;
}

SelectionVerdict JudgeSelection(const SelectionCount& count, const GroupLimits& limits)
{
    if (count.errors)
        return SelectionVerdict::ErrorsSelected;
    if (count.notDefined)
        return SelectionVerdict::NotDefinedSelected;
    if (count.automatic > limits.automaticMaximum)
        return SelectionVerdict::TooManyAutomatic;
    if (count.parameters > limits.parameterMaximum)
        return SelectionVerdict::TooManyParameters;
    if (limits.noMixing && count.automatic > 0 && count.parameters > 0)
        return SelectionVerdict::Mixed;
    return SelectionVerdict::Take;
}
