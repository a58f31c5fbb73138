#include "editors/energy/AlimDlg.h"
#include "ui_AlimDlg.h"

#include "editors/MaModDlg.h"
#include "editors/NumberEdits.h"
#include "gateway/UpdateJob.h"
#include "model/FunctionSettings.h"
#include "model/Messages.h"
#include "model/Texts.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "references/IOList.h"
#include "support/CEditCtrlEx.h"
#include "support/UiSeam.h"

namespace {

enum GroupIndex : size_t { Indoor = 0, Outdoor = 1, AlarmLimit = 2 };
constexpr uint16_t InputIcon = 4;
constexpr uint16_t OutputIcon = 6;

} // namespace

AlimDlg::AlimDlg(const EditorRequest& request, QWidget* parent)
    : EditorDlg(request, parent)
    , m_ui(new Ui::AlimDlg)
    , m_kind(AlarmLimitKindOf(request.type))
{
    m_ui->setupUi(this);
    DialogTexts(this);
    setEditorCaption();

    const auto field = [](std::string_view name) -> const SettingField& {
        return Setting(FunctionType::AlarmLimitDirect, name);
    };
    SetUpNumberEdit(m_ui->outdoorReferenceEdit, field("outdoor reference temperature"), 2);
    SetUpNumberEdit(m_ui->lowerBandEdit, field("lower band temperature"), 2);
    SetUpNumberEdit(m_ui->upperBandEdit, field("upper band temperature"), 2);
    SetUpNumberEdit(m_ui->entranceEdit, field("entrance value"), 3);
    m_ui->entranceEdit->setVisible(m_kind.hasEntrance);
    m_ui->zeroLabel->setVisible(!m_kind.hasEntrance);
    m_ui->axisValueLabel->setText(QText(m_kind.axisText));
    for (QLabel* unit : {m_ui->topUnitLabel, m_ui->bottomUnitLabel, m_ui->manualUnitLabel})
        unit->setText(QText(m_kind.unitText));

    const std::array<uint8_t, 4> outputSlots
        = m_kind.hasEntrance ? std::array<uint8_t, 4>{1, 2, 0, 0} : std::array<uint8_t, 4>{1, 0, 0, 0};
    addReferenceGroup({m_ui->indoorList, BlockType::Input, {1, 0, 0, 0}, 36, InputIcon, 1002},
                      m_ui->indoorGroup->title(), m_ui->indoorButton);
    addReferenceGroup({m_ui->outdoorList, BlockType::Input, {2, 0, 0, 0}, 37, InputIcon, 1003},
                      m_ui->outdoorGroup->title(), m_ui->outdoorButton);
    addReferenceGroup({m_ui->outputList, BlockType::Output, outputSlots, 35, OutputIcon, 1005},
                      m_ui->outputGroup->title(), m_ui->outputButton);

    connect(m_ui->okButton, &QPushButton::clicked, this, &AlimDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &AlimDlg::reject);
    connect(m_ui->indoorButton, &QPushButton::clicked, this, [this] { selectReferences(Indoor); });
    connect(m_ui->outdoorButton, &QPushButton::clicked, this, [this] { selectReferences(Outdoor); });
    connect(m_ui->outputButton, &QPushButton::clicked, this, [this] { selectReferences(AlarmLimit); });
    connect(m_ui->useOutdoorCheck, &QCheckBox::clicked, this, [this](bool checked) {
        m_outdoorClicked = true;
        m_ui->outdoorReferenceEdit->setEnabled(checked);
    });
    for (CEditCtrlEx* edit : {m_ui->lowerBandEdit, m_ui->upperBandEdit, m_ui->entranceEdit})
        connect(edit, &QLineEdit::editingFinished, this, &AlimDlg::showTopValue);
    connect(m_ui->manualButton, &QPushButton::clicked, this, &AlimDlg::onManual);
}

AlimDlg::~AlimDlg() = default;

AlarmSettings AlimDlg::typedSettings() const
{
    AlarmSettings settings = m_loaded;
    settings.useOutdoor = m_ui->useOutdoorCheck->isChecked();
    settings.outdoorReference = int16_t(m_ui->outdoorReferenceEdit->intValue());
    settings.lowerBand = int16_t(m_ui->lowerBandEdit->intValue());
    settings.upperBand = int16_t(m_ui->upperBandEdit->intValue());
    if (m_kind.hasEntrance)
        settings.entrance = int16_t(m_ui->entranceEdit->intValue());
    return settings;
}

void AlimDlg::showTopValue() { m_ui->topValueLabel->setNum(RampTopValue(typedSettings(), type())); }

void AlimDlg::showManualState(bool manual, int16_t value)
{
    m_ui->manualStateLabel->setText(ManualStateText(ManualVariant::Value, manual, value));
    m_ui->manualValueLabel->setNum(value);
}

