// End-to-end: a real qelnetd on a socket in a temporary home, spoken to
// through the program's own server link and, for misbehaving programs, raw
// sockets.

#include "CheckedScript.h"
#include "GatewayImage.h"
#include "model/Records.h"
#include "protocol/LittleEndian.h"
#include "protocol/Telegram.h"
#include "protocol/TypeCatalogue.h"
#include "QelnetProcess.h"
#include "QelnetServer.h"
#include "SimulatedGateway.h"
#include "support/ServerLink.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/stat.h>

namespace {

constexpr int WaitMs = 5000;

struct Message {
    uint16_t message;
    uint32_t param1;
    uint32_t param2;
};

// A window of the program: it receives the server's messages through the event loop.
class Window : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != ServerMessageEvent::eventType())
            return QObject::event(e);
        const auto* m = static_cast<ServerMessageEvent*>(e);
        m_messages.push_back({m->message, m->param1, m->param2});
        return true;
    }

    std::optional<Message> wait(int timeoutMs = WaitMs)
    {
        const QDeadlineTimer deadline(timeoutMs);
        while (m_messages.empty() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (m_messages.empty())
            return std::nullopt;
        const Message m = m_messages.front();
        m_messages.erase(m_messages.begin());
        return m;
    }

private:
    std::vector<Message> m_messages;
};

// A program that talks to the socket directly, to misbehave.
class RawClient {
public:
    explicit RawClient(const QString& path)
    {
        m_socket.connectToServer(path);
        EXPECT_TRUE(m_socket.waitForConnected(WaitMs));
    }
    void send(const ServerFrame& frame) { sendBytes(EncodeServerFrame(frame)); }
    void sendBytes(const QByteArray& bytes)
    {
        m_socket.write(bytes);
        m_socket.flush();
    }
    std::optional<ServerFrame> next()
    {
        const QDeadlineTimer deadline(WaitMs);
        while (!deadline.hasExpired()) {
            if (auto frame = m_reader.next())
                return frame;
            if (m_socket.state() != QLocalSocket::ConnectedState)
                return std::nullopt;
            m_socket.waitForReadyRead(20);
            m_reader.append(m_socket.readAll());
        }
        return std::nullopt;
    }
    bool closedByServer()
    {
        return m_socket.state() == QLocalSocket::UnconnectedState || m_socket.waitForDisconnected(WaitMs);
    }

private:
    QLocalSocket m_socket;
    ServerFrameReader m_reader;
};

Telegram telegram(uint8_t command, std::initializer_list<uint8_t> data, uint8_t p = 255, uint8_t offset = 0,
                  const std::string& gateway = "001:125")
{
    Telegram t = *BuildTelegram(command, gateway, uint16_t(data.size()), p, offset);
    std::copy(data.begin(), data.end(), t.begin() + TelegramField::Data);
    return t;
}

QByteArray payload(const Telegram& t) { return QByteArray(reinterpret_cast<const char*>(t.data()), int(t.size())); }

uint32_t sendParameter(const Telegram& t, uint16_t handle)
{
    return (uint32_t(FindCommand(IdentifyTelegram(t)->command)->job) << 16) | handle;
}

class QelnetEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.ok());
        ServerLink::instance().reset();
        window = ServerLink::instance().registerWindow(&program);
    }

    void TearDown() override
    {
        if (telegramHandle)
            XRGlobalDeleteStruct(telegramHandle);
        if (connectionHandle)
            XRGlobalDeleteStruct(connectionHandle);
        ServerLink::instance().reset();
    }

    QString image(const char* network) const
    {
        return QString::fromStdString(home.path()) + QStringLiteral("gateways/gateway-%1.img").arg(network);
    }

    void start(const QStringList& faults = {})
    {
        server = std::make_unique<QelnetProcess>(
            QString::fromStdString(home.path()),
            QStringList{"--gateway", "001=" + image("001"), "--gateway", "002=" + image("002")} + faults);
        ASSERT_TRUE(server->running());
        ASSERT_EQ(server->socketPath().toStdString(), ServerLink::socketPath().toStdString())
            << "the home's Connection/Server";
    }

    // Announce and connect to a gateway, as "Select network" does.
    void connectTo(const std::string& gateway)
    {
        BroadcastAnnounce(window);
        const auto announced = program.wait();
        ASSERT_TRUE(announced);
        ASSERT_EQ(announced->message, ServerMessage::Reply);
        ASSERT_EQ(announced->param2, ServerReply::AnnounceParameter | ServerReply::Connected);
        serverWindow = announced->param1;

        if (connectionHandle)
            XRGlobalDeleteStruct(connectionHandle);
        if (telegramHandle)
            XRGlobalDeleteStruct(telegramHandle);
        uint8_t record[13] = {};
        le::putU16(record, 33);
        le::putStr(record + 5, 8, gateway);
        connectionHandle = XRGlobalAddStruct(record, sizeof record);
        ASSERT_NE(connectionHandle, 0);
        ASSERT_TRUE(PostServerMessage(serverWindow, ServerMessage::Connect, window,
                                      (uint32_t(ServerReply::ConnectCode) << 16) | connectionHandle));
        const auto connected = program.wait();
        ASSERT_TRUE(connected);
        ASSERT_EQ(connected->param2, (uint32_t(ServerReply::ConnectCode) << 16) | ServerReply::Connected);
        Telegram empty{};
        telegramHandle = XRGlobalAddStruct(empty.data(), TelegramSize);
    }

    // Sends a telegram and waits for the server's message; the answer when it is one.
    std::optional<Telegram> exchange(const Telegram& request, Message* reply = nullptr)
    {
        EXPECT_EQ(XRGlobalUpdateStruct(telegramHandle, request.data(), TelegramSize), 0);
        EXPECT_TRUE(PostServerMessage(serverWindow, ServerMessage::Send, window, sendParameter(request, telegramHandle)));
        const auto message = program.wait();
        EXPECT_TRUE(message) << "no answer to command " << int(IdentifyTelegram(request)->command);
        if (!message)
            return std::nullopt;
        if (reply)
            *reply = *message;
        if (message->message != ServerMessage::Answer)
            return std::nullopt;
        Telegram answer{};
        EXPECT_EQ(XRGlobalGetStruct(telegramHandle, answer.data(), TelegramSize), 0);
        return answer;
    }

    // The answer of a command, which must identify as that command.
    Telegram ask(const Telegram& request)
    {
        const auto answer = exchange(request);
        EXPECT_TRUE(answer);
        if (!answer)
            return Telegram{};
        const auto id = IdentifyTelegram(*answer);
        EXPECT_TRUE(id);
        EXPECT_EQ(id ? id->command : 0, IdentifyTelegram(request)->command);
        return *answer;
    }

    TestHome home;
    Window program;
    uint32_t window = 0;
    uint32_t serverWindow = 0;
    uint16_t connectionHandle = 0;
    uint16_t telegramHandle = 0;
    std::unique_ptr<QelnetProcess> server;
};

} // namespace

TEST_F(QelnetEndToEnd, AnnounceConnectDisconnectAndSignOff)
{
    start();
    connectTo("001:125");
    EXPECT_EQ(serverWindow, QelnetServerWindow);

    uint8_t record[13] = {33};
    le::putStr(record + 5, 8, "003:125");
    const uint16_t other = XRGlobalAddStruct(record, sizeof record);
    ASSERT_TRUE(PostServerMessage(serverWindow, ServerMessage::Connect, window, (118u << 16) | other));
    const auto refused = program.wait();
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->param2 >> 16, 118u);
    EXPECT_NE(refused->param2 & 0xFFFF, ServerReply::Connected) << "network 003 has no gateway here";
    XRGlobalDeleteStruct(other);

    ASSERT_TRUE(PostServerMessage(serverWindow, ServerMessage::Connect, window, (119u << 16) | connectionHandle));
    const auto disconnected = program.wait();
    ASSERT_TRUE(disconnected);
    EXPECT_EQ(disconnected->message, ServerMessage::Reply);
    EXPECT_EQ(disconnected->param2, (119u << 16) | ServerReply::Connected);

    Message reply{};
    EXPECT_FALSE(exchange(telegram(Command::NetConfigStamp, {}), &reply)) << "no longer connected";
    EXPECT_EQ(reply.message, ServerMessage::Reply);
    EXPECT_EQ(reply.param2 >> 16, 0u);
    EXPECT_NE(reply.param2, 0u);

    ASSERT_TRUE(PostServerMessage(serverWindow, ServerMessage::SignOff, window, 0));
    const auto signedOff = program.wait();
    ASSERT_TRUE(signedOff);
    EXPECT_EQ(signedOff->message, ServerMessage::SignOff);
}

