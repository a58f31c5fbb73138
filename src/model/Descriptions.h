#pragma once
// Lookups in the controller descriptions (QEBDES).

#include "model/Records.h"

#include <cstdint>
#include <string>

enum class DescriptionLookup { Found, Missing, Failed };

// The description of a parameter: key 1 {description key, P1, P2, P3, 0}
// with get-greater-or-equal; Found only when the record has that key and
// those numbers. `status` keeps the database status of a failure.
DescriptionLookup DescribeParameter(const std::string& descKey, uint16_t p1, uint16_t p2, uint16_t p3,
                                    QebDesRecord& description, uint16_t& status);

// Whether anything is described under a description key (a key-only look
// along key 0); the status of the look, 0 and 9 being normal.
uint16_t ProbeDescription(const std::string& descKey, bool& described);
