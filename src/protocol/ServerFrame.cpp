#include "protocol/ServerFrame.h"

#include "protocol/LittleEndian.h"

QByteArray EncodeServerFrame(const ServerFrame& frame)
{
    QByteArray bytes(ServerFrameHeaderSize, '\0');
    auto* b = reinterpret_cast<uint8_t*>(bytes.data());
    le::putU32(b, uint32_t(ServerFrameHeaderSize - 4 + frame.payload.size()));
    le::putU16(b + 4, frame.message);
    le::putU32(b + 8, frame.param1);
    le::putU32(b + 12, frame.param2);
    bytes.append(frame.payload);
    return bytes;
}

std::optional<ServerFrame> ServerFrameReader::next()
{
    if (broken() || m_buffer.size() < 4)
        return std::nullopt;
    const auto* b = reinterpret_cast<const uint8_t*>(m_buffer.constData());
    const uint32_t rest = le::u32(b);
    if (rest < uint32_t(ServerFrameHeaderSize - 4)) {
        m_error = QStringLiteral("frame too short (%1 bytes after the length)").arg(rest);
        return std::nullopt;
    }
    if (rest > uint32_t(ServerFrameHeaderSize - 4 + ServerFrameMaxPayload)) {
        m_error = QStringLiteral("frame too long (%1 bytes after the length)").arg(rest);
        return std::nullopt;
    }
    if (m_buffer.size() < int(4 + rest))
        return std::nullopt;
    ServerFrame frame;
    frame.message = le::u16(b + 4);
    frame.param1 = le::u32(b + 8);
    frame.param2 = le::u32(b + 12);
    frame.payload = m_buffer.mid(ServerFrameHeaderSize, int(rest) - (ServerFrameHeaderSize - 4));
    m_buffer.remove(0, int(4 + rest));
    return frame;
}
