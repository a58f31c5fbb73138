#include "list/MCFODlg.h"
#include "ui_MCFODlg.h"

#include "gateway/FunctionExport.h"
#include "gateway/FunctionImport.h"
#include "gateway/SyncState.h"
#include "list/ImportFunctionsDlg.h"
#include "list/FunctionListCtrl.h"
#include "list/NewFunctionDlg.h"
#include "model/ApplicationState.h"
#include "model/McdefAccess.h"
#include "model/Messages.h"
#include "model/Records.h"
#include "model/StringTable.h"
#include "model/Texts.h"
#include "protocol/NodeAddress.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "support/Clock.h"
#include "support/Db.h"
#include "support/OrpaPaths.h"
#include "support/RegularFile.h"
#include "support/UiSeam.h"

#include <QFile>
#include <QJsonParseError>
#include <QMenu>
#include <QTimer>

MCFODlg::MCFODlg(std::string gatewayAddress, const std::string& idCode, bool netConfigUpToDate,
                 ListOperations operations, QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::MCFODlg)
    , m_gatewayAddress(std::move(gatewayAddress))
    , m_idCode(idCode)
    , m_editable(netConfigUpToDate)
    , m_operations(std::move(operations))
{
    m_ui->setupUi(this);
    DialogTexts(this);
    if (!m_editable)
        setWindowTitle(windowTitle() + QStringLiteral(" - ") + QText(txt::NetConfigNotUpToDate));
    m_ui->editButton->setText(QText(m_editable ? txt::EditButton : txt::BrowseButton));
    if (appState().mode == AppMode::Browse) {
        for (QWidget* w : {static_cast<QWidget*>(m_ui->newButton), static_cast<QWidget*>(m_ui->deleteButton),
                           static_cast<QWidget*>(m_ui->startButton), static_cast<QWidget*>(m_ui->stopButton),
                           static_cast<QWidget*>(m_ui->blocksGroup), static_cast<QWidget*>(m_ui->importButton)})
            w->hide();
    }
    m_ui->networkField->setText(QString::fromStdString(StrFormat("%s  %s", m_gatewayAddress.c_str(), idCode.c_str())));
    m_ui->functionList->setUpColumns();
    m_ui->functionList->sortRows(FunctionListCtrl::NameColumn, true);

    connect(m_ui->newButton, &QPushButton::clicked, this, &MCFODlg::onNew);
    connect(m_ui->editButton, &QPushButton::clicked, this, &MCFODlg::onEdit);
    connect(m_ui->deleteButton, &QPushButton::clicked, this, &MCFODlg::onDelete);
    connect(m_ui->printButton, &QPushButton::clicked, this, &MCFODlg::onPrint);
    connect(m_ui->startButton, &QPushButton::clicked, this, &MCFODlg::onStart);
    connect(m_ui->stopButton, &QPushButton::clicked, this, &MCFODlg::onStop);
    connect(m_ui->historyButton, &QPushButton::clicked, this, &MCFODlg::onHistory);
    connect(m_ui->exportButton, &QPushButton::clicked, this, &MCFODlg::onExport);
    connect(m_ui->importButton, &QPushButton::clicked, this, &MCFODlg::onImport);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &MCFODlg::reject);
    connect(m_ui->functionList, &CListCtrlEx::rowSelectionChanged, this, &MCFODlg::updateButtons);
    connect(m_ui->functionList, &CListCtrlEx::rowActivated, this, [this] {
        if (m_ui->editButton->isEnabled())
            onEdit();
    });
    m_ui->functionList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_ui->functionList, &QWidget::customContextMenuRequested, this, &MCFODlg::onContextMenu);

    updateUsedSpace();
    if (!fillList()) {
        QTimer::singleShot(0, this, &MCFODlg::closeList);
        return;
    }
    refreshSyncMarks();
    updateButtons();
    if (m_ui->functionList->rowCount() == 0)
        m_ui->newButton->setFocus();
}

