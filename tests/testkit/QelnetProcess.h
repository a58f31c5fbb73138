#pragma once
// A real qelnetd for a test: started with the test's arguments on the socket
// qelnet.sock in a given folder, with its trace in qelnet.trace beside it;
// stopped with SIGTERM when the object goes.

#include "protocol/Telegram.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <vector>

class QelnetProcess {
public:
    // Starts qelnetd and waits (at most 5 s) until it listens; a failure is
    // reported as a test failure and leaves running() false.
    QelnetProcess(const QString& folder, const QStringList& arguments);
    ~QelnetProcess();
    QelnetProcess(const QelnetProcess&) = delete;
    QelnetProcess& operator=(const QelnetProcess&) = delete;

    bool running() const { return m_listening && m_process.state() == QProcess::Running; }
    QString socketPath() const { return m_socket; }
    QString tracePath() const { return m_trace; }
    // Sends SIGTERM and waits; the exit code, or -1 when it did not end normally.
    int stop();
    // The commands of the telegrams sent to the gateways, in order, as the
    // trace shows them; -1 for a telegram without a known command.
    std::vector<int> sentCommands() const;
    // The telegrams sent to the gateways, in order, as the trace shows them.
    std::vector<Telegram> sentTelegrams() const;
    // What qelnetd wrote to standard error so far.
    QString standardError();

    // The built qelnetd.
    static QString program();

private:
    QProcess m_process;
    QString m_socket;
    QString m_trace;
    QString m_errors;
    bool m_listening = false;
};
