#include "gateway/UploadJob.h"

#include "gateway/SyncState.h"
#include "model/ApplicationState.h"
#include "model/McdefAccess.h"
#include "model/Messages.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "protocol/LittleEndian.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "support/Db.h"
#include "support/UiSeam.h"

#include <QTimer>

namespace {

constexpr uint8_t StampsPerRequest = 18;
constexpr size_t DirectoryTypesOffset = 28;
constexpr size_t StampEntrySize = 6;

QString joined(std::initializer_list<std::string> parts, const char* separator)
{
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : separator) + part;
    return QString::fromStdString(text);
}

} // namespace

UploadJob::UploadJob(std::string gatewayAddress, uint32_t serverWindow, bool reset, QWidget* messageParent)
    : GatewayJob(std::move(gatewayAddress), serverWindow, messageParent)
    , m_reset(reset)
{
}

UploadJob::~UploadJob()
{
    if (m_emptying)
        m_emptying->wait();
}

void UploadJob::end(UploadResult result)
{
    m_phase = Phase::Done;
    // MCDEF now holds what the gateway holds: nothing of it is left unsent.
    if (result == UploadResult::UpToDate || result == UploadResult::NotUpToDate)
        m_syncStateProblem = ForgetUnsentFunctions(gatewayAddress(), std::nullopt, messageParent());
    finish(result);
}

void UploadJob::start()
{
    if (!createSharedRecord()) {
        end(UploadResult::Failed);
        return;
    }
    if (m_reset) {
        m_phase = Phase::Reset;
        Q_EMIT progressRange(2);
        Q_EMIT textChanged(QText(txt::ResettingSetup));
        if (!sendCommand(Command::Reset, 0, 255, 0, nullptr))
            end(UploadResult::Failed);
        return;
    }
    Q_EMIT progressRange(4);
    Q_EMIT textChanged(QText(txt::UploadingConfiguration));
    startEmptyingMcdef();
}

void UploadJob::cancel()
{
    if (finished())
        return;
    m_cancelled = true;
    Q_EMIT textChanged(QText(txt::Stopping));
}

void UploadJob::startEmptyingMcdef()
{
    RecordStore& store = RecordStore::instance();
    DbClose(table::Mcdef);
    const std::string source = store.dataFile("MCDEF.NEW");
    const std::string target = store.tableFile(table::Mcdef);
    m_emptying.reset(QThread::create([this, source, target] { m_emptied = RecordStore::replaceTableFile(source, target, table::Mcdef, true); }));
    connect(m_emptying.get(), &QThread::finished, this, &UploadJob::onMcdefEmptied);
    m_emptying->start();
}

void UploadJob::onMcdefEmptied()
{
    if (m_phase == Phase::Done)
        return;
    if (!m_emptied.ok()) {
        qWarning("the upload cannot empty its table: %s", m_emptied.describe().c_str());
        // The reason names the file at fault: the template, or the table it was to replace.
        const std::string source = RecordStore::instance().dataFile("MCDEF.NEW");
        ShowMessage(QString::fromStdString(TextById(txt::FailedToCopyDatabase) + " '" + source + "'\n"
                                           + m_emptied.describe()),
                    MB::Ok | MB::IconStop, messageParent());
        end(UploadResult::Failed);
        return;
    }
    const uint16_t status = OpenMcdef();
    if (status != DbStatus::Success) {
        ReportDbError(table::Mcdef, status, __FILE__, __LINE__, messageParent());
        end(UploadResult::Failed);
        return;
    }
    if (m_cancelled) {
        end(UploadResult::Cancelled);
        return;
    }
    m_phase = Phase::NetConfig;
    if (!sendCommand(Command::NetConfigStamp, 0, 255, 0, nullptr))
        end(UploadResult::Failed);
}

void UploadJob::onAnswer(const Telegram& answer, const CheckedAnswer& checked)
{
    if (m_phase == Phase::Done)
        return;
    if (m_cancelled) {
        end(UploadResult::Cancelled);
        return;
    }
    switch (m_phase) {
    case Phase::Reset:
        Q_EMIT progress(2);
        end(UploadResult::Cancelled);
        return;
    case Phase::NetConfig:
        onNetConfigStamp(answer);
        return;
    case Phase::Memory:
        onMemory(answer);
        return;
    case Phase::Directory:
        onDirectory(answer);
        return;
    case Phase::Stamps:
        onStamps(answer);
        return;
    case Phase::HeaderTelegram:
        onFunctionHeader(answer);
        return;
    case Phase::FunctionData:
        if (checked.id.p != m_directory[m_current].type) {
            changedByAnotherUser();
            return;
        }
        m_telegrams.push_back(answer);
        sendNextRequest();
        return;
    case Phase::Check:
    case Phase::Done:
        return;
    }
}

