#pragma once
// How the data blocks of each type travel: the bytes of a plain block in a
// write and in a read answer, or the entries of a list block.

#include <cstddef>
#include <cstdint>
#include <vector>

struct BlockLayout {
    uint8_t type;
    uint8_t block;
    uint8_t writeBytes; // block bytes in a write (data length - 1); 0 = never written
    uint8_t readBytes;  // block bytes in a read answer (plain blocks)
    uint8_t entrySize;  // list blocks: bytes per entry (the index first); 0 = plain
    uint8_t entriesPerRecord;
    bool measured;      // read answers come from the gateway's own history
};

// The layout of a block of a type; null when the type has no such block.
const BlockLayout* FindBlockLayout(uint8_t type, uint8_t block);

// The data length of a block's write telegram; list blocks count their
// entries. 0 when the block is never written.
uint16_t DataBlockWriteLength(uint8_t type, uint8_t block, uint8_t entryCount);

// A read answer carries the number, flags and stamp before the block (answer byte 30).
constexpr size_t DataBlockAnswerContent = 6;

// Block 1 of a Po optimizer: its optimise-communication byte; 255 = not
// configured, and the gateway then answers the short form without it.
constexpr size_t PoOptimiseCommunicationByte = 21;
constexpr uint8_t NotConfigured = 255;

// Bytes of a plain block that the gateway measures itself; writes leave them
// alone. `first` counts from the block's first byte (record byte 6).
struct ReportedRange {
    uint8_t type;
    uint8_t block;
    uint8_t first;
    uint8_t length;
};
const std::vector<ReportedRange>& ReportedRanges();
bool IsReportedByte(uint8_t type, uint8_t block, size_t byte);
