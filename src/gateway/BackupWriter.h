#pragma once
// Writing the backup file of a gateway when the function list closes while
// editable: every listed function of a known type with its stamp and its
// write telegrams as the update would send them, then the start state of the
// started functions. The file is written beside and renamed into place, so a
// failure never leaves half a file behind.

#include "gateway/BackupFile.h"

#include <cstdint>
#include <string>
#include <vector>

class QWidget;

// A function as the function list shows it.
struct ListedFunction {
    uint8_t number = 0;
    uint8_t type = 0;
    bool started = false;
};

enum class BackupWriteResult {
    Written,
    NoFunctions, // nothing of a known type: no file (an old one is removed)
    Failed,      // the operator was told why; no file is left that would mislead an upload
};

// Builds the file's content from MCDEF: stamps from the headers, telegrams
// from the records (the data blocks the type catalogue marks as written).
// Returns the database status that stopped it, after showing the database
// error message.
uint16_t BuildBackupFile(const std::string& gatewayAddress, const std::vector<ListedFunction>& functions,
                         BackupFile& file, QWidget* messageParent);

BackupWriteResult WriteBackupFile(const std::string& gatewayAddress, const std::vector<ListedFunction>& functions,
                                  QWidget* messageParent);

// The functions of MCDEF as the list would show them (for writing without the list).
uint16_t ListedFunctionsFromTable(std::vector<ListedFunction>& functions);
