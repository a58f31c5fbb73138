#pragma once
// The ways the program reads and writes MCDEF: one block, all blocks of a
// function, all headers, create, change, remove; and the header load and save
// that every editor follows. MCDEF is opened on first use, not at start-up.

#include "model/McdefRecord.h"

#include <cstdint>
#include <string>
#include <vector>

// Opens MCDEF (mode -1) unless it is open; 0 when it can be used.
uint16_t OpenMcdef();

// Get-equal on {number, block type, block number, item}: 0, 4 (not found) or an error.
uint16_t ReadBlock(uint8_t number, uint8_t blockType, uint8_t blockNumber, uint8_t item, McdefRecord& record);
// Whether the block {number, block type, block number, item} exists, by its
// key alone; 0, or an error status.
uint16_t FindBlockKey(uint8_t number, uint8_t blockType, uint8_t blockNumber, uint8_t item, bool& exists);
// Every block of a function in key order; 0, or an error status.
uint16_t ReadFunction(uint8_t number, std::vector<McdefRecord>& blocks);
// The same for a defined function: 4 (key not found) when no header comes first.
uint16_t ReadDefinedFunction(uint8_t number, std::vector<McdefRecord>& blocks);
// The blocks {number, block type, block number, *} in key order; 0, or an error status.
uint16_t ReadBlocks(uint8_t number, uint8_t blockType, uint8_t blockNumber, std::vector<McdefRecord>& blocks);
// The blocks {number, block type, *, *} in key order; 0, or an error status.
uint16_t ReadBlocksOfType(uint8_t number, uint8_t blockType, std::vector<McdefRecord>& blocks);
// Every header in number order; 0, or an error status.
uint16_t ReadHeaders(std::vector<McdefRecord>& headers);

uint16_t InsertBlock(const McdefRecord& record);
// Positions on the record's key and replaces that record; 4 when there is none.
uint16_t UpdateBlock(const McdefRecord& record);
// Replaces the record with the same key, or inserts it.
uint16_t WriteBlock(const McdefRecord& record);
// Deletes every block of a function; the header's name is handed back.
uint16_t RemoveFunction(uint8_t number, std::string* headerName = nullptr);
// Deletes the blocks {number, block type, block number, *}.
uint16_t RemoveBlocks(uint8_t number, uint8_t blockType, uint8_t blockNumber);
// Replaces the blocks {number, block type, block number, *} by `records`, in
// their order, in one batch; records that share one key stay apart. At the
// first error nothing of it is kept.
uint16_t ReplaceBlocks(uint8_t number, uint8_t blockType, uint8_t blockNumber, const std::vector<McdefRecord>& records);

// The owners of the schedule reference blocks that name a schedule, once per
// block, along key 1 {3, schedule}.
uint16_t FindScheduleReferences(uint8_t schedule, std::vector<uint8_t>& owners);

// The header an editor works on.
struct EditorHeader {
    McdefRecord record;
    bool existed = false;
};

// Reads the header; a missing one gives a new zeroed header with number and
// type (existed = false) and status 0. Any other status is returned.
uint16_t LoadEditorHeader(uint8_t number, uint8_t type, EditorHeader& header);
// Clears both error marks, ORs in extraFlags, stores the name (at most 16
// characters) and updates the header, or inserts it when it was new.
uint16_t SaveEditorHeader(EditorHeader& header, const std::string& name, uint8_t extraFlags = 0);

// The lowest number 1..105 that is not used; 0 when none is free.
uint8_t LowestFreeNumber(const std::vector<uint8_t>& usedNumbers);
