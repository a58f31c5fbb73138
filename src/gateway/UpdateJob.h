#pragma once
// The update: writes one function from MCDEF into the gateway. Its records
// become write telegrams, the gateway's password is asked for, the telegrams
// go out one by one, and after the last one is accepted the gateway's new
// stamp of the function is stored in its header. However it ends, the
// function is marked as not sent to the gateway, or the mark is cleared
// (gateway/SyncState.h).

#include "gateway/FunctionFields.h"
#include "gateway/FunctionReader.h"
#include "gateway/GatewayExchange.h"
#include "support/ServerLink.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class UpdateResult : int {
    Done = 0,
    Refused = 1,      // the gateway refused a telegram
    NotSent = 2,      // the link failed before the first answer, or the password prompt was cancelled
    LinkFailure = 3,  // the link failed after at least one answer
    LocalFailure = 4, // allocation, build, password or database
    // The gateway accepted every telegram, but reading the function back
    // gives other fields than MCDEF holds: it stores something else than was sent.
    StoredOtherwise = 5,
};

// "done", "refused by the gateway", "link failure, nothing sent", ...
const char* UpdateResultMeaning(UpdateResult result);

namespace UpdateMode {
// Any other value writes the whole function.
constexpr uint32_t DataBlocksOnly = 0;
constexpr uint32_t WholeFunction = 1;
} // namespace UpdateMode

class UpdateJob : public GatewayJob<UpdateResult> {
    Q_OBJECT

public:
    // passwordParent: the window the password prompt belongs to.
    UpdateJob(std::string gatewayAddress, uint32_t serverWindow, uint8_t number, uint32_t mode,
              const std::array<uint8_t, 4>& writableBlocks, QWidget* passwordParent, QWidget* messageParent);

    // After the last telegram is accepted, read the function back and compare
    // it with MCDEF field by field (VerifyAfterUpdate, mcftool update --verify).
    void setVerify(bool verify) { m_verify = verify; }

    void start();

    int telegramCount() const { return int(m_telegrams.size()); }
    // What the read-back found different: per field the gateway's value, then MCDEF's.
    const std::vector<FieldDifference>& differences() const { return m_differences; }
    int answersReceived() const { return m_answers; }
    // Why the update did not end with Done, beyond its result: "telegram 2 of 5", ...
    const std::string& failureDetail() const { return m_failureDetail; }
    // What its result means: the gateway's ending (a refusal with its return
    // code's meaning, an unexpected answer), "sent, not verified" when the link
    // failed while the function was read back, else UpdateResultMeaning.
    std::string resultMeaning() const;
    // The problem, naming the file, when the function's mark could not be recorded.
    const std::optional<std::string>& syncStateProblem() const { return m_syncStateProblem; }

protected:
    void onAnswer(const Telegram& answer, const CheckedAnswer& checked) override;
    void onUnexpectedAnswer() override;
    void onLinkFailure() override;
    void onReadFailure() override;

private:
    // Refuses, telling the operator, a function whose stored settings hold a value outside its range.
    bool settingsInRange();
    // Asks for the gateway password; false, after telling why, when the update must end.
    bool passwordAccepted();
    // Whether the function carried the mark of an update the gateway did not accept.
    bool markedBefore() const;
    void sendNext();
    bool storeStamp(uint32_t stamp);
    void fail(UpdateResult result, std::string detail);
    // Marks the function as not sent, or clears its mark, by the result.
    void recordSyncState(UpdateResult result);
    // The event row of an update the gateway did not accept, or of one that sent a marked function.
    void logOutcome(UpdateResult result, const std::string& reason);
    std::optional<std::string> markUnsent(const std::string& reason);
    void readBackNext();
    void onReadBackAnswer(const Telegram& answer);
    void compareReadBack();

    uint8_t m_number;
    uint32_t m_mode;
    std::array<uint8_t, 4> m_writableBlocks;
    QPointer<QWidget> m_passwordParent;
    std::vector<Telegram> m_telegrams;
    size_t m_next = 0;
    int m_answers = 0;
    std::string m_failureDetail;
    std::optional<std::string> m_syncStateProblem;
    bool m_verify = false;
    bool m_wasMarked = false;
    // The link failed during the read-back: the gateway holds what was sent.
    bool m_sentNotVerified = false;
    std::unique_ptr<FunctionReader> m_readBack;
    std::vector<FieldDifference> m_differences;
};

// The text block of the gateway password prompt (ServerLink.h, PasswordTexts).
std::array<char, PasswordTexts::Size> PasswordTextBlock();
