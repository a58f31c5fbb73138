#pragma once
// Which parts of a function the report prints, per function type: its
// settings blocks and its reference slots, each headed by the caption of a
// group box of the type's editor.

#include <array>
#include <cstdint>
#include <span>

struct ReportItem {
    uint32_t dialogId;                // the editor whose control captions the item
    uint8_t blockType;                // 4 settings, 1 inputs, 2 outputs, 3 schedules
    std::array<uint8_t, 8> blocks;    // block numbers; the first 0 ends them
    uint32_t captionControl;          // group box of the editor heading the item
};

// The items of a type in print order; empty for a type the report does not know.
std::span<const ReportItem> ReportItemsOf(uint8_t type);
