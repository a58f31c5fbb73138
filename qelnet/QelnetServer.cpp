#include "QelnetServer.h"

#include "protocol/LittleEndian.h"
#include "protocol/StrFormat.h"

#include <QLocalSocket>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <functional>

#include <cstdio>
#include <ctime>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr uint16_t ConnectionRecordSize = 13;
constexpr int AddressOffset = 5;
constexpr mode_t OwnerOnly = 0600;

Telegram toTelegram(const QByteArray& payload)
{
    Telegram t{};
    std::copy_n(reinterpret_cast<const uint8_t*>(payload.constData()), TelegramSize, t.begin());
    return t;
}

QByteArray toPayload(const Telegram& t) { return QByteArray(reinterpret_cast<const char*>(t.data()), int(t.size())); }

// The same answer framed as a command the request was not: what a confused
// gateway or another program's answer would look like.
Telegram disguised(const Telegram& answer, uint8_t requestCommand, const std::string& address)
{
    const uint8_t other = requestCommand == Command::NetConfigStamp ? Command::Memory : Command::NetConfigStamp;
    Telegram t = *BuildTelegram(other, address, TelegramDataLength(answer), answer[TelegramField::Parameter], 0);
    std::copy(answer.begin() + TelegramField::Data, answer.end(), t.begin() + TelegramField::Data);
    return t;
}

timespec monotonicNow()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now;
}

timespec plusMilliseconds(timespec t, int milliseconds)
{
    constexpr long NsPerSecond = 1'000'000'000;
    t.tv_sec += milliseconds / 1000;
    t.tv_nsec += long(milliseconds % 1000) * 1'000'000;
    if (t.tv_nsec >= NsPerSecond) {
        t.tv_sec += 1;
        t.tv_nsec -= NsPerSecond;
    }
    return t;
}

} // namespace

class QelnetServer::Client : public QObject {
public:
    Client(QLocalSocket* socket, int id, QObject* parent)
        : QObject(parent)
        , socket(socket)
        , id(id)
    {
        socket->setParent(this);
    }

    ~Client() override
    {
        delete m_answerDue;
        if (m_answerTimer >= 0)
            ::close(m_answerTimer);
    }

    // Runs `deliver` once the monotonic clock reaches `due`, to the
    // microsecond: a QTimer counts whole milliseconds, which would make the
    // simulated bus slower than it says by the part of a millisecond that the
    // gateway took to answer.
    void answerAt(const timespec& due, std::function<void()> deliver)
    {
        if (m_answerTimer < 0) {
            m_answerTimer = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
            if (m_answerTimer >= 0) {
                m_answerDue = new QSocketNotifier(m_answerTimer, QSocketNotifier::Read);
                connect(m_answerDue, &QSocketNotifier::activated, this, [this] {
                    uint64_t expirations = 0;
                    if (::read(m_answerTimer, &expirations, sizeof expirations) != sizeof expirations)
                        return;
                    if (const std::function<void()> deliver = std::exchange(m_deliver, {}))
                        deliver();
                });
            }
        }
        const itimerspec at{{0, 0}, due};
        if (m_answerTimer < 0 || timerfd_settime(m_answerTimer, TFD_TIMER_ABSTIME, &at, nullptr) != 0) {
            const timespec now = monotonicNow();
            const long long leftNs = (due.tv_sec - now.tv_sec) * 1'000'000'000LL + (due.tv_nsec - now.tv_nsec);
            QTimer::singleShot(int(std::max(0LL, (leftNs + 999'999) / 1'000'000)), Qt::PreciseTimer, this,
                               std::move(deliver));
            return;
        }
        m_deliver = std::move(deliver);
    }

    QLocalSocket* socket;
    int id;
    ServerFrameReader reader;
    std::map<uint16_t, SimulatedGateway*> handles; // connection handle -> gateway
    int telegrams = 0;
    bool outstanding = false;
    bool dropped = false;

private:
    int m_answerTimer = -1;
    QSocketNotifier* m_answerDue = nullptr;
    std::function<void()> m_deliver;
};

QelnetServer::QelnetServer(LinkFaults faults, QObject* parent)
    : QObject(parent)
    , m_faults(faults)
{
    m_clock.start();
    connect(&m_server, &QLocalServer::newConnection, this, &QelnetServer::onNewConnection);
}

QelnetServer::~QelnetServer() { close(); }

void QelnetServer::addGateway(std::unique_ptr<SimulatedGateway> gateway)
{
    const uint16_t network = gateway->state().network;
    m_gateways[network] = std::move(gateway);
}

SimulatedGateway* QelnetServer::gatewayOf(uint16_t network) const
{
    const auto it = m_gateways.find(network);
    return it == m_gateways.end() ? nullptr : it->second.get();
}

bool QelnetServer::setTrace(const QString& path, QString& error)
{
    // A FIFO would block the server at every line; a device such as /dev/null is a fine trace.
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0
        && (S_ISFIFO(info.st_mode) || S_ISDIR(info.st_mode) || S_ISSOCK(info.st_mode))) {
        error = QStringLiteral("a FIFO, folder or socket, not a file to write the trace into");
        return false;
    }
    m_trace.setFileName(path);
    if (!m_trace.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        error = m_trace.errorString();
        return false;
    }
    return true;
}

bool QelnetServer::ServerListens(const QString& path)
{
    QLocalSocket probe;
    probe.connectToServer(path);
    return probe.waitForConnected(500);
}

bool QelnetServer::listen(const QString& path, QString& error)
{
    if (path.toLocal8Bit().size() >= int(sizeof(sockaddr_un::sun_path))) {
        error = QStringLiteral("the socket path is longer than %1 bytes").arg(sizeof(sockaddr_un::sun_path) - 1);
        return false;
    }
    if (QFile::exists(path)) {
        if (ServerListens(path)) {
            error = QStringLiteral("another server listens there");
            return false;
        }
        // Only a socket left by a server that ended is removed; anything else is someone's file.
        struct stat info {};
        if (::lstat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISSOCK(info.st_mode)) {
            error = QStringLiteral("not a socket; left as it is");
            return false;
        }
        QLocalServer::removeServer(path);
    }
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(path)) {
        error = m_server.errorString();
        return false;
    }
    m_path = path;
    // The socket carries the gateway password: the owner's only, whatever the umask.
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    const bool ownerOnly = ::stat(native.constData(), &info) == 0
        && ((info.st_mode & 0777) == OwnerOnly || ::chmod(native.constData(), OwnerOnly) == 0);
    if (!ownerOnly) {
        error = QStringLiteral("cannot make the socket the owner's only");
        close();
        return false;
    }
    return true;
}

void QelnetServer::close()
{
    if (!m_server.isListening())
        return;
    m_server.close();
    QFile::remove(m_path);
}

void QelnetServer::onNewConnection()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        auto* client = new Client(socket, m_nextClient++, this);
        connect(socket, &QLocalSocket::readyRead, client, [this, client] {
            client->reader.append(client->socket->readAll());
            while (!client->dropped) {
                const std::optional<ServerFrame> frame = client->reader.next();
                if (!frame)
                    break;
                handleFrame(*client, *frame);
            }
            if (client->reader.broken() && !client->dropped)
                drop(*client, client->reader.error());
        });
        connect(socket, &QLocalSocket::disconnected, client, [client] {
            client->dropped = true;
            client->deleteLater();
        });
    }
}

