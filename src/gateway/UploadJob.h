#pragma once
// The upload: rebuilds MCDEF from the gateway each time a gateway is chosen.
// It empties MCDEF, compares the net-configuration stamp, reads memory,
// per-type limits, the directory and every function's stamp, takes unchanged
// functions from the backup file, reads all others telegram by telegram,
// converts the telegrams into records and checks the references. In reset
// mode it clears the gateway's whole function setup instead.

#include "gateway/BackupFile.h"
#include "gateway/ConsistencyCheck.h"
#include "gateway/GatewayExchange.h"
#include "gateway/TelegramConversion.h"

#include "support/RecordStore.h"

#include <QThread>

#include <deque>
#include <memory>
#include <optional>
#include <string>

// UpToDate, NotUpToDate: uploaded, and whether the net configuration matched.
enum class UploadResult : int { UpToDate = 0, NotUpToDate = 1, Cancelled = 2, Failed = 3 };

class UploadJob : public GatewayJob<UploadResult> {
    Q_OBJECT

public:
    UploadJob(std::string gatewayAddress, uint32_t serverWindow, bool reset, QWidget* messageParent);
    ~UploadJob() override;

    void start();
    void cancel();

    // Functions taken from the backup file, read from the gateway.
    int functionsFromBackup() const { return m_fromBackupCount; }
    int functionsFromGateway() const { return m_fromGatewayCount; }
    // The problem with the file of unsent marks when the gateway's marks could not be forgotten.
    const std::optional<std::string>& syncStateProblem() const { return m_syncStateProblem; }

protected:
    void onAnswer(const Telegram& answer, const CheckedAnswer& checked) override;
    void onUnexpectedAnswer() override;
    void onLinkFailure() override;
    void onReadFailure() override;

private:
    enum class Phase { Reset, NetConfig, Memory, Directory, Stamps, HeaderTelegram, FunctionData, Check, Done };

    // Emptying MCDEF copies its template over it and flushes the copy to
    // disk; that runs beside the event loop, so that the window keeps
    // answering, and the upload goes on when it is done.
    void startEmptyingMcdef();
    void onMcdefEmptied();
    void onNetConfigStamp(const Telegram& answer);
    void onMemory(const Telegram& answer);
    void onDirectory(const Telegram& answer);
    void onStamps(const Telegram& answer);
    void requestStamps();
    bool compareWithBackup();
    void nextFunction();
    void onFunctionHeader(const Telegram& answer);
    void sendNextRequest();
    void convertFunction();
    void checkNextFunction();
    void changedByAnotherUser();
    // Ends the upload with its result.
    void end(UploadResult result);

    bool m_reset;
    Phase m_phase = Phase::NetConfig;
    bool m_cancelled = false;
    bool m_netConfigUpToDate = false;
    int m_functionCount = 0;
    ConsistencyCheck::Directory m_directory{};
    std::deque<uint8_t> m_stampQueue;
    BackupFile m_backup;

    uint8_t m_current = 0;
    int m_done = 0;
    std::vector<Telegram> m_telegrams;
    std::deque<ReadRequest> m_requests;
    int m_fromBackupCount = 0;
    int m_fromGatewayCount = 0;
    std::optional<std::string> m_syncStateProblem;
    std::unique_ptr<ConsistencyCheck> m_check;
    std::unique_ptr<QThread> m_emptying;
    TableFileReplacement m_emptied;
};
