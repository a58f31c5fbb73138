#pragma once
// Frames of the local socket between the program and the communication
// server. Both ways:
//   0..3   u32 length of the rest of the frame
//   4..5   u16 message number (the window message)
//   6..7   0
//   8..11  u32 first parameter (the sender's window id; the server's id in its replies)
//   12..15 u32 second parameter
//   16..   payload (13-byte connection record, 134-byte telegram, password check)

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace ServerMessage {
enum : uint16_t {
    Announce = 0x03E0,
    Connect = 0x0500,     // connect (118 << 16 | handle) or disconnect (119 << 16 | handle)
    Send = 0x0501,        // (job << 16) | handle, with the telegram
    Answer = 0x0504,      // the gateway's answer telegram
    Reply = 0x0506,       // (code << 16) | status; a high word of 0 with a status is a link failure
    SignOff = 0x0507,
    PasswordCheck = 0x0510,
    PasswordReply = 0x0511,
};
}

namespace ServerReply {
constexpr uint16_t AnnounceCode = 40;
constexpr uint16_t ConnectCode = 118;
constexpr uint16_t DisconnectCode = 119;
constexpr uint16_t Connected = 0x8000;
constexpr uint32_t AnnounceParameter = uint32_t(AnnounceCode) << 16;
}

namespace PasswordAnswer {
enum : uint32_t { Refused = 0, Accepted = 1, NoPassword = 2 };
}

struct ServerFrame {
    uint16_t message = 0;
    uint32_t param1 = 0;
    uint32_t param2 = 0;
    QByteArray payload;
};

constexpr int ServerFrameHeaderSize = 16;
// The longest payload either side sends (a telegram; a password check is shorter).
constexpr int ServerFrameMaxPayload = 256;

QByteArray EncodeServerFrame(const ServerFrame& frame);

// Cuts frames out of a byte stream; a malformed frame ends the stream with a reason.
class ServerFrameReader {
public:
    void append(const QByteArray& bytes) { m_buffer.append(bytes); }
    // The next complete frame; nothing when more bytes are needed or the stream is broken.
    std::optional<ServerFrame> next();
    bool broken() const { return !m_error.isEmpty(); }
    QString error() const { return m_error; }

private:
    QByteArray m_buffer;
    QString m_error;
};
