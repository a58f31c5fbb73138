#include "list/FunctionListRules.h"

#include "model/McdefRecord.h"
#include "model/TypeNames.h"
#include "protocol/TypeCatalogue.h"

namespace {

bool isPassive(const FunctionItem& item) { return TypeIsPassive(item.type) != 0; }
bool isUnknown(const FunctionItem& item) { return item.state & RowState::UnknownType; }
bool isStarted(const FunctionItem& item) { return item.state & RowState::Started; }
bool isInError(const FunctionItem& item) { return item.state & RowState::Error; }

bool startable(const FunctionItem& item)
{
    return !isStarted(item) && !isInError(item) && !isUnknown(item) && !isPassive(item);
}
bool stoppable(const FunctionItem& item) { return isStarted(item) && !isUnknown(item) && !isPassive(item); }

template <typename Predicate>
std::vector<uint8_t> numbersWhere(const std::vector<FunctionItem>& selected, Predicate take)
{
    std::vector<uint8_t> numbers;
    for (const FunctionItem& item : selected)
        if (take(item))
            numbers.push_back(item.number);
    return numbers;
}

} // namespace

FunctionItem ItemFromHeader(uint8_t number, uint8_t type, const std::string& name, uint8_t flags)
{
    FunctionItem item;
    item.type = type;
    item.typeName = TypeName(type);
    item.number = number;
    item.name = name;
    if (flags & FunctionFlag::Started)
        item.state |= RowState::Started;
    if (flags & FunctionFlag::ErrorMarks)
        item.state |= RowState::Error;
    if (flags & FunctionFlag::Manual)
        item.state |= RowState::Manual;
    if (!IsKnownType(type))
        item.state |= RowState::UnknownType;
    return item;
}

ListButtons ComputeListButtons(const std::vector<FunctionItem>& selected, int rowCount, bool editable)
{
    int unknown = 0;
    int startedActive = 0;
    int startableCount = 0;
    for (const FunctionItem& item : selected) {
        unknown += isUnknown(item);
        startedActive += isStarted(item) && !isPassive(item);
        startableCount += startable(item);
    }
    ListButtons b;
    b.newFunction = rowCount < MaxListedFunctions && editable;
    b.edit = selected.size() == 1 && !isUnknown(selected.front());
    b.remove = !selected.empty() && startedActive == 0 && unknown == 0;
    b.print = !selected.empty() && editable;
    b.start = startableCount > 0 && unknown == 0;
    b.stop = startedActive > 0 && unknown == 0;
    b.history = b.stop && selected.back().type == FunctionType::PoOptimizer;
    return b;
}

std::vector<uint8_t> DeleteSelection(const std::vector<FunctionItem>& selected)
{
    return numbersWhere(selected, [](const FunctionItem& i) { return !isUnknown(i) && (!isStarted(i) || isPassive(i)); });
}

std::vector<uint8_t> StartSelection(const std::vector<FunctionItem>& selected) { return numbersWhere(selected, startable); }

std::vector<uint8_t> StopSelection(const std::vector<FunctionItem>& selected) { return numbersWhere(selected, stoppable); }

std::vector<uint8_t> PrintSelection(const std::vector<FunctionItem>& selected)
{
    return numbersWhere(selected, [](const FunctionItem&) { return true; });
}

int UsedSpacePercent(uint32_t totalMemory, uint32_t freeMemory)
{
    if (totalMemory == 0)
        return 0;
    return int((100ull * totalMemory - 100ull * freeMemory) / totalMemory);
}

std::vector<uint8_t> NewFunctionTypes(const std::vector<FunctionItem>& all, const GatewayCapacity& capacity)
{
    std::vector<uint8_t> types;
    for (const CatalogueEntry& entry : TypeCatalogue()) {
        const uint8_t code = entry[0];
        int count = 0;
        for (const FunctionItem& item : all)
            count += item.type == code;
        if (count < capacity.typeLimits[code] && TypeSize(code) <= capacity.freeMemory)
            types.push_back(code);
    }
    return types;
}
