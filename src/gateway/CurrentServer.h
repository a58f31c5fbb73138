#pragma once
// The communication server's window as "Select network" learned it. The
// function list and the editors start their exchanges (update, start/stop,
// deletion) long after the upload, so the window is kept here for them.

#include <cstdint>

// The server window of the connected gateway; 0 before any upload.
uint32_t CurrentServerWindow();
void SetCurrentServerWindow(uint32_t serverWindow);
