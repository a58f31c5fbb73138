#include "support/ServerLink.h"

#include "protocol/LittleEndian.h"
#include "support/OrpaPaths.h"
#include "support/Profile.h"
#include "support/UiSeam.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLocalSocket>
#include <QTimer>

#include <cstring>
#include <sys/un.h>

namespace {

constexpr int ConnectTimeoutMs = 2000;
constexpr uint32_t LinkFailure = 1;

} // namespace

QEvent::Type ServerMessageEvent::eventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

ServerMessageEvent::ServerMessageEvent(uint16_t message, uint32_t param1, uint32_t param2)
    : QEvent(eventType())
    , message(message)
    , param1(param1)
    , param2(param2)
{
}

LocalSocketTransport::LocalSocketTransport()
{
    connect(&m_socket, &QLocalSocket::readyRead, this, [this] { Q_EMIT received(m_socket.readAll()); });
    connect(&m_socket, &QLocalSocket::disconnected, this, [this] { Q_EMIT closed(); });
}

bool LocalSocketTransport::open(const QString& path)
{
    m_socket.abort();
    m_socket.connectToServer(path);
    return m_socket.waitForConnected(ConnectTimeoutMs);
}

bool LocalSocketTransport::isOpen() const { return m_socket.state() == QLocalSocket::ConnectedState; }

bool LocalSocketTransport::write(const QByteArray& bytes)
{
    if (!isOpen() || m_socket.write(bytes) != bytes.size())
        return false;
    m_socket.flush();
    return true;
}

void LocalSocketTransport::close() { m_socket.abort(); }

ServerLink& ServerLink::instance()
{
    static ServerLink* link = new ServerLink();
    return *link;
}

ServerLink::ServerLink() = default;

ServerLink::~ServerLink() = default;

QString ServerLink::socketPath()
{
    const std::string fallback = orpa::homeDirectory() + "qelnet.sock";
    return QString::fromStdString(GetPrivateProfileString("Connection", "Server", fallback, OrpaIniFile()));
}

void ServerLink::setTransport(std::unique_ptr<ServerTransport> transport)
{
    m_transport = std::move(transport);
    m_reader = ServerFrameReader();
    if (m_transport) {
        connect(m_transport.get(), &ServerTransport::received, this, &ServerLink::onReceived);
        connect(m_transport.get(), &ServerTransport::closed, this, &ServerLink::onClosed);
    }
}

uint32_t ServerLink::registerWindow(QObject* window)
{
    const uint32_t id = m_nextWindow++;
    m_windows[id] = window;
    connect(window, &QObject::destroyed, this, [this, id] { unregisterWindow(id); });
    return id;
}

void ServerLink::unregisterWindow(uint32_t id)
{
    m_windows.erase(id);
    if (m_addressee == id) {
        m_addressee = 0;
        m_exchangeOpen = false;
    }
}

uint16_t ServerLink::addStruct(const void* record, uint16_t size)
{
    if (!record || size == 0)
        return 0;
    while (m_nextHandle == 0 || m_shared.count(m_nextHandle))
        ++m_nextHandle;
    const uint16_t handle = m_nextHandle++;
    const auto* bytes = static_cast<const uint8_t*>(record);
    m_shared[handle] = std::vector<uint8_t>(bytes, bytes + size);
    return handle;
}

int ServerLink::updateStruct(uint16_t handle, const void* record, uint16_t size)
{
    const auto it = m_shared.find(handle);
    if (it == m_shared.end() || !record)
        return 1;
    const auto* bytes = static_cast<const uint8_t*>(record);
    it->second.assign(bytes, bytes + size);
    return 0;
}

int ServerLink::getStruct(uint16_t handle, void* buffer, uint16_t size) const
{
    const auto it = m_shared.find(handle);
    if (it == m_shared.end() || !buffer)
        return 1;
    std::memset(buffer, 0, size);
    std::memcpy(buffer, it->second.data(), std::min<size_t>(size, it->second.size()));
    return 0;
}

void ServerLink::deleteStruct(uint16_t handle) { m_shared.erase(handle); }

bool ServerLink::ensureOpen()
{
    if (!m_transport)
        setTransport(std::make_unique<LocalSocketTransport>());
    if (m_transport->isOpen())
        return true;
    m_reader = ServerFrameReader();
    if (!m_transport->open(socketPath()))
        return false;
    ++m_connectionCount;
    return true;
}

bool ServerLink::post(uint32_t, uint16_t message, uint32_t senderWindow, uint32_t param2)
{
    if (!ensureOpen())
        return false;
    ServerFrame frame{message, senderWindow, param2, {}};
    const uint16_t handle = uint16_t(param2 & 0xFFFF);
    const uint16_t code = uint16_t(param2 >> 16);
    const bool carriesRecord = message == ServerMessage::Send
        || (message == ServerMessage::Connect && code == ServerReply::ConnectCode);
    if (carriesRecord) {
        const auto it = m_shared.find(handle);
        if (it == m_shared.end())
            return false;
        frame.payload = QByteArray(reinterpret_cast<const char*>(it->second.data()), int(it->second.size()));
    }
    if (message == ServerMessage::Send)
        m_pendingHandle = handle;
    m_addressee = senderWindow;
    m_exchangeOpen = true;
    if (!m_transport->write(EncodeServerFrame(frame))) {
        m_exchangeOpen = false;
        return false;
    }
    return true;
}

