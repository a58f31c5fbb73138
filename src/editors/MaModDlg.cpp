#include "editors/MaModDlg.h"
#include "ui_MaModDlg.h"

#include "editors/NumberEdits.h"
#include "gateway/MCUpdDlg.h"
#include "model/EventLog.h"
#include "model/McdefAccess.h"
#include "model/Messages.h"
#include "model/Records.h"
#include "model/StringTable.h"
#include "model/Texts.h"
#include "protocol/LittleEndian.h"
#include "protocol/StrFormat.h"
#include "support/Db.h"
#include "support/UiSeam.h"

namespace {

constexpr size_t ManualFlagByte = 6;
constexpr size_t ManualValueByte = 7;

std::string stateLine(const QString& oldText, const QString& newText)
{
    return StrFormat("%s  %s -> %s", TextById(txt::ManualModeState).c_str(), oldText.toStdString().c_str(),
                     newText.toStdString().c_str());
}

} // namespace

QString ManualStateText(ManualVariant variant, bool manual, int16_t value)
{
    switch (variant) {
    case ManualVariant::DayNight:
        return QText(!manual ? txt::ManualAuto : value == 0 ? txt::ManualDay : txt::ManualNight);
    case ManualVariant::OnOff:
        return QText(!manual ? txt::ManualAuto : value == 0 ? txt::ManualOff : txt::ManualOn);
    case ManualVariant::Value:
        return QText(manual ? txt::StateManual : txt::ManualAuto);
    case ManualVariant::Defrost:
        return QText(manual ? txt::ManualOn : txt::ManualOff);
    }
    return {};
}

MaModDlg::MaModDlg(uint8_t number, uint8_t kind, ManualVariant variant, uint16_t dialogId, QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::MaModDlg)
    , m_number(number)
    , m_kind(kind)
    , m_variant(variant)
{
    m_ui->setupUi(this);
    setProperty("dialogId", dialogId);
    DialogTexts(this);
    connect(m_ui->okButton, &QPushButton::clicked, this, &MaModDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &MaModDlg::reject);
    m_loaded = LoadManualState();
}

MaModDlg::~MaModDlg() = default;

int MaModDlg::exec()
{
    if (!m_loaded)
        return -1;
    return QDialog::exec();
}

bool MaModDlg::LoadManualState()
{
    McdefRecord block;
    const uint16_t status = ReadBlock(m_number, BlockType::Data, 1, 0, block);
    if (status != DbStatus::Success) {
        ReportDbError(table::Mcdef, status, __FILE__, __LINE__, this);
        return false;
    }
    m_manual = block[ManualFlagByte] != 0;
    m_value = m_kind == ManualKind::Word ? le::i16(&block[ManualValueByte]) : int16_t(block[ManualValueByte]);
    m_loadedManual = m_manual;
    m_loadedValue = m_value;
    return true;
}

bool MaModDlg::StoreManualState(int16_t value, bool manual)
{
    McdefRecord header;
    uint16_t status = ReadBlock(m_number, BlockType::Header, 0, 0, header);
    if (status == DbStatus::Success) {
        header.setFlags(manual ? uint8_t(header.flags() | FunctionFlag::Manual)
                               : uint8_t(header.flags() & ~FunctionFlag::Manual));
        status = UpdateBlock(header);
    }
    McdefRecord block;
    if (status == DbStatus::Success)
        status = ReadBlock(m_number, BlockType::Data, 1, 0, block);
    if (status == DbStatus::Success) {
        block[ManualFlagByte] = manual ? 1 : 0;
        if (m_kind == ManualKind::Word)
            le::putI16(&block[ManualValueByte], value);
        else
            block[ManualValueByte] = uint8_t(value);
        status = UpdateBlock(block);
    }
    if (status != DbStatus::Success) {
        ReportDbError(table::Mcdef, status, __FILE__, __LINE__, this);
        return false;
    }
    return true;
}

bool MaModDlg::RestoreManualState() { return StoreManualState(m_loadedValue, m_loadedManual); }

bool MaModDlg::inputValid() { return true; }

void MaModDlg::accept()
{
    if (!inputValid())
        return;
    readChoice();
    done(StoreManualState(m_value, m_manual) ? IDOK : -1);
}

void MaModDlg::reject() { done(IDCANCEL); }

std::vector<std::string> MaModDlg::changeLines() const
{
    return {stateLine(ManualStateText(m_variant, m_loadedManual, m_loadedValue), stateText())};
}

bool MaModDlg::LogChangeLines(const std::string& gatewayAddress, const std::string& functionName) const
{
    return ::LogChangeLines(gatewayAddress, functionName, changeLines()) == DbStatus::Success;
}

ManualDayNightDlg::ManualDayNightDlg(uint8_t number, QWidget* parent)
    : MaModDlg(number, ManualKind::Byte, ManualVariant::DayNight, dlg::ManualDayNight, parent)
{
    setObjectName(QStringLiteral("ManualDayNightDlg"));
    m_ui->valueEdit->hide();
    m_ui->unitLabel->hide();
    showState();
}

void ManualDayNightDlg::showState()
{
    (!m_manual ? m_ui->autoRadio : m_value == 0 ? m_ui->firstRadio : m_ui->secondRadio)->setChecked(true);
}