MCFODlg::~MCFODlg() = default;

FunctionListCtrl& MCFODlg::list() const { return *m_ui->functionList; }

bool MCFODlg::fillList()
{
    WaitCursor wait;
    std::vector<McdefRecord> headers;
    const uint16_t status = ReadHeaders(headers);
    FunctionListCtrl& list = *m_ui->functionList;
    list.setRedraw(false);
    for (const McdefRecord& header : headers) {
        if (list.addItem(ItemFromHeader(header.number(), header.type(), header.name(), header.flags())) < 0) {
            list.setRedraw(true);
            MessageById(txt::AllocatingRamError, MB::Ok | MB::IconStop, this);
            return false;
        }
        list.sortRows(list.sortColumn(), list.sortAscending());
    }
    list.setRedraw(true);
    if (status != DbStatus::Success) {
        ReportDbError(table::Mcdef, status, __FILE__, __LINE__, this);
        return false;
    }
    return true;
}

void MCFODlg::updateButtons()
{
    const FunctionListCtrl& list = *m_ui->functionList;
    const ListButtons b = ComputeListButtons(list.selectedItems(), list.rowCount(), m_editable);
    m_ui->newButton->setEnabled(b.newFunction);
    m_ui->editButton->setEnabled(b.edit);
    m_ui->deleteButton->setEnabled(b.remove && m_operations.deleteFunctions);
    m_ui->printButton->setEnabled(b.print && m_operations.print);
    m_ui->startButton->setEnabled(b.start && m_operations.startStop);
    m_ui->stopButton->setEnabled(b.stop && m_operations.startStop);
    m_ui->historyButton->setEnabled(b.history && m_operations.history);
    m_ui->importButton->setEnabled(b.newFunction && !readOnlyForUser());
}

void MCFODlg::updateUsedSpace()
{
    const GatewayCapacity& capacity = appState().capacity;
    m_ui->usedSpaceBar->setValue(UsedSpacePercent(capacity.totalMemory, capacity.freeMemory));
}

bool MCFODlg::readOnlyForUser() const
{
    ScopedTable open(table::XrtBrug, DbMode::ReadOnly);
    uint8_t record[XrtBrugRecord::Size];
    if (open.status() != DbStatus::Success
        || DbRelGet(table::XrtBrug, 0, record, sizeof record, DbOp::GetFirst) != DbStatus::Success)
        return false;
    return XrtBrugRecord::read(record).accessLevels[XrtBrugRecord::ProgramEntry] == XrtBrugRecord::ViewOnly;
}

EditorResult MCFODlg::runEditor(uint8_t type, uint8_t number)
{
    const EditorFunction editor = m_operations.editorFor ? m_operations.editorFor(type) : EditorFunction();
    if (!editor) {
        ShowMessage(QString::fromStdString(StrFormatRuntime(TextById(txt::TypeNotImplemented).c_str(), int(type))),
                    MB::Ok, this);
        return EditorResult::Cancel;
    }
    EditorRequest request;
    request.gatewayAddress = m_gatewayAddress;
    request.type = type;
    request.number = number;
    request.readOnly = !m_editable || readOnlyForUser();
    request.editorFor = m_operations.editorFor;
    request.listChanged = [this](uint8_t changed, uint8_t, EditorResult result, bool created) {
        return applyEditorResult(changed, result, created);
    };
    return editor(this, request);
}

void MCFODlg::onNew()
{
    FunctionListCtrl& list = *m_ui->functionList;
    const std::vector<FunctionItem> all = list.allItems();
    std::vector<uint8_t> used;
    for (const FunctionItem& item : all)
        used.push_back(item.number);
    const uint8_t number = LowestFreeNumber(used);
    if (number == 0) {
        MessageById(txt::MaximumNumberReached, MB::Ok | MB::IconStop, this);
        return;
    }
    NewFunctionDlg chooser(NewFunctionTypes(all, appState().capacity), this);
    chooser.setObjectName(QStringLiteral("NewFunctionDlg"));
    if (ui().runModal(chooser) != QDialog::Accepted)
        return;
    const uint8_t type = chooser.chosenType();
    applyEditorResult(number, runEditor(type, number), true);
}

