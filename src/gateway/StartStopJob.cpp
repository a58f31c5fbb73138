#include "gateway/StartStopJob.h"

#include "gateway/AnswerCheck.h"
#include "gateway/TelegramBuilder.h"
#include "model/EventLog.h"
#include "model/McdefAccess.h"
#include "model/Messages.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "support/Db.h"
#include "support/RecordStore.h"
#include "support/UiSeam.h"

namespace {

// Bits 0..1 of record byte 5: the gateway's reference status (no answer, type conflict).
constexpr uint8_t GatewayStatusBits = 0x03;
constexpr uint8_t NoAnswerBit = 0x01;

// Clears the gateway's "no answer" bit of every reference block of a function
// that carries a gateway status; `statusLeft` tells whether any such block
// still has a status afterwards.
uint16_t clearReferenceStatus(uint8_t number, bool& statusLeft)
{
    statusLeft = false;
    if (const uint16_t open = OpenMcdef(); open != DbStatus::Success)
        return open;
    uint8_t key[4] = {number, BlockType::Input, 1, 0};
    McdefRecord r;
    uint16_t status = DbGet(table::Mcdef, 0, key, sizeof key, r.data(), McdefRecord::Size, DbOp::GetGreaterOrEqual);
    while (status == DbStatus::Success && r.number() == number
           && (r.blockType() == BlockType::Input || r.blockType() == BlockType::Output)) {
        if (r[5] & GatewayStatusBits) {
            r[5] = uint8_t(r[5] & ~NoAnswerBit);
            status = DbUpdate(table::Mcdef, 0, r.data(), McdefRecord::Size);
            if (status != DbStatus::Success)
                return status;
            statusLeft = statusLeft || r.status() != 0;
        }
        status = DbRelGet(table::Mcdef, 0, r.data(), McdefRecord::Size, DbOp::GetNext);
    }
    return status == DbStatus::Success || status == DbStatus::EndOfFile ? uint16_t(DbStatus::Success) : status;
}

} // namespace

uint16_t RecordStartStop(uint8_t number, bool started, std::string& name)
{
    McdefRecord header;
    uint16_t status = ReadBlock(number, BlockType::Header, 0, 0, header);
    if (status != DbStatus::Success)
        return status;
    bool statusLeft = false;
    if (!started && (header.flags() & FunctionFlag::ErrorMarks)) {
        status = clearReferenceStatus(number, statusLeft);
        if (status != DbStatus::Success)
            return status;
    }
    uint8_t flags = started ? uint8_t(header.flags() | FunctionFlag::Started)
                            : uint8_t(header.flags() & ~FunctionFlag::Started);
    if (!started && !statusLeft)
        flags &= FlagsKeptOnSave;
    header.setFlags(flags);
    name = header.name();
    return UpdateBlock(header);
}

StartStopJob::StartStopJob(std::string gatewayAddress, uint32_t serverWindow, uint8_t command,
                           std::vector<uint8_t> numbers, RowRefresh refreshRow, QWidget* messageParent)
    : GatewayJob(std::move(gatewayAddress), serverWindow, messageParent)
    , m_command(command)
    , m_numbers(std::move(numbers))
    , m_refreshRow(std::move(refreshRow))
{
}

void StartStopJob::start()
{
    if (!createSharedRecord()) {
        finish(StartStopResult::LocalFailure);
        return;
    }
    Q_EMIT progressRange(2);
    Q_EMIT progress(0);
    if (!send(BuildStartStopTelegram(m_command, gatewayAddress(), m_numbers)))
        finish(StartStopResult::LocalFailure);
}

void StartStopJob::onAnswer(const Telegram&, const CheckedAnswer& checked)
{
    Q_EMIT progress(1);
    if (checked.refused()) {
        ShowRefusal(*checked.status, messageParent());
        finish(StartStopResult::RefusedOrLinkFailure);
        return;
    }
    WaitCursor wait;
    std::vector<std::string> names;
    std::vector<uint8_t> recorded;
    if (const uint16_t status = recordAll(recorded, names); status != DbStatus::Success) {
        ReportDbError(table::Mcdef, status, __FILE__, __LINE__, messageParent());
        finish(StartStopResult::LocalFailure);
        return;
    }
    for (const uint8_t number : recorded) {
        if (m_refreshRow && !m_refreshRow(number)) {
            finish(StartStopResult::LocalFailure);
            return;
        }
    }
    Q_EMIT progress(2);
    m_eventLogStatus = LogFunctionEvent(gatewayAddress(), names, starting() ? txt::AreStarted : txt::AreStopped);
    finish(StartStopResult::Done);
}

uint16_t StartStopJob::recordAll(std::vector<uint8_t>& recorded, std::vector<std::string>& names) const
{
    // The gateway has taken the command for every function at once: the
    // headers take it in one transaction, all or none.
    if (const uint16_t open = OpenMcdef(); open != DbStatus::Success)
        return open;
    DbBatch batch(table::Mcdef);
    if (batch.beginStatus() != DbStatus::Success)
        return batch.beginStatus();
    for (const uint8_t number : m_numbers) {
        std::string name;
        const uint16_t status = RecordStartStop(number, starting(), name);
        if (status == DbStatus::KeyNotFound)
            continue;
        if (status != DbStatus::Success)
            return status;
        names.push_back(name);
        recorded.push_back(number);
    }
    return batch.commit();
}

void StartStopJob::onUnexpectedAnswer()
{
    ShowUnexpectedAnswer(messageParent());
    finish(StartStopResult::RefusedOrLinkFailure);
}

void StartStopJob::onLinkFailure()
{
    MessageById(txt::CommunicationErrorTryAgain, MB::Ok | MB::IconStop, messageParent());
    finish(StartStopResult::RefusedOrLinkFailure);
}

void StartStopJob::onReadFailure() { finish(StartStopResult::LocalFailure); }
