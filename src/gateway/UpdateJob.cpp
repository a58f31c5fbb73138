#include "gateway/UpdateJob.h"

#include "gateway/AnswerCheck.h"
#include "gateway/SyncState.h"
#include "gateway/TelegramBuilder.h"
#include "model/EventLog.h"
#include "model/FunctionSettings.h"
#include "model/McdefAccess.h"
#include "model/Messages.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "protocol/LittleEndian.h"
#include "protocol/Answer.h"
#include "support/Clock.h"
#include "support/Db.h"
#include "support/DbStatus.h"
#include "support/UiSeam.h"

#include <cstdlib>

namespace {

// The new stamp of the function in a write answer.
constexpr size_t AnswerStampOffset = 26;

uint16_t networkNumber(const std::string& gatewayAddress)
{
    return uint16_t(std::atoi(gatewayAddress.substr(0, 3).c_str()));
}

} // namespace

const char* UpdateResultMeaning(UpdateResult result)
{
    switch (result) {
    case UpdateResult::Done: return "done";
    case UpdateResult::Refused: return "refused by the gateway";
    case UpdateResult::NotSent: return "not sent";
    case UpdateResult::LinkFailure: return "link failure, partly sent";
    case UpdateResult::LocalFailure: return "local failure";
    case UpdateResult::StoredOtherwise: return "the gateway stores something else than was sent";
    }
    return "unknown result";
}

std::array<char, PasswordTexts::Size> PasswordTextBlock()
{
    std::array<char, PasswordTexts::Size> block{};
    const struct {
        uint16_t id;
        size_t offset;
        size_t size;
    } fields[] = {
        {txt::PasswordTitle, PasswordTexts::Title, PasswordTexts::CheckingSupport - PasswordTexts::Title},
        {txt::PasswordCheckingSupport, PasswordTexts::CheckingSupport, PasswordTexts::Checking - PasswordTexts::CheckingSupport},
        {txt::PasswordChecking, PasswordTexts::Checking, PasswordTexts::Label - PasswordTexts::Checking},
        {txt::PasswordLabel, PasswordTexts::Label, PasswordTexts::Ok - PasswordTexts::Label},
        {txt::PasswordOk, PasswordTexts::Ok, PasswordTexts::Cancel - PasswordTexts::Ok},
        {txt::PasswordCancel, PasswordTexts::Cancel, PasswordTexts::Size - PasswordTexts::Cancel},
    };
    for (const auto& field : fields)
        TextById(field.id, block.data() + field.offset, field.size);
    return block;
}

UpdateJob::UpdateJob(std::string gatewayAddress, uint32_t serverWindow, uint8_t number, uint32_t mode,
                     const std::array<uint8_t, 4>& writableBlocks, QWidget* passwordParent, QWidget* messageParent)
    : GatewayJob(std::move(gatewayAddress), serverWindow, messageParent)
    , m_number(number)
    , m_mode(mode)
    , m_writableBlocks(writableBlocks)
    , m_passwordParent(passwordParent)
{
    // Connected first, so that the mark is recorded before anyone learns of the end, however the update ends.
    connect(this, &GatewayExchange::done, this, [this](int result) { recordSyncState(UpdateResult(result)); });
}

void UpdateJob::start()
{
    if (!createSharedRecord()) {
        fail(UpdateResult::LocalFailure, "no memory for the telegram");
        return;
    }
    const uint16_t status = BuildFunctionTelegramsFromTable(gatewayAddress(), m_number,
                                                            m_mode == UpdateMode::DataBlocksOnly, m_writableBlocks,
                                                            m_telegrams);
    if (status != DbStatus::Success) {
        ReportDbError(table::Mcdef, status, __FILE__, __LINE__, messageParent());
        fail(UpdateResult::LocalFailure, std::string("MCDEF cannot be read: ") + DbStatusText(status));
        return;
    }
    if (m_telegrams.empty()) {
        fail(UpdateResult::LocalFailure, "MCDEF holds nothing to send");
        return;
    }
    if (!settingsInRange())
        return;
    Q_EMIT progressRange(telegramCount());
    Q_EMIT progress(0);
    m_wasMarked = markedBefore();
    if (!passwordAccepted())
        return;
    // A program that dies while the telegrams go out leaves its function marked; the end replaces the mark.
    // A file that cannot take it is reported once, at the end.
    markUnsent("the update did not end: the program stopped while it was sending");
    sendNext();
}

