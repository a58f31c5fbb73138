#pragma once
// How the upload reads a function: the requests that follow its header
// answer, and the conversion of every telegram form (the gateway's read
// answers and the write telegrams of a backup file) into MCDEF records.

#include "model/McdefRecord.h"
#include "protocol/HeaderTelegram.h"
#include "protocol/Telegram.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>


// What the directory and the stamps told about one function.
struct DirectoryEntry {
    uint8_t type = 255; // 255: no function with this number
    uint32_t stamp = 0;
    uint8_t flags = 0;
    bool fromBackup = false;

    bool exists() const { return type != 255; }
};

struct ReadRequest {
    uint8_t command;
    uint8_t p;
    uint8_t offset;
    std::vector<uint8_t> data;
};

// Everything to ask for after a header answer: the reference slots in
// portions by their kind, the schedule groups, the data blocks.
std::vector<ReadRequest> FunctionRequests(const HeaderTelegram& header);
// The data block requests of a function: one per block, the yearly
// schedule's periods in requests of 10, the Po optimizer's evaporator lists
// in portions of 20 (one entry per item of input slot 1).
std::vector<ReadRequest> DataBlockRequests(const HeaderTelegram& header);

// Turns the telegrams of one function, in the order they came, into records.
// `typeFromDirectory` and the directory's stamp and flags complete a header
// taken from a backup file.
std::vector<McdefRecord> ConvertTelegrams(uint8_t number, const std::vector<Telegram>& telegrams,
                                          const DirectoryEntry& directory);