// Everything an upload reads, for every function of the demo gateway.
TEST_F(QelnetEndToEnd, EveryReadCommandOfAnUpload)
{
    start();
    connectTo("001:125");
    const Telegram net = ask(telegram(Command::NetConfigStamp, {}));
    EXPECT_EQ(le::u16(&net[24]), 14961);
    const Telegram memory = ask(telegram(Command::Memory, {}));
    EXPECT_EQ(le::u16(&memory[24]), 64);
    const Telegram directory = ask(telegram(Command::Directory, {}));
    std::vector<uint8_t> numbers;
    for (uint8_t n = 1; n <= 105; ++n)
        if (directory[28 + n - 1] != 255)
            numbers.push_back(n);
    ASSERT_EQ(numbers.size(), memory[28]);

    Telegram stampRequest = telegram(Command::Stamps, {});
    stampRequest[24] = uint8_t(numbers.size());
    std::copy(numbers.begin(), numbers.end(), stampRequest.begin() + 25);
    SetTelegramDataLength(stampRequest, uint16_t(numbers.size() + 1));
    const Telegram stamps = ask(stampRequest);
    ASSERT_EQ(stamps[24], numbers.size());

    std::set<uint8_t> readCommands;
    for (size_t k = 0; k < numbers.size(); ++k) {
        const uint8_t n = numbers[k];
        const Telegram header = ask(telegram(Command::ReadHeader, {n}));
        const uint8_t type = header[22];
        EXPECT_EQ(type, directory[28 + n - 1]);
        EXPECT_EQ(le::u32(&header[26]), le::u32(&stamps[25 + 6 * k + 2])) << "stamp of function " << int(n);
        for (const auto& [maskAt, direction] : {std::pair{46, 1}, std::pair{63, 2}}) {
            for (uint8_t slot = 1; slot <= 8; ++slot) {
                if (!(header[maskAt] & (1u << (slot - 1))))
                    continue;
                const uint8_t kind = header[maskAt + 1 + 2 * (slot - 1)];
                const uint8_t count = header[maskAt + 2 + 2 * (slot - 1)];
                const uint8_t command = uint8_t((kind == 0 ? 12 : kind == 1 ? 16 : 22) + (direction == 2 ? 2 : 0));
                // An empty slot is asked for too: the answer holds no item.
                for (int first = 0; first < std::max<int>(count, 1); first += 2) {
                    const uint8_t take = uint8_t(std::min(2, count - first));
                    Telegram r = telegram(command, {n, take, uint8_t(first), uint8_t(first + 1)}, 255, slot);
                    SetTelegramDataLength(r, uint16_t(2 + take));
                    const Telegram items = ask(r);
                    EXPECT_EQ(items[22], type);
                    EXPECT_EQ(items[25], take);
                    readCommands.insert(command);
                }
            }
        }
        for (uint8_t group = 1; group <= 4; ++group)
            if (header[80] & (1u << (group - 1))) {
                EXPECT_EQ(ask(telegram(Command::ReadSchedules, {n}, 255, group))[25], header[80 + group]);
                readCommands.insert(Command::ReadSchedules);
            }
        for (uint8_t block = 1; block <= 4; ++block)
            if (header[85] & (1u << (block - 1))) {
                const Telegram data = ask(telegram(Command::ReadDataBlock, {n, 20, 0}, type, block));
                EXPECT_EQ(data[22], type);
                EXPECT_GT(TelegramDataLength(data), 6);
                readCommands.insert(Command::ReadDataBlock);
            }
    }
    // No type keeps multi-parameter outputs, but the gateway answers that form for any output slot.
    const Telegram compressor = ask(telegram(Command::ReadMultiOutputs, {12, 1, 0}, 255, 1));
    EXPECT_EQ(compressor[25], 1);
    EXPECT_EQ(compressor[27], 40);
    EXPECT_EQ((std::vector<uint8_t>(&compressor[28], &compressor[32])), (std::vector<uint8_t>{8, 1, 3, 6}));
    readCommands.insert(Command::ReadMultiOutputs);
    EXPECT_EQ(readCommands, (std::set<uint8_t>{12, 14, 16, 18, 20, 22, 24, 30}));

    QFile trace(server->tracePath());
    ASSERT_TRUE(trace.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromLatin1(trace.readAll()).split('\n', Qt::SkipEmptyParts);
    const QRegularExpression line(QStringLiteral("^\\d+\\.\\d{3} [<>] \\d+( [0-9a-f]{2}){134}$"));
    ASSERT_GE(lines.size(), 2);
    for (const QString& l : lines)
        EXPECT_TRUE(line.match(l).hasMatch()) << l.toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral(" > 1 00 22 ")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral(" < 1 00 22 ")));
}

