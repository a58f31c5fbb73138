#include "gateway/GatewayExchange.h"

#include "model/Messages.h"
#include "model/Records.h"
#include "model/TextIds.h"
#include "protocol/GatewayCodes.h"
#include "support/ServerLink.h"
#include "support/UiSeam.h"

#include <QWidget>

GatewayExchange::GatewayExchange(std::string gatewayAddress, uint32_t serverWindow, QWidget* messageParent)
    : m_gatewayAddress(std::move(gatewayAddress))
    , m_serverWindow(serverWindow)
    , m_messageParent(messageParent)
    , m_texts(table::OrpaText, DbMode::ReadOnly)
{
    m_window = ServerLink::instance().registerWindow(this);
}

GatewayExchange::~GatewayExchange()
{
    if (m_handle)
        XRGlobalDeleteStruct(m_handle);
}

bool GatewayExchange::createSharedRecord()
{
    const Telegram empty{};
    m_handle = XRGlobalAddStruct(empty.data(), uint16_t(empty.size()));
    if (m_handle == 0) {
        MessageById(txt::AllocatingRamError, MB::Ok | MB::IconStop, m_messageParent);
        return false;
    }
    return true;
}

bool GatewayExchange::send(const Telegram& telegram)
{
    if (XRGlobalUpdateStruct(m_handle, telegram.data(), uint16_t(telegram.size())) != 0) {
        MessageById(txt::AllocatingRamError, MB::Ok | MB::IconStop, m_messageParent);
        return false;
    }
    const auto id = IdentifyTelegram(telegram);
    const CommandRow* row = id ? FindCommand(id->command) : nullptr;
    const uint32_t job = row ? row->job : uint32_t(ServerJob::Read);
    if (!PostServerMessage(m_serverWindow, ServerMessage::Send, m_window, (job << 16) | m_handle)) {
        MessageById(txt::ErrorSendingMessage, MB::Ok | MB::IconStop, m_messageParent);
        return false;
    }
    m_request = telegram;
    ++m_telegramsSent;
    return true;
}

bool GatewayExchange::sendCommand(uint8_t command, uint16_t dataLength, uint8_t p, uint8_t offset,
                                  const uint8_t* data)
{
    std::optional<Telegram> telegram = BuildTelegram(command, m_gatewayAddress, dataLength, p, offset);
    if (!telegram)
        return false;
    if (data && dataLength > 0)
        std::copy(data, data + std::min<size_t>(dataLength, TelegramDataSize), telegram->begin() + TelegramField::Data);
    return send(*telegram);
}

void GatewayExchange::finish(int dialogResult)
{
    if (m_finished)
        return;
    m_finished = true;
    m_dialogResult = dialogResult;
    Q_EMIT done(dialogResult);
}

bool GatewayExchange::event(QEvent* event)
{
    if (event->type() != ServerMessageEvent::eventType())
        return QObject::event(event);
    if (m_finished)
        return true;
    const auto* message = static_cast<ServerMessageEvent*>(event);
    if (message->message == ServerMessage::Answer) {
        Telegram answer{};
        if (XRGlobalGetStruct(m_handle, answer.data(), uint16_t(answer.size())) != 0) {
            MessageById(txt::AllocatingRamError, MB::Ok | MB::IconStop, m_messageParent);
            onReadFailure();
            return true;
        }
        const CheckedAnswer checked = CheckAnswer(m_request, answer);
        if (checked.matches()) {
            if (checked.refused())
                m_refusal = checked.status;
            onAnswer(answer, checked);
        } else {
            m_unexpectedAnswer = true;
            onUnexpectedAnswer();
        }
    } else if (message->message == ServerMessage::Reply && (message->param2 >> 16) == 0
               && (message->param2 & 0xFFFF) != 0) {
        onLinkFailure();
    }
    return true;
}

std::optional<std::string> GatewayExchange::gatewayEnding() const
{
    if (m_refusal)
        return "refused by the gateway: " + GatewayStatusText(*m_refusal);
    if (m_unexpectedAnswer)
        return std::string("unexpected answer: the gateway's setup was changed by another user");
    return std::nullopt;
}