void UploadJob::onNetConfigStamp(const Telegram& answer)
{
    const uint16_t gatewayStamp = le::u16(&answer[TelegramField::Data]);
    ScopedTable open(table::NetCnf, DbMode::ReadOnly);
    uint16_t status = open.status();
    uint8_t key[8] = {};
    le::putStr(key, sizeof key, gatewayAddress());
    uint8_t record[NetCnfRecord::Size];
    if (status == DbStatus::Success)
        status = DbGet(table::NetCnf, 0, key, sizeof key, record, sizeof record, DbOp::GetEqual);
    if (status != DbStatus::Success && status != DbStatus::KeyNotFound) {
        ReportDbError(table::NetCnf, status, __FILE__, __LINE__, messageParent());
        end(UploadResult::Failed);
        return;
    }
    m_netConfigUpToDate = status == DbStatus::Success && NetCnfRecord::read(record).netConfigStamp == gatewayStamp;
    if (!m_netConfigUpToDate) {
        const QString question = joined({TextById(txt::NetConfigOutdated), TextById(txt::NetConfigInconsistence)}, " ")
            + "\n" + QText(txt::SureToContinue);
        if (ui().messageBox(messageParent(), question, MB::YesNo | MB::IconQuestion | MB::DefaultButton2) != IDYES) {
            end(UploadResult::Cancelled);
            return;
        }
    }
    m_phase = Phase::Memory;
    if (!sendCommand(Command::Memory, 0, 255, 0, nullptr))
        end(UploadResult::Failed);
}

void UploadJob::onMemory(const Telegram& answer)
{
    const uint8_t* d = &answer[TelegramField::Data];
    GatewayCapacity& capacity = appState().capacity;
    capacity.totalMemory = uint32_t(le::u16(d)) * 1024;
    capacity.freeMemory = uint32_t(le::u16(d + 2)) * 1024;
    m_functionCount = d[4];
    capacity.typeLimits.fill(0);
    const size_t limits = std::min<size_t>({d[5], capacity.typeLimits.size(), TelegramSize - 30});
    std::copy_n(&answer[30], limits, capacity.typeLimits.begin());
    Q_EMIT progress(1);
    if (m_functionCount == 0) {
        end(m_netConfigUpToDate ? UploadResult::UpToDate : UploadResult::NotUpToDate);
        return;
    }
    m_phase = Phase::Directory;
    if (!sendCommand(Command::Directory, 0, 255, 0, nullptr))
        end(UploadResult::Failed);
}

void UploadJob::onDirectory(const Telegram& answer)
{
    for (int n = 1; n <= MaxFunctionNumber; ++n) {
        m_directory[size_t(n)] = DirectoryEntry{};
        m_directory[size_t(n)].type = answer[DirectoryTypesOffset + size_t(n - 1)];
        if (m_directory[size_t(n)].exists())
            m_stampQueue.push_back(uint8_t(n));
    }
    Q_EMIT progress(2);
    m_phase = Phase::Stamps;
    requestStamps();
}

void UploadJob::requestStamps()
{
    if (m_stampQueue.empty()) {
        if (!compareWithBackup())
            return;
        m_functionCount = 0;
        for (int n = 1; n <= MaxFunctionNumber; ++n)
            m_functionCount += m_directory[size_t(n)].exists();
        Q_EMIT progressRange(m_functionCount);
        Q_EMIT progress(0);
        m_current = 0;
        QTimer::singleShot(0, this, &UploadJob::nextFunction);
        return;
    }
    std::vector<uint8_t> data = {0};
    while (!m_stampQueue.empty() && data.size() <= StampsPerRequest) {
        data.push_back(m_stampQueue.front());
        m_stampQueue.pop_front();
    }
    data[0] = uint8_t(data.size() - 1);
    if (!sendCommand(Command::Stamps, uint16_t(data.size()), 255, 0, data.data()))
        end(UploadResult::Failed);
}

void UploadJob::onStamps(const Telegram& answer)
{
    const uint8_t count = answer[TelegramField::Data];
    for (size_t i = 0; i < count; ++i) {
        const size_t at = TelegramField::Data + 1 + i * StampEntrySize;
        if (at + StampEntrySize > TelegramSize)
            break;
        const uint8_t number = answer[at];
        if (number < 1 || number > MaxFunctionNumber)
            continue;
        m_directory[number].flags = answer[at + 1];
        m_directory[number].stamp = le::u32(&answer[at + 2]);
    }
    requestStamps();
}