TEST_F(QelnetEndToEnd, WritesStartStopDeleteAndResetPersist)
{
    start();
    connectTo("001:125");
    Telegram header = telegram(Command::WriteHeader, {20}, FunctionType::QebOn, 0);
    SetTelegramDataLength(header, 57);
    le::putChars(&header[25], 16, "New injection");
    header[41] = 0x03;
    header[42] = SlotKind::Automatic;
    header[44] = SlotKind::Parameter;
    header[58] = 0x03;
    header[59] = SlotKind::Automatic;
    header[61] = SlotKind::Parameter;
    header[80] = 0x01;
    const Telegram created = ask(header);
    EXPECT_EQ(created[25], GatewayStatus::Accepted);
    uint32_t stamp = le::u32(&created[26]);

    const std::vector<Telegram> writes = {
        telegram(Command::WriteSimpleInputs, {20, 1, 0, 40}, 1, 1),
        telegram(Command::WriteSimpleOutputs, {20, 2, 1, 1, 2, 2}, 1, 1),
        telegram(Command::WriteParameterOutputs, {20, 1, 0, 3, 6, 1, 1, 248, 0x7c, 0xf0}, 1, 2),
        telegram(Command::WriteDataBlock, {20, 1, 1}, 1, 1),
    };
    for (const Telegram& w : writes) {
        const Telegram answer = ask(w);
        EXPECT_EQ(answer[25], GatewayStatus::Accepted) << "command " << int(IdentifyTelegram(w)->command);
        EXPECT_NE(le::u32(&answer[26]), stamp);
        stamp = le::u32(&answer[26]);
    }
    EXPECT_EQ(ask(telegram(Command::WriteSchedules, {3, 1, 2}, 3, 1))[25], GatewayStatus::Accepted);
    Telegram multi = telegram(Command::WriteMultiOutputs, {12, 1, 0, 41}, 8, 1);
    SetTelegramDataLength(multi, 38);
    EXPECT_EQ(ask(multi)[25], GatewayStatus::BadRequest) << "output slot 1 of a Po optimizer takes parameter references";
    Telegram evaporator = telegram(Command::WriteMultiInputs, {12, 1, 9, 13, 3, 14, 2, 7}, 8, 1);
    SetTelegramDataLength(evaporator, 38);
    evaporator[24 + 36] = 0x5a;
    evaporator[24 + 37] = 0xc1;
    EXPECT_EQ(ask(evaporator)[25], GatewayStatus::Accepted);

    EXPECT_EQ(ask(telegram(Command::Start, {1, 20}))[24], GatewayStatus::Accepted);
    EXPECT_EQ(ask(telegram(Command::Stop, {2, 20, 1}))[24], GatewayStatus::NotStartable);
    EXPECT_EQ(ask(telegram(Command::Stop, {1, 7}))[24], GatewayStatus::Accepted);
    EXPECT_EQ(ask(telegram(Command::Delete, {1, 14}))[24], GatewayStatus::Accepted);

    // A new run of the server serves what the last one left.
    EXPECT_EQ(server->stop(), 0);
    ServerLink::instance().reset();
    start();
    connectTo("001:125");
    const Telegram reread = ask(telegram(Command::ReadHeader, {20}));
    EXPECT_EQ(le::str(&reread[30], 16), "New injection");
    EXPECT_EQ(reread[25], FunctionFlag::Started | FunctionFlag::Manual);
    EXPECT_EQ(le::u32(&reread[26]), stamp);
    EXPECT_EQ(reread[48] + reread[65] + reread[67], 1 + 2 + 1) << "references as written";
    EXPECT_EQ(ask(telegram(Command::ReadHeader, {12}))[48], 7) << "a seventh evaporator";
    EXPECT_EQ(ask(telegram(Command::ReadHeader, {7}))[25] & FunctionFlag::Started, 0);
    EXPECT_EQ(ask(telegram(Command::Directory, {}))[28 + 13], 255);

    EXPECT_EQ(ask(telegram(Command::Reset, {}))[24], GatewayStatus::Accepted);
    EXPECT_EQ(ask(telegram(Command::Memory, {}))[28], 0);
    std::string error;
    const auto saved = ReadGatewayImage(image("001").toStdString(), error);
    ASSERT_TRUE(saved) << error;
    EXPECT_TRUE(saved->functions.empty());
}

