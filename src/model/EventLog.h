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

// The rows that a call would write, without writing them (for the tools and tests).
std::vector<std::string> PackEventRows(const std::string& header, const std::string& functionName,
                                       const std::vector<std::string>& items, const std::string& phrase);
