#include "editors/energy/PoDefrostDelayDlg.h"
#include "model/FunctionSettings.h"
#include "ui_PoDefrostDelayDlg.h"

#include "editors/energy/PoOptimizerSettings.h"
#include "model/Texts.h"

PoDefrostDelayDlg::PoDefrostDelayDlg(int minutes, QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::PoDefrostDelayDlg)
{
    m_ui->setupUi(this);
    DialogTexts(this);
    m_ui->delayEdit->SetNumRange(MinDefrostDelayMinutes, MaxDefrostDelayMinutes);
    m_ui->delayEdit->setIntValue(minutes);
    connect(m_ui->okButton, &QPushButton::clicked, this, &PoDefrostDelayDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &PoDefrostDelayDlg::reject);
}

PoDefrostDelayDlg::~PoDefrostDelayDlg() = default;

int PoDefrostDelayDlg::minutes() const { return m_ui->delayEdit->intValue(); }

void PoDefrostDelayDlg::accept()
{
    if (m_ui->delayEdit->ValidateData())
        QDialog::accept();
}