bool UploadJob::compareWithBackup()
{
    const QString continuing = "\n" + QText(txt::ContinuingWithTotalUpload);
    BackupFile file;
    switch (ReadBackupFile(BackupFileName(gatewayAddress()), file)) {
    case BackupReadResult::Missing:
        return true;
    case BackupReadResult::FileTypeError:
        ShowMessage(QText(txt::BackupFileTypeError) + continuing, MB::Ok | MB::IconExclamation, messageParent());
        return true;
    case BackupReadResult::ReadError:
        ShowMessage(QText(txt::BackupReadError) + continuing, MB::Ok | MB::IconExclamation, messageParent());
        return true;
    case BackupReadResult::ChecksumError:
    case BackupReadResult::TooLarge:
        ShowMessage(QText(txt::BackupChecksumError) + continuing, MB::Ok | MB::IconExclamation, messageParent());
        return true;
    case BackupReadResult::NoMemory:
        MessageById(txt::AllocatingRamError, MB::Ok | MB::IconStop, messageParent());
        end(UploadResult::Failed);
        return false;
    case BackupReadResult::Read:
        break;
    }
    bool asked = false;
    for (int n = 1; n <= MaxFunctionNumber; ++n) {
        const DirectoryEntry& entry = m_directory[size_t(n)];
        const uint32_t gatewayStamp = entry.exists() ? entry.stamp : 0;
        if (gatewayStamp == file.stamps[size_t(n - 1)] || asked)
            continue;
        asked = true;
        const QString question = QText(txt::BackupConflict) + "\n" + QText(txt::BackupRestoreOrUpdate) + "\n\n"
            + QText(txt::BackupUpdateQuestion);
        if (ui().messageBox(messageParent(), question, MB::YesNo | MB::IconQuestion) != IDYES) {
            end(UploadResult::Cancelled);
            return false;
        }
    }
    for (int n = 1; n <= MaxFunctionNumber; ++n) {
        DirectoryEntry& entry = m_directory[size_t(n)];
        entry.fromBackup = entry.exists() && entry.stamp == file.stamps[size_t(n - 1)] && IsKnownType(entry.type)
            && !(entry.flags & FunctionFlag::ErrorMarks) && file.telegramCount[size_t(n - 1)] > 0;
    }
    m_backup = std::move(file);
    return true;
}

void UploadJob::nextFunction()
{
    if (m_phase == Phase::Done)
        return;
    if (m_cancelled) {
        end(UploadResult::Cancelled);
        return;
    }
    do {
        ++m_current;
    } while (m_current <= MaxFunctionNumber && !m_directory[m_current].exists());
    if (m_current > MaxFunctionNumber) {
        if (!m_netConfigUpToDate) {
            end(UploadResult::NotUpToDate);
            return;
        }
        m_phase = Phase::Check;
        m_current = 0;
        m_done = 0;
        m_check = std::make_unique<ConsistencyCheck>(gatewayAddress(), m_directory);
        Q_EMIT textChanged(QText(txt::CheckingConsistency));
        Q_EMIT progress(0);
        QTimer::singleShot(0, this, &UploadJob::checkNextFunction);
        return;
    }
    Q_EMIT textChanged(QString::fromStdString(
        StrFormat("%s (%d/%d)", TextById(txt::UploadingSetup).c_str(), m_done, m_functionCount)));
    m_telegrams.clear();
    m_requests.clear();
    const DirectoryEntry& entry = m_directory[m_current];
    if (entry.fromBackup) {
        ++m_fromBackupCount;
        const std::vector<uint8_t> uploadBlocks = TypeUploadBlocks(entry.type);
        std::optional<HeaderTelegram> header;
        for (const Telegram& t : m_backup.functionTelegrams(m_current)) {
            const std::optional<IdentifiedTelegram> id = IdentifyTelegram(t);
            if (!id)
                continue;
            if (id->command == Command::WriteHeader)
                header = ReadHeaderWrite(t);
            const bool freshFromGateway = id->command == Command::WriteDataBlock
                && std::find(uploadBlocks.begin(), uploadBlocks.end(), id->offset) != uploadBlocks.end();
            if (!freshFromGateway)
                m_telegrams.push_back(t);
        }
        if (header) {
            header->number = m_current;
            header->type = entry.type;
            for (const ReadRequest& request : DataBlockRequests(*header))
                m_requests.push_back(request);
        }
        m_phase = Phase::FunctionData;
        sendNextRequest();
        return;
    }
    ++m_fromGatewayCount;
    m_phase = Phase::HeaderTelegram;
    const uint8_t number = m_current;
    if (!sendCommand(Command::ReadHeader, 1, 255, 0, &number))
        end(UploadResult::Failed);
}

