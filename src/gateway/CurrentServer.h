#pragma once
// The communication server's window as "Select network" learned it. The
// function list and the editors start their exchanges (update, start/stop,
// deletion) long after the upload, so the window is kept here for them.

#include <cstdint>
#include <string>

// The server window of the connected gateway; 0 before any upload.
uint32_t CurrentServerWindow();
// Keeps the window, learned over the link as it is open now.
void SetCurrentServerWindow(uint32_t serverWindow);
// The window for a job on the gateway: the current one while the link it was
// learned over is open. When the server went away since (it was stopped and
// started again), the program announces itself and connects the gateway
// afresh, once; when that fails too, the current window, with which the job
// then fails as the link does.
uint32_t ServerWindowForJob(const std::string& gatewayAddress);
