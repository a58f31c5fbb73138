#pragma once
// The readable source of a gateway image (JSON), turned into a gateway state
// by writing each function into an empty simulated gateway with the same
// telegrams an update sends, then adding what the gateway measures itself.
//
// {
//   "network": "001", "netConfigStamp": 14961, "memoryKiB": 64,
//   "typeLimits": [30, 10, ...],          limit per type code 0..8
//   "password": "",                        empty = none
//   "firstStamp": 5000,                    stamps are handed out after this
//   "functions": [ {
//     "number": 3, "type": 3, "name": "Sales night",
//     "flags": ["started", "error", "errorChecked"],  (manual mode follows setting "manual")
//     "inputs":  { "1": [reference, ...], ... },   by slot
//     "outputs": { "1": [...] },
//     "schedules": { "1": [1] },                      by group
//     "settings": { field: value, ... }               the data blocks by field name
//   } ]
// }
// A reference is {"address": 12} (automatic), {"address": 30, "parameter":
// [15, 2, 1], "ident": "RTH-20"} (class from the slot unless "class" is given)
// or {"address": 1, "inputs": [[3, 14, 2, 7], ...], "ident": "EVA-100"}
// (multi-parameter); "status": ["no answer", "type conflict"] is what the
// gateway reports for it, "checksum" overrides the identity checksum.

#include "GatewayState.h"

#include <optional>
#include <string>

std::optional<GatewayState> GatewayStateFromSource(const std::string& json, std::string& error);
std::optional<GatewayState> ReadImageSource(const std::string& path, std::string& error);
