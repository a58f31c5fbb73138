#include "editors/energy/PeakBDlg.h"
#include "model/FunctionSettings.h"
#include "ui_PeakBDlg.h"

#include "editors/energy/PeakAdvancedDlg.h"
#include "editors/NumberEdits.h"
#include "gateway/UpdateJob.h"
#include "model/Texts.h"
#include "protocol/TypeCatalogue.h"
#include "references/IOList.h"
#include "support/CEditCtrlEx.h"
#include "support/UiSeam.h"

namespace {

enum GroupIndex : size_t { ThermostatControllers = 0 };
constexpr uint16_t GroupIcon = 4;
constexpr uint8_t GraphBlock = 3;

QString shownFloat(float value) { return QString::asprintf("%.2f", double(value)); }

} // namespace

PeakBDlg::PeakBDlg(const EditorRequest& request, QWidget* parent)
    : EditorDlg(request, parent)
    , m_ui(new Ui::PeakBDlg)
{
    m_ui->setupUi(this);
    DialogTexts(this);
    setEditorCaption();
    const auto field = [](std::string_view name) -> const SettingField& { return Setting(FunctionType::PeakShaving, name); };
    SetUpNumberEdit(m_ui->impulsesEdit, field("impulses per kWh"), 5);
    SetUpNumberEdit(m_ui->loadPeriodEdit, field("load period"), 2);
    SetUpNumberEdit(m_ui->peakLimitEdit, field("peak limit"), 3);
    // Room for "5.00", then the range as a float.
    const SettingField& offset = field("max thermostat offset");
    SetUpNumberEdit(m_ui->thermostatOffsetEdit, offset, 4);
    m_ui->thermostatOffsetEdit->SetNumRange(offset.minimum, offset.maximum);
    addReferenceGroup({m_ui->outputList, BlockType::Output, {1, 0, 0, 0}, 1017, GroupIcon, 1018},
                      m_ui->outputGroup->title(), m_ui->outputButton);
    m_advanced = new PeakAdvancedDlg(request, this);

    connect(m_ui->okButton, &QPushButton::clicked, this, &PeakBDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &PeakBDlg::reject);
    connect(m_ui->outputButton, &QPushButton::clicked, this, [this] { selectReferences(ThermostatControllers); });
    connect(m_ui->advancedButton, &QPushButton::clicked, m_advanced, &PeakAdvancedDlg::showAdvanced);
    connect(m_ui->consumptionButton, &QPushButton::clicked, this, [this] { showGraph(PeakGDlg::Mode::Consumption); });
    connect(m_ui->loadButton, &QPushButton::clicked, this, [this] { showGraph(PeakGDlg::Mode::Load); });
    connect(m_advanced, &PeakAdvancedDlg::committedChanged, this, &PeakBDlg::showPeakMeterLine);
}

PeakBDlg::~PeakBDlg() = default;

bool PeakBDlg::load()
{
    m_updateFailed = false;
    if (!loadHeader(m_ui->numberLabel, m_ui->nameEdit))
        return false;
    m_advanced->setNewFunction(created());
    PeakSettings settings;
    float calculatedOffset = 0;
    if (headerExists()) {
        McdefRecord offsetBlock, settingsBlock;
        if (!readDataBlock(1, offsetBlock, false) || !readDataBlock(2, settingsBlock, false))
            return false;
        settings = UnpackPeakSettings(settingsBlock);
        calculatedOffset = CalculatedOffset(offsetBlock);
        if (!loadReferenceGroups() || !m_advanced->loadSchedules(number()))
            return false;
    }
    const std::optional<bool> graphData = dataBlockExists(GraphBlock);
    if (!graphData)
        return false;
    m_ui->consumptionButton->setEnabled(*graphData);
    m_ui->loadButton->setEnabled(*graphData);

    showSettings(settings, calculatedOffset);
    m_loaded = settings;
    m_saved = settings;
    m_advanced->setCommitted(settings.advanced);
    showPeakMeterLine();

    if (header().flags() & FunctionFlag::Started)
        disableWhileStarted({m_ui->nameEdit, m_ui->outputButton});
    if (viewOnly()) {
        disable({m_ui->nameEdit, m_ui->okButton, m_ui->outputButton, m_ui->impulsesEdit, m_ui->loadPeriodEdit,
                 m_ui->peakLimitEdit, m_ui->thermostatOffsetEdit});
        m_advanced->setViewOnly();
    }
    return true;
}

