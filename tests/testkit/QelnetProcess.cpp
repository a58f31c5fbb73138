#include "QelnetProcess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QTextStream>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

constexpr int StartTimeoutMs = 5000;
constexpr int StopTimeoutMs = 5000;

} // namespace

QString QelnetProcess::program() { return QStringLiteral(QELNETD_PATH); }

QelnetProcess::QelnetProcess(const QString& folder, const QStringList& arguments)
    : m_socket(QDir(folder).filePath(QStringLiteral("qelnet.sock")))
    , m_trace(QDir(folder).filePath(QStringLiteral("qelnet.trace")))
{
    m_process.setProgram(program());
    m_process.setArguments(QStringList{QStringLiteral("--socket"), m_socket, QStringLiteral("--trace"), m_trace}
                           + arguments);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setReadChannel(QProcess::StandardError);
    m_process.start();
    if (!m_process.waitForStarted(StartTimeoutMs)) {
        ADD_FAILURE() << "qelnetd did not start: " << m_process.errorString().toStdString();
        return;
    }
    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
        QLocalSocket probe;
        probe.connectToServer(m_socket);
        if (probe.waitForConnected(100)) {
            probe.disconnectFromServer();
            m_listening = true;
            return;
        }
        QThread::msleep(20);
    }
    ADD_FAILURE() << "qelnetd does not listen at " << m_socket.toStdString() << ": "
                  << standardError().toStdString();
}

QelnetProcess::~QelnetProcess()
{
    if (m_process.state() != QProcess::NotRunning)
        stop();
}

int QelnetProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    ::kill(pid_t(m_process.processId()), SIGTERM);
    if (!m_process.waitForFinished(StopTimeoutMs)) {
        ADD_FAILURE() << "qelnetd did not end on SIGTERM";
        m_process.kill();
        m_process.waitForFinished(StopTimeoutMs);
        return -1;
    }
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QString QelnetProcess::standardError()
{
    constexpr int QuietMs = 100;
    do
        m_errors += QString::fromLocal8Bit(m_process.readAllStandardError());
    while (m_process.state() == QProcess::Running && m_process.waitForReadyRead(QuietMs));
    m_errors += QString::fromLocal8Bit(m_process.readAllStandardError());
    return m_errors;
}

std::vector<int> QelnetProcess::sentCommands() const
{
    std::vector<int> commands;
    for (const Telegram& telegram : sentTelegrams()) {
        const std::optional<IdentifiedTelegram> id = IdentifyTelegram(telegram);
        commands.push_back(id ? id->command : -1);
    }
    return commands;
}

std::vector<Telegram> QelnetProcess::sentTelegrams() const
{
    std::vector<Telegram> telegrams;
    QFile trace(m_trace);
    if (!trace.open(QIODevice::ReadOnly))
        return telegrams;
    QTextStream in(&trace);
    while (!in.atEnd()) {
        const QStringList fields = in.readLine().split(' ');
        if (fields.size() != 3 + int(TelegramSize) || fields[1] != ">")
            continue;
        Telegram telegram{};
        for (size_t i = 0; i < TelegramSize; ++i)
            telegram[i] = uint8_t(fields[3 + int(i)].toUInt(nullptr, 16));
        telegrams.push_back(telegram);
    }
    return telegrams;
}
