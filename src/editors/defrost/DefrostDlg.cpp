#include "editors/defrost/DefrostDlg.h"
#include "ui_DefrostDlg.h"

#include "editors/defrost/DefrostSchedulesDlg.h"
#include "editors/MaModDlg.h"
#include "gateway/UpdateJob.h"
#include "model/FunctionSettings.h"
#include "model/Messages.h"
#include "model/Texts.h"
#include "protocol/TypeCatalogue.h"
#include "references/IOList.h"
#include "support/UiSeam.h"

#include <algorithm>
#include <tuple>

namespace {

enum GroupIndex : size_t { ExternalStart = 0, DefrostRelay = 1, DefrostStart = 2, HoldAfterDefrost = 3 };
constexpr uint16_t GroupIcon = 152;
constexpr uint8_t Type = FunctionType::CentralDefrost;
constexpr std::string_view ExternalStartField = "external defrost start";
constexpr std::string_view CoordinateField = "co-ordinate defrost";

} // namespace

DefrostDlg::DefrostDlg(const EditorRequest& request, QWidget* parent)
    : EditorDlg(request, parent)
    , m_ui(new Ui::DefrostDlg)
{
    m_ui->setupUi(this);
    DialogTexts(this);
    setEditorCaption();
    addReferenceGroup({m_ui->externalStartList, BlockType::Input, {1, 0, 0, 0}, 36, GroupIcon, 1005},
                      m_ui->externalStartGroup->title(), m_ui->externalStartButton);
    addReferenceGroup({m_ui->relayList, BlockType::Input, {2, 0, 0, 0}, 38, GroupIcon, 1006},
                      m_ui->relayGroup->title(), m_ui->relayButton);
    addReferenceGroup({m_ui->startList, BlockType::Output, {1, 0, 0, 0}, 35, GroupIcon, 1007},
                      m_ui->startGroup->title(), m_ui->startButton);
    addReferenceGroup({m_ui->holdList, BlockType::Output, {2, 0, 0, 0}, 37, GroupIcon, 1008},
                      m_ui->holdGroup->title(), m_ui->holdButton);

    connect(m_ui->okButton, &QPushButton::clicked, this, &DefrostDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &DefrostDlg::reject);
    connect(m_ui->schedulesButton, &QPushButton::clicked, this, &DefrostDlg::onSchedules);
    connect(m_ui->externalStartButton, &QPushButton::clicked, this, [this] { selectReferences(ExternalStart); });
    connect(m_ui->relayButton, &QPushButton::clicked, this, [this] { selectReferences(DefrostRelay); });
    connect(m_ui->startButton, &QPushButton::clicked, this, [this] { selectReferences(DefrostStart); });
    connect(m_ui->holdButton, &QPushButton::clicked, this, [this] { selectReferences(HoldAfterDefrost); });
    for (QCheckBox* box : {m_ui->externalStartCheck, m_ui->coordinateCheck})
        connect(box, &QCheckBox::clicked, this, [this] {
            m_change = CheckBox;
            showGroups();
        });
    connect(m_ui->manualButton, &QPushButton::clicked, this, &DefrostDlg::onManual);
}

DefrostDlg::~DefrostDlg() = default;

void DefrostDlg::showGroups()
{
    m_ui->externalStartGroup->setVisible(m_ui->externalStartCheck->isChecked());
    m_ui->relayGroup->setVisible(m_ui->coordinateCheck->isChecked());
    m_ui->holdGroup->setVisible(m_ui->coordinateCheck->isChecked());
}

bool DefrostDlg::load()
{
    m_change = 0;
    m_updateFailed = false;
    m_defrost = DefrostTimes();
    if (!loadHeader(m_ui->numberLabel, m_ui->nameEdit))
        return false;
    bool manual = false;
    if (!headerExists()) {
        m_ui->manualButton->setEnabled(false);
    } else {
        McdefRecord manualBlock, switchesBlock, timesBlock;
        if (!readDataBlock(1, manualBlock, false) || !readDataBlock(2, switchesBlock, false)
            || !readDataBlock(3, timesBlock, false))
            return false;
        m_defrost = UnpackDefrostTimes(timesBlock);
        if (!loadReferenceGroups())
            return false;
        manual = SettingValue(Type, "manual mode", manualBlock) != 0;
        m_loadedExternalStart = SettingValue(Type, ExternalStartField, switchesBlock) != 0 ? 1 : 0;
        m_loadedCoordinate = SettingValue(Type, CoordinateField, switchesBlock) != 0 ? 1 : 0;
    }
    m_ui->manualStateLabel->setText(ManualStateText(ManualVariant::Defrost, manual, 0));
    if (header().flags() & FunctionFlag::Started)
        disableWhileStarted({m_ui->nameEdit, m_ui->externalStartCheck, m_ui->coordinateCheck,
                             m_ui->externalStartButton, m_ui->relayButton, m_ui->startButton, m_ui->holdButton});
    m_savedExternalStart = m_loadedExternalStart;
    m_savedCoordinate = m_loadedCoordinate;
    m_ui->externalStartCheck->setChecked(m_loadedExternalStart != 0);
    m_ui->coordinateCheck->setChecked(m_loadedCoordinate != 0);
    showGroups();
    if (viewOnly())
        disable({m_ui->okButton, m_ui->nameEdit, m_ui->externalStartButton, m_ui->relayButton, m_ui->startButton,
                 m_ui->holdButton});
    return true;
}