bool AlimDlg::load()
{
    m_outdoorClicked = false;
    m_updateFailed = false;
    m_loaded = AlarmSettings();
    if (!loadHeader(m_ui->numberLabel, m_ui->nameEdit))
        return false;
    if (!headerExists()) {
        showManualState(false, 0);
        m_ui->manualButton->setEnabled(false);
    } else {
        McdefRecord manualBlock, settingsBlock;
        if (!readDataBlock(1, manualBlock, false) || !readDataBlock(2, settingsBlock, false))
            return false;
        if (!loadReferenceGroups())
            return false;
        m_loaded = UnpackAlarmSettings(settingsBlock);
        showManualState(header().flags() & FunctionFlag::Manual, int16_t(SettingValue(m_kind.type, "manual value", manualBlock)));
    }
    m_saved = m_loaded;

    m_ui->useOutdoorCheck->setChecked(m_loaded.useOutdoor);
    m_ui->outdoorReferenceEdit->setIntValue(m_loaded.outdoorReference);
    m_ui->outdoorReferenceEdit->setEnabled(m_loaded.useOutdoor);
    m_ui->lowerBandEdit->setIntValue(m_loaded.lowerBand);
    m_ui->upperBandEdit->setIntValue(m_loaded.upperBand);
    m_ui->entranceEdit->setIntValue(m_kind.hasEntrance ? m_loaded.entrance : 0);
    showTopValue();

    if (header().flags() & FunctionFlag::Started)
        disableWhileStarted({m_ui->nameEdit, m_ui->indoorButton, m_ui->outdoorButton, m_ui->outputButton});
    if (viewOnly())
        disable({m_ui->nameEdit, m_ui->okButton, m_ui->outdoorReferenceEdit, m_ui->lowerBandEdit,
                 m_ui->upperBandEdit, m_ui->entranceEdit, m_ui->useOutdoorCheck, m_ui->indoorButton,
                 m_ui->outdoorButton, m_ui->outputButton});
    return true;
}

bool AlimDlg::validateNumbers()
{
    if (m_kind.hasEntrance)
        return ValidateNumbers(
            {m_ui->outdoorReferenceEdit, m_ui->lowerBandEdit, m_ui->upperBandEdit, m_ui->entranceEdit});
    return ValidateNumbers({m_ui->outdoorReferenceEdit, m_ui->lowerBandEdit, m_ui->upperBandEdit});
}

bool AlimDlg::validate()
{
    if (!validateName())
        return false;
    if (!validateReferenceGroup(Indoor, false) || !validateReferenceGroup(Outdoor, !m_ui->useOutdoorCheck->isChecked())
        || !validateReferenceGroup(AlarmLimit, false))
        return false;
    if (!validateNumbers())
        return false;
    switch (CheckBand(m_ui->lowerBandEdit->intValue(), m_ui->upperBandEdit->intValue())) {
    case BandCheck::Accepted:
        return true;
    case BandCheck::StartNotAboveStop:
        MessageById(txt::StartAboveStop, MB::Ok | MB::IconExclamation, this);
        m_ui->lowerBandEdit->setFocus();
        return false;
    case BandCheck::TooWide:
        ShowMessage(QString::fromStdString(StrFormat("%s %d.", TextById(txt::BandMustNotExceed).c_str(), MaxBandWidth)),
                    MB::Ok | MB::IconExclamation, this, true);
        m_ui->upperBandEdit->setFocus();
        return false;
    }
    return false;
}

int AlimDlg::changeCode() const
{
    int change = 0;
    const bool numberEdited = m_ui->outdoorReferenceEdit->isModified() || m_ui->lowerBandEdit->isModified()
        || m_ui->upperBandEdit->isModified() || (m_kind.hasEntrance && m_ui->entranceEdit->isModified());
    if (numberEdited || m_outdoorClicked)
        change |= Settings;
    if (anyReferenceGroupModified() || nameModified())
        change |= NameOrReferences;
    return change;
}

UpdatePlan AlimDlg::updatePlan(int change) const
{
    if (change == Settings)
        return {UpdateMode::DataBlocksOnly, TypeWritableBlocks(type())};
    return EditorDlg::updatePlan(change);
}

SaveOutcome AlimDlg::save(int change)
{
    if (!saveHeaderWithManualBlock(nameText(), m_ui->manualButton))
        return SaveOutcome::Failed;
    if (created() || (change & Settings)) {
        McdefRecord settingsBlock;
        if (!readDataBlock(2, settingsBlock, true))
            return SaveOutcome::Failed;
        const AlarmSettings settings = typedSettings();
        PackAlarmSettings(settings, type(), settingsBlock);
        if (!writeDataBlock(settingsBlock))
            return SaveOutcome::Failed;
        m_saved = settings;
    }
    return storeReferenceGroups() ? SaveOutcome::Saved : SaveOutcome::Failed;
}

bool AlimDlg::log(int)
{
    std::vector<std::string> lines = NameChangeLines(loadedName(), savedName());
    const std::vector<std::string> settingsLines = AlarmSettingsChangeLines(m_loaded, m_saved);
    lines.insert(lines.end(), settingsLines.begin(), settingsLines.end());
    return writeChangeLog({ChangedListLines(changedGroups()), lines});
}

void AlimDlg::cancelKept()
{
    validateNumbers();
    showTopValue();
}

void AlimDlg::onManual()
{
    const SettingField& manualValue = Setting(m_kind.type, "manual value");
    ManualValueDlg dialog(number(), QText(m_kind.unitText), manualValue.entryMinimum(), manualValue.entryMaximum(),
                          this);
    if (runManualMode(dialog, EditorResult::DatabaseFailure))
        showManualState(dialog.manual(), dialog.value());
}

EditorResult RunAlarmLimitEditor(QWidget* parent, const EditorRequest& request)
{
    AlimDlg editor(request, parent);
    return editor.run();
}
