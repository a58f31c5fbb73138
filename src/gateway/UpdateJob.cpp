#include "gateway/UpdateJob.h"

#include "gateway/AnswerCheck.h"
#include "gateway/TelegramBuilder.h"
#include "model/McdefAccess.h"
#include "model/Messages.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "protocol/LittleEndian.h"
#include "support/Db.h"
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
}

void UpdateJob::start()
{
    if (!createSharedRecord()) {
        finish(UpdateResult::LocalFailure);
        return;
    }
    const uint16_t status = BuildFunctionTelegramsFromTable(gatewayAddress(), m_number,
                                                            m_mode == UpdateMode::DataBlocksOnly, m_writableBlocks,
                                                            m_telegrams);
    if (status != DbStatus::Success) {
        ReportDbError(table::Mcdef, status, __FILE__, __LINE__, messageParent());
        finish(UpdateResult::LocalFailure);
        return;
    }
    if (m_telegrams.empty()) {
        finish(UpdateResult::LocalFailure);
        return;
    }
    Q_EMIT progressRange(telegramCount());
    Q_EMIT progress(0);
    if (!passwordAccepted()) {
        MessageById(txt::PasswordInvalid, MB::Ok | MB::IconStop, messageParent());
        finish(UpdateResult::LocalFailure);
        return;
    }
    sendNext();
}

bool UpdateJob::passwordAccepted()
{
    const std::array<char, PasswordTexts::Size> texts = PasswordTextBlock();
    return XRPasCheckPassword(m_passwordParent, networkNumber(gatewayAddress()), texts.data()) != 0;
}

void UpdateJob::sendNext()
{
    if (!send(m_telegrams[m_next]))
        finish(UpdateResult::LocalFailure);
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
        finish(UpdateResult::Refused);
        return;
    }
    if (++m_next < m_telegrams.size()) {
        sendNext();
        return;
    }
    if (!storeStamp(le::u32(&answer[AnswerStampOffset]))) {
        finish(UpdateResult::LocalFailure);
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
        finish(UpdateResult::LocalFailure);
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
        finish(UpdateResult::LocalFailure);
        return;
    }
    m_differences = CompareFunctions({read ? &stored : nullptr, &sent});
    if (m_differences.empty()) {
        finish(UpdateResult::Done);
        return;
    }
    ShowMessage(QText(txt::StoredOtherwise) + "\n" + QString::fromStdString(DifferenceNames(m_differences)),
                MB::Ok | MB::IconExclamation, messageParent());
    finish(UpdateResult::StoredOtherwise);
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
    finish(UpdateResult::LocalFailure);
}

void UpdateJob::onLinkFailure()
{
    MessageById(txt::CommunicationErrorTryAgain, MB::Ok | MB::IconStop, messageParent());
    finish(m_answers > 0 ? UpdateResult::LinkFailure : UpdateResult::NotSent);
}

void UpdateJob::onReadFailure() { finish(UpdateResult::LocalFailure); }
