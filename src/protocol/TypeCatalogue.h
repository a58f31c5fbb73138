#pragma once
// Function types and the type catalogue: what one function of each type
// occupies in the gateway, which input and output slots, schedule groups and
// data blocks it has. The catalogue is a constant table of 128-byte entries.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace FunctionType {
enum : uint8_t {
    YearlySchedule = 0,
    QebOn = 1,
    AlarmLimitOffset = 2,
    DayNightControl = 3,
    PeakShaving = 4,
    AlarmLimitDirect = 5,
    DayNightExternal = 6,
    CentralDefrost = 7,
    PoOptimizer = 8,
};
constexpr int Count = 9;
} // namespace FunctionType

constexpr size_t CatalogueEntrySize = 128;
using CatalogueEntry = std::array<uint8_t, CatalogueEntrySize>;

// Slot kinds of a slot descriptor.
namespace SlotKind {
enum : uint8_t { Automatic = 0, Parameter = 1, KeptByEditor = 2 };
}

// Data block kinds: read at upload only, or read at upload and written at update.
namespace BlockKind {
enum : uint8_t { None = 0, UploadOnly = 1, UploadAndWrite = 2 };
}

struct SlotDescriptor {
    uint8_t kind = 0;              // SlotKind
    uint8_t functionParameter = 0; // the MCPARDEF key byte
    uint8_t parameterClass = 0;
    uint8_t scope = 0;             // 2 = definitions added by the upload are for every node ("255:255")
    uint8_t minimumLevel = 0;      // automatic slots: the controller's support level at least this
    uint8_t maximumCount = 0;      // references in the slot (1 or 120)
    uint8_t noMixing = 0;          // 1 = automatic and parameter references not mixed
};

struct SlotSet {
    uint8_t mask = 0; // bit k = slot k + 1 exists
    std::array<SlotDescriptor, 8> descriptors{};
    bool has(int slot) const { return slot >= 1 && slot <= 8 && (mask & (1u << (slot - 1))); }
};

namespace Direction {
enum : int { Input = 1, Output = 2 };
}

// The whole catalogue, one entry per type code in code order.
const std::array<CatalogueEntry, FunctionType::Count>& TypeCatalogue();
// The entry of a code; null when the catalogue has no such code.
const CatalogueEntry* FindCatalogueEntry(uint8_t code);

bool IsKnownType(uint8_t code);
uint16_t TypeSize(uint8_t code);
uint8_t TypeIsPassive(uint8_t code);
SlotSet TypeSlots(uint8_t code, int direction);
// Byte 118 + index: 0 the schedule group mask, 1..4 the per-group bytes.
uint8_t TypeOption(uint8_t code, int index);
// For k = 0..3: k + 1 when block k + 1 exists and is written to the gateway, else 0.
std::array<uint8_t, 4> TypeWritableBlocks(uint8_t code);
// Block numbers read from the gateway at upload.
std::vector<uint8_t> TypeUploadBlocks(uint8_t code);
// The data block mask (byte 123) and the kind of a block (1..4).
uint8_t TypeBlockMask(uint8_t code);
uint8_t TypeBlockKind(uint8_t code, int block);
