#pragma once
// One instance of the program per user and monitoring-system home: the first
// instance listens on a local socket named after both; a second one finds it,
// asks it to come to the front and ends.

#include <QObject>
#include <QString>

class QLocalServer;

class InstanceGuard : public QObject {
    Q_OBJECT

public:
    // The name of the local socket for the current user and home.
    static QString defaultName();

    explicit InstanceGuard(QString name = defaultName());
    ~InstanceGuard() override;

    // True when this is the only instance (it now listens); false when another
    // instance runs: it has been asked to come to the front.
    bool claim();

Q_SIGNALS:
    // Another instance asked this one to come to the front.
    void activationRequested();

private:
    QString m_name;
    QLocalServer* m_server = nullptr;
};
