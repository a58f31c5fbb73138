#include "protocol/TypeCatalogue.h"

#include "protocol/LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

struct Slot {
    int number;
    SlotDescriptor descriptor;
};

struct TypeDefinition {
    uint8_t code;
    uint16_t size;
    uint8_t passive;
    std::vector<Slot> inputs;
    std::vector<Slot> outputs;
    std::array<uint8_t, 5> scheduleGroups; // mask, then one byte per group
    std::array<uint8_t, 4> blockKinds;     // per data block 1..4
};

constexpr SlotDescriptor slot(uint8_t kind, uint8_t functionParameter, uint8_t parameterClass, uint8_t scope,
                              uint8_t minimumLevel, uint8_t maximumCount, uint8_t noMixing)
{
    return {kind, functionParameter, parameterClass, scope, minimumLevel, maximumCount, noMixing};
}

const std::vector<TypeDefinition>& definitions()
{
    static const std::vector<TypeDefinition> types = {
        {FunctionType::YearlySchedule, 486, 1, {}, {}, {0, 0, 0, 0, 0}, {1, 2, 2, 2}},
        {FunctionType::QebOn, 2252, 0,
         {{1, slot(0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x01)}, {2, slot(0x01, 0x04, 0xf8, 0x02, 0x00, 0x01, 0x01)}},
         {{1, slot(0x00, 0x00, 0x00, 0x00, 0x01, 0x78, 0x00)}, {2, slot(0x01, 0x05, 0xf8, 0x02, 0x00, 0x78, 0x00)}},
         {0, 0, 0, 0, 0}, {2, 0, 0, 0}},
        {FunctionType::AlarmLimitOffset, 818, 0,
         {{1, slot(0x01, 0x01, 0xfa, 0x01, 0x00, 0x01, 0x00)}, {2, slot(0x01, 0x02, 0xfa, 0x01, 0x00, 0x01, 0x00)}},
         {{1, slot(0x00, 0x00, 0x00, 0x00, 0x01, 0x78, 0x00)}},
         {0, 0, 0, 0, 0}, {2, 2, 0, 0}},
        {FunctionType::DayNightControl, 2236, 0, {},
         {{1, slot(0x00, 0x00, 0x00, 0x00, 0x01, 0x78, 0x00)}, {2, slot(0x01, 0x06, 0xf8, 0x02, 0x00, 0x78, 0x00)}},
         {1, 1, 0, 0, 0}, {2, 0, 0, 0}},
        {FunctionType::PeakShaving, 1084, 0, {},
         {{1, slot(0x00, 0x00, 0x00, 0x00, 0x01, 0x78, 0x00)}},
         {7, 1, 1, 1, 0}, {2, 2, 1, 1}},
        {FunctionType::AlarmLimitDirect, 1538, 0,
         {{1, slot(0x01, 0x01, 0xfa, 0x01, 0x00, 0x01, 0x00)}, {2, slot(0x01, 0x02, 0xfa, 0x01, 0x00, 0x01, 0x00)}},
         {{1, slot(0x01, 0x03, 0xfa, 0x01, 0x00, 0x78, 0x00)}, {2, slot(0x01, 0x03, 0xf9, 0x01, 0x00, 0x78, 0x00)}},
         {0, 0, 0, 0, 0}, {2, 2, 0, 0}},
        {FunctionType::DayNightExternal, 2248, 0,
         {{1, slot(0x01, 0x0b, 0xf8, 0x01, 0x00, 0x01, 0x00)}},
         {{1, slot(0x00, 0x00, 0x00, 0x00, 0x01, 0x78, 0x00)}, {2, slot(0x01, 0x06, 0xf8, 0x02, 0x00, 0x78, 0x00)}},
         {1, 1, 0, 0, 0}, {2, 2, 0, 0}},
        {FunctionType::CentralDefrost, 1226, 0,
         {{1, slot(0x01, 0x07, 0xf8, 0x01, 0x00, 0x01, 0x00)}, {2, slot(0x01, 0x08, 0xf8, 0x01, 0x00, 0x78, 0x00)}},
         {{1, slot(0x01, 0x09, 0xf8, 0x01, 0x00, 0x78, 0x00)}, {2, slot(0x01, 0x0a, 0xf8, 0x01, 0x00, 0x78, 0x00)}},
         {0, 0, 0, 0, 0}, {2, 2, 2, 0}},
        {FunctionType::PoOptimizer, 5568, 0,
         {{1, slot(0x02, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00)}, {2, slot(0x02, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00)}},
         {{1, slot(0x01, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00)}, {2, slot(0x01, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00)}},
         {0, 0, 0, 0, 0}, {2, 2, 2, 2}},
    };
    return types;
}