bool UpdateJob::settingsInRange()
{
    FunctionCheck check;
    const uint16_t status = CheckStoredFunction(m_number, check);
    if (status != DbStatus::Success) {
        ReportDbError(table::Mcdef, status, __FILE__, __LINE__, messageParent());
        fail(UpdateResult::LocalFailure, std::string("MCDEF cannot be read: ") + DbStatusText(status));
        return false;
    }
    if (check.passed())
        return true;
    const std::string text = FunctionCheckText(check);
    ShowMessage(QString::fromStdString("Not sent to the gateway: a value is outside its range.\n" + text),
                MB::Ok | MB::IconStop, messageParent());
    fail(UpdateResult::LocalFailure, "a value is outside its range: " + text);
    return false;
}

bool UpdateJob::passwordAccepted()
{
    const std::array<char, PasswordTexts::Size> texts = PasswordTextBlock();
    switch (CheckGatewayPassword(m_passwordParent, networkNumber(gatewayAddress()), texts.data())) {
    case PasswordCheck::Accepted:
        return true;
    case PasswordCheck::Cancelled:
        fail(UpdateResult::NotSent, "the password prompt was cancelled");
        return false;
    case PasswordCheck::LinkFailure:
        MessageById(txt::CommunicationErrorTryAgain, MB::Ok | MB::IconStop, messageParent());
        fail(UpdateResult::NotSent, "link failure before the password was checked");
        return false;
    case PasswordCheck::Refused:
        break;
    }
    MessageById(txt::PasswordInvalid, MB::Ok | MB::IconStop, messageParent());
    fail(UpdateResult::LocalFailure, "the gateway refused the password");
    return false;
}

bool UpdateJob::markedBefore() const
{
    std::string problem;
    const std::optional<SyncState> state = ReadSyncState(problem);
    return state && state->find(gatewayAddress(), m_number);
}

void UpdateJob::sendNext()
{
    if (!send(m_telegrams[m_next]))
        fail(UpdateResult::LocalFailure, "the telegram could not be handed to the communication server");
}

void UpdateJob::onAnswer(const Telegram& answer, const CheckedAnswer& checked)
{
    if (m_readBack) {
        onReadBackAnswer(answer);
        return;
    }
    ++m_answers;
    Q_EMIT progress(m_answers);
    if (checked.refused()) {
        ShowRefusal(*checked.status, messageParent());
        fail(UpdateResult::Refused, "telegram " + std::to_string(m_answers) + " of " + std::to_string(telegramCount()));
        return;
    }
    if (++m_next < m_telegrams.size()) {
        sendNext();
        return;
    }
    if (!storeStamp(le::u32(&answer[AnswerStampOffset]))) {
        fail(UpdateResult::LocalFailure, "the gateway took every telegram, but MCDEF did not take its new stamp");
        return;
    }
    if (!m_verify) {
        finish(UpdateResult::Done);
        return;
    }
    m_readBack = std::make_unique<FunctionReader>(std::vector<uint8_t>{m_number});
    readBackNext();
}

void UpdateJob::readBackNext()
{
    const std::optional<ReadRequest> request = m_readBack->nextRequest();
    if (!request) {
        compareReadBack();
        return;
    }
    if (!sendCommand(request->command, uint16_t(request->data.size()), request->p, request->offset,
                     request->data.data()))
        fail(UpdateResult::LocalFailure, "the read-back could not be asked for");
}

void UpdateJob::onReadBackAnswer(const Telegram& answer)
{
    if (!m_readBack->takeAnswer(answer)) {
        onUnexpectedAnswer();
        return;
    }
    readBackNext();
}

void UpdateJob::compareReadBack()
{
    FunctionFields stored;
    const bool read = m_readBack->functions().count(m_number) != 0;
    if (read)
        stored = FunctionFieldsFromAnswers(m_number, m_readBack->functions().at(m_number));
    FunctionFields sent;
    const uint16_t status = FunctionFieldsFromTable(m_number, sent);
    if (status != DbStatus::Success) {
        ReportDbError(table::Mcdef, status, __FILE__, __LINE__, messageParent());
        fail(UpdateResult::LocalFailure, "MCDEF could not be read to compare the read-back");
        return;
    }
    m_differences = CompareFunctions({read ? &stored : nullptr, &sent});
    if (m_differences.empty()) {
        finish(UpdateResult::Done);
        return;
    }
    ShowMessage(QText(txt::StoredOtherwise) + "\n" + QString::fromStdString(DifferenceNames(m_differences)),
                MB::Ok | MB::IconExclamation, messageParent());
    fail(UpdateResult::StoredOtherwise, DifferenceNames(m_differences));
}

