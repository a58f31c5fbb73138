#pragma once
// What a Po optimizer keeps in its data blocks: the settings of block 1, the
// individual defrost delays of its evaporators in the records of block 2
// (twenty evaporators a record), and the output references of its compressor.

#include "model/McdefRecord.h"
#include "references/MultiParmRows.h"

#include <cstdint>
#include <string>
#include <vector>

struct PoSettings {
    uint16_t period = 20;          // minutes as entered (stored in seconds)
    uint16_t filter = 900;
    float kp = 1.0f;
    float tn = 900.0f;
    uint8_t offsetDisable = 0;
    float actualOffset = 0.0f;     // as the gateway last reported it
    uint8_t compressorLoop = 0;    // loop letter - 'A'
    uint8_t alarmEnable = 0;
    uint16_t alarmDelay = 240;
    // 255: the gateway does not offer the setting. A new function offers it, off.
    uint8_t optimiseCommunication = 0;

    bool operator==(const PoSettings&) const = default;
};

// The input slots of a Po optimizer's evaporators and of its compressor.
inline constexpr uint8_t EvaporatorInputSlot = 1;
inline constexpr uint8_t CompressorInputSlot = 2;

PoSettings UnpackPoSettings(const McdefRecord& block);
// Writes every setting but the reported offset; the other bytes stay.
void PackPoSettings(const PoSettings& settings, McdefRecord& block);

// The reported offset as shown: rounded half up to one decimal ("1.3" for
// 1.25), "0" while the offset is disabled.
std::string PoOffsetText(float offset, bool disabled);

// The records {number, 4, 2, s} of the evaporators' individual defrost
// delays: one per twenty rows, at most three; entry = row index over all
// records, address, loop letter - 'A', delay in seconds.
std::vector<McdefRecord> EvaporatorDelayRecords(uint8_t number, const std::vector<MultiParmRow>& rows);
// Gives the rows of a loaded list their delays and loop letters. A row takes
// the entry of its address and of the loop that its parameters name in
// QebType.ini, or else the next entry of its address; the loop letter is the
// looked-up one, or the entry's where QebType.ini names none, or "?" when
// neither tells.
void ApplyEvaporatorDelays(const std::vector<McdefRecord>& records, const QebTypeIni& ini,
                           std::vector<MultiParmRow>& rows);

// The compressor's output references: block 1 takes each row's output slot;
// block 2 the "Output2" reference of the row's loop when QebType.ini has one.
std::vector<McdefRecord> CompressorOutputRecords(uint8_t number, uint8_t block, const std::vector<MultiParmRow>& rows,
                                                 const QebTypeIni& ini);

// The evaporators of a Po optimizer: the rows of its input slot 1 with the
// delays and loop letters of its delay records (data block 2).
MultiRowsRead ReadEvaporatorRows(const std::string& gatewayAddress, uint8_t number, const QebTypeIni& ini);
// The compressor of a Po optimizer: the rows of its input slot 2, each with
// its loop letter and the output parameter of its reference in output slot 1.
MultiRowsRead ReadCompressorRows(const std::string& gatewayAddress, uint8_t number, const QebTypeIni& ini);
