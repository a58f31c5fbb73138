#include "gateway/GatewaySession.h"

#include "protocol/LittleEndian.h"
#include "support/ServerLink.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace {
constexpr uint16_t ConnectionRecordSize = 13;
constexpr uint16_t ConnectionRecordKind = 33;
constexpr int CloseTimeoutMs = 2000;
} // namespace

GatewaySession::GatewaySession(std::string gatewayAddress)
    : m_gatewayAddress(std::move(gatewayAddress))
{
    m_window = ServerLink::instance().registerWindow(this);
}

GatewaySession::~GatewaySession() { close(); }

bool GatewaySession::event(QEvent* event)
{
    if (event->type() != ServerMessageEvent::eventType())
        return QObject::event(event);
    const auto* message = static_cast<ServerMessageEvent*>(event);
    m_replied = true;
    m_reply = message->param2;
    if (message->message == ServerMessage::Reply && (message->param2 >> 16) == ServerReply::AnnounceCode)
        m_serverWindow = message->param1;
    return true;
}

bool GatewaySession::exchange(uint16_t message, uint32_t param2, int timeoutMs, uint32_t& reply)
{
    m_replied = false;
    const bool posted = message == ServerMessage::Announce
        ? ServerLink::instance().broadcastAnnounce(m_window)
        : ServerLink::instance().post(m_serverWindow, message, m_window, param2);
    if (!posted)
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_replied && !deadline.hasExpired()) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    reply = m_reply;
    return m_replied;
}

bool GatewaySession::open(std::string& error, int timeoutMs)
{
    uint32_t reply = 0;
    if (!exchange(ServerMessage::Announce, ServerReply::AnnounceParameter, timeoutMs, reply) || m_serverWindow == 0) {
        error = "no communication server at " + ServerLink::socketPath().toStdString();
        return false;
    }
    uint8_t record[ConnectionRecordSize] = {};
    le::putU16(record, ConnectionRecordKind);
    le::putStr(record + 5, 8, m_gatewayAddress);
    m_handle = XRGlobalAddStruct(record, ConnectionRecordSize);
    if (!exchange(ServerMessage::Connect, (uint32_t(ServerReply::ConnectCode) << 16) | m_handle, timeoutMs, reply)
        || reply != ((uint32_t(ServerReply::ConnectCode) << 16) | ServerReply::Connected)) {
        error = "the communication server does not connect gateway " + m_gatewayAddress;
        return false;
    }
    m_connected = true;
    return true;
}

void GatewaySession::keepConnected()
{
    m_connected = false;
    m_serverWindow = 0;
}

void GatewaySession::close()
{
    uint32_t reply = 0;
    if (m_connected)
        exchange(ServerMessage::Connect, (uint32_t(ServerReply::DisconnectCode) << 16) | m_handle, CloseTimeoutMs, reply);
    m_connected = false;
    if (m_handle) {
        XRGlobalDeleteStruct(m_handle);
        m_handle = 0;
    }
    if (m_serverWindow) {
        exchange(ServerMessage::SignOff, 0, CloseTimeoutMs, reply);
        m_serverWindow = 0;
    }
}
