#pragma once
// A connection to one gateway without the "Select network" dialog, for the
// command-line tool and for tests: announce, connect, and at the end
// disconnect and sign off, each waiting for the server's reply.

#include <QObject>

#include <cstdint>
#include <string>

class GatewaySession : public QObject {
    Q_OBJECT

public:
    explicit GatewaySession(std::string gatewayAddress);
    ~GatewaySession() override;

    // Announces the program and connects the gateway; false with the reason.
    bool open(std::string& error, int timeoutMs = 5000);
    // Disconnects and signs off (also done when the session goes).
    void close();
    // Leaves the gateway connected and the program announced when the session
    // goes: the connection then serves the jobs that use its server window.
    void keepConnected();

    uint32_t serverWindow() const { return m_serverWindow; }
    bool connected() const { return m_connected; }

protected:
    bool event(QEvent* event) override;

private:
    // Posts a message and waits for the next reply; its second parameter, or
    // nothing when none came.
    bool exchange(uint16_t message, uint32_t param2, int timeoutMs, uint32_t& reply);

    std::string m_gatewayAddress;
    uint32_t m_window = 0;
    uint32_t m_serverWindow = 0;
    uint16_t m_handle = 0;
    bool m_connected = false;
    bool m_replied = false;
    uint32_t m_reply = 0;
};
