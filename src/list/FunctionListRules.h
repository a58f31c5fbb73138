#pragma once
// The rules of the function list that need no window: the state of a row,
// which buttons a selection enables, which rows each operation takes, the
// used space, and the types a new function may have.

#include "model/ApplicationState.h"

#include <cstdint>
#include <string>
#include <vector>

// State bits of a list row.
namespace RowState {
enum : uint16_t { Started = 0x01, Error = 0x02, Manual = 0x04, UnknownType = 0x08 };
}

struct FunctionItem {
    uint8_t type = 0;
    std::string typeName;
    uint8_t number = 0;
    std::string name;
    uint16_t state = 0;
    // MCDEF holds a definition of it that the gateway has not accepted (gateway/SyncState.h):
    // since when and why.
    bool notSent = false;
    std::string notSentDetail;
};

// The row of a header record's type and flags.
FunctionItem ItemFromHeader(uint8_t number, uint8_t type, const std::string& name, uint8_t flags);

struct ListButtons {
    bool newFunction = false;
    bool edit = false;
    bool remove = false;
    bool print = false;
    bool start = false;
    bool stop = false;
    bool history = false;
};

constexpr int MaxListedFunctions = 105;

// Selected rows in list order.
ListButtons ComputeListButtons(const std::vector<FunctionItem>& selected, int rowCount, bool editable);

// Function numbers each operation takes from the selected rows (list order).
std::vector<uint8_t> DeleteSelection(const std::vector<FunctionItem>& selected);
std::vector<uint8_t> StartSelection(const std::vector<FunctionItem>& selected);
std::vector<uint8_t> StopSelection(const std::vector<FunctionItem>& selected);
std::vector<uint8_t> PrintSelection(const std::vector<FunctionItem>& selected);

// Used gateway memory in whole percent; 0 when the total is 0.
int UsedSpacePercent(uint32_t totalMemory, uint32_t freeMemory);

// The type codes, in catalogue order, that a new function may have: fewer
// functions of the type than the gateway's limit, and its size within the
// free memory.
std::vector<uint8_t> NewFunctionTypes(const std::vector<FunctionItem>& all, const GatewayCapacity& capacity);