void QelnetServer::send(Client& client, uint16_t message, uint32_t param2, const QByteArray& payload)
{
    if (client.dropped)
        return;
    client.socket->write(EncodeServerFrame({message, QelnetServerWindow, param2, payload}));
    client.socket->flush();
}

void QelnetServer::drop(Client& client, const QString& reason)
{
    std::fprintf(stderr, "qelnetd: closing client %d: %s\n", client.id, qPrintable(reason));
    std::fflush(stderr);
    client.dropped = true;
    client.socket->abort();
    client.deleteLater();
}

void QelnetServer::handleFrame(Client& client, const ServerFrame& frame)
{
    const uint16_t code = uint16_t(frame.param2 >> 16);
    const auto noPayload = [&] {
        if (frame.payload.isEmpty())
            return true;
        drop(client, QStringLiteral("message 0x%1 carries %2 unexpected bytes")
                         .arg(frame.message, 4, 16, QLatin1Char('0'))
                         .arg(frame.payload.size()));
        return false;
    };
    switch (frame.message) {
    case ServerMessage::Announce:
        if (noPayload())
            send(client, ServerMessage::Reply, ServerReply::AnnounceParameter | ServerReply::Connected);
        break;
    case ServerMessage::Connect:
        if (code == ServerReply::ConnectCode)
            connectGateway(client, frame);
        else if (code == ServerReply::DisconnectCode && noPayload())
            disconnectGateway(client, uint16_t(frame.param2));
        else if (code != ServerReply::DisconnectCode)
            drop(client, QStringLiteral("connect message with the unknown code %1").arg(code));
        break;
    case ServerMessage::Send:
        sendTelegram(client, frame);
        break;
    case ServerMessage::SignOff:
        if (noPayload()) {
            client.handles.clear();
            send(client, ServerMessage::SignOff, 0);
        }
        break;
    case ServerMessage::PasswordCheck:
        checkPassword(client, frame);
        break;
    default:
        drop(client, QStringLiteral("unknown message 0x%1").arg(frame.message, 4, 16, QLatin1Char('0')));
        break;
    }
}

