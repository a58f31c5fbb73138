#pragma once
// Deleting control functions: one at a time, a yearly schedule that other
// functions still reference is put to the operator first (skip it or stop
// the deletion); every other function is deleted in the gateway (command 90)
// and then from MCDEF, the function list and the gateway memory account.
// The names of the functions deleted are logged when the job ends, or when it
// goes without having ended.

#include "gateway/GatewayExchange.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

enum class DeleteResult : int {
    Done = 0,         // also stopped, cancelled, or the link was lost
    Refused = 1,      // the gateway refused, or its answer could not be read
    LocalFailure = 2, // allocation, sending or database
};

enum class ReferenceChoice { Skip, Stop };

// A function that references the schedule to be deleted.
struct ScheduleOwner {
    uint8_t number = 0;
    std::string name; // "???" when its header is missing
};

struct ReferenceQuestion {
    uint8_t schedule = 0;
    std::string scheduleName;
    std::vector<ScheduleOwner> owners; // once per referencing block
};

class DeleteJob : public GatewayJob<DeleteResult> {
    Q_OBJECT

public:
    // What the job needs from the function list, or from whoever runs it without one.
    struct Hooks {
        // The name the list shows for a function; empty: the header's name is used.
        std::function<std::string(uint8_t number)> listedName;
        // Takes a deleted function's row out of the list; false when it cannot.
        std::function<bool(uint8_t number)> removeRow;
        // Asks whether to skip a schedule that is still referenced or to stop.
        std::function<ReferenceChoice(const ReferenceQuestion& question)> askReference;
    };

    DeleteJob(std::string gatewayAddress, uint32_t serverWindow, std::vector<uint8_t> numbers, Hooks hooks,
              QWidget* messageParent);
    ~DeleteJob() override;

    void start();
    // The deletion ends before the next function.
    void cancel();

    const std::vector<std::string>& deletedNames() const { return m_deletedNames; }
    const std::vector<uint8_t>& deletedNumbers() const { return m_deletedNumbers; }
    // The link failed before every function was handled (the result is still Done).
    bool linkLost() const { return m_linkLost; }
    // The event log's status once the job has ended.
    uint16_t eventLogStatus() const { return m_eventLogStatus; }
    // The problem with the file of unsent marks when a deleted function's marks could not be forgotten.
    const std::optional<std::string>& syncStateProblem() const { return m_syncStateProblem; }

Q_SIGNALS:
    void captionChanged(const QString& caption);

protected:
    void onAnswer(const Telegram& answer, const CheckedAnswer& checked) override;
    void onUnexpectedAnswer() override;
    void onLinkFailure() override;
    void onReadFailure() override;

private:
    enum class Check { Pass, Skip, Stop };

    void postNext();
    void next();
    Check checkReferences(uint8_t schedule, const std::string& scheduleName);
    void removeLocally();
    void advance(int steps);
    void end(DeleteResult result);
    // Logs the deleted functions and forgets their marks, once, when the job ends.
    void recordDeletions();

    std::vector<uint8_t> m_numbers;
    Hooks m_hooks;
    int m_index = -1;
    bool m_cancelled = false;
    uint8_t m_currentType = 0;
    int m_progress = 0;
    std::vector<std::string> m_deletedNames;
    std::vector<uint8_t> m_deletedNumbers;
    bool m_linkLost = false;
    bool m_recorded = false;
    uint16_t m_eventLogStatus = 0;
    std::optional<std::string> m_syncStateProblem;
};
