#pragma once
// The editor of each function type.

#include "editors/EditorRequest.h"

#include <cstdint>

// The editor of a type; empty when the type has none (yet).
EditorFunction EditorForType(uint8_t type);
