#include "gateway/CurrentServer.h"

namespace {
uint32_t currentServerWindow = 0;
}

uint32_t CurrentServerWindow() { return currentServerWindow; }

void SetCurrentServerWindow(uint32_t serverWindow) { currentServerWindow = serverWindow; }
