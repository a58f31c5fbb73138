#include "gateway/BackupWriter.h"

#include "gateway/TelegramBuilder.h"
#include "model/McdefAccess.h"
#include "model/Messages.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "protocol/TypeCatalogue.h"
#include "support/Db.h"
#include "support/RegularFile.h"
#include "support/UiSeam.h"

#include <algorithm>
#include <filesystem>

namespace {

bool anyKnownType(const std::vector<ListedFunction>& functions)
{
    return std::any_of(functions.begin(), functions.end(),
                       [](const ListedFunction& f) { return IsKnownType(f.type); });
}

} // namespace

uint16_t BuildBackupFile(const std::string& gatewayAddress, const std::vector<ListedFunction>& functions,
                         BackupFile& file, QWidget* messageParent)
{
    file = BackupFile();
    file.gatewayAddress = gatewayAddress;
    std::vector<ListedFunction> known;
    for (const ListedFunction& f : functions)
        if (IsKnownType(f.type) && f.number >= 1 && f.number <= BackupFunctions)
            known.push_back(f);
    std::sort(known.begin(), known.end(),
              [](const ListedFunction& a, const ListedFunction& b) { return a.number < b.number; });

    std::vector<uint8_t> started;
    for (const ListedFunction& f : known) {
        McdefRecord header;
        uint16_t status = ReadBlock(f.number, BlockType::Header, 0, 0, header);
        std::vector<Telegram> telegrams;
        if (status == DbStatus::Success && header.stamp() != 0)
            status = BuildFunctionTelegramsFromTable(gatewayAddress, f.number, false, TypeWritableBlocks(f.type),
                                                     telegrams);
        if (status != DbStatus::Success) {
            ReportDbError(table::Mcdef, status, __FILE__, __LINE__, messageParent);
            return status;
        }
        if (header.stamp() != 0)
            file.addFunction(f.number, header.stamp(), telegrams);
        if (f.started)
            started.push_back(f.number);
    }
    if (!started.empty())
        file.telegrams.push_back(BuildStartStopTelegram(Command::Start, gatewayAddress, started));
    return DbStatus::Success;
}

BackupWriteResult WriteBackupFile(const std::string& gatewayAddress, const std::vector<ListedFunction>& functions,
                                  QWidget* messageParent)
{
    WaitCursor wait;
    const std::string name = BackupFileName(gatewayAddress);
    const auto cannotWrite = [&](const std::string& problem) {
        ShowMessage(QText(txt::CannotWriteToFile) + " " + QString::fromStdString(name + "\n" + problem),
                    MB::Ok | MB::IconExclamation, messageParent);
        return BackupWriteResult::Failed;
    };
    // What is in the file's place must be a file: a folder, a FIFO or a device there is neither written nor removed.
    if (const std::optional<std::string> refused = WriteTargetProblem(name))
        return cannotWrite(*refused);
    if (!anyKnownType(functions)) {
        // A stale file left behind would give the next upload functions the gateway no longer has.
        std::error_code error;
        if (std::filesystem::remove(name, error) || !error)
            return BackupWriteResult::NoFunctions;
        return cannotWrite(name + " cannot be removed: " + error.message());
    }
    BackupFile file;
    // A build that stops part-way leaves its file incomplete, without a
    // checksum, so that the next upload says the last backup failed.
    const bool built = BuildBackupFile(gatewayAddress, functions, file, messageParent) == DbStatus::Success;
    const std::vector<uint8_t> bytes = built ? EncodeBackupFile(file) : EncodeIncompleteBackupFile(file);
    std::string problem;
    if (!WriteFileReplacing(name, std::string(bytes.begin(), bytes.end()), problem))
        return cannotWrite(problem);
    return built ? BackupWriteResult::Written : BackupWriteResult::Failed;
}

uint16_t ListedFunctionsFromTable(std::vector<ListedFunction>& functions)
{
    functions.clear();
    std::vector<McdefRecord> headers;
    const uint16_t status = ReadHeaders(headers);
    for (const McdefRecord& header : headers)
        functions.push_back({header.number(), header.type(), (header.flags() & FunctionFlag::Started) != 0});
    return status;
}