bool MCFODlg::applyEditorResult(uint8_t number, EditorResult result, bool created)
{
    if (result == EditorResult::ConnectionLost) {
        closeAfterLostConnection();
        return false;
    }
    if (result == EditorResult::DatabaseFailure) {
        closeList();
        return false;
    }
    if (!created) {
        if ((result == EditorResult::Ok || result == EditorResult::Cancel) && !refreshRow(number))
            return false;
        refreshSyncMarks();
        updateButtons();
        return true;
    }
    if (result != EditorResult::Ok)
        return true;
    if (!addRow(number))
        return false;
    refreshSyncMarks();
    updateButtons();
    return true;
}

bool MCFODlg::addRow(uint8_t number)
{
    FunctionListCtrl& list = *m_ui->functionList;
    McdefRecord header;
    const uint16_t status = ReadBlock(number, BlockType::Header, 0, 0, header);
    if (status != DbStatus::Success) {
        ReportDbError(table::Mcdef, status, __FILE__, __LINE__, this);
        closeList();
        return false;
    }
    FunctionItem item = ItemFromHeader(number, header.type(), header.name(), header.flags());
    item.state &= RowState::Started;
    list.addItem(item);
    list.sortRows(list.sortColumn(), list.sortAscending());
    GatewayCapacity& capacity = appState().capacity;
    capacity.freeMemory -= std::min<uint32_t>(capacity.freeMemory, TypeSize(header.type()));
    updateUsedSpace();
    return true;
}

void MCFODlg::onExport()
{
    SaveFileRequest request;
    request.title = m_ui->exportButton->text().remove(QLatin1Char('&')).remove(QStringLiteral("..."));
    request.directory = QString::fromStdString(ExportDirectory());
    request.fileName = QString::fromStdString(NetworkPrefix(m_gatewayAddress) + "_functions.json");
    request.filter = QStringLiteral("JSON documents (*.json)");
    request.defaultSuffix = QStringLiteral("json");
    const std::optional<QString> chosen = ui().saveFileName(this, request);
    if (!chosen)
        return;
    std::string problem;
    const std::optional<QJsonDocument> document = ExportFunctions(m_gatewayAddress, {}, problem);
    const std::string path = QFile::encodeName(*chosen).toStdString();
    if (!document || !WriteFileReplacing(path, document->toJson(QJsonDocument::Indented).toStdString(), problem)) {
        ShowMessage(QString::fromStdString(problem), MB::Ok | MB::IconStop, this);
        return;
    }
    showStatus(QStringLiteral("exported to ") + *chosen);
}

