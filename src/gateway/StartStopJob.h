#pragma once
// Starting and stopping functions: one telegram (command 70 or 80) with the
// numbers the function list hands over; when the gateway accepts it, every
// function's header records the new state, its row in the list is refreshed
// and the change is logged.

#include "gateway/GatewayExchange.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class StartStopResult : int {
    Done = 0,
    RefusedOrLinkFailure = 2,
    LocalFailure = 3, // allocation or database
};

class StartStopJob : public GatewayJob<StartStopResult> {
    Q_OBJECT

public:
    // Re-reads a function's row in the function list; false when the list
    // could not (it closes then).
    using RowRefresh = std::function<bool(uint8_t number)>;

    // command: Command::Start or Command::Stop.
    StartStopJob(std::string gatewayAddress, uint32_t serverWindow, uint8_t command, std::vector<uint8_t> numbers,
                 RowRefresh refreshRow, QWidget* messageParent);

    void start();
    bool starting() const { return m_command == Command::Start; }
    // The event log's status once the change was logged; the job's result
    // stays Done when only the log row was lost.
    uint16_t eventLogStatus() const { return m_eventLogStatus; }

protected:
    void onAnswer(const Telegram& answer, const CheckedAnswer& checked) override;
    void onUnexpectedAnswer() override;
    void onLinkFailure() override;
    void onReadFailure() override;

private:
    // Records the command in the header of every function still in MCDEF,
    // in one transaction; the numbers and names recorded, or the status.
    uint16_t recordAll(std::vector<uint8_t>& recorded, std::vector<std::string>& names) const;

    uint8_t m_command;
    std::vector<uint8_t> m_numbers;
    RowRefresh m_refreshRow;
    uint16_t m_eventLogStatus = 0;
};

// Records a start or stop of one function in MCDEF. A stop of a function
// with an error mark first clears the gateway's "no answer" bit of its
// reference blocks; when none of those blocks keeps a status bit, the
// function loses both error marks. The function's name is handed back.
// Returns the database status (4: there is no such function).
uint16_t RecordStartStop(uint8_t number, bool started, std::string& name);
