#pragma once
// What the function list hands its operations to: the editor of each type,
// the deletion, start and stop, sending a function to the gateway again, the
// report, the Po optimizer history and the backup file. An operation that is not there leaves its button disabled; a
// type without an editor answers that it is not implemented.

#include "editors/EditorRequest.h"
#include "gateway/StartStopJob.h"
#include "gateway/UpdateJob.h"
#include "list/DeleteJob.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class MCFODlg;
class QWidget;

struct ListOperations {
    // The editor of a type; empty when the type has none.
    std::function<EditorFunction(uint8_t type)> editorFor;
    // Deletes the functions; the list closes unless the deletion is done.
    std::function<DeleteResult(MCFODlg& list, const std::vector<uint8_t>& numbers)> deleteFunctions;
    // Starts (command 12) or stops (13) the functions; the list closes when they failed.
    std::function<StartStopResult(MCFODlg& list, int command, const std::vector<uint8_t>& numbers)> startStop;
    std::function<void(MCFODlg& list, const std::vector<uint8_t>& numbers)> print;
    std::function<void(MCFODlg& list, uint8_t number)> history;
    // Sends a function whole to the gateway, as its editor's update does.
    std::function<UpdateResult(MCFODlg& list, uint8_t number, uint8_t type)> sendToGateway;
    // Writes the backup file of the gateway when the list closes while editable.
    std::function<void(MCFODlg& list)> writeBackup;
};

namespace StartStopCommand {
enum : int { Start = 12, Stop = 13 };
}
