#pragma once
// The communication server's socket side: it listens on a Unix-domain socket
// for the owner only, serves any number of programs at once (one socket
// connection each, one outstanding telegram per connection), and carries
// their telegrams to the simulated gateways it was given.
//
// Contract, frames of ServerFrame.h both ways:
//   0x03E0 announce            -> 0x0506 (40 << 16) | 0x8000
//   0x0500 (118 << 16) | handle with the 13-byte connection record
//                              -> 0x0506 (118 << 16) | 0x8000, or | 0x0001 for a gateway not served
//   0x0500 (119 << 16) | handle -> 0x0506 (119 << 16) | 0x8000, or | 0x0002 when not connected
//   0x0501 (job << 16) | handle of the telegram's shared record, with the telegram; it goes to
//          the gateway of its destination node (network x 128 + node), which the program must
//          have connected to
//                              -> 0x0504 with the answer telegram, or 0x0506 with (0 << 16) | 0x0001
//                                 (link failure) / | 0x0002 (that gateway is not connected)
//   0x0507 sign-off            -> 0x0507
//   0x0510 u16 network, password, NUL -> 0x0511 with 0 refused, 1 accepted, 2 no password
// The server's replies carry its window id as first parameter. A frame that is
// too short or too long, an unknown message, a payload that does not fit its
// message, a second telegram while one is outstanding, or a telegram the
// command table does not know closes that client's connection; the reason
// goes to standard error.

#include "protocol/ServerFrame.h"
#include "SimulatedGateway.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QObject>

#include <map>
#include <memory>
#include <optional>

class QLocalSocket;

// The server's window id in its replies.
constexpr uint32_t QelnetServerWindow = 0x00000E11;

namespace ConnectStatus {
constexpr uint16_t UnknownGateway = 0x0001;
constexpr uint16_t NotConnected = 0x0002;
}

namespace LinkFailure {
constexpr uint32_t Lost = 0x00000001;
constexpr uint32_t NotConnected = 0x00000002;
}

// Faults of the link between the server and the gateways.
struct LinkFaults {
    int latencyMs = 0;                   // each answer this much after its telegram
    std::optional<int> failLinkAfter;    // telegram N + 1 of a connection gets a link failure
    std::optional<int> unexpectedAnswer; // telegram N of a connection is answered as another command
};

class QelnetServer : public QObject {
    Q_OBJECT

public:
    explicit QelnetServer(LinkFaults faults, QObject* parent = nullptr);
    ~QelnetServer() override;

    // Whether a server accepts connections on the socket `path`.
    static bool ServerListens(const QString& path);

    void addGateway(std::unique_ptr<SimulatedGateway> gateway);
    bool setTrace(const QString& path, QString& error);
    // Listens on `path`; a stale socket file there is replaced, a live one refused.
    bool listen(const QString& path, QString& error);
    // Stops listening and removes the socket file.
    void close();

private:
    class Client;

    void onNewConnection();
    void handleFrame(Client& client, const ServerFrame& frame);
    void connectGateway(Client& client, const ServerFrame& frame);
    void disconnectGateway(Client& client, uint16_t handle);
    void sendTelegram(Client& client, const ServerFrame& frame);
    void checkPassword(Client& client, const ServerFrame& frame);
    void send(Client& client, uint16_t message, uint32_t param2, const QByteArray& payload = {});
    void drop(Client& client, const QString& reason);
    void trace(char direction, const Telegram& telegram);
    SimulatedGateway* gatewayOf(uint16_t network) const;

    LinkFaults m_faults;
    QLocalServer m_server;
    QString m_path;
    std::map<uint16_t, std::unique_ptr<SimulatedGateway>> m_gateways;
    QFile m_trace;
    QElapsedTimer m_clock;
    int m_nextClient = 1;
};