void QelnetServer::connectGateway(Client& client, const ServerFrame& frame)
{
    if (frame.payload.size() != ConnectionRecordSize) {
        drop(client, QStringLiteral("a connection record of %1 bytes, not %2").arg(frame.payload.size()).arg(ConnectionRecordSize));
        return;
    }
    const auto* record = reinterpret_cast<const uint8_t*>(frame.payload.constData());
    const std::string address = le::str(record + AddressOffset, ConnectionRecordSize - AddressOffset);
    bool ok = false;
    const uint16_t network = uint16_t(QString::fromStdString(address.substr(0, 3)).toUInt(&ok));
    SimulatedGateway* gateway = ok ? gatewayOf(network) : nullptr;
    const uint16_t handle = uint16_t(frame.param2);
    if (gateway)
        client.handles[handle] = gateway;
    const uint16_t status = gateway ? ServerReply::Connected : ConnectStatus::UnknownGateway;
    send(client, ServerMessage::Reply, (uint32_t(ServerReply::ConnectCode) << 16) | status);
}

void QelnetServer::disconnectGateway(Client& client, uint16_t handle)
{
    const bool known = client.handles.erase(handle) > 0;
    const uint16_t status = known ? ServerReply::Connected : ConnectStatus::NotConnected;
    send(client, ServerMessage::Reply, (uint32_t(ServerReply::DisconnectCode) << 16) | status);
}

void QelnetServer::sendTelegram(Client& client, const ServerFrame& frame)
{
    if (frame.payload.size() != int(TelegramSize)) {
        drop(client, QStringLiteral("a telegram of %1 bytes, not %2").arg(frame.payload.size()).arg(TelegramSize));
        return;
    }
    if (client.outstanding) {
        drop(client, QStringLiteral("a second telegram while one is outstanding"));
        return;
    }
    // The answer is due the latency after the telegram came, however long the gateway took to make it.
    const timespec due = plusMilliseconds(monotonicNow(), m_faults.latencyMs);
    const Telegram request = toTelegram(frame.payload);
    trace('>', request);
    const auto unknown = [&] {
        drop(client, QStringLiteral("a telegram whose command the table does not know (bytes 19..23: %1 %2 %3 %4 %5)")
                         .arg(request[19], 2, 16, QLatin1Char('0'))
                         .arg(request[20], 2, 16, QLatin1Char('0'))
                         .arg(request[21], 2, 16, QLatin1Char('0'))
                         .arg(request[22], 2, 16, QLatin1Char('0'))
                         .arg(request[23], 2, 16, QLatin1Char('0')));
    };
    const std::optional<IdentifiedTelegram> id = IdentifyTelegram(request);
    if (!id) {
        unknown();
        return;
    }
    const int number = ++client.telegrams;
    // The telegram names its gateway by its destination node; the program
    // must have connected to that gateway.
    SimulatedGateway* gateway = gatewayOf(uint16_t(le::u16(&request[TelegramField::Destination]) / 128));
    const bool connected = std::any_of(client.handles.begin(), client.handles.end(),
                                       [gateway](const auto& handle) { return handle.second == gateway; });
    uint32_t failure = 0;
    std::optional<Telegram> answer;
    if (!gateway || !connected) {
        failure = LinkFailure::NotConnected;
    } else if (m_faults.failLinkAfter && number == *m_faults.failLinkAfter + 1) {
        failure = LinkFailure::Lost;
    } else {
        answer = gateway->answer(request);
        if (!answer) {
            unknown();
            return;
        }
        if (m_faults.unexpectedAnswer && number == *m_faults.unexpectedAnswer)
            answer = disguised(*answer, id->command, gateway->address());
    }
    client.outstanding = true;
    QPointer<Client> target(&client);
    client.answerAt(due, [this, target, answer, failure] {
        if (!target || target->dropped)
            return;
        target->outstanding = false;
        if (failure) {
            send(*target, ServerMessage::Reply, failure);
            return;
        }
        trace('<', *answer);
        send(*target, ServerMessage::Answer, 0, toPayload(*answer));
    });
}

void QelnetServer::checkPassword(Client& client, const ServerFrame& frame)
{
    const int terminator = frame.payload.indexOf('\0', 2);
    if (frame.payload.size() < 3 || terminator != frame.payload.size() - 1) {
        drop(client, QStringLiteral("a password check that is not a network number and a NUL-terminated password"));
        return;
    }
    const uint16_t network = le::u16(reinterpret_cast<const uint8_t*>(frame.payload.constData()));
    const std::string password = frame.payload.mid(2, terminator - 2).toStdString();
    const SimulatedGateway* gateway = gatewayOf(network);
    send(client, ServerMessage::PasswordReply, gateway ? gateway->checkPassword(password) : PasswordAnswer::Refused);
}

void QelnetServer::trace(char direction, const Telegram& telegram)
{
    if (!m_trace.isOpen())
        return;
    const std::optional<IdentifiedTelegram> id = IdentifyTelegram(telegram);
    const QString line = QStringLiteral("%1 %2 %3 %4\n")
                             .arg(double(m_clock.nsecsElapsed()) / 1e6, 0, 'f', 3)
                             .arg(QLatin1Char(direction))
                             .arg(id ? QString::number(id->command) : QStringLiteral("?"))
                             .arg(QString::fromStdString(HexBytes(telegram.data(), telegram.size())));
    m_trace.write(line.toLatin1());
    m_trace.flush();
}
