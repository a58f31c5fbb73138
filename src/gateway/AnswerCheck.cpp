#include "gateway/AnswerCheck.h"

#include "model/Messages.h"
#include "model/Texts.h"
#include "protocol/Answer.h"
#include "protocol/StrFormat.h"
#include "support/UiSeam.h"

void ShowRefusal(uint8_t status, QWidget* messageParent)
{
    if (ChangedInGateway(status)) {
        ShowMessage(QText(txt::ChangedByAnotherUser) + "\n" + QText(txt::ErrorUpdatingZul),
                    MB::Ok | MB::IconExclamation, messageParent, true);
        return;
    }
    ShowMessage(QString::fromStdString(StrFormat("%s\n%s %d.", TextById(txt::ErrorUpdatingZul).c_str(),
                                                 TextById(txt::ReturnCodeIs).c_str(), int(status))),
                MB::Ok | MB::IconStop, messageParent, true);
}

void ShowUnexpectedAnswer(QWidget* messageParent)
{
    MessageById(txt::ChangedByAnotherUser, MB::Ok | MB::IconStop, messageParent);
}
