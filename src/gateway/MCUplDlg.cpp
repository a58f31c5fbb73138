#include "gateway/MCUplDlg.h"

#include "model/StringTable.h"
#include "support/UiSeam.h"

#include <QTimer>

MCUplDlg::MCUplDlg(const std::string& gatewayAddress, uint32_t serverWindow, bool reset, QWidget* parent)
    : ProgressDlg(dlg::UploadProgress, parent)
    , m_job(gatewayAddress, serverWindow, reset, this)
{
    setObjectName(QStringLiteral("MCUplDlg"));
    attach(m_job);
    connect(this, &ProgressDlg::cancelRequested, &m_job, &UploadJob::cancel);
}

void MCUplDlg::showEvent(QShowEvent* event)
{
    ProgressDlg::showEvent(event);
    if (!m_started) {
        m_started = true;
        QTimer::singleShot(0, &m_job, &UploadJob::start);
    }
}

UploadResult MCUplDlg::run() { return UploadResult(ui().runModal(*this)); }

UploadResult RunUpload(QWidget* parent, const std::string& gatewayAddress, uint32_t serverWindow, bool reset)
{
    MCUplDlg dialog(gatewayAddress, serverWindow, reset, parent);
    return dialog.run();
}