void ManualDayNightDlg::readChoice()
{
    if (m_ui->autoRadio->isChecked()) {
        m_manual = false;
    } else {
        m_manual = true;
        m_value = m_ui->firstRadio->isChecked() ? 0 : 1;
    }
}

ManualOnOffDlg::ManualOnOffDlg(uint8_t number, QWidget* parent)
    : MaModDlg(number, ManualKind::Byte, ManualVariant::OnOff, dlg::ManualOnOff, parent)
{
    setObjectName(QStringLiteral("ManualOnOffDlg"));
    m_ui->valueEdit->hide();
    m_ui->unitLabel->hide();
    showState();
}

void ManualOnOffDlg::showState()
{
    // The first choice is "On", the second "Off".
    (!m_manual ? m_ui->autoRadio : m_value == 0 ? m_ui->secondRadio : m_ui->firstRadio)->setChecked(true);
}

void ManualOnOffDlg::readChoice()
{
    if (m_ui->autoRadio->isChecked()) {
        m_manual = false;
    } else {
        m_manual = true;
        m_value = m_ui->firstRadio->isChecked() ? 1 : 0;
    }
}

ManualValueDlg::ManualValueDlg(uint8_t number, const QString& unit, int minimum, int maximum, QWidget* parent)
    : MaModDlg(number, ManualKind::Word, ManualVariant::Value, dlg::ManualValue, parent)
{
    setObjectName(QStringLiteral("ManualValueDlg"));
    m_ui->secondRadio->hide();
    m_ui->unitLabel->setText(unit);
    m_ui->valueEdit->SetNumRange(minimum, maximum);
    connect(m_ui->autoRadio, &QRadioButton::clicked, this, [this] {
        m_ui->valueEdit->setEnabled(false);
        m_manual = false;
    });
    connect(m_ui->firstRadio, &QRadioButton::clicked, this, [this] {
        m_ui->valueEdit->setEnabled(true);
        m_manual = true;
    });
    showState();
}

void ManualValueDlg::showState()
{
    m_ui->valueEdit->setIntValue(m_value);
    (m_manual ? m_ui->firstRadio : m_ui->autoRadio)->setChecked(true);
    m_ui->valueEdit->setEnabled(m_manual);
}

void ManualValueDlg::readChoice()
{
    m_manual = m_ui->firstRadio->isChecked();
    m_value = int16_t(m_ui->valueEdit->intValue());
}

bool ManualValueDlg::inputValid() { return ValidateNumbers({m_ui->valueEdit}); }

std::vector<std::string> ManualValueDlg::changeLines() const
{
    std::vector<std::string> lines;
    if (m_manual != m_loadedManual)
        lines.push_back(stateLine(ManualStateText(m_variant, m_loadedManual, m_loadedValue), stateText()));
    const std::vector<std::string> valueLines = NumberChangeLines(txt::ManualModeValue, m_loadedValue, m_value);
    lines.insert(lines.end(), valueLines.begin(), valueLines.end());
    return lines;
}

ManualDefrostDlg::ManualDefrostDlg(uint8_t number, QWidget* parent)
    : MaModDlg(number, ManualKind::Byte, ManualVariant::Defrost, dlg::ManualDefrost, parent)
{
    setObjectName(QStringLiteral("ManualDefrostDlg"));
    for (QWidget* unused : {static_cast<QWidget*>(m_ui->autoRadio), static_cast<QWidget*>(m_ui->firstRadio),
                            static_cast<QWidget*>(m_ui->secondRadio), static_cast<QWidget*>(m_ui->valueEdit),
                            static_cast<QWidget*>(m_ui->unitLabel)})
        unused->hide();
}

void ManualDefrostDlg::showState() {}

void ManualDefrostDlg::readChoice()
{
    m_manual = true;
    m_value = 1;
}

std::vector<std::string> ManualDefrostDlg::changeLines() const
{
    const auto onOff = [](int16_t value) { return QText(value != 0 ? txt::ManualOn : txt::ManualOff); };
    return {stateLine(onOff(m_loadedValue), onOff(m_value))};
}

std::optional<EditorResult> RunManualModeSequence(MaModDlg& dialog, const std::string& gatewayAddress,
                                                  const std::string& functionName, EditorResult dialogFailure)
{
    const int result = ui().runModal(dialog);
    if (result == IDCANCEL)
        return std::nullopt;
    if (result != IDOK)
        return dialogFailure;
    const std::array<uint8_t, 4> manualBlock = {1, 0, 0, 0};
    switch (RunUpdate(dialog.parentWidget(), gatewayAddress, dialog.functionNumber(), UpdateMode::DataBlocksOnly,
                      manualBlock)) {
    case UpdateResult::Done:
    case UpdateResult::StoredOtherwise: // sent and accepted; the read-back named the fields that differ
        if (dialog.LogChangeLines(gatewayAddress, functionName))
            return std::nullopt;
        break;
    case UpdateResult::Refused:
        return EditorResult::ConnectionLost;
    case UpdateResult::NotSent:
    case UpdateResult::LinkFailure:
        if (dialog.RestoreManualState())
            return std::nullopt;
        break;
    case UpdateResult::LocalFailure:
        break;
    }
    return EditorResult::DatabaseFailure;
}
