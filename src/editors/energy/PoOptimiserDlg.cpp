#include "editors/energy/PoOptimiserDlg.h"
#include "ui_PoOptimiserDlg.h"

#include "editors/energy/PoAdvancedDlg.h"
#include "editors/energy/PoDefrostDelayDlg.h"
#include "editors/energy/PoOptimizerHistory.h"
#include "editors/energy/SelectCompressorDlg.h"
#include "editors/energy/SelectEvaporatorDlg.h"
#include "gateway/UpdateJob.h"
#include "model/Messages.h"
#include "model/Texts.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "support/UiSeam.h"

namespace {

std::string switchText(uint8_t value) { return TextById(value != 0 ? txt::SwitchOn : txt::SwitchOff); }

} // namespace

PoOptimiserDlg::PoOptimiserDlg(const EditorRequest& request, QWidget* parent)
    : EditorDlg(request, parent)
    , m_ui(new Ui::PoOptimiserDlg)
{
    m_ui->setupUi(this);
    DialogTexts(this);
    setEditorCaption();
    connect(m_ui->okButton, &QPushButton::clicked, this, &PoOptimiserDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &PoOptimiserDlg::reject);
    connect(m_ui->inputSelectButton, &QPushButton::clicked, this, &PoOptimiserDlg::onSelectEvaporators);
    connect(m_ui->compressorSelectButton, &QPushButton::clicked, this, &PoOptimiserDlg::onSelectCompressor);
    connect(m_ui->advancedButton, &QPushButton::clicked, this, &PoOptimiserDlg::onAdvanced);
    connect(m_ui->defrostDelayButton, &QPushButton::clicked, this, &PoOptimiserDlg::onDefrostDelay);
    connect(m_ui->historyButton, &QPushButton::clicked, this, &PoOptimiserDlg::onHistory);
    connect(m_ui->offsetDisableCheck, &QCheckBox::toggled, this, &PoOptimiserDlg::showOffset);
    connect(m_ui->evaporatorList, &CListCtrlEx::rowSelectionChanged, this, &PoOptimiserDlg::enableDelayButton);
    connect(m_ui->evaporatorList, &CListCtrlEx::rowActivated, this, [this](int row) {
        if (m_ui->defrostDelayButton->isEnabled() && m_ui->evaporatorList->isRowSelected(row))
            onDefrostDelay();
    });
}

PoOptimiserDlg::~PoOptimiserDlg() = default;

bool PoOptimiserDlg::load()
{
    m_settings = PoSettings();
    m_advancedChanged = m_delaysChanged = m_fullUpdate = false;
    m_updateFailed = false;
    if (!loadHeader(m_ui->numberLabel, m_ui->nameEdit))
        return false;
    m_ui->evaporatorList->SetFunctionNumber(number());
    m_ui->compressorList->SetFunctionNumber(number());
    if (headerExists()) {
        McdefRecord settingsBlock;
        if (!m_ui->evaporatorList->LoadEvaporators(request().gatewayAddress, number())
            || !m_ui->compressorList->LoadCompressor(request().gatewayAddress, number())
            || !readDataBlock(1, settingsBlock, false))
            return false;
        m_settings = UnpackPoSettings(settingsBlock);
        if (m_ui->compressorList->rowCount() == 1) {
            m_ui->compressorList->row(0).loop = char('A' + m_settings.compressorLoop);
            m_ui->compressorList->refreshRow(0);
        }
    } else {
        m_ui->historyButton->setEnabled(false);
    }
    m_loaded = m_settings;
    m_ui->offsetDisableCheck->setChecked(m_settings.offsetDisable != 0);
    showOffset();
    if (header().flags() & FunctionFlag::Started)
        disableWhileStarted({m_ui->nameEdit, m_ui->inputSelectButton, m_ui->compressorSelectButton});
    if (viewOnly())
        disable({m_ui->okButton, m_ui->offsetDisableCheck, m_ui->nameEdit, m_ui->evaporatorList,
                 m_ui->compressorList, m_ui->inputSelectButton, m_ui->compressorSelectButton});
    enableDelayButton();
    return true;
}

