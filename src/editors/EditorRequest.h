#pragma once
// What an editor is opened with and what it answers.

#include <cstdint>
#include <functional>
#include <string>

class QWidget;

// Results of an editor, the values its dialog ends with: IDOK (saved, or
// nothing to save), IDCANCEL, or the connection or the database failed, and
// the function list closes.
enum class EditorResult : int { Ok = 1, Cancel = 2, ConnectionLost = -1, DatabaseFailure = -2 };

struct EditorRequest;
using EditorFunction = std::function<EditorResult(QWidget* parent, const EditorRequest& request)>;

struct EditorRequest {
    std::string gatewayAddress;
    uint8_t type = 0;
    uint8_t number = 0;
    bool readOnly = false;
    // The editor of a type, for editors that open another (the schedule
    // selection opens the yearly schedule editor); empty when there is none.
    std::function<EditorFunction(uint8_t type)> editorFor;
    // Tells the function list what an editor opened from an editor did, as if
    // the list had opened it; false when the list must close.
    std::function<bool(uint8_t number, uint8_t type, EditorResult result, bool created)> listChanged;
};
