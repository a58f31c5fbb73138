#pragma once
// What a reference group accepts, read from the slot descriptors of its
// function type, and the checks the selection dialog makes on the rows the
// operator chose before it hands them to the editor.

#include "references/ReferenceRow.h"

#include <array>
#include <cstdint>
#include <vector>

struct GroupLimits {
    // Automatic slots: how many rows, and the support level a controller needs.
    uint8_t automaticMaximum = 0;
    uint8_t minimumLevel = 0;
    // Parameter slots: how many rows, which function parameter they serve and
    // the parameter class of every such slot, in slot order.
    uint8_t parameterMaximum = 0;
    uint8_t functionParameter = 0;
    std::vector<uint8_t> classes;
    // Automatic and parameter rows must not be mixed.
    bool noMixing = false;

    bool automaticAllowed() const { return automaticMaximum > 0; }
    bool parametersAllowed() const { return parameterMaximum > 0; }
    // The list lets the operator choose one row only.
    bool singleSelection() const;
};

// The limits of the slots a group feeds (block numbers; the first 0 ends them).
// Where a group has several slots of one sort, the last one gives the values.
GroupLimits GroupLimitsOf(uint8_t functionType, uint8_t blockType, const std::array<uint8_t, 4>& blockNumbers);

struct SelectionCount {
    int automatic = 0;
    int parameters = 0;
    bool errors = false;        // a row with status 2; counting stopped there
    bool notDefined = false;    // a "Not defined" row
    bool needsApproval = false; // a row waiting for approval
};

SelectionCount CountSelection(const std::vector<const ReferenceRow*>& selected);

// The first reason, in the dialog's order, why the selection cannot be taken.
enum class SelectionVerdict { ErrorsSelected, NotDefinedSelected, TooManyAutomatic, TooManyParameters, Mixed, Take };

SelectionVerdict JudgeSelection(const SelectionCount& count, const GroupLimits& limits);
