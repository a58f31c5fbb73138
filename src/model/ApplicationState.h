#pragma once
// What the application object holds for the whole run: the command-line
// mode, whether the server link is ready, the version text, and the
// connected gateway's memory and per-type limits (filled at upload).

#include <array>
#include <cstdint>
#include <string>

namespace AppMode {
enum : int { Edit = 1, Browse = 2, Reset = 3 };
}

struct GatewayCapacity {
    uint32_t totalMemory = 0; // bytes
    uint32_t freeMemory = 0;  // bytes
    std::array<uint8_t, 100> typeLimits{}; // most functions the gateway accepts, per type code
};

struct ApplicationState {
    int mode = 0;
    bool serverReady = false;
    std::string versionText = "??";
    GatewayCapacity capacity;
};

ApplicationState& appState();