void MCFODlg::onImport()
{
    OpenFileRequest request;
    request.title = m_ui->importButton->text().remove(QLatin1Char('&')).remove(QStringLiteral("..."));
    request.directory = QString::fromStdString(ExportDirectory());
    request.filter = QStringLiteral("JSON documents (*.json)");
    const std::optional<QString> chosen = ui().openFileName(this, request);
    if (!chosen)
        return;
    // A document of a whole gateway is far below this.
    constexpr uint64_t MaxDocumentBytes = 16 * 1024 * 1024;
    const std::string path = QFile::encodeName(*chosen).toStdString();
    FileProblem fileProblem = FileProblem::None;
    const std::optional<std::string> text = ReadRegularFile(path, MaxDocumentBytes, &fileProblem);
    QJsonParseError parseError;
    const QJsonDocument document =
        text ? QJsonDocument::fromJson(QByteArray::fromStdString(*text), &parseError) : QJsonDocument();
    std::string problem;
    if (!text)
        problem = DescribeFileProblem(path, fileProblem, MaxDocumentBytes);
    else if (parseError.error != QJsonParseError::NoError)
        problem = path + " is not JSON: " + parseError.errorString().toStdString();
    ImportPlan plan;
    if (problem.empty() && !PlanImport(document, m_gatewayAddress, {}, plan, problem))
        problem = path + ": " + problem;
    if (!problem.empty()) {
        ShowMessage(QString::fromStdString(problem + "\nNothing was written."), MB::Ok | MB::IconStop, this);
        return;
    }
    if (plan.changed.empty()) {
        showStatus(*chosen + QStringLiteral(": no function changed"));
        return;
    }
    ImportFunctionsDlg review(*chosen, ImportPlanLines(plan), !plan.sharedOutputs.empty(), this);
    if (ui().runModal(review) != QDialog::Accepted)
        return;
    const ImportOutcome outcome = ApplyImport(plan, m_gatewayAddress, path);
    if (outcome.writeStatus != DbStatus::Success) {
        ReportDbError(table::Mcdef, outcome.writeStatus, __FILE__, __LINE__, this);
        return;
    }
    if (!outcome.logged)
        ReportDbError(table::EventLog, DbStatus::IoError, __FILE__, __LINE__, this);
    for (const ImportedFunction& function : plan.changed)
        if (!(function.created ? addRow(function.number) : refreshRow(function.number)))
            return;
    refreshSyncMarks();
    updateButtons();
    showStatus(QString::number(plan.changed.size())
                               + QStringLiteral(" functions imported, not sent to the gateway"));
}

void MCFODlg::onEdit()
{
    const std::vector<FunctionItem> selected = m_ui->functionList->selectedItems();
    if (selected.size() != 1 || (selected.front().state & RowState::UnknownType))
        return;
    applyEditorResult(selected.front().number,
                      runEditor(selected.front().type, selected.front().number), false);
}

bool MCFODlg::refreshRow(uint8_t number)
{
    FunctionListCtrl& list = *m_ui->functionList;
    const int row = list.rowOf(number);
    McdefRecord header;
    const uint16_t status = ReadBlock(number, BlockType::Header, 0, 0, header);
    if (status == DbStatus::KeyNotFound || row < 0)
        return true;
    if (status != DbStatus::Success) {
        ReportDbError(table::Mcdef, status, __FILE__, __LINE__, this);
        closeList();
        return false;
    }
    FunctionItem& item = list.item(row);
    const FunctionItem fresh = ItemFromHeader(number, item.type, header.name(), header.flags());
    item.name = fresh.name;
    item.state = uint16_t((item.state & RowState::UnknownType)
                          | (fresh.state & (RowState::Started | RowState::Error | RowState::Manual)));
    list.refreshRow(row);
    return true;
}

void MCFODlg::removeRow(uint8_t number)
{
    const int row = m_ui->functionList->rowOf(number);
    if (row >= 0)
        m_ui->functionList->removeRow(row);
}

std::string MCFODlg::functionName(uint8_t number) const
{
    const int row = m_ui->functionList->rowOf(number);
    return row < 0 ? std::string() : m_ui->functionList->item(row).name;
}

void MCFODlg::onDelete()
{
    const std::vector<uint8_t> numbers = DeleteSelection(m_ui->functionList->selectedItems());
    if (numbers.empty() || !m_operations.deleteFunctions)
        return;
    if (m_operations.deleteFunctions(*this, numbers) != DeleteResult::Done) {
        closeList();
        return;
    }
    updateButtons();
    updateUsedSpace();
}

void MCFODlg::onPrint()
{
    const std::vector<uint8_t> numbers = PrintSelection(m_ui->functionList->selectedItems());
    if (!numbers.empty() && m_operations.print)
        m_operations.print(*this, numbers);
}

void MCFODlg::onStart() { startOrStop(StartStopCommand::Start, StartSelection(m_ui->functionList->selectedItems())); }