void PoOptimiserDlg::showOffset()
{
    m_ui->offsetLabel->setText(
        QString::fromStdString(PoOffsetText(m_settings.actualOffset, m_ui->offsetDisableCheck->isChecked())));
}

void PoOptimiserDlg::enableDelayButton()
{
    m_ui->defrostDelayButton->setEnabled(!viewOnly() && !m_ui->evaporatorList->selectedRows().empty());
}

bool PoOptimiserDlg::validate()
{
    if (!validateName())
        return false;
    if (m_ui->evaporatorList->rowCount() == 0) {
        MessageById(txt::NoInputControllers, MB::Ok | MB::IconExclamation, this);
        m_ui->evaporatorList->setFocus();
        return false;
    }
    if (m_ui->compressorList->rowCount() != 1) {
        MessageById(txt::NoOutputControllers, MB::Ok | MB::IconExclamation, this);
        m_ui->compressorList->setFocus();
        return false;
    }
    // A loop that cannot be determined would be written as no loop at all.
    for (MultiParmList* list : std::initializer_list<MultiParmList*>{m_ui->evaporatorList, m_ui->compressorList})
        for (int k = 0; k < list->rowCount(); ++k)
            if (list->row(k).loop == QebTypeIni::UnknownLoop) {
                ShowMessage(QString::asprintf("The loop of controller %03d cannot be determined: QebType.ini names "
                                              "none that matches its parameters. Choose the controller again.",
                                              list->row(k).address),
                            MB::Ok | MB::IconStop, this);
                list->setFocus();
                list->clearRowSelection();
                list->setRowSelected(k, true);
                return false;
            }
    return true;
}

int PoOptimiserDlg::changeCode() const
{
    int change = 0;
    const uint8_t disabled = m_ui->offsetDisableCheck->isChecked() ? 1 : 0;
    if (m_advancedChanged || m_delaysChanged || disabled != m_loaded.offsetDisable)
        change |= Settings;
    if (m_ui->evaporatorList->IsModified() || m_ui->compressorList->IsModified() || m_fullUpdate
        || nameText() != loadedName())
        change |= Whole;
    return change;
}

SaveOutcome PoOptimiserDlg::save(int change)
{
    m_evaporatorsChanged = m_ui->evaporatorList->IsModified();
    m_compressorChanged = m_ui->compressorList->IsModified();
    m_fullUpdate = created() || m_evaporatorsChanged || m_compressorChanged || (change & Whole);
    if (!saveHeader(nameText()))
        return SaveOutcome::Failed;
    if (created() || (change & Whole)) {
        if (!m_ui->evaporatorList->StoreMultiReferences(type(), number(), BlockType::Input)
            || !m_ui->compressorList->StoreMultiReferences(type(), number(), BlockType::Input)
            || !m_ui->compressorList->StoreOutputs(type(), number()))
            return SaveOutcome::Failed;
    }
    McdefRecord settingsBlock;
    if (!readDataBlock(1, settingsBlock, true))
        return SaveOutcome::Failed;
    m_settings.offsetDisable = m_ui->offsetDisableCheck->isChecked() ? 1 : 0;
    m_settings.compressorLoop =
        m_ui->compressorList->rowCount() == 1 ? uint8_t(m_ui->compressorList->row(0).loop - 'A') : 0;
    PackPoSettings(m_settings, settingsBlock);
    if (!writeDataBlock(settingsBlock) || !m_ui->evaporatorList->StoreDefrostDelays(number()))
        return SaveOutcome::Failed;
    return SaveOutcome::Saved;
}

UpdatePlan PoOptimiserDlg::updatePlan(int) const
{
    return {m_fullUpdate ? UpdateMode::WholeFunction : UpdateMode::DataBlocksOnly, TypeWritableBlocks(type())};
}