TEST_F(QelnetEndToEnd, PasswordAcceptedRefusedCancelledAndWithoutServer)
{
    start();
    BroadcastAnnounce(window);
    ASSERT_TRUE(program.wait());
    char texts[PasswordTexts::Size] = {};
    std::snprintf(texts + PasswordTexts::Title, 26, "Enter ZUL Password");
    std::snprintf(texts + PasswordTexts::Label, 16, "Password");
    {
        CheckedScript script;
        EXPECT_EQ(CheckGatewayPassword(nullptr, 1, texts), PasswordCheck::Accepted)
            << "gateway 001 has no password: no prompt";
    }
    {
        CheckedScript script;
        script.expectPassword(QStringLiteral("4321"));
        EXPECT_EQ(CheckGatewayPassword(nullptr, 2, texts), PasswordCheck::Refused);
    }
    {
        CheckedScript script;
        script.expectPassword(std::nullopt);
        EXPECT_EQ(CheckGatewayPassword(nullptr, 2, texts), PasswordCheck::Cancelled);
    }
    {
        CheckedScript script;
        script.expectPassword(QStringLiteral("1234"));
        EXPECT_EQ(CheckGatewayPassword(nullptr, 2, texts), PasswordCheck::Accepted);
    }
    server.reset();
    ServerLink::instance().reset();
    {
        CheckedScript script;
        EXPECT_EQ(CheckGatewayPassword(nullptr, 2, texts), PasswordCheck::LinkFailure) << "no prompt without a server";
    }
}

TEST_F(QelnetEndToEnd, ABadClientIsClosedAndTheOthersGoOn)
{
    start();
    RawClient tooLong(server->socketPath());
    RawClient tooShort(server->socketPath());
    RawClient unknownMessage(server->socketPath());
    RawClient unknownCommand(server->socketPath());
    RawClient good(server->socketPath());

    QByteArray longFrame = EncodeServerFrame({ServerMessage::Announce, 1, ServerReply::AnnounceParameter, {}});
    le::putU32(reinterpret_cast<uint8_t*>(longFrame.data()), 5000);
    tooLong.sendBytes(longFrame);
    QByteArray shortFrame(8, '\0');
    le::putU32(reinterpret_cast<uint8_t*>(shortFrame.data()), 4);
    tooShort.sendBytes(shortFrame);
    unknownMessage.send({0x0777, 1, 0, {}});
    unknownCommand.send({ServerMessage::Connect, 1, (118u << 16) | 1, QByteArray("\x21\0\0\0\0" "001:125", 13)});
    ASSERT_TRUE(unknownCommand.next());
    Telegram nonsense = telegram(Command::ReadHeader, {1});
    nonsense[TelegramField::Command3] = 0x33;
    unknownCommand.send({ServerMessage::Send, 1, (2100u << 16) | 1, payload(nonsense)});

    EXPECT_TRUE(tooLong.closedByServer());
    EXPECT_TRUE(tooShort.closedByServer());
    EXPECT_TRUE(unknownMessage.closedByServer());
    EXPECT_TRUE(unknownCommand.closedByServer());

    good.send({ServerMessage::Connect, 7, (118u << 16) | 3, QByteArray("\x21\0\0\0\0" "002:125", 13)});
    const auto connected = good.next();
    ASSERT_TRUE(connected);
    EXPECT_EQ(connected->param2, (118u << 16) | ServerReply::Connected);
    good.send({ServerMessage::Send, 7, (2102u << 16) | 3, payload(telegram(Command::NetConfigStamp, {}, 255, 0, "002:125"))});
    const auto answer = good.next();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->message, ServerMessage::Answer);
    ASSERT_EQ(answer->payload.size(), int(TelegramSize));
    EXPECT_EQ(le::u16(reinterpret_cast<const uint8_t*>(answer->payload.constData()) + 24), 3106);

    const QString errors = server->standardError();
    EXPECT_TRUE(errors.contains(QStringLiteral("frame too long"))) << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("frame too short")));
    EXPECT_TRUE(errors.contains(QStringLiteral("unknown message 0x0777")));
    EXPECT_TRUE(errors.contains(QStringLiteral("command the table does not know")));
}

