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

// Ranges of the settings as entered.
namespace PoRange {
inline constexpr int PeriodMin = 5, PeriodMax = 30;
inline constexpr int FilterMin = 300, FilterMax = 3000;
inline constexpr double KpMin = 0.2, KpMax = 2.0;
inline constexpr double TnMin = 300, TnMax = 3000;
inline constexpr int AlarmDelayMin = 0, AlarmDelayMax = 1440;
inline constexpr int DefrostDelayMin = 1, DefrostDelayMax = 240; // minutes
} // namespace PoRange

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
// Gives the rows of a loaded list their delays and loop letters: an entry
// whose address and index are the row's gives both; otherwise, and for rows
// without an entry, the loop letter is looked up again in QebType.ini ("?"
// when no loop of the row's controller matches).
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