bool DefrostDlg::validate()
{
    if (!validateName())
        return false;
    const bool externalStart = m_ui->externalStartCheck->isChecked();
    const bool coordinate = m_ui->coordinateCheck->isChecked();
    if (!(externalStart && m_ui->externalStartList->rowCount() > 0) && !m_defrost.anySet()) {
        MessageById(txt::SpecifyScheduleReference, MB::Ok | MB::IconExclamation, this);
        m_ui->schedulesButton->setFocus();
        return false;
    }
    return validateReferenceGroup(ExternalStart, !externalStart) && validateReferenceGroup(DefrostRelay, !coordinate)
        && validateReferenceGroup(DefrostStart, false) && validateReferenceGroup(HoldAfterDefrost, !coordinate);
}

int DefrostDlg::changeCode() const
{
    if (m_change != 0 && m_change != Schedules)
        return m_change;
    if (anyReferenceGroupModified() || nameModified())
        return m_change + NameOrReferences;
    return m_change;
}

UpdatePlan DefrostDlg::updatePlan(int change) const
{
    if (change == Schedules)
        return {UpdateMode::DataBlocksOnly, TypeWritableBlocks(type())};
    return EditorDlg::updatePlan(change);
}

SaveOutcome DefrostDlg::save(int change)
{
    if (!saveHeaderWithManualBlock(nameText(), m_ui->manualButton))
        return SaveOutcome::Failed;
    if (created() || change == Schedules || change == CheckBox) {
        McdefRecord switchesBlock, timesBlock;
        if (!readDataBlock(2, switchesBlock, true))
            return SaveOutcome::Failed;
        m_savedExternalStart = m_ui->externalStartCheck->isChecked() ? 1 : 0;
        m_savedCoordinate = m_ui->coordinateCheck->isChecked() ? 1 : 0;
        SetSettingValue(Type, ExternalStartField, switchesBlock, m_savedExternalStart);
        SetSettingValue(Type, CoordinateField, switchesBlock, m_savedCoordinate);
        if (!writeDataBlock(switchesBlock) || !readDataBlock(3, timesBlock, true))
            return SaveOutcome::Failed;
        PackDefrostTimes(m_defrost, timesBlock);
        if (!writeDataBlock(timesBlock))
            return SaveOutcome::Failed;
    }
    return storeReferenceGroups() ? SaveOutcome::Saved : SaveOutcome::Failed;
}

bool DefrostDlg::log(int)
{
    const std::string defrostFunctions = m_ui->defrostGroup->title().toStdString();
    std::vector<ChangedList> lists = changedGroups();
    if (m_change == Schedules)
        lists.push_back({BlockType::ScheduleReference, defrostFunctions});
    std::vector<std::string> boxLines;
    if (m_change == CheckBox) {
        for (const auto& [box, loaded, saved] :
             {std::tuple{m_ui->externalStartCheck, m_loadedExternalStart, m_savedExternalStart},
              std::tuple{m_ui->coordinateCheck, m_loadedCoordinate, m_savedCoordinate}}) {
            const auto lines = CheckBoxChangeLines(defrostFunctions, box->text().toStdString(), loaded, saved);
            boxLines.insert(boxLines.end(), lines.begin(), lines.end());
        }
    }
    return writeChangeLog({ChangedListLines(lists), boxLines, NameChangeLines(loadedName(), savedName())});
}

void DefrostDlg::onSchedules()
{
    DefrostSchedulesDlg dialog(m_defrost, created(), viewOnly(), this);
    if (ui().runModal(dialog) != QDialog::Accepted)
        return;
    m_defrost = dialog.defrostTimes();
    if (dialog.changed())
        m_change = std::max(m_change, int(Schedules));
}

void DefrostDlg::onManual()
{
    ManualDefrostDlg dialog(number(), this);
    if (runManualMode(dialog, EditorResult::DatabaseFailure))
        m_ui->manualStateLabel->setText(dialog.stateText());
}

EditorResult RunCentralDefrostEditor(QWidget* parent, const EditorRequest& request)
{
    DefrostDlg editor(request, parent);
    return editor.run();
}