TEST_F(QelnetEndToEnd, LatencyMakesTwentyTelegramsTakeAboutASecond)
{
    start({"--latency", "50"});
    connectTo("001:125");
    QElapsedTimer clock;
    clock.start();
    for (int k = 0; k < 20; ++k)
        ask(telegram(Command::NetConfigStamp, {}));
    const qint64 elapsed = clock.elapsed();
    std::printf("20 telegrams at 50 ms latency: %lld ms\n", static_cast<long long>(elapsed));
    EXPECT_GE(elapsed, 800);
    EXPECT_LE(elapsed, 3000);
}

TEST_F(QelnetEndToEnd, LinkFailsOnTelegramAfterN)
{
    start({"--fail-link-after", "3"});
    connectTo("001:125");
    for (int k = 0; k < 3; ++k)
        ask(telegram(Command::NetConfigStamp, {}));
    Message reply{};
    EXPECT_FALSE(exchange(telegram(Command::Memory, {}), &reply));
    EXPECT_EQ(reply.message, ServerMessage::Reply);
    EXPECT_EQ(reply.param2, LinkFailure::Lost);
    ask(telegram(Command::Memory, {}));
}

TEST_F(QelnetEndToEnd, UnexpectedAnswerIdentifiesAsAnotherCommand)
{
    start({"--unexpected-answer", "2"});
    connectTo("001:125");
    ask(telegram(Command::ReadHeader, {1}));
    const auto odd = exchange(telegram(Command::ReadHeader, {3}));
    ASSERT_TRUE(odd);
    const auto id = IdentifyTelegram(*odd);
    ASSERT_TRUE(id);
    EXPECT_NE(id->command, Command::ReadHeader);
    ask(telegram(Command::ReadHeader, {3}));
}

TEST_F(QelnetEndToEnd, GatewayFaultsFromTheCommandLine)
{
    start({"--memory-full", "--refuse-writes", "9"});
    connectTo("001:125");
    EXPECT_EQ(le::u16(&ask(telegram(Command::Memory, {}))[26]), 0);
    EXPECT_EQ(ask(telegram(Command::WriteDataBlock, {3, 0, 0}, 3, 1))[25], 9);
    server->stop();
    ServerLink::instance().reset();

    start({"--changed-stamp"});
    connectTo("001:125");
    const Telegram stamps = ask(telegram(Command::Stamps, {1, 3}));
    EXPECT_NE(le::u32(&stamps[27]), le::u32(&ask(telegram(Command::ReadHeader, {3}))[26]));
    EXPECT_EQ(ask(telegram(Command::WriteDataBlock, {3, 0, 0}, 3, 1))[25], GatewayStatus::StampChanged);
}

TEST_F(QelnetEndToEnd, SocketIsTheOwnersOnlyAndGoesWithTheServer)
{
    start();
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(server->socketPath()).constData(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0077, 0u) << "no access for group and others";
    EXPECT_EQ(info.st_mode & 0600, 0600u);
    EXPECT_EQ(server->stop(), 0);
    EXPECT_FALSE(QFile::exists(server->socketPath()));
}

