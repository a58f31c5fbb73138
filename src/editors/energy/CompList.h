#pragma once
// The compressor of a Po optimizer: input slot 2 of the function, and its
// output references (the Po offset it receives, and a second output when
// QebType.ini names one for the compressor's loop).

#include "editors/energy/PoOptimizerSettings.h"
#include "references/MultiParmList.h"

class CompList : public MultiParmList {
    Q_OBJECT

public:
    static constexpr uint8_t InputBlock = CompressorInputSlot;

    explicit CompList(QWidget* parent = nullptr);

    // The rows of the function's compressor input references, each with the
    // loop its slots belong to ("?" when none) and its output reference of
    // block 1; false after a database error (reported) or a full list.
    bool LoadCompressor(const std::string& gatewayAddress, uint8_t functionNumber);
    // Replaces the output records of blocks 1 and 2 by those of the rows;
    // false when the function type has no output slot 1 or after a database
    // error (reported).
    bool StoreOutputs(uint8_t functionType, uint8_t functionNumber);
};
