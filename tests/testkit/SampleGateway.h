#pragma once
// A small simulated gateway for the tests that talk to one without a server.

#include "ImageSource.h"

#include <gtest/gtest.h>

// A small gateway: a yearly schedule, a day/night function in manual mode with
// a reference the gateway gets no answer from, a Po optimizer configured
// without optimise communication, and a peak shaving function that references
// a schedule that is not there.
inline const char* const SampleGatewaySource = R"({
  "network": "001", "netConfigStamp": 500, "memoryKiB": 16, "typeLimits": [3, 1, 1, 2, 1, 1, 1, 1, 1],
  "password": "", "firstStamp": 100,
  "functions": [
    {"number": 1, "type": 0, "name": "Week",
     "settings": {"state": 1, "weekly": [[["07:00", "21:00"]], [], [], [], [], [], [["08:00", "12:00"], ["13:00", "17:00"]]],
                  "periods": [{"from": "2025-01-06 00:00", "to": "2025-01-06 23:59", "state": "off"}]}},
    {"number": 3, "type": 3, "name": "Night", "flags": ["started"], "schedules": {"1": [1]},
     "outputs": {"1": [{"address": 1}, {"address": 77, "status": ["no answer"]}],
                 "2": [{"address": 30, "parameter": [15, 2, 1], "ident": "RTH-20"}]},
     "settings": {"manual": 1, "manualValue": 1}},
    {"number": 5, "type": 8, "name": "Po",
     "inputs": {"1": [{"address": 1, "inputs": [[3, 14, 2, 7], [1, 1, 3, 250]], "ident": "EVA-100"},
                      {"address": 2, "inputs": [[3, 14, 2, 7]], "ident": "EVA-100", "status": ["type conflict"]}],
                "2": [{"address": 40, "inputs": [[8, 2, 3, 4]], "ident": "PAK-400"}]},
     "outputs": {"1": [{"address": 40, "parameter": [8, 1, 3], "class": 6, "ident": "PAK-400"}]},
     "settings": {"period": 1200, "actualOffset": 1.5, "optimiseCommunication": 255,
                  "evaporators": [{"address": 1, "loop": "A", "defrostDelay": 1200, "critical24h": 1000, "critical7d": 6000},
                                  {"address": 2, "loop": "B", "defrostDelay": 600, "critical24h": 440, "critical7d": 4080}]}},
    {"number": 6, "type": 4, "name": "Peak", "schedules": {"1": [1], "3": [2]},
     "outputs": {"1": [{"address": 30}]},
     "settings": {"impulsesPerKwh": 200, "normalMeter": 1000.5, "calculatedOffset": 0.5,
                  "consumption": {"lowTariff": [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13],
                                  "normalTariff": [21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33]},
                  "load": {"normalLoad": [1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1],
                           "peakLoad": [2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2]}}}
  ]
})";

inline GatewayState SampleGatewayState()
{
    std::string error;
    const auto state = GatewayStateFromSource(SampleGatewaySource, error);
    EXPECT_TRUE(state) << error;
    return state.value_or(GatewayState{});
}
