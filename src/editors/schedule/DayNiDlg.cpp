#include "editors/schedule/DayNiDlg.h"
#include "ui_DayNiDlg.h"

#include "editors/MaModDlg.h"
#include "editors/schedule/ScheList.h"
#include "editors/schedule/SelSchDlg.h"
#include "model/Messages.h"
#include "model/StringTable.h"
#include "model/Texts.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "references/IOList.h"
#include "support/UiSeam.h"

namespace {

enum GroupIndex : size_t { DayNightSignal = 0, ExternalDaySignal = 1 };
constexpr uint8_t ScheduleSlot = 1;
constexpr size_t UseExternalByte = 6;

} // namespace

DayNiDlg::DayNiDlg(const EditorRequest& request, QWidget* parent)
    : EditorDlg(request, parent)
    , m_ui(new Ui::DayNiDlg)
{
    m_ui->setupUi(this);
    DialogTexts(this);
    setEditorCaption();
    addReferenceGroup({m_ui->outputList, BlockType::Output, {1, 2, 0, 0}, 35, 1, 1003},
                      m_ui->outputGroup->title(), m_ui->outputButton);
    if (external())
        addReferenceGroup({m_ui->inputList, BlockType::Input, {1, 0, 0, 0}, 37, 1, 1005},
                          m_ui->externalGroup->title(), m_ui->inputButton);
    m_ui->externalGroup->setVisible(external());
    m_ui->externalNoteLabel->setVisible(external());
    m_ui->noteLabel->setVisible(!external());

    connect(m_ui->okButton, &QPushButton::clicked, this, &DayNiDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &DayNiDlg::reject);
    connect(m_ui->scheduleButton, &QPushButton::clicked, this, &DayNiDlg::onSchedule);
    connect(m_ui->outputButton, &QPushButton::clicked, this, [this] { selectReferences(DayNightSignal); });
    connect(m_ui->inputButton, &QPushButton::clicked, this, [this] { selectReferences(ExternalDaySignal); });
    connect(m_ui->useExternalCheck, &QCheckBox::clicked, this, [this] { m_change = ExternalSignal; });
    connect(m_ui->manualButton, &QPushButton::clicked, this, &DayNiDlg::onManual);
}

DayNiDlg::~DayNiDlg() = default;

void DayNiDlg::showManualState(bool manual, uint8_t value)
{
    m_ui->manualStateLabel->setText(ManualStateText(ManualVariant::DayNight, manual, value));
}

bool DayNiDlg::load()
{
    m_change = 0;
    m_updateFailed = false;
    if (!loadHeader(m_ui->numberLabel, m_ui->nameEdit))
        return false;
    if (!headerExists()) {
        showManualState(false, 0);
        m_ui->manualButton->setEnabled(false);
    } else {
        McdefRecord manualBlock, externalBlock;
        if (!readDataBlock(1, manualBlock, false) || (external() && !readDataBlock(2, externalBlock, false)))
            return false;
        if (!m_ui->scheduleList->LoadSchedules(number(), ScheduleSlot))
            return false;
        m_ui->scheduleList->SetModified(false);
        if (!loadReferenceGroups())
            return false;
        showManualState(header().flags() & FunctionFlag::Manual, manualBlock[7]);
        if (external())
            m_ui->useExternalCheck->setChecked(externalBlock[UseExternalByte] != 0);
    }
    if (header().flags() & FunctionFlag::Started)
        disableWhileStarted(
            {m_ui->nameEdit, m_ui->scheduleButton, m_ui->outputButton, m_ui->inputButton, m_ui->useExternalCheck});
    if (viewOnly())
        disable({m_ui->nameEdit, m_ui->okButton, m_ui->scheduleButton, m_ui->outputButton});
    return true;
}

int DayNiDlg::changeCode() const
{
    if (m_change != 0 && m_change != 1)
        return m_change;
    if (m_ui->scheduleList->IsModified() || anyReferenceGroupModified() || nameModified())
        return m_change + NameOrReferences;
    return m_change;
}

bool DayNiDlg::validate()
{
    if (!validateName())
        return false;
    const bool useExternal = external() && m_ui->useExternalCheck->isChecked();
    if (!validateReferenceGroup(DayNightSignal, false))
        return false;
    if (external() && !validateReferenceGroup(ExternalDaySignal, !useExternal))
        return false;
    if (m_ui->scheduleList->lineCount() == 0 && !(useExternal && m_ui->inputList->rowCount() > 0)) {
        MessageById(txt::SpecifyScheduleReference, MB::Ok | MB::IconExclamation, this);
        m_ui->scheduleButton->setFocus();
        return false;
    }
    if (!m_ui->scheduleList->SchedulesValid()) {
        const std::string text = StrFormat("%s '%s'.", TextById(txt::SchedulesWithConflict).c_str(),
                                           m_ui->scheduleGroup->title().toStdString().c_str());
        ShowMessage(QString::fromStdString(text), MB::Ok | MB::IconExclamation, this, true);
        m_ui->scheduleButton->setFocus();
        return false;
    }
    return true;
}

SaveOutcome DayNiDlg::save(int change)
{
    if (!saveHeaderWithManualBlock(nameText(), m_ui->manualButton))
        return SaveOutcome::Failed;
    if (external() && (created() || change == 1 || change == ExternalSignal)) {
        McdefRecord block;
        if (!readDataBlock(2, block, true))
            return SaveOutcome::Failed;
        block[UseExternalByte] = m_ui->useExternalCheck->isChecked() ? 1 : 0;
        if (!writeDataBlock(block))
            return SaveOutcome::Failed;
    }
    if (!storeReferenceGroups())
        return SaveOutcome::Failed;
    if ((created() || m_ui->scheduleList->IsModified())
        && !m_ui->scheduleList->StoreSchedules(number(), ScheduleSlot))
        return SaveOutcome::Failed;
    return SaveOutcome::Saved;
}

bool DayNiDlg::log(int)
{
    std::vector<ChangedList> lists = changedGroups();
    if (m_ui->scheduleList->IsModified())
        lists.push_back({BlockType::ScheduleReference, m_ui->scheduleGroup->title().toStdString()});
    return writeChangeLog({ChangedListLines(lists), NameChangeLines(loadedName(), savedName())});
}

void DayNiDlg::onSchedule()
{
    ScheduleSelection selection;
    selection.groupText = m_ui->scheduleGroup->title();
    selection.functionType = type();
    selection.functionNumber = number();
    selection.list = m_ui->scheduleList;
    selection.spaceReserve = created() ? TypeSize(type()) : 0;
    selection.maximum = TypeOption(type(), 1);
    SelSchDlg dialog(request(), selection, this);
    ui().runModal(dialog);
}

void DayNiDlg::onManual()
{
    ManualDayNightDlg dialog(number(), this);
    if (runManualMode(dialog, EditorResult::ConnectionLost))
        m_ui->manualStateLabel->setText(dialog.stateText());
}

EditorResult RunDayNightEditor(QWidget* parent, const EditorRequest& request)
{
    DayNiDlg editor(request, parent);
    return editor.run();
}
