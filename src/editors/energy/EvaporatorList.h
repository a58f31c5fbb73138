#pragma once
// The evaporator loops of a Po optimizer: input slot 1 of the function, and
// the individual defrost delay of each evaporator in the records of data
// block 2. Columns may be left out by a hide mask (bit k leaves out column k).

#include "editors/energy/PoOptimizerSettings.h"
#include "references/MultiParmList.h"

class EvaporatorList : public MultiParmList {
    Q_OBJECT

public:
    static constexpr uint8_t InputBlock = EvaporatorInputSlot;

    explicit EvaporatorList(QWidget* parent = nullptr, uint32_t hideMask = 0);

    // The rows of the function's input references with their delays and
    // loop letters; false after a database error (reported) or a full list.
    bool LoadEvaporators(const std::string& gatewayAddress, uint8_t functionNumber);
    // Replaces the delay records of the function by those of the rows; false
    // after a database error (reported).
    bool StoreDefrostDelays(uint8_t functionNumber);
};