void PeakBDlg::showSettings(const PeakSettings& settings, float calculatedOffset)
{
    m_ui->normalMeterLabel->setText(shownFloat(settings.normalMeter));
    m_ui->peakMeterLabel->setText(shownFloat(settings.peakMeter));
    m_ui->calculatedOffsetLabel->setText(shownFloat(calculatedOffset));
    m_ui->impulsesEdit->setIntValue(settings.impulsesPerKwh);
    m_ui->loadPeriodEdit->setIntValue(settings.loadPeriod);
    m_ui->peakLimitEdit->setIntValue(settings.peakLimit);
    m_ui->thermostatOffsetEdit->setText(shownFloat(settings.maxThermostatOffset));
    for (CEditCtrlEx* edit : {m_ui->impulsesEdit, m_ui->loadPeriodEdit, m_ui->peakLimitEdit,
                              m_ui->thermostatOffsetEdit})
        edit->setModified(false);
}

void PeakBDlg::showPeakMeterLine()
{
    const bool shown = m_advanced->committed().useSchedule[PeakMeterSlot] != 0;
    for (QWidget* control : {static_cast<QWidget*>(m_ui->peakMeterCaption), static_cast<QWidget*>(m_ui->peakMeterLabel),
                             static_cast<QWidget*>(m_ui->peakMeterUnit)})
        control->setVisible(shown);
}

bool PeakBDlg::mainEditModified() const
{
    return m_ui->impulsesEdit->isModified() || m_ui->loadPeriodEdit->isModified() || m_ui->peakLimitEdit->isModified()
        || m_ui->thermostatOffsetEdit->isModified();
}

bool PeakBDlg::validate()
{
    return ValidateNumbers({m_ui->impulsesEdit, m_ui->loadPeriodEdit, m_ui->peakLimitEdit, m_ui->thermostatOffsetEdit})
        && validateName() && validateReferenceGroup(ThermostatControllers, false);
}

int PeakBDlg::changeCode() const
{
    return PeakEditorStatus(mainEditModified(), anyReferenceGroupModified() || nameModified(), m_advanced->changes());
}

UpdatePlan PeakBDlg::updatePlan(int change) const
{
    if (change == PeakChange::Settings)
        return {UpdateMode::DataBlocksOnly, TypeWritableBlocks(type())};
    return EditorDlg::updatePlan(change);
}

PeakSettings PeakBDlg::enteredSettings() const
{
    PeakSettings entered = m_loaded;
    entered.impulsesPerKwh = uint16_t(m_ui->impulsesEdit->intValue());
    entered.loadPeriod = uint16_t(m_ui->loadPeriodEdit->intValue());
    entered.peakLimit = uint16_t(m_ui->peakLimitEdit->intValue());
    entered.maxThermostatOffset = float(m_ui->thermostatOffsetEdit->doubleValue());
    entered.advanced = m_advanced->committed();
    return entered;
}

SaveOutcome PeakBDlg::save(int change)
{
    const bool wasNew = !headerExists();
    if (!saveHeader(nameText()))
        return SaveOutcome::Failed;
    if (wasNew && !writeDataBlock(McdefRecord(number(), BlockType::Data, 1, 0)))
        return SaveOutcome::Failed;
    if (created() || (change & PeakChange::Settings)) {
        McdefRecord settingsBlock;
        if (!readDataBlock(2, settingsBlock, true))
            return SaveOutcome::Failed;
        const PeakSettings entered = enteredSettings();
        PackPeakSettings(entered, settingsBlock);
        if (!writeDataBlock(settingsBlock))
            return SaveOutcome::Failed;
        m_saved = UnpackPeakSettings(settingsBlock);
    }
    return storeReferenceGroups() && m_advanced->storeSchedules(number()) ? SaveOutcome::Saved : SaveOutcome::Failed;
}

bool PeakBDlg::log(int)
{
    std::vector<ChangedList> lists = changedGroups();
    for (const std::string& group : m_advanced->changedScheduleGroups())
        lists.push_back({BlockType::ScheduleReference, group});
    std::vector<std::string> lines = NameChangeLines(loadedName(), savedName());
    const std::vector<std::string> settingsLines = PeakSettingsChangeLines(m_loaded, m_saved);
    lines.insert(lines.end(), settingsLines.begin(), settingsLines.end());
    return writeChangeLog({ChangedListLines(lists), lines});
}

void PeakBDlg::showGraph(PeakGDlg::Mode mode)
{
    // The graph reports missing or unreadable data itself.
    PeakGDlg graph(request().gatewayAddress, number(), type(), nameText(), mode, this);
    ui().runModal(graph);
}

void PeakBDlg::cancelKept()
{
    ValidateNumbers({m_ui->impulsesEdit, m_ui->loadPeriodEdit, m_ui->peakLimitEdit, m_ui->thermostatOffsetEdit});
}

EditorResult RunPeakShavingEditor(QWidget* parent, const EditorRequest& request)
{
    PeakBDlg editor(request, parent);
    return editor.run();
}