void MCFODlg::onStop() { startOrStop(StartStopCommand::Stop, StopSelection(m_ui->functionList->selectedItems())); }

void MCFODlg::startOrStop(int command, const std::vector<uint8_t>& numbers)
{
    if (numbers.empty() || !m_operations.startStop)
        return;
    const StartStopResult result = m_operations.startStop(*this, command, numbers);
    if (result == StartStopResult::RefusedOrLinkFailure) {
        closeAfterLostConnection();
        return;
    }
    if (result == StartStopResult::LocalFailure) {
        closeList();
        return;
    }
    updateButtons();
    m_ui->functionList->setFocus();
}

void MCFODlg::onHistory()
{
    const std::vector<FunctionItem> selected = m_ui->functionList->selectedItems();
    if (selected.size() == 1 && selected.front().type == FunctionType::PoOptimizer && m_operations.history)
        m_operations.history(*this, selected.front().number);
}

void MCFODlg::onContextMenu(const QPoint& position)
{
    FunctionListCtrl& list = *m_ui->functionList;
    const QModelIndex index = list.indexAt(position);
    if (!index.isValid())
        return;
    const FunctionItem item = list.item(index.row());
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("functionMenu"));
    QAction* send = menu.addAction(QText(txt::SendToGateway));
    send->setObjectName(QStringLiteral("sendToGatewayAction"));
    send->setEnabled(maySend(item));
    if (menu.exec(list.viewport()->mapToGlobal(position)) == send)
        sendToGateway(item);
}

bool MCFODlg::maySend(const FunctionItem& item) const
{
    return m_operations.sendToGateway && m_editable && appState().mode != AppMode::Browse
        && !(item.state & RowState::UnknownType) && !readOnlyForUser();
}

void MCFODlg::sendToGateway(const FunctionItem& item)
{
    const UpdateResult result = m_operations.sendToGateway(*this, item.number, item.type);
    if (result == UpdateResult::Refused || result == UpdateResult::LinkFailure) {
        // As after an editor's update that failed so: the connection counts as lost.
        closeAfterLostConnection();
        return;
    }
    if (!refreshRow(item.number))
        return;
    refreshSyncMarks();
    updateButtons();
    const bool sent = result == UpdateResult::Done;
    showStatus(QString::asprintf("%u ", item.number) + QString::fromStdString(item.name) + ": "
                               + QText(sent ? txt::SentToGatewayStatus : txt::NotSentToGatewayStatus));
}

void MCFODlg::showStatus(const QString& text)
{
    // A path may be longer than the status area: the tool tip shows it whole.
    m_ui->statusLabel->setText(text);
    m_ui->statusLabel->setToolTip(text);
}

void MCFODlg::closeAfterLostConnection()
{
    MessageById(txt::ListClosesConnectionLost, MB::Ok | MB::IconInformation, this);
    closeList();
}

void MCFODlg::refreshSyncMarks()
{
    std::string problem;
    const std::optional<SyncState> state = ReadSyncState(problem);
    if (!state && !m_syncProblemReported) {
        m_syncProblemReported = true;
        ShowMessage(QText(txt::SyncStateNotRead) + "\n" + QString::fromStdString(problem), MB::Ok | MB::IconStop,
                    this, true);
    }
    FunctionListCtrl& list = *m_ui->functionList;
    for (int row = 0; row < list.rowCount(); ++row) {
        FunctionItem& item = list.item(row);
        const UnsentFunction* unsent = state ? state->find(m_gatewayAddress, item.number) : nullptr;
        item.notSent = unsent;
        item.notSentDetail = unsent ? "since " + FormatUtcTime(unsent->since) + " UTC: " + unsent->reason : std::string();
    }
    list.refreshAll();
}

void MCFODlg::reject()
{
    if (m_editable && m_operations.writeBackup)
        m_operations.writeBackup(*this);
    QDialog::reject();
}

void MCFODlg::closeList() { done(QDialog::Rejected); }
