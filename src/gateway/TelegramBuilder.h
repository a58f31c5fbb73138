#pragma once
// The write telegrams of a function, built from its MCDEF records: the header
// with its item counts, masks and kinds; the references in their three forms;
// the schedule references; the writable data blocks. The update sends them,
// the backup file keeps them.

#include "model/McdefRecord.h"
#include "protocol/Telegram.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The telegrams of records that belong to one function, in key order. In
// data-blocks-only mode the records are the data blocks and `type` names the
// function's type; blocks not in `writableBlocks` are left out.
std::vector<Telegram> BuildFunctionTelegrams(const std::string& gatewayAddress, uint8_t type,
                                             const std::vector<McdefRecord>& records, bool dataBlocksOnly,
                                             const std::array<uint8_t, 4>& writableBlocks);

// Reads a function's records and builds its telegrams; the database status
// that stopped it (0 when built).
uint16_t BuildFunctionTelegramsFromTable(const std::string& gatewayAddress, uint8_t number, bool dataBlocksOnly,
                                         const std::array<uint8_t, 4>& writableBlocks,
                                         std::vector<Telegram>& telegrams);

// Start (command 70) or stop (80) of functions: the count, then the numbers.
Telegram BuildStartStopTelegram(uint8_t command, const std::string& gatewayAddress,
                                const std::vector<uint8_t>& numbers);