bool PoOptimiserDlg::log(int)
{
    std::vector<std::string> lines;
    if (loadedName() != savedName())
        lines.push_back(StrFormat("%s: %s -> %s", TextById(txt::LogLabelName).c_str(), loadedName().c_str(),
                                  savedName().c_str()));
    const std::string advanced = TextById(txt::AdvancedPoParameters);
    const std::string changed = TextById(txt::AreChanged);
    if (m_settings.offsetDisable != m_loaded.offsetDisable)
        lines.push_back(StrFormat("%s %s -> %s", advanced.c_str(), switchText(m_loaded.offsetDisable).c_str(),
                                  switchText(m_settings.offsetDisable).c_str()));
    if (m_settings.alarmEnable != m_loaded.alarmEnable)
        lines.push_back(StrFormat("%s %s -> %s", TextById(txt::LogPoOptimizerAlarm).c_str(),
                                  switchText(m_loaded.alarmEnable).c_str(), switchText(m_settings.alarmEnable).c_str()));
    if (m_settings.alarmDelay != m_loaded.alarmDelay)
        lines.push_back(StrFormat("%s %d -> %d", TextById(txt::LogPoOptimizerAlarmDelay).c_str(),
                                  int(m_loaded.alarmDelay), int(m_settings.alarmDelay)));
    if (m_advancedChanged)
        lines.push_back(StrFormat("%s %s", advanced.c_str(), changed.c_str()));
    if (m_delaysChanged)
        lines.push_back(
            StrFormat("%s %s", TextById(txt::PoColumnDefrostDelay).c_str(), changed.c_str()));
    std::vector<ChangedList> lists;
    if (m_evaporatorsChanged)
        lists.push_back({BlockType::Input, m_ui->evaporatorGroup->title().toStdString()});
    if (m_compressorChanged)
        lists.push_back({BlockType::Input, m_ui->compressorGroup->title().toStdString()});
    return writeChangeLog({lines, ChangedListLines(lists)});
}

void PoOptimiserDlg::reject() { done(int(m_updateFailed ? EditorResult::ConnectionLost : EditorResult::Cancel)); }

bool PoOptimiserDlg::choose(PoSelectionDlg& dialog, MultiParmList& list)
{
    if (ui().runModal(dialog) != QDialog::Accepted)
        return false;
    list.ShowRows(dialog.chosenRows());
    list.SetModified(true);
    return true;
}

PoSelection PoOptimiserDlg::selection(const MultiParmList& list) const
{
    return {request().gatewayAddress, type(), number(), m_ui->nameEdit->text(), &list};
}

void PoOptimiserDlg::onSelectEvaporators()
{
    SelectEvaporatorDlg dialog(selection(*m_ui->evaporatorList), this);
    if (choose(dialog, *m_ui->evaporatorList))
        enableDelayButton();
}

void PoOptimiserDlg::onSelectCompressor()
{
    SelectCompressorDlg dialog(selection(*m_ui->compressorList), this);
    choose(dialog, *m_ui->compressorList);
}

void PoOptimiserDlg::onAdvanced()
{
    PoAdvancedDlg dialog(m_settings, viewOnly(), this);
    if (ui().runModal(dialog) != QDialog::Accepted || !dialog.changed())
        return;
    m_settings = dialog.settings();
    m_advancedChanged = true;
}

void PoOptimiserDlg::onDefrostDelay()
{
    const std::vector<int> selected = m_ui->evaporatorList->selectedRows();
    if (selected.empty())
        return;
    PoDefrostDelayDlg dialog(m_ui->evaporatorList->row(selected.front()).defrostDelay / 60, this);
    if (ui().runModal(dialog) != QDialog::Accepted)
        return;
    for (int index : selected) {
        m_ui->evaporatorList->row(index).defrostDelay = uint16_t(dialog.minutes() * 60);
        m_ui->evaporatorList->refreshRow(index);
    }
    m_delaysChanged = true;
}

void PoOptimiserDlg::onHistory()
{
    PoOptimizerHistory history(request().gatewayAddress, number(), this);
    ui().runModal(history);
}

EditorResult RunPoOptimizerEditor(QWidget* parent, const EditorRequest& request)
{
    PoOptimiserDlg editor(request, parent);
    return editor.run();
}
