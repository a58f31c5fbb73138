#pragma once
// The program's link to the communication server. The dialogs and jobs keep
// the support library's call shapes: they put a record into a shared record,
// post a message to the server's window, and receive the server's answer as a
// message of their own. Here the messages travel over a local socket
// (ServerFrame.h) and arrive as ServerMessageEvent through the event loop, at
// the window (dialog or job) that made the request.

#include "protocol/ServerFrame.h"

#include <QEvent>
#include <QLocalSocket>
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class QWidget;

// A message from the server, posted to the window it is meant for.
class ServerMessageEvent : public QEvent {
public:
    static QEvent::Type eventType();
    ServerMessageEvent(uint16_t message, uint32_t param1, uint32_t param2);

    uint16_t message;
    uint32_t param1;
    uint32_t param2;
};

// What carries the frames; a socket in the program, something in-process in a
// unit test below the exchange.
class ServerTransport : public QObject {
    Q_OBJECT

public:
    virtual bool open(const QString& path) = 0;
    virtual bool isOpen() const = 0;
    virtual bool write(const QByteArray& bytes) = 0;
    virtual void close() = 0;

Q_SIGNALS:
    void received(const QByteArray& bytes);
    void closed();
};

// The program's transport: the local socket of the communication server.
class LocalSocketTransport : public ServerTransport {
public:
    LocalSocketTransport();
    bool open(const QString& path) override;
    bool isOpen() const override;
    bool write(const QByteArray& bytes) override;
    void close() override;

private:
    QLocalSocket m_socket;
};

class ServerLink : public QObject {
    Q_OBJECT

public:
    static ServerLink& instance();
    ~ServerLink() override;

    void setTransport(std::unique_ptr<ServerTransport> transport);
    // `Connection`/`Server` of ORPA.INI, by default qelnet.sock in the home folder.
    static QString socketPath();

    // A window id for an object that exchanges messages with the server; the
    // id is given up when the object is destroyed.
    uint32_t registerWindow(QObject* window);
    void unregisterWindow(uint32_t id);

    uint16_t addStruct(const void* record, uint16_t size);
    int updateStruct(uint16_t handle, const void* record, uint16_t size);
    int getStruct(uint16_t handle, void* buffer, uint16_t size) const;
    void deleteStruct(uint16_t handle);

    // Posts a message to the server window; the server's reply goes to the
    // sending window. False when nothing could be sent.
    bool post(uint32_t serverWindow, uint16_t message, uint32_t senderWindow, uint32_t param2);
    // The announcement to every top-level window: here, to the server at the socket.
    bool broadcastAnnounce(uint32_t senderWindow);
    // Asks the server for the gateway password check and waits for the answer
    // (PasswordAnswer); -1 when no answer comes.
    int checkPassword(uint16_t network, const QByteArray& password, int timeoutMs);

    // Forgets the socket connection and the server window (the server went away).
    void reset();
    // Counts the socket connections opened: a window id or gateway connection
    // that the server gave under another count belongs to a server that is gone.
    uint32_t connectionCount() const { return m_connectionCount; }
    bool isOpen() const;

Q_SIGNALS:
    void passwordAnswered();

private:
    ServerLink();
    bool ensureOpen();
    void onReceived(const QByteArray& bytes);
    void onClosed();
    void deliver(uint16_t message, uint32_t param1, uint32_t param2);

    std::unique_ptr<ServerTransport> m_transport;
    ServerFrameReader m_reader;
    std::map<uint32_t, QPointer<QObject>> m_windows;
    uint32_t m_nextWindow = 0x1000;
    std::map<uint16_t, std::vector<uint8_t>> m_shared;
    uint16_t m_nextHandle = 1;

    // The window that waits for the server's next reply, and the shared record
    // of the telegram it sent.
    uint32_t m_addressee = 0;
    uint16_t m_pendingHandle = 0;
    bool m_exchangeOpen = false;
    int m_passwordAnswer = -1;
    uint32_t m_connectionCount = 0;
};

// The support library's calls.
uint16_t XRServerInit();
void XRServerUnInitC();
uint16_t XRGlobalAddStruct(const void* record, uint16_t size);
int XRGlobalUpdateStruct(uint16_t handle, const void* record, uint16_t size);
int XRGlobalGetStruct(uint16_t handle, void* buffer, uint16_t size);
void XRGlobalDeleteStruct(uint16_t handle);
// PostMessage to the server window; false when it could not be posted.
bool PostServerMessage(uint32_t serverWindow, uint16_t message, uint32_t window, uint32_t param2);
void BroadcastAnnounce(uint32_t window);

// The text block of the password prompt: title (26 bytes), the text while the
// gateway is asked whether it wants a password (81), the text while the
// password is checked (81), the field label (16), OK (11), Cancel (11).
namespace PasswordTexts {
constexpr size_t Title = 0, CheckingSupport = 26, Checking = 107, Label = 188, Ok = 204, Cancel = 215, Size = 226;
}

// How the gateway password check of an update ended.
enum class PasswordCheck { Accepted, Refused, Cancelled, LinkFailure };
// Asks the gateway of a network through the server whether it wants a
// password; if so, prompts the operator and has the password checked.
// Accepted also when the gateway wants none.
PasswordCheck CheckGatewayPassword(QWidget* parent, uint16_t network, const char* textBlock);
