#include "app/InstanceGuard.h"

#include "support/OrpaPaths.h"

#include <QCryptographicHash>

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {
constexpr int ContactTimeoutMs = 1000;
const char ActivateRequest[] = "activate\n";
} // namespace

QString InstanceGuard::defaultName()
{
    // One instance per user and monitoring-system home.
    const QByteArray home = QByteArray::fromStdString(orpa::homeDirectory());
    const QByteArray digest = QCryptographicHash::hash(home, QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("velt-%1-%2").arg(getuid()).arg(QString::fromLatin1(digest));
}

InstanceGuard::InstanceGuard(QString name)
    : m_name(std::move(name))
{
}

InstanceGuard::~InstanceGuard() = default;

bool InstanceGuard::claim()
{
    QLocalSocket other;
    other.connectToServer(m_name);
    if (other.waitForConnected(ContactTimeoutMs)) {
        other.write(ActivateRequest);
        other.waitForBytesWritten(ContactTimeoutMs);
        other.disconnectFromServer();
        return false;
    }
    // Nobody answers: a socket file left by an instance that died is stale.
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name))
        return true; // cannot guard; run anyway rather than refuse to start
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = m_server->nextPendingConnection()) {
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (client->readAll().startsWith("activate"))
                    Q_EMIT activationRequested();
                client->deleteLater();
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
    return true;
}