bool UpdateJob::storeStamp(uint32_t stamp)
{
    WaitCursor wait;
    McdefRecord header;
    uint16_t status = ReadBlock(m_number, BlockType::Header, 0, 0, header);
    if (status == DbStatus::Success) {
        header.setStamp(stamp);
        status = UpdateBlock(header);
    }
    if (status != DbStatus::Success) {
        ReportDbError(table::Mcdef, status, __FILE__, __LINE__, messageParent());
        return false;
    }
    return true;
}

void UpdateJob::onUnexpectedAnswer()
{
    ShowUnexpectedAnswer(messageParent());
    fail(UpdateResult::LocalFailure, "an answer that does not answer telegram " + std::to_string(m_answers + 1));
}

void UpdateJob::onLinkFailure()
{
    MessageById(txt::CommunicationErrorTryAgain, MB::Ok | MB::IconStop, messageParent());
    if (m_readBack) {
        m_sentNotVerified = true;
        fail(UpdateResult::LinkFailure, "the gateway took every telegram; the link failed while it was read back");
        return;
    }
    fail(m_answers > 0 ? UpdateResult::LinkFailure : UpdateResult::NotSent,
         (m_answers > 0 ? "" : "link failure, ") + std::to_string(m_answers) + " of " + std::to_string(telegramCount())
             + " telegrams taken");
}

void UpdateJob::onReadFailure() { fail(UpdateResult::LocalFailure, "no memory for the answer"); }

void UpdateJob::fail(UpdateResult result, std::string detail)
{
    m_failureDetail = std::move(detail);
    finish(result);
}

std::string UpdateJob::resultMeaning() const
{
    if (m_sentNotVerified)
        return "sent, not verified";
    return gatewayEnding().value_or(UpdateResultMeaning(result()));
}

void UpdateJob::recordSyncState(UpdateResult result)
{
    const std::string reason = resultMeaning() + (m_failureDetail.empty() ? std::string() : ": " + m_failureDetail);
    if (result == UpdateResult::Done || m_sentNotVerified)
        m_syncStateProblem = ChangeSyncState([&](SyncState& state) { return state.forget(gatewayAddress(), m_number); });
    else
        m_syncStateProblem = markUnsent(reason);
    if (m_syncStateProblem)
        ReportSyncStateProblem(*m_syncStateProblem, messageParent());
    logOutcome(result, reason);
}

void UpdateJob::logOutcome(UpdateResult result, const std::string& reason)
{
    std::string line;
    if (m_sentNotVerified)
        line = "sent to the gateway, not verified: " + m_failureDetail;
    else if (result == UpdateResult::StoredOtherwise)
        line = "sent to the gateway, which stores something else: " + m_failureDetail;
    else if (result != UpdateResult::Done)
        line = "not sent to the gateway: " + reason;
    else if (m_wasMarked)
        line = "sent to the gateway";
    else
        return;
    McdefRecord header;
    const std::string name =
        ReadBlock(m_number, BlockType::Header, 0, 0, header) == DbStatus::Success ? header.name() : std::to_string(m_number);
    const uint16_t status = LogChangeLines(gatewayAddress(), name, {line});
    if (status != DbStatus::Success)
        ReportDbError(table::EventLog, status, __FILE__, __LINE__, messageParent());
}

std::optional<std::string> UpdateJob::markUnsent(const std::string& reason)
{
    McdefRecord header;
    const bool named = ReadBlock(m_number, BlockType::Header, 0, 0, header) == DbStatus::Success;
    return ChangeSyncState([&](SyncState& state) {
        const UnsentFunction* marked = state.find(gatewayAddress(), m_number);
        state.mark({gatewayAddress(), m_number, named ? header.name() : marked ? marked->name : std::string(),
                    CurrentTime(), reason});
        return true;
    });
}
