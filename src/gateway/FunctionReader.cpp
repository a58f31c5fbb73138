#include "gateway/FunctionReader.h"

#include "protocol/HeaderTelegram.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"

#include <algorithm>

namespace {

// Where the directory answer lists the type of function 1 (255 = none).
constexpr size_t DirectoryTypesOffset = 28;
constexpr uint8_t NoFunction = 255;

} // namespace

FunctionReader::FunctionReader(std::vector<uint8_t> wanted)
    : m_wanted(std::move(wanted))
{
    m_types.fill(NoFunction);
}

std::optional<ReadRequest> FunctionReader::nextRequest()
{
    switch (m_phase) {
    case Phase::Directory:
        return ReadRequest{Command::Directory, 255, 0, {}};
    case Phase::Header:
        return ReadRequest{Command::ReadHeader, 255, 0, {m_current}};
    case Phase::Data:
        return m_requests.front();
    case Phase::Done:
        break;
    }
    return std::nullopt;
}

bool FunctionReader::takeAnswer(const Telegram& answer)
{
    switch (m_phase) {
    case Phase::Directory:
        for (int n = 1; n <= MaxFunctionNumber; ++n)
            m_types[size_t(n)] = answer[DirectoryTypesOffset + size_t(n - 1)];
        if (m_wanted.empty()) {
            for (int n = 1; n <= MaxFunctionNumber; ++n)
                if (m_types[size_t(n)] != NoFunction)
                    m_queue.push_back(uint8_t(n));
        } else {
            for (const uint8_t n : m_wanted) {
                if (n >= 1 && n <= MaxFunctionNumber && m_types[n] != NoFunction)
                    m_queue.push_back(n);
                else
                    m_missing.push_back(n);
            }
        }
        queueNextFunction();
        return true;
    case Phase::Header: {
        const HeaderTelegram header = ReadHeaderAnswer(answer);
        if (header.number != m_current || header.type != m_types[m_current] || !IsKnownType(header.type)) {
            m_problem = StrFormat("the header answer of function %u does not fit its directory entry (type %u)",
                                  m_current, m_types[m_current]);
            return false;
        }
        m_functions[m_current].push_back(answer);
        const std::vector<ReadRequest> requests = FunctionRequests(header);
        m_requests.assign(requests.begin(), requests.end());
        if (m_requests.empty())
            queueNextFunction();
        else
            m_phase = Phase::Data;
        return true;
    }
    case Phase::Data:
        if (answer[TelegramField::Parameter] != m_types[m_current]) {
            m_problem = StrFormat("an answer about function %u names type %u, the directory %u", m_current,
                                  answer[TelegramField::Parameter], m_types[m_current]);
            return false;
        }
        m_functions[m_current].push_back(answer);
        m_requests.pop_front();
        if (m_requests.empty())
            queueNextFunction();
        return true;
    case Phase::Done:
        break;
    }
    return false;
}

void FunctionReader::queueNextFunction()
{
    if (m_queue.empty()) {
        m_phase = Phase::Done;
        return;
    }
    m_current = m_queue.front();
    m_queue.pop_front();
    m_phase = Phase::Header;
}

FunctionReadJob::FunctionReadJob(std::string gatewayAddress, uint32_t serverWindow, std::vector<uint8_t> wanted)
    : GatewayJob(std::move(gatewayAddress), serverWindow, nullptr)
    , m_reader(std::move(wanted))
{
}

void FunctionReadJob::start()
{
    if (!createSharedRecord()) {
        fail("no shared record for the telegrams");
        return;
    }
    sendNext();
}

void FunctionReadJob::sendNext()
{
    const std::optional<ReadRequest> request = m_reader.nextRequest();
    if (!request) {
        finish(ReadResult::Done);
        return;
    }
    if (!sendCommand(request->command, uint16_t(request->data.size()), request->p, request->offset,
                     request->data.data()))
        fail("a read request could not be sent");
}

void FunctionReadJob::onAnswer(const Telegram& answer, const CheckedAnswer&)
{
    if (!m_reader.takeAnswer(answer)) {
        fail(m_reader.problem());
        return;
    }
    sendNext();
}

void FunctionReadJob::onUnexpectedAnswer() { fail("an answer that does not answer the request"); }

void FunctionReadJob::onLinkFailure() { fail("the link to the gateway failed"); }

void FunctionReadJob::onReadFailure() { fail("the answer could not be read from the shared record"); }

void FunctionReadJob::fail(const std::string& problem)
{
    m_problem = problem;
    finish(ReadResult::Failed);
}
