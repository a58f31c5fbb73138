#pragma once
// Before an upload replaces MCDEF with what the gateway holds: the functions
// of that gateway whose changes the gateway has not accepted would be lost
// without a word. velt asks whether to send them first, discard them or
// cancel; mcftool upload refuses unless told to discard them.

#include "gateway/SyncState.h"
#include "gateway/UploadJob.h"

#include <QWidget>

#include <optional>
#include <string>
#include <vector>

// The gateway's marked functions; nothing, with the problem, when the marks cannot be read.
std::optional<std::vector<UnsentFunction>> UnsentFunctionsOf(const std::string& gatewayAddress, std::string& problem);

// "  3 Sales night" per function, one a line.
std::string UnsentListText(const std::vector<UnsentFunction>& functions);

// One event row per function: its changes that the gateway had not accepted
// were replaced by the upload. The status of the event log.
uint16_t LogDiscardedChanges(const std::string& gatewayAddress, const std::vector<UnsentFunction>& functions);

// velt's upload of a gateway: when functions of it carry the unsent mark, asks
// first (Yes sends them and uploads when every one was taken, No discards them
// and logs so after the upload, Cancel uploads nothing and gives Cancelled).
UploadResult RunUploadKeepingChanges(QWidget* parent, const std::string& gatewayAddress, uint32_t serverWindow,
                                     bool reset);
