#pragma once
// The event log of changes to a gateway's control functions. Every row starts
// with a header line (gateway address and ID code) and holds at most 300
// characters of text; long lists are spread over several rows, each complete
// in itself. All calls return the database status of the table: Success when
// every row was stored; after a failed open or insert the status of that
// failure, leaving the rows already written.

#include <cstdint>
#include <string>
#include <vector>

// A reference list that was changed: its kind (1 input, 2 output, 3 schedule)
// and the caption of its group.
struct ChangedList {
    int kind;
    std::string caption;
};

// header + names separated by ", " + " " + phrase (created, started, stopped, deleted).
[[nodiscard]] uint16_t LogFunctionEvent(const std::string& gatewayAddress,
                                        const std::vector<std::string>& functionNames, uint16_t phraseId);

// header + function name + "\n" + line for each line.
[[nodiscard]] uint16_t LogChangeLines(const std::string& gatewayAddress, const std::string& functionName,
                    const std::vector<std::string>& lines);

// One line per kind (input, output, schedule): "Label caption, caption is/are changed",
// written as change lines.
[[nodiscard]] uint16_t LogFunctionChanges(const std::string& gatewayAddress, const std::string& functionName,
                        const std::vector<ChangedList>& changes);

// The change lines an editor puts together in the order its log needs.
// The lines of LogFunctionChanges.
std::vector<std::string> ChangedListLines(const std::vector<ChangedList>& changes);
// "Name  old -> new"; nothing when the name stayed (compared byte-wise).
std::vector<std::string> NameChangeLines(const std::string& loadedName, const std::string& savedName);
// "group box  old -> new" for a check box; nothing when its state stayed.
std::vector<std::string> CheckBoxChangeLines(const std::string& group, const std::string& box, int loaded, int saved);
// "label  OFF -> ON" for a setting switched on or off; nothing when it stayed.
std::vector<std::string> SwitchChangeLines(uint16_t labelId, bool loaded, bool saved);
// "label  old -> new" for a whole number; nothing when it stayed.
std::vector<std::string> NumberChangeLines(uint16_t labelId, int16_t loaded, int16_t saved);

// The rows that a call would write, without writing them (for the tools and tests).
std::vector<std::string> PackEventRows(const std::string& header, const std::string& functionName,
                                       const std::vector<std::string>& items, const std::string& phrase);