bool ServerLink::broadcastAnnounce(uint32_t senderWindow)
{
    return post(0, ServerMessage::Announce, senderWindow, ServerReply::AnnounceParameter);
}

int ServerLink::checkPassword(uint16_t network, const QByteArray& password, int timeoutMs)
{
    if (!ensureOpen())
        return -1;
    QByteArray payload(2, '\0');
    le::putU16(reinterpret_cast<uint8_t*>(payload.data()), network);
    payload.append(password);
    payload.append('\0');
    m_passwordAnswer = -1;
    if (!m_transport->write(EncodeServerFrame({ServerMessage::PasswordCheck, 0, 0, payload})))
        return -1;
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &ServerLink::passwordAnswered, &loop, &QEventLoop::quit);
    connect(m_transport.get(), &ServerTransport::closed, &loop, &QEventLoop::quit);
    timeout.start(timeoutMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return m_passwordAnswer;
}

bool ServerLink::isOpen() const { return m_transport && m_transport->isOpen(); }

void ServerLink::reset()
{
    if (m_transport)
        m_transport->close();
    m_reader = ServerFrameReader();
    m_addressee = 0;
    m_pendingHandle = 0;
    m_exchangeOpen = false;
}

void ServerLink::onReceived(const QByteArray& bytes)
{
    m_reader.append(bytes);
    while (auto frame = m_reader.next()) {
        switch (frame->message) {
        case ServerMessage::Answer: {
            const auto it = m_shared.find(m_pendingHandle);
            if (it != m_shared.end()) {
                it->second.assign(frame->payload.begin(), frame->payload.end());
                it->second.resize(std::max<size_t>(it->second.size(), 134));
            }
            deliver(frame->message, frame->param1, frame->param2);
            break;
        }
        case ServerMessage::PasswordReply:
            m_passwordAnswer = int(frame->param2);
            Q_EMIT passwordAnswered();
            break;
        default:
            deliver(frame->message, frame->param1, frame->param2);
            break;
        }
    }
    if (m_reader.broken()) {
        qWarning("communication server sent a broken frame: %s", qPrintable(m_reader.error()));
        m_transport->close();
        onClosed();
    }
}

void ServerLink::onClosed()
{
    m_reader = ServerFrameReader();
    if (m_exchangeOpen)
        deliver(ServerMessage::Reply, 0, LinkFailure);
}

void ServerLink::deliver(uint16_t message, uint32_t param1, uint32_t param2)
{
    m_exchangeOpen = false;
    const auto it = m_windows.find(m_addressee);
    if (it == m_windows.end() || !it->second)
        return;
    QCoreApplication::postEvent(it->second, new ServerMessageEvent(message, param1, param2));
}

uint16_t XRServerInit()
{
    if (!QCoreApplication::instance())
        return 1;
    if (ServerLink::socketPath().toLocal8Bit().size() >= int(sizeof(sockaddr_un::sun_path)))
        return 2;
    ServerLink::instance();
    return 0;
}

void XRServerUnInitC() { ServerLink::instance().reset(); }

uint16_t XRGlobalAddStruct(const void* record, uint16_t size) { return ServerLink::instance().addStruct(record, size); }

int XRGlobalUpdateStruct(uint16_t handle, const void* record, uint16_t size)
{
    return ServerLink::instance().updateStruct(handle, record, size);
}

int XRGlobalGetStruct(uint16_t handle, void* buffer, uint16_t size)
{
    return ServerLink::instance().getStruct(handle, buffer, size);
}

void XRGlobalDeleteStruct(uint16_t handle) { ServerLink::instance().deleteStruct(handle); }

bool PostServerMessage(uint32_t serverWindow, uint16_t message, uint32_t window, uint32_t param2)
{
    return ServerLink::instance().post(serverWindow, message, window, param2);
}

void BroadcastAnnounce(uint32_t window) { ServerLink::instance().broadcastAnnounce(window); }

PasswordCheck CheckGatewayPassword(QWidget* parent, uint16_t network, const char* textBlock)
{
    constexpr int AnswerTimeoutMs = 10000;
    const auto field = [textBlock](size_t offset, size_t width) {
        return QString::fromUtf8(textBlock + offset, int(strnlen(textBlock + offset, width)));
    };
    ServerLink& link = ServerLink::instance();
    const int wanted = link.checkPassword(network, QByteArray(), AnswerTimeoutMs);
    if (wanted == int(PasswordAnswer::NoPassword))
        return PasswordCheck::Accepted;
    if (wanted < 0)
        return PasswordCheck::LinkFailure;
    PasswordPrompt prompt;
    prompt.title = field(PasswordTexts::Title, 26);
    prompt.checkingSupport = field(PasswordTexts::CheckingSupport, 81);
    prompt.checking = field(PasswordTexts::Checking, 81);
    prompt.label = field(PasswordTexts::Label, 16);
    prompt.ok = field(PasswordTexts::Ok, 11);
    prompt.cancel = field(PasswordTexts::Cancel, 11);
    const std::optional<QString> password = ui().password(parent, prompt);
    if (!password)
        return PasswordCheck::Cancelled;
    const int answer = link.checkPassword(network, password->toUtf8(), AnswerTimeoutMs);
    if (answer < 0)
        return PasswordCheck::LinkFailure;
    return answer == int(PasswordAnswer::Accepted) ? PasswordCheck::Accepted : PasswordCheck::Refused;
}
