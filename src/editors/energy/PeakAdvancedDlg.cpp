#include "editors/energy/PeakAdvancedDlg.h"
#include "model/FunctionSettings.h"
#include "ui_PeakAdvancedDlg.h"

#include "editors/NumberEdits.h"
#include "editors/schedule/ScheList.h"
#include "editors/schedule/SelSchDlg.h"
#include "model/Messages.h"
#include "model/Texts.h"
#include "model/TypeNames.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "support/CEditCtrlEx.h"
#include "support/UiSeam.h"

#include <QStyle>

#include <algorithm>

PeakAdvancedDlg::PeakAdvancedDlg(const EditorRequest& request, QWidget* editor)
    : QDialog(editor)
    , m_ui(new Ui::PeakAdvancedDlg)
    , m_request(request)
{
    m_ui->setupUi(this);
    DialogTexts(this);
    setWindowTitle(QText(txt::ControlFunction) + QStringLiteral(" - ")
                   + QString::fromStdString(TypeName(request.type)) + QStringLiteral(", ")
                   + QText(txt::AdvancedSuffix));
    SetUpNumberEdit(m_ui->maxShaveTimeEdit, Setting(FunctionType::PeakShaving, "max shave time"), 2);
    SetUpNumberEdit(m_ui->internLoadPeriodEdit, Setting(FunctionType::PeakShaving, "intern load period"), 3);
    for (const double step : PeakOffsetSteps())
        m_ui->offsetStepCombo->addItem(QString::asprintf("%.1f", step));

    m_groups = {m_ui->tariffGroup, m_ui->coldGroup, m_ui->peakGroup};
    m_useChecks = {m_ui->tariffCheck, m_ui->coldCheck, m_ui->peakCheck};
    m_scheduleButtons = {m_ui->tariffButton, m_ui->coldButton, m_ui->peakButton};
    m_visibleLists = {m_ui->tariffList, m_ui->coldList, m_ui->peakList};
    for (size_t slot = 0; slot < PeakScheduleSlots; ++slot) {
        // The committed list is never shown; the visible one is a copy to edit.
        m_committedLists[slot] = new ScheList(this);
        m_committedLists[slot]->setObjectName(m_visibleLists[slot]->objectName() + QStringLiteral("Committed"));
        m_committedLists[slot]->hide();
        connect(m_scheduleButtons[slot], &QPushButton::clicked, this, [this, slot] { selectSchedules(slot); });
    }
    connect(m_ui->okButton, &QPushButton::clicked, this, &PeakAdvancedDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &PeakAdvancedDlg::reject);
}

PeakAdvancedDlg::~PeakAdvancedDlg() = default;

void PeakAdvancedDlg::setViewOnly()
{
    for (QWidget* control : std::initializer_list<QWidget*>{m_ui->maxShaveTimeEdit, m_ui->internLoadPeriodEdit,
                                                            m_ui->offsetStepCombo, m_ui->okButton})
        control->setEnabled(false);
    for (size_t slot = 0; slot < PeakScheduleSlots; ++slot) {
        m_useChecks[slot]->setEnabled(false);
        m_scheduleButtons[slot]->setEnabled(false);
    }
}

void PeakAdvancedDlg::setCommitted(const PeakAdvanced& values)
{
    m_committed = values;
    m_changes = 0;
}

bool PeakAdvancedDlg::loadSchedules(uint8_t functionNumber)
{
    for (size_t slot = 0; slot < PeakScheduleSlots; ++slot) {
        if (!m_committedLists[slot]->LoadSchedules(functionNumber, uint8_t(slot + 1)))
            return false;
        m_committedLists[slot]->SetModified(false);
    }
    return true;
}

bool PeakAdvancedDlg::storeSchedules(uint8_t functionNumber)
{
    for (size_t slot = 0; slot < PeakScheduleSlots; ++slot)
        if (!m_committedLists[slot]->StoreSchedules(functionNumber, uint8_t(slot + 1)))
            return false;
    return true;
}

std::vector<std::string> PeakAdvancedDlg::changedScheduleGroups() const
{
    std::vector<std::string> groups;
    for (size_t slot = 0; slot < PeakScheduleSlots; ++slot)
        if (m_committedLists[slot]->IsModified())
            groups.push_back(m_groups[slot]->title().toStdString());
    return groups;
}

