#include "editors/schedule/SelSchDlg.h"
#include "ui_SelSchDlg.h"

#include "editors/schedule/ScheList.h"
#include "model/ApplicationState.h"
#include "model/McdefAccess.h"
#include "model/Messages.h"
#include "model/StringTable.h"
#include "model/Texts.h"
#include "model/TypeNames.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "support/Db.h"
#include "support/UiSeam.h"

SelSchDlg::SelSchDlg(const EditorRequest& editor, const ScheduleSelection& selection, QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::SelSchDlg)
    , m_editor(editor)
    , m_selection(selection)
{
    m_ui->setupUi(this);
    DialogTexts(this);
    setWindowTitle(QText(txt::Select) + " " + m_selection.groupText + " - "
                   + QString::fromStdString(TypeName(m_selection.functionType)));
    m_ui->scheduleList->setSortingEnabled(true);
    connect(m_ui->selectButton, &QPushButton::clicked, this, &SelSchDlg::onSelect);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &SelSchDlg::reject);
    connect(m_ui->newButton, &QPushButton::clicked, this, &SelSchDlg::onNew);
    connect(m_ui->editButton, &QPushButton::clicked, this, &SelSchDlg::onEdit);
    connect(m_ui->scheduleList, &QListWidget::itemSelectionChanged, this, &SelSchDlg::updateButtons);
    connect(m_ui->scheduleList, &QListWidget::itemDoubleClicked, this, &SelSchDlg::onEdit);
    m_filled = m_selection.list && m_ui->scheduleList->FillForSelection(*m_selection.list);
    updateButtons();
}

SelSchDlg::~SelSchDlg() = default;

ScheList& SelSchDlg::candidates() { return *m_ui->scheduleList; }

int SelSchDlg::exec()
{
    if (!m_filled)
        return QDialog::Rejected;
    return QDialog::exec();
}

void SelSchDlg::updateButtons()
{
    std::vector<McdefRecord> headers;
    ReadHeaders(headers);
    std::vector<uint8_t> used = {m_selection.functionNumber};
    int schedules = 0;
    for (const McdefRecord& header : headers) {
        used.push_back(header.number());
        schedules += header.type() == FunctionType::YearlySchedule;
    }
    const GatewayCapacity& capacity = appState().capacity;
    const bool editorThere = m_editor.editorFor && m_editor.editorFor(FunctionType::YearlySchedule);
    m_ui->newButton->setEnabled(editorThere && schedules < capacity.typeLimits[FunctionType::YearlySchedule]
                                && LowestFreeNumber(used) != 0
                                && capacity.freeMemory >= TypeSize(FunctionType::YearlySchedule) + m_selection.spaceReserve);
    m_ui->editButton->setEnabled(editorThere && m_ui->scheduleList->selectedItems().size() == 1);
}

void SelSchDlg::onSelect()
{
    ScheList& list = *m_ui->scheduleList;
    const int selected = int(list.selectedItems().size());
    if (selected > m_selection.maximum) {
        const std::string text = StrFormat("%s %d.%s %d", TextById(txt::SelectedSchedulesCount).c_str(), selected,
                                           TextById(txt::MaxAllowedNumber).c_str(), int(m_selection.maximum));
        ShowMessage(QString::fromStdString(text), MB::Ok | MB::IconStop, this, true);
        return;
    }
    for (int line = 0; line < list.lineCount(); ++line) {
        if (list.item(line)->isSelected() && list.statusOf(line) != 0) {
            MessageById(txt::ScheduleReferencesWithErrors, MB::Ok | MB::IconStop, this);
            return;
        }
    }
    done(m_selection.list->CopySchedules(list, false, true) ? QDialog::Accepted : -1);
}

bool SelSchDlg::runScheduleEditor(uint8_t number, bool created)
{
    EditorRequest request = m_editor;
    request.type = FunctionType::YearlySchedule;
    request.number = number;
    request.readOnly = created ? false : m_editor.readOnly;
    const EditorFunction editor = m_editor.editorFor(FunctionType::YearlySchedule);
    const EditorResult result = editor(this, request);
    if (m_editor.listChanged && !m_editor.listChanged(number, FunctionType::YearlySchedule, result, created)) {
        done(-1);
        return false;
    }
    if (result == EditorResult::Ok)
        m_ui->scheduleList->RefreshSchedule(number);
    updateButtons();
    return true;
}

void SelSchDlg::onNew()
{
    if (!m_ui->newButton->isEnabled())
        return;
    std::vector<McdefRecord> headers;
    ReadHeaders(headers);
    std::vector<uint8_t> used = {m_selection.functionNumber};
    for (const McdefRecord& header : headers)
        used.push_back(header.number());
    const uint8_t number = LowestFreeNumber(used);
    if (number != 0)
        runScheduleEditor(number, true);
}

void SelSchDlg::onEdit()
{
    if (!m_ui->editButton->isEnabled())
        return;
    ScheList& list = *m_ui->scheduleList;
    const QList<QListWidgetItem*> selected = list.selectedItems();
    if (selected.size() != 1)
        return;
    const int line = list.row(selected.first());
    if (list.statusOf(line) != 0) {
        MessageById(txt::ScheduleReferencesWithErrors, MB::Ok | MB::IconStop, this);
        return;
    }
    runScheduleEditor(list.scheduleOf(line), false);
}

void SelSchDlg::reject() { done(IDCANCEL); }