void putSlots(uint8_t* maskByte, uint8_t* descriptors, const std::vector<Slot>& slotList)
{
    for (const Slot& s : slotList) {
        *maskByte = uint8_t(*maskByte | (1u << (s.number - 1)));
        uint8_t* d = descriptors + 7 * (s.number - 1);
        const SlotDescriptor& v = s.descriptor;
        const uint8_t bytes[7] = {v.kind, v.functionParameter, v.parameterClass, v.scope, v.minimumLevel,
                                  v.maximumCount, v.noMixing};
        std::memcpy(d, bytes, sizeof bytes);
    }
}

CatalogueEntry entryOf(const TypeDefinition& type)
{
    CatalogueEntry e{};
    e[0] = type.code;
    le::putU16(&e[1], type.size);
    e[3] = type.passive;
    putSlots(&e[4], &e[5], type.inputs);
    putSlots(&e[61], &e[62], type.outputs);
    std::memcpy(&e[118], type.scheduleGroups.data(), 5);
    for (int k = 0; k < 4; ++k) {
        if (type.blockKinds[size_t(k)] != BlockKind::None)
            e[123] = uint8_t(e[123] | (1u << k));
        e[124 + size_t(k)] = type.blockKinds[size_t(k)];
    }
    return e;
}

} // namespace

const std::array<CatalogueEntry, FunctionType::Count>& TypeCatalogue()
{
    static const std::array<CatalogueEntry, FunctionType::Count> catalogue = [] {
        std::array<CatalogueEntry, FunctionType::Count> entries{};
        for (size_t i = 0; i < entries.size(); ++i)
            entries[i] = entryOf(definitions()[i]);
        return entries;
    }();
    return catalogue;
}

const CatalogueEntry* FindCatalogueEntry(uint8_t code)
{
    for (const CatalogueEntry& entry : TypeCatalogue())
        if (entry[0] == code)
            return &entry;
    return nullptr;
}

bool IsKnownType(uint8_t code) { return FindCatalogueEntry(code) != nullptr; }

uint16_t TypeSize(uint8_t code)
{
    const CatalogueEntry* e = FindCatalogueEntry(code);
    return e ? le::u16(&(*e)[1]) : 0;
}

uint8_t TypeIsPassive(uint8_t code)
{
    const CatalogueEntry* e = FindCatalogueEntry(code);
    return e ? (*e)[3] : 0;
}

SlotSet TypeSlots(uint8_t code, int direction)
{
    SlotSet set;
    const CatalogueEntry* e = FindCatalogueEntry(code);
    if (!e)
        return set;
    const size_t maskOffset = direction == Direction::Input ? 4 : 61;
    set.mask = (*e)[maskOffset];
    for (size_t s = 0; s < 8; ++s) {
        const uint8_t* d = e->data() + maskOffset + 1 + 7 * s;
        set.descriptors[s] = {d[0], d[1], d[2], d[3], d[4], d[5], d[6]};
    }
    return set;
}

uint8_t TypeOption(uint8_t code, int index)
{
    const CatalogueEntry* e = FindCatalogueEntry(code);
    return (e && index >= 0 && index <= 4) ? (*e)[118 + size_t(index)] : 0;
}

uint8_t TypeBlockMask(uint8_t code)
{
    const CatalogueEntry* e = FindCatalogueEntry(code);
    return e ? (*e)[123] : 0;
}

uint8_t TypeBlockKind(uint8_t code, int block)
{
    const CatalogueEntry* e = FindCatalogueEntry(code);
    return (e && block >= 1 && block <= 4) ? (*e)[123 + size_t(block)] : 0;
}

std::array<uint8_t, 4> TypeWritableBlocks(uint8_t code)
{
    std::array<uint8_t, 4> blocks{};
    const uint8_t mask = TypeBlockMask(code);
    for (int k = 0; k < 4; ++k)
        if ((mask & (1u << k)) && TypeBlockKind(code, k + 1) == BlockKind::UploadAndWrite)
            blocks[size_t(k)] = uint8_t(k + 1);
    return blocks;
}

std::vector<uint8_t> TypeUploadBlocks(uint8_t code)
{
    std::vector<uint8_t> blocks;
    const uint8_t mask = TypeBlockMask(code);
    for (int k = 0; k < 4; ++k) {
        const uint8_t kind = TypeBlockKind(code, k + 1);
        if ((mask & (1u << k)) && (kind == BlockKind::UploadOnly || kind == BlockKind::UploadAndWrite))
            blocks.push_back(uint8_t(k + 1));
    }
    return blocks;
}