void PeakAdvancedDlg::showAdvanced()
{
    m_ui->maxShaveTimeEdit->setIntValue(m_committed.maxShaveTime);
    m_ui->internLoadPeriodEdit->setIntValue(m_committed.internLoadPeriod);
    m_ui->offsetStepCombo->setCurrentIndex(OffsetStepIndex(m_committed.offsetStep));
    for (size_t slot = 0; slot < PeakScheduleSlots; ++slot) {
        m_useChecks[slot]->setChecked(m_committed.useSchedule[slot] != 0);
        m_visibleLists[slot]->CopySchedules(*m_committedLists[slot], false, false);
        m_visibleLists[slot]->SetModified(false);
    }
    m_ui->maxShaveTimeEdit->setModified(false);
    m_ui->internLoadPeriodEdit->setModified(false);
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), parentWidget()->geometry()));
    // Disabling the editor disables this child window too; it is enabled again on its own.
    parentWidget()->setEnabled(false);
    setEnabled(true);
    show();
}

PeakAdvanced PeakAdvancedDlg::shownValues() const
{
    PeakAdvanced shown = m_committed;
    shown.maxShaveTime = uint16_t(m_ui->maxShaveTimeEdit->intValue());
    shown.internLoadPeriod = uint16_t(m_ui->internLoadPeriodEdit->intValue());
    const int step = m_ui->offsetStepCombo->currentIndex();
    if (step >= 0)
        shown.offsetStep = float(PeakOffsetSteps()[size_t(step)]);
    for (size_t slot = 0; slot < PeakScheduleSlots; ++slot)
        shown.useSchedule[slot] = m_useChecks[slot]->isChecked() ? 1 : 0;
    return shown;
}

int PeakAdvancedDlg::visitStatus() const
{
    const bool editModified = m_ui->maxShaveTimeEdit->isModified() || m_ui->internLoadPeriodEdit->isModified();
    const bool listChanged = std::any_of(m_visibleLists.begin(), m_visibleLists.end(),
                                         [](const ScheList* list) { return list->IsModified(); });
    return AdvancedVisitStatus(m_committed, shownValues(), editModified, listChanged);
}

void PeakAdvancedDlg::accept()
{
    if (!ValidateNumbers({m_ui->maxShaveTimeEdit, m_ui->internLoadPeriodEdit}))
        return;
    for (size_t slot = 0; slot < PeakScheduleSlots; ++slot) {
        const ScheList& list = *m_visibleLists[slot];
        if (m_useChecks[slot]->isChecked() && list.lineCount() == 0) {
            MessageById(txt::SpecifyScheduleReference, MB::Ok | MB::IconExclamation, this);
            m_scheduleButtons[slot]->setFocus();
            return;
        }
        if (!list.SchedulesValid()) {
            const std::string text = StrFormat("%s '%s'.", TextById(txt::SchedulesWithConflict).c_str(),
                                               m_groups[slot]->title().toStdString().c_str());
            ShowMessage(QString::fromStdString(text), MB::Ok | MB::IconExclamation, this, true);
            m_scheduleButtons[slot]->setFocus();
            return;
        }
    }
    m_changes |= visitStatus();
    m_committed = shownValues();
    for (size_t slot = 0; slot < PeakScheduleSlots; ++slot)
        if (m_visibleLists[slot]->IsModified())
            m_committedLists[slot]->CopySchedules(*m_visibleLists[slot], false, false);
    Q_EMIT committedChanged();
    finish(Accepted);
}

void PeakAdvancedDlg::reject()
{
    if (visitStatus() != 0 && !ChangesDiscarded(this, [this] { accept(); }))
        return;
    finish(Rejected);
}

void PeakAdvancedDlg::finish(int result)
{
    parentWidget()->setEnabled(true);
    done(result);
}

void PeakAdvancedDlg::selectSchedules(size_t slot)
{
    ScheduleSelection selection;
    selection.groupText = m_groups[slot]->title();
    selection.functionType = m_request.type;
    selection.functionNumber = m_request.number;
    selection.list = m_visibleLists[slot];
    selection.spaceReserve = m_created ? TypeSize(m_request.type) : 0;
    selection.maximum = TypeOption(m_request.type, 1);
    SelSchDlg dialog(m_request, selection, this);
    ui().runModal(dialog);
}
