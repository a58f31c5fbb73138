#pragma once
// What a simulated gateway holds: its control functions as the program wrote
// them (header, reference items by slot, schedule references by group, data
// blocks), the values it measures itself (reported data, history), and the
// gateway-wide memory, limits, stamps and password.

#include "protocol/DataBlocks.h"
#include "protocol/GatewayCodes.h"
#include "protocol/ReferenceForms.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

constexpr size_t BlockSize = 104;      // record bytes 6..109 of a data block
constexpr size_t MaxPasswordLength = 16;
constexpr size_t TypeLimitCount = 100;

struct ReferenceItem {
    uint8_t form = 0; // the write command it came with (13/15, 17/19, 23/25)
    uint8_t address = 0;
    ReferenceParameters parameters{};
    uint8_t status = 0; // ItemStatus
};

struct SlotLayout {
    uint8_t mask = 0;
    std::array<uint8_t, 8> kinds{}; // slot kind per slot, as the header write gave it
};

// The masks and kinds of the last header write.
struct FunctionHeader {
    SlotLayout inputs;
    SlotLayout outputs;
    uint8_t scheduleMask = 0;
    uint8_t blockMask = 0;
};

// One data block: a plain block of bytes, or (for list blocks) entries by index.
struct DataBlock {
    bool present = false;
    std::array<uint8_t, BlockSize> bytes{};
    std::map<uint8_t, std::vector<uint8_t>> entries;
};

struct GatewayFunction {
    uint8_t number = 0;
    uint8_t type = 0;
    uint8_t flags = 0;
    uint32_t stamp = 0;
    std::string name;
    FunctionHeader header;
    // [direction - 1][slot - 1]: direction 1 inputs, 2 outputs.
    std::array<std::array<std::vector<ReferenceItem>, 8>, 2> references;
    std::array<std::vector<uint8_t>, 4> schedules; // referenced function numbers per group
    std::array<DataBlock, 4> blocks;               // as written (and reported values)
    std::array<DataBlock, 2> history;              // blocks 3 and 4 as the gateway measures them

    std::vector<ReferenceItem>& slot(int direction, int slot) { return references[size_t(direction - 1)][size_t(slot - 1)]; }
    const std::vector<ReferenceItem>& slot(int direction, int slot) const
    {
        return references[size_t(direction - 1)][size_t(slot - 1)];
    }
    // No reference or schedule item and no data block: the header is all there is to read.
    bool headerOnly() const;
};

struct GatewayState {
    uint16_t network = 0;
    uint16_t netConfigStamp = 0;
    uint16_t memoryKiB = 0;
    uint32_t lastStamp = 0; // the stamps handed out so far; each accepted write takes the next
    std::string password;   // empty = none
    std::array<uint8_t, TypeLimitCount> typeLimits{};
    std::map<uint8_t, GatewayFunction> functions;

    uint32_t totalMemory() const { return uint32_t(memoryKiB) * 1024; }
    uint32_t usedMemory() const;
    uint32_t freeMemory() const;
    int countOfType(uint8_t type) const;
    uint32_t nextStamp() { return ++lastStamp; }

    bool operator==(const GatewayState&) const;
};

bool operator==(const ReferenceItem& a, const ReferenceItem& b);
bool operator==(const SlotLayout& a, const SlotLayout& b);
bool operator==(const FunctionHeader& a, const FunctionHeader& b);
bool operator==(const DataBlock& a, const DataBlock& b);
bool operator==(const GatewayFunction& a, const GatewayFunction& b);

// Types whose data block 1 holds the manual state (byte 0 = manual flag).
bool HasManualState(uint8_t type);
