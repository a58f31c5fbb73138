#include "gateway/BackupWriter.h"

#include "gateway/TelegramBuilder.h"
#include "model/McdefAccess.h"
#include "model/Messages.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "protocol/TypeCatalogue.h"
#include "support/Db.h"
#include "support/UiSeam.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

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
    const QString name = QString::fromStdString(BackupFileName(gatewayAddress));
    const auto cannotWrite = [&] {
        ShowMessage(QText(txt::CannotWriteToFile) + " " + name, MB::Ok | MB::IconExclamation, messageParent);
        return BackupWriteResult::Failed;
    };
    if (!anyKnownType(functions)) {
        // A stale file left behind would give the next upload functions the gateway no longer has.
        QFile stale(name);
        if (stale.remove() || !QFileInfo::exists(name))
            return BackupWriteResult::NoFunctions;
        qWarning("the backup file %s cannot be removed: %s", qPrintable(name), qPrintable(stale.errorString()));
        return cannotWrite();
    }
    QSaveFile out(name);
    if (!out.open(QIODevice::WriteOnly))
        return cannotWrite();
    BackupFile file;
    // A build that stops part-way leaves its file incomplete, without a
    // checksum, so that the next upload says the last backup failed.
    const bool built = BuildBackupFile(gatewayAddress, functions, file, messageParent) == DbStatus::Success;
    const std::vector<uint8_t> bytes = built ? EncodeBackupFile(file) : EncodeIncompleteBackupFile(file);
    const qint64 size = qint64(bytes.size());
    if (out.write(reinterpret_cast<const char*>(bytes.data()), size) != size || !out.commit())
        return cannotWrite();
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
