#include "gateway/AnswerCheck.h"

#include "model/Messages.h"
#include "model/Texts.h"
#include "protocol/GatewayCodes.h"
#include "protocol/StrFormat.h"
#include "support/UiSeam.h"

namespace {

constexpr size_t WriteStatusOffset = 25;
constexpr size_t CommandStatusOffset = 24;

} // namespace

size_t AnswerStatusOffset(uint8_t command)
{
    return command >= Command::WriteHeader && command <= Command::WriteDataBlock ? WriteStatusOffset
                                                                                 : CommandStatusOffset;
}

std::optional<uint8_t> AnswerStatus(const Telegram& answer, uint8_t sentCommand)
{
    const std::optional<IdentifiedTelegram> id = IdentifyTelegram(answer);
    if (!id || id->command != sentCommand)
        return std::nullopt;
    return answer[AnswerStatusOffset(sentCommand)];
}

bool ChangedInGateway(uint8_t status)
{
    return status == GatewayStatus::StampChanged || status == GatewayStatus::TypeDiffers
        || status == GatewayStatus::NoSuchFunction;
}

AnswerVerdict CheckGatewayAnswer(const Telegram& answer, uint8_t sentCommand, QWidget* messageParent)
{
    const std::optional<uint8_t> status = AnswerStatus(answer, sentCommand);
    if (!status) {
        ShowUnreadableAnswer(messageParent);
        return AnswerVerdict::Unreadable;
    }
    if (*status == 0)
        return AnswerVerdict::Accepted;
    if (ChangedInGateway(*status)) {
        ShowMessage(QText(txt::ChangedByAnotherUser) + "\n" + QText(txt::ErrorUpdatingZul),
                    MB::Ok | MB::IconExclamation, messageParent, true);
    } else {
        ShowMessage(QString::fromStdString(StrFormat("%s\n%s %d.", TextById(txt::ErrorUpdatingZul).c_str(),
                                                     TextById(txt::ReturnCodeIs).c_str(), int(*status))),
                    MB::Ok | MB::IconStop, messageParent, true);
    }
    return AnswerVerdict::Refused;
}

void ShowUnreadableAnswer(QWidget* messageParent)
{
    MessageById(txt::ChangedByAnotherUser, MB::Ok | MB::IconStop, messageParent);
}
