#pragma once
// Which functions the gateway has not accepted as MCDEF defines them. An
// update that does not end with result 0 (refused, a link failure, a refused
// or cancelled password, a function half-written) leaves the database changed
// and the gateway as it was, or half-written; its function stays marked until
// an update of it succeeds, an upload replaces it or it is deleted.
//
// The marks are kept in a text file of the data folder, beside the tables and
// outside them, as a journal: a change appends one line per function, a mark
// or the line that clears it, and the last line of a function holds. A mark
// is on disk before the update that it warns of sends anything; a cleared
// mark is appended unflushed, since losing it can only leave a function
// marked that need not be. A line cut short (a crash while it was written)
// is ignored; the file is written anew, beside and renamed into place, when
// it ends in such a line or holds many lines that later ones overrule. A file
// that is not such a file is refused, never overwritten.

#include <QtGlobal>

#include <ctime>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

QT_FORWARD_DECLARE_CLASS(QWidget)

struct UnsentFunction {
    std::string gatewayAddress; // "001:125"
    uint8_t number = 0;
    std::string name;           // as MCDEF named it when its update failed
    std::time_t since = 0;      // the first update of it that the gateway did not accept
    std::string reason;         // how the last one ended

    bool operator==(const UnsentFunction&) const = default;
};

class SyncState {
public:
    // The marks in the text of the file; nothing, and "line N: what is wrong", when a line is neither
    // a mark nor a cleared mark.
    static std::optional<SyncState> parse(const std::string& text, std::string& problem);
    // The file of these marks alone.
    std::string text() const;

    struct Changes {
        std::string lines;        // to append to a file of `before`
        bool marksAdded = false;  // a function marked, or marked again
    };
    Changes changesFrom(const SyncState& before) const;
    size_t size() const { return m_functions.size(); }

    // Marks a function; a function marked already keeps its `since` and takes the new name and reason.
    void mark(const UnsentFunction& function);
    // False when the function was not marked.
    bool forget(const std::string& gatewayAddress, uint8_t number);
    // False when no function of the gateway was marked.
    bool forgetGateway(const std::string& gatewayAddress);

    const UnsentFunction* find(const std::string& gatewayAddress, uint8_t number) const;
    // The gateway's marked functions by number.
    std::vector<UnsentFunction> ofGateway(const std::string& gatewayAddress) const;

private:
    std::vector<UnsentFunction> m_functions; // by gateway, then number
};

// The file of the marks: MCSYNC.TXT in the data folder (`Install`/`DATADir`).
std::string SyncStateFile();

// The marks of the file; a missing file holds none. Nothing, and the problem
// naming the file, when it cannot be read or is not a file of marks.
std::optional<SyncState> ReadSyncState(std::string& problem);

// Reads the file, changes the marks and writes the file again when `change`
// says it changed them, with the data folder locked so that velt and mcftool
// take turns. The problem, naming the file, when either fails.
std::optional<std::string> ChangeSyncState(const std::function<bool(SyncState&)>& change);

// The stop message that the marks could not be recorded, naming the file and its problem.
void ReportSyncStateProblem(const std::string& problem, QWidget* messageParent);

// Forgets the marks of some functions of a gateway in one change, or of all
// its functions without numbers; a problem with the file is reported and returned.
std::optional<std::string> ForgetUnsentFunctions(const std::string& gatewayAddress,
                                                 const std::optional<std::vector<uint8_t>>& numbers, QWidget* messageParent);
