#include "gateway/ProgressDlg.h"
#include "ui_ProgressDlg.h"

#include "gateway/GatewayExchange.h"
#include "model/Texts.h"

ProgressDlg::ProgressDlg(uint16_t dialogId, QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::ProgressDlg)
{
    m_ui->setupUi(this);
    setProperty("dialogId", dialogId);
    DialogTexts(this);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &ProgressDlg::reject);
}

ProgressDlg::~ProgressDlg() = default;

void ProgressDlg::attach(GatewayExchange& job)
{
    connect(&job, &GatewayExchange::progressRange, m_ui->progressBar, [this](int maximum) {
        m_ui->progressBar->setRange(0, maximum);
    });
    connect(&job, &GatewayExchange::progress, m_ui->progressBar, &QProgressBar::setValue);
    connect(&job, &GatewayExchange::textChanged, m_ui->textLabel, &QLabel::setText);
    connect(&job, &GatewayExchange::done, this, [this](int result) { done(result); });
}

void ProgressDlg::setCancelVisible(bool visible) { m_ui->cancelButton->setVisible(visible); }

void ProgressDlg::setCancelEnabled(bool enabled) { m_ui->cancelButton->setEnabled(enabled); }

void ProgressDlg::reject()
{
    // Escape and the window's close button ask the job, as Cancel does; the
    // dialog closes when the job ends.
    if (m_ui->cancelButton->isVisible() && m_ui->cancelButton->isEnabled())
        Q_EMIT cancelRequested();
}