void UploadJob::onFunctionHeader(const Telegram& answer)
{
    m_telegrams.push_back(answer);
    const HeaderTelegram header = ReadHeaderAnswer(answer);
    if (header.type != m_directory[m_current].type) {
        changedByAnotherUser();
        return;
    }
    if (!IsKnownType(header.type) || header.number != m_current) {
        ShowMessage(QString::fromStdString(TextById(txt::MissingConfigData) + StrFormat(" %d.", m_current)),
                    MB::Ok | MB::IconStop, messageParent());
        end(UploadResult::Failed);
        return;
    }
    for (const ReadRequest& request : FunctionRequests(header))
        m_requests.push_back(request);
    if (m_requests.empty() && !(header.flags & FunctionFlag::NothingFurther)) {
        ShowMessage(QString::fromStdString(TextById(txt::MissingConfigData) + StrFormat(" %d.", m_current)),
                    MB::Ok | MB::IconStop, messageParent());
        end(UploadResult::Failed);
        return;
    }
    m_phase = Phase::FunctionData;
    sendNextRequest();
}

void UploadJob::sendNextRequest()
{
    if (m_requests.empty()) {
        QTimer::singleShot(0, this, &UploadJob::convertFunction);
        return;
    }
    const ReadRequest request = m_requests.front();
    m_requests.pop_front();
    if (!sendCommand(request.command, uint16_t(request.data.size()), request.p, request.offset, request.data.data()))
        end(UploadResult::Failed);
}

void UploadJob::convertFunction()
{
    if (m_phase == Phase::Done)
        return;
    const std::vector<McdefRecord> records = ConvertTelegrams(m_current, m_telegrams, m_directory[m_current]);
    {
        DbBatch batch(table::Mcdef);
        if (batch.beginStatus() != DbStatus::Success) {
            ReportDbError(table::Mcdef, batch.beginStatus(), __FILE__, __LINE__, messageParent());
            end(UploadResult::Failed);
            return;
        }
        for (const McdefRecord& record : records) {
            const uint16_t status = InsertBlock(record);
            const bool reference = record.blockType() == BlockType::Input || record.blockType() == BlockType::Output;
            if (status != DbStatus::Success && !(reference && status == DbStatus::KeyNotFound)) {
                ReportDbError(table::Mcdef, status, __FILE__, __LINE__, messageParent());
                end(UploadResult::Failed);
                return;
            }
        }
        const uint16_t status = batch.commit();
        if (status != DbStatus::Success) {
            ReportDbError(table::Mcdef, status, __FILE__, __LINE__, messageParent());
            end(UploadResult::Failed);
            return;
        }
    }
    ++m_done;
    Q_EMIT progress(m_done);
    QTimer::singleShot(0, this, &UploadJob::nextFunction);
}

void UploadJob::checkNextFunction()
{
    if (m_phase == Phase::Done)
        return;
    if (m_cancelled) {
        end(UploadResult::Cancelled);
        return;
    }
    do {
        ++m_current;
    } while (m_current <= MaxFunctionNumber && !m_directory[m_current].exists());
    uint16_t status = DbStatus::Success;
    if (m_current <= MaxFunctionNumber) {
        status = m_check->checkFunction(m_current);
        if (status == DbStatus::Success) {
            Q_EMIT progress(++m_done);
            QTimer::singleShot(0, this, &UploadJob::checkNextFunction);
            return;
        }
    } else {
        status = m_check->markFunctions();
        if (status == DbStatus::Success) {
            end(UploadResult::UpToDate);
            return;
        }
    }
    ReportDbError(m_check->failedTable(), status, __FILE__, __LINE__, messageParent());
    end(UploadResult::Failed);
}

void UploadJob::changedByAnotherUser()
{
    MessageById(txt::ChangedByAnotherUser, MB::Ok | MB::IconStop, messageParent());
    end(UploadResult::Cancelled);
}

void UploadJob::onUnexpectedAnswer()
{
    if (m_cancelled) {
        end(UploadResult::Cancelled);
        return;
    }
    changedByAnotherUser();
}

void UploadJob::onLinkFailure()
{
    MessageById(txt::CommunicationErrorTryAgain, MB::Ok | MB::IconStop, messageParent());
    end(UploadResult::Failed);
}

void UploadJob::onReadFailure() { end(UploadResult::Failed); }
