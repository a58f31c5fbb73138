#include "gateway/UnsentChanges.h"

#include "gateway/MCUpdDlg.h"
#include "gateway/MCUplDlg.h"
#include "gateway/UpdateJob.h"
#include "model/EventLog.h"
#include "model/McdefAccess.h"
#include "model/Messages.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "protocol/TypeCatalogue.h"
#include "support/DbStatus.h"
#include "support/UiSeam.h"

namespace {

// Sends each function as its editor's OK would; false when the gateway did not take every one.
bool sendAll(QWidget* parent, const std::string& gatewayAddress, const std::vector<UnsentFunction>& functions)
{
    for (const UnsentFunction& function : functions) {
        McdefRecord header;
        if (ReadBlock(function.number, BlockType::Header, 0, 0, header) != DbStatus::Success)
            return false;
        if (RunUpdate(parent, gatewayAddress, function.number, UpdateMode::WholeFunction,
                      TypeWritableBlocks(header.type()))
            != UpdateResult::Done)
            return false;
    }
    return true;
}

} // namespace

std::optional<std::vector<UnsentFunction>> UnsentFunctionsOf(const std::string& gatewayAddress, std::string& problem)
{
    const std::optional<SyncState> state = ReadSyncState(problem);
    if (!state)
        return std::nullopt;
    return state->ofGateway(gatewayAddress);
}

std::string UnsentListText(const std::vector<UnsentFunction>& functions)
{
    std::string text;
    for (const UnsentFunction& function : functions)
        text += (text.empty() ? "  " : "\n  ") + std::to_string(function.number) + " " + function.name;
    return text;
}

uint16_t LogDiscardedChanges(const std::string& gatewayAddress, const std::vector<UnsentFunction>& functions)
{
    for (const UnsentFunction& function : functions)
        if (const uint16_t status =
                LogChangeLines(gatewayAddress, function.name,
                               {"not sent to the gateway, discarded by the upload (" + function.reason + ")"});
            status != DbStatus::Success)
            return status;
    return DbStatus::Success;
}

UploadResult RunUploadKeepingChanges(QWidget* parent, const std::string& gatewayAddress, uint32_t serverWindow,
                                     bool reset)
{
    std::string problem;
    // Marks that cannot be read are told of where the upload forgets them.
    const std::vector<UnsentFunction> unsent = UnsentFunctionsOf(gatewayAddress, problem).value_or(
        std::vector<UnsentFunction>{});
    bool discard = false;
    if (!unsent.empty()) {
        const QString question = QText(txt::UnsentBeforeUpload) + "\n" + QString::fromStdString(UnsentListText(unsent))
            + "\n\n" + QText(txt::UnsentBeforeUploadChoice);
        switch (ui().messageBox(parent, question, MB::YesNoCancel | MB::IconQuestion)) {
        case IDYES:
            if (!sendAll(parent, gatewayAddress, unsent)) {
                MessageById(txt::UnsentNotAllSent, MB::Ok | MB::IconExclamation, parent);
                return UploadResult::Cancelled;
            }
            break;
        case IDNO:
            discard = true;
            break;
        default:
            return UploadResult::Cancelled;
        }
    }
    const UploadResult result = RunUpload(parent, gatewayAddress, serverWindow, reset);
    const bool uploaded = result == UploadResult::UpToDate || result == UploadResult::NotUpToDate;
    if (uploaded && discard)
        if (const uint16_t status = LogDiscardedChanges(gatewayAddress, unsent); status != DbStatus::Success)
            ReportDbError(table::EventLog, status, __FILE__, __LINE__, parent);
    return result;
}
