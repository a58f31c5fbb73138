#pragma once
// Reading functions back from the gateway without writing anything: the
// directory, then per function its header and the requests that follow it
// (the upload's requests). FunctionReader is the order of the requests and
// the check of each answer; FunctionReadJob sends them through the
// communication server, and the update's read-back drives the same reader.

#include "gateway/GatewayExchange.h"
#include "gateway/TelegramConversion.h"

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

class FunctionReader {
public:
    // `wanted`: the function numbers to read; empty = every function of the directory.
    explicit FunctionReader(std::vector<uint8_t> wanted);

    // The request to send next; nothing when every function is read.
    std::optional<ReadRequest> nextRequest();
    // Takes the answer to the request last handed out; false (and problem()
    // says why) when it does not answer it as a read of that function.
    bool takeAnswer(const Telegram& answer);

    // The read answers of each function read, header first.
    const std::map<uint8_t, std::vector<Telegram>>& functions() const { return m_functions; }
    // Wanted numbers that the gateway's directory does not hold.
    const std::vector<uint8_t>& missing() const { return m_missing; }
    const std::string& problem() const { return m_problem; }

private:
    enum class Phase { Directory, Header, Data, Done };

    void queueNextFunction();

    std::vector<uint8_t> m_wanted;
    Phase m_phase = Phase::Directory;
    std::array<uint8_t, MaxFunctionNumber + 1> m_types{};
    std::deque<uint8_t> m_queue;
    uint8_t m_current = 0;
    std::deque<ReadRequest> m_requests;
    std::map<uint8_t, std::vector<Telegram>> m_functions;
    std::vector<uint8_t> m_missing;
    std::string m_problem;
};

enum class ReadResult : int { Done = 0, Failed = 1 };

class FunctionReadJob : public GatewayJob<ReadResult> {
    Q_OBJECT

public:
    FunctionReadJob(std::string gatewayAddress, uint32_t serverWindow, std::vector<uint8_t> wanted);

    void start();

    const FunctionReader& reader() const { return m_reader; }
    // Why the read failed; empty when it did not.
    const std::string& problem() const { return m_problem; }

protected:
    void onAnswer(const Telegram& answer, const CheckedAnswer& checked) override;
    void onUnexpectedAnswer() override;
    void onLinkFailure() override;
    void onReadFailure() override;

private:
    void sendNext();
    void fail(const std::string& problem);

    FunctionReader m_reader;
    std::string m_problem;
};
