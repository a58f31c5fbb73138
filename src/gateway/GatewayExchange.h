#pragma once
// What every exchange with the gateway shares: a shared record for the
// telegram, sending it to the communication server, and receiving the
// gateway's answer or the link failure. Upload, update, start/stop and
// deletion derive from it and are driven by the answers.

#include "protocol/Answer.h"
#include "protocol/Telegram.h"
#include "support/Db.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <string>


class GatewayExchange : public QObject {
    Q_OBJECT

public:
    GatewayExchange(std::string gatewayAddress, uint32_t serverWindow, QWidget* messageParent);
    ~GatewayExchange() override;

    const std::string& gatewayAddress() const { return m_gatewayAddress; }
    // Telegrams sent so far.
    int telegramsSent() const { return m_telegramsSent; }
    bool finished() const { return m_finished; }
    // The gateway's return code when it refused a request.
    std::optional<uint8_t> refusal() const { return m_refusal; }
    // The gateway answered what was not asked: another user changed its setup.
    bool unexpectedAnswer() const { return m_unexpectedAnswer; }
    // Why the job ended early when the gateway's answer says it, in the words
    // of every tool message and log: "refused by the gateway: return code 1
    // (the gateway's memory is full)", or the unexpected answer.
    std::optional<std::string> gatewayEnding() const;

Q_SIGNALS:
    void progressRange(int maximum);
    void progress(int value);
    void textChanged(const QString& text);
    // dialogResult: the value the job's progress dialog ends with.
    void done(int dialogResult);

protected:
    // Creates the shared record; false (and the allocation message) when it cannot.
    bool createSharedRecord();
    // Puts a telegram into the shared record and posts it to the server;
    // false after the message of the failure.
    bool send(const Telegram& telegram);
    // Builds and sends a command with its data.
    bool sendCommand(uint8_t command, uint16_t dataLength, uint8_t p, uint8_t offset, const uint8_t* data);
    void finish(int dialogResult);
    int dialogResult() const { return m_dialogResult; }
    QWidget* messageParent() const { return m_messageParent; }

    // The gateway's answer to the request last sent; its status, when the
    // command has one, is for the job to judge.
    virtual void onAnswer(const Telegram& answer, const CheckedAnswer& checked) = 0;
    // An answer that cannot be identified or answers another request.
    virtual void onUnexpectedAnswer() = 0;
    // The server reports that the link to the gateway failed.
    virtual void onLinkFailure() = 0;
    // The shared record could not be read back (allocation failure).
    virtual void onReadFailure() = 0;

    bool event(QEvent* event) override;

private:
    std::string m_gatewayAddress;
    uint32_t m_serverWindow;
    QPointer<QWidget> m_messageParent;
    // The job's progress lines and messages are looked up in ORPATEXT; kept
    // open while the job lives, a lookup is a read instead of opening the table.
    ScopedTable m_texts;
    uint32_t m_window = 0;
    uint16_t m_handle = 0;
    Telegram m_request{};
    int m_telegramsSent = 0;
    bool m_finished = false;
    int m_dialogResult = -1;
    std::optional<uint8_t> m_refusal;
    bool m_unexpectedAnswer = false;
};

// A job whose results are the values of Result, an enum class of the dialog
// results its progress dialog ends with.
template <typename Result>
class GatewayJob : public GatewayExchange {
public:
    using GatewayExchange::GatewayExchange;

    // Once finished().
    Result result() const { return Result(dialogResult()); }

protected:
    void finish(Result result) { GatewayExchange::finish(int(result)); }
};