TEST(QelnetCommandLine, DamagedImageIsRefusedAtStart)
{
    QTemporaryDir folder;
    const QString image = folder.filePath(QStringLiteral("broken.img"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELT_DEMO_DIR "/gateway-001.img"), image));
    QFile file(image);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(100);
    const char flipped = char(~file.peek(1).at(0));
    file.write(&flipped, 1);
    file.close();

    QProcess process;
    process.start(QelnetProcess::program(),
                  {"--socket", folder.filePath(QStringLiteral("s.sock")), "--gateway", "001=" + image});
    ASSERT_TRUE(process.waitForFinished(WaitMs));
    EXPECT_NE(process.exitCode(), 0);
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_TRUE(errors.contains(image)) << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("checksum wrong")));
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("s.sock"))));
}

TEST(QelnetCommandLine, AnImageThatIsNoRegularFileIsRefusedAtStartWithoutWaitingOnIt)
{
    QTemporaryDir folder;
    const QString fifo = folder.filePath(QStringLiteral("fifo.img"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zeroes = folder.filePath(QStringLiteral("zeroes.json"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zeroes));
    const QString socket = folder.filePath(QStringLiteral("s.sock"));

    const struct {
        QStringList arguments;
        QString named;
        QString reason;
    } cases[] = {
        {{"--socket", socket, "--gateway", "001=" + folder.path()}, folder.path(), QStringLiteral("is a folder")},
        {{"--socket", socket, "--gateway", "001=" + fifo}, fifo, QStringLiteral("is not a regular file")},
        {{"--make-image", zeroes, folder.filePath(QStringLiteral("out.img"))}, zeroes,
         QStringLiteral("is not a regular file")},
        {{"--show-image", fifo}, fifo, QStringLiteral("is not a regular file")},
        {{"--socket", socket, "--trace", fifo, "--gateway", "001=" VELT_DEMO_DIR "/gateway-001.img"}, fifo,
         QStringLiteral("a FIFO, folder or socket, not a file to write the trace into")},
        {{"--socket", zeroes, "--gateway", "001=" VELT_DEMO_DIR "/gateway-001.img"}, zeroes,
         QStringLiteral("not a socket; left as it is")},
    };
    for (const auto& c : cases) {
        QProcess process;
        process.start(QelnetProcess::program(), c.arguments);
        ASSERT_TRUE(process.waitForFinished(WaitMs)) << c.arguments.join(' ').toStdString();
        EXPECT_NE(process.exitCode(), 0);
        const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
        EXPECT_TRUE(errors.contains(c.named) && errors.contains(c.reason)) << errors.toStdString();
    }
    EXPECT_TRUE(QFileInfo(zeroes).isSymLink()) << "what is not a socket is not removed";
}

TEST(QelnetCommandLine, HelpDocumentsEveryOptionAndImagesRoundTrip)
{
    QProcess help;
    help.start(QelnetProcess::program(), {"--help"});
    ASSERT_TRUE(help.waitForFinished(WaitMs));
    const QString text = QString::fromLocal8Bit(help.readAllStandardOutput());
    for (const char* option : {"--socket", "--gateway", "--trace", "--latency", "--fail-link-after", "--refuse-writes",
                               "--unexpected-answer", "--changed-stamp", "--memory-full", "--make-image", "--show-image",
                               "0x03E0", "0x0510", "0600"})
        EXPECT_TRUE(text.contains(QLatin1String(option))) << option;

    QTemporaryDir folder;
    const QString image = folder.filePath(QStringLiteral("g.img"));
    QProcess make;
    make.start(QelnetProcess::program(), {"--make-image", QStringLiteral(VELT_DEMO_DIR "/gateway-002.json"), image});
    ASSERT_TRUE(make.waitForFinished(WaitMs));
    EXPECT_EQ(make.exitCode(), 0) << make.readAllStandardError().toStdString();
    QProcess show;
    show.start(QelnetProcess::program(), {"--show-image", image});
    ASSERT_TRUE(show.waitForFinished(WaitMs));
    EXPECT_EQ(show.exitCode(), 0);
    EXPECT_TRUE(show.readAllStandardOutput().contains("function 3 \"Dairy alarm\""));

    QProcess wrong;
    wrong.start(QelnetProcess::program(), {"--socket", "x"});
    ASSERT_TRUE(wrong.waitForFinished(WaitMs));
    EXPECT_EQ(wrong.exitCode(), 2);
    EXPECT_TRUE(wrong.readAllStandardError().contains("--gateway"));
}
