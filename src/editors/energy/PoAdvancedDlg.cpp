#include "editors/energy/PoAdvancedDlg.h"
#include "model/FunctionSettings.h"
#include "protocol/TypeCatalogue.h"
#include "ui_PoAdvancedDlg.h"

#include "model/Texts.h"
#include "protocol/DataBlocks.h"

namespace {

QString floatText(float value) { return QString::number(double(value)); }

} // namespace

PoAdvancedDlg::PoAdvancedDlg(const PoSettings& settings, bool readOnly, QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::PoAdvancedDlg)
    , m_settings(settings)
{
    m_ui->setupUi(this);
    DialogTexts(this);
    const auto field = [](std::string_view name) -> const SettingField& { return Setting(FunctionType::PoOptimizer, name); };
    for (const auto& [edit, name] : {std::pair{m_ui->alarmDelayEdit, "alarm delay"}, std::pair{m_ui->periodEdit, "period"},
                                     std::pair{m_ui->filterEdit, "filter"}})
        edit->SetNumRange(field(name).entryMinimum(), field(name).entryMaximum());
    for (const auto& [edit, name] : {std::pair{m_ui->kpEdit, "Kp"}, std::pair{m_ui->tnEdit, "Tn"}})
        edit->SetNumRange(field(name).minimum, field(name).maximum);

    m_ui->alarmEnableCheck->setChecked(settings.alarmEnable != 0);
    m_ui->alarmDelayEdit->setIntValue(settings.alarmDelay);
    m_ui->periodEdit->setIntValue(settings.period);
    m_ui->filterEdit->setIntValue(settings.filter);
    m_ui->kpEdit->setText(floatText(settings.kp));
    m_ui->tnEdit->setText(floatText(settings.tn));
    const bool offered = settings.optimiseCommunication != NotConfigured;
    m_ui->optimiseCheck->setChecked(offered && settings.optimiseCommunication != 0);
    m_ui->optimiseCheck->setEnabled(offered);
    m_ui->alarmDelayEdit->setEnabled(m_ui->alarmEnableCheck->isChecked());

    connect(m_ui->alarmEnableCheck, &QCheckBox::toggled, m_ui->alarmDelayEdit, &QWidget::setEnabled);
    for (CEditCtrlEx* edit : {m_ui->alarmDelayEdit, m_ui->periodEdit, m_ui->filterEdit, m_ui->kpEdit, m_ui->tnEdit}) {
        edit->setModified(false);
        // Leaving a changed field checks them all; Enter, which also finishes
        // the editing, is the OK button's and must not check twice.
        connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
            if (!edit->isModified() || window()->focusWidget() == edit)
                return;
            edit->setModified(false);
            validateFields();
        });
    }
    connect(m_ui->okButton, &QPushButton::clicked, this, &PoAdvancedDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &PoAdvancedDlg::reject);

    if (readOnly)
        for (QWidget* control : {static_cast<QWidget*>(m_ui->okButton), static_cast<QWidget*>(m_ui->alarmEnableCheck),
                                 static_cast<QWidget*>(m_ui->alarmDelayEdit), static_cast<QWidget*>(m_ui->periodEdit),
                                 static_cast<QWidget*>(m_ui->filterEdit), static_cast<QWidget*>(m_ui->kpEdit),
                                 static_cast<QWidget*>(m_ui->tnEdit), static_cast<QWidget*>(m_ui->optimiseCheck)})
            control->setEnabled(false);
}

PoAdvancedDlg::~PoAdvancedDlg() = default;

bool PoAdvancedDlg::validateFields()
{
    for (CEditCtrlEx* edit : {m_ui->alarmDelayEdit, m_ui->periodEdit, m_ui->filterEdit, m_ui->kpEdit, m_ui->tnEdit})
        if (!edit->ValidateData())
            return false;
    return true;
}

void PoAdvancedDlg::accept()
{
    if (!validateFields())
        return;
    const auto takeOver = [this](auto& field, auto value) {
        if (field == value)
            return;
        field = value;
        m_changed = true;
    };
    takeOver(m_settings.alarmEnable, uint8_t(m_ui->alarmEnableCheck->isChecked() ? 1 : 0));
    takeOver(m_settings.alarmDelay, uint16_t(m_ui->alarmDelayEdit->intValue()));
    takeOver(m_settings.period, uint16_t(m_ui->periodEdit->intValue()));
    takeOver(m_settings.filter, uint16_t(m_ui->filterEdit->intValue()));
    takeOver(m_settings.kp, float(m_ui->kpEdit->doubleValue()));
    takeOver(m_settings.tn, float(m_ui->tnEdit->doubleValue()));
    if (m_ui->optimiseCheck->isEnabled())
        takeOver(m_settings.optimiseCommunication, uint8_t(m_ui->optimiseCheck->isChecked() ? 1 : 0));
    QDialog::accept();
}
