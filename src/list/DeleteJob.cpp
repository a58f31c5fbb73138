#include "list/DeleteJob.h"

#include "gateway/AnswerCheck.h"
#include "gateway/SyncState.h"
#include "model/ApplicationState.h"
#include "model/EventLog.h"
#include "model/McdefAccess.h"
#include "model/Messages.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "support/Db.h"
#include "support/UiSeam.h"

#include <QTimer>

namespace {

// Delete telegram: data {count, number}, one function per telegram, P 255.
constexpr uint16_t DeleteDataLength = 2;
constexpr uint8_t NoFunctionType = 255;

} // namespace

DeleteJob::DeleteJob(std::string gatewayAddress, uint32_t serverWindow, std::vector<uint8_t> numbers, Hooks hooks,
                     QWidget* messageParent)
    : GatewayJob(std::move(gatewayAddress), serverWindow, messageParent)
    , m_numbers(std::move(numbers))
    , m_hooks(std::move(hooks))
{
}

DeleteJob::~DeleteJob() { recordDeletions(); }

void DeleteJob::start()
{
    if (!createSharedRecord()) {
        end(DeleteResult::LocalFailure);
        return;
    }
    Q_EMIT progressRange(2 * int(m_numbers.size()));
    Q_EMIT progress(0);
    postNext();
}

void DeleteJob::cancel() { m_cancelled = true; }

void DeleteJob::postNext() { QTimer::singleShot(0, this, &DeleteJob::next); }

void DeleteJob::advance(int steps)
{
    m_progress += steps;
    Q_EMIT progress(m_progress);
}

void DeleteJob::end(DeleteResult result)
{
    recordDeletions();
    finish(result);
}

void DeleteJob::recordDeletions()
{
    if (m_recorded)
        return;
    m_recorded = true;
    // The marks of every deleted function go in one change: a file that cannot take it is named once.
    if (!m_deletedNumbers.empty())
        m_syncStateProblem = ForgetUnsentFunctions(gatewayAddress(), m_deletedNumbers, messageParent());
    m_eventLogStatus = LogFunctionEvent(gatewayAddress(), m_deletedNames, txt::AreDeleted);
}

void DeleteJob::next()
{
    if (finished())
        return;
    ++m_index;
    if (m_index >= int(m_numbers.size()) || m_cancelled) {
        end(DeleteResult::Done);
        return;
    }
    const uint8_t number = m_numbers[size_t(m_index)];
    McdefRecord header;
    const uint16_t status = ReadBlock(number, BlockType::Header, 0, 0, header);
    if (status != DbStatus::Success && status != DbStatus::KeyNotFound) {
        ReportDbError(table::Mcdef, status, __FILE__, __LINE__, messageParent());
        end(DeleteResult::LocalFailure);
        return;
    }
    const bool known = status == DbStatus::Success;
    m_currentType = known ? header.type() : NoFunctionType;
    std::string name = m_hooks.listedName ? m_hooks.listedName(number) : std::string();
    if (name.empty() && known)
        name = header.name();

    Q_EMIT captionChanged(QString::fromStdString(StrFormat("%s %d", TextById(txt::DeletingFunctionsLeft).c_str(),
                                                           int(m_numbers.size()) - m_index)));
    Q_EMIT textChanged(QString::fromStdString(StrFormat("%-16s   %s", name.c_str(), std::to_string(number).c_str())));

    if (m_currentType == FunctionType::YearlySchedule) {
        switch (checkReferences(number, name)) {
        case Check::Stop:
            end(DeleteResult::Done);
            return;
        case Check::Skip:
            advance(2);
            postNext();
            return;
        case Check::Pass:
            break;
        }
    }
    const uint8_t data[DeleteDataLength] = {1, number};
    if (!sendCommand(Command::Delete, DeleteDataLength, NoFunctionType, 0, data))
        end(DeleteResult::LocalFailure);
}

DeleteJob::Check DeleteJob::checkReferences(uint8_t schedule, const std::string& scheduleName)
{
    std::vector<uint8_t> owners;
    if (const uint16_t status = FindScheduleReferences(schedule, owners); status != DbStatus::Success) {
        ReportDbError(table::Mcdef, status, __FILE__, __LINE__, messageParent());
        return Check::Pass;
    }
    if (owners.empty())
        return Check::Pass;
    ReferenceQuestion question;
    question.schedule = schedule;
    question.scheduleName = scheduleName;
    for (const uint8_t owner : owners) {
        McdefRecord header;
        const uint16_t status = ReadBlock(owner, BlockType::Header, 0, 0, header);
        if (status != DbStatus::Success && status != DbStatus::KeyNotFound) {
            ReportDbError(table::Mcdef, status, __FILE__, __LINE__, messageParent());
            return Check::Skip;
        }
        question.owners.push_back({owner, status == DbStatus::Success ? header.name() : TextById(txt::UnknownName)});
    }
    const ReferenceChoice choice = m_hooks.askReference ? m_hooks.askReference(question) : ReferenceChoice::Skip;
    return choice == ReferenceChoice::Stop ? Check::Stop : Check::Skip;
}

void DeleteJob::onAnswer(const Telegram&, const CheckedAnswer& checked)
{
    advance(1);
    if (checked.refused()) {
        ShowRefusal(*checked.status, messageParent());
        end(DeleteResult::Refused);
        return;
    }
    removeLocally();
}

void DeleteJob::removeLocally()
{
    const uint8_t number = m_numbers[size_t(m_index)];
    GatewayCapacity& capacity = appState().capacity;
    capacity.freeMemory += TypeSize(m_currentType);
    std::string name;
    uint16_t status = DbStatus::Success;
    {
        WaitCursor wait;
        status = RemoveFunction(number, &name);
    }
    if (status != DbStatus::Success) {
        ReportDbError(table::Mcdef, status, __FILE__, __LINE__, messageParent());
        end(DeleteResult::LocalFailure);
        return;
    }
    m_deletedNames.push_back(name);
    m_deletedNumbers.push_back(number);
    if (m_hooks.removeRow && !m_hooks.removeRow(number)) {
        end(DeleteResult::LocalFailure);
        return;
    }
    advance(1);
    postNext();
}

void DeleteJob::onUnexpectedAnswer()
{
    ShowUnexpectedAnswer(messageParent());
    end(DeleteResult::Refused);
}

void DeleteJob::onLinkFailure()
{
    MessageById(txt::CommunicationErrorTryAgain, MB::Ok | MB::IconStop, messageParent());
    m_linkLost = true;
    end(DeleteResult::Done);
}

void DeleteJob::onReadFailure()
{
    end(DeleteResult::LocalFailure);
}
