#include "gateway/MCUpdDlg.h"

#include "gateway/CurrentServer.h"
#include "model/StringTable.h"
#include "support/OrpaPaths.h"
#include "support/Profile.h"
#include "support/UiSeam.h"

#include <QTimer>

MCUpdDlg::MCUpdDlg(const std::string& gatewayAddress, uint32_t serverWindow, uint8_t number, uint32_t mode,
                   const std::array<uint8_t, 4>& writableBlocks, QWidget* parent)
    : ProgressDlg(dlg::UpdateProgress, parent)
    , m_job(gatewayAddress, serverWindow, number, mode, writableBlocks, parent, this)
{
    setObjectName(QStringLiteral("MCUpdDlg"));
    setCancelVisible(false);
    attach(m_job);
}

void MCUpdDlg::showEvent(QShowEvent* event)
{
    ProgressDlg::showEvent(event);
    if (!m_started) {
        m_started = true;
        QTimer::singleShot(0, &m_job, &UpdateJob::start);
    }
}

UpdateResult MCUpdDlg::run() { return UpdateResult(ui().runModal(*this)); }

UpdateResult RunUpdate(QWidget* parent, const std::string& gatewayAddress, uint8_t number, uint32_t mode,
                       const std::array<uint8_t, 4>& writableBlocks)
{
    MCUpdDlg dialog(gatewayAddress, ServerWindowForJob(gatewayAddress), number, mode, writableBlocks, parent);
    dialog.job().setVerify(VerifyAfterUpdate());
    return dialog.run();
}

bool VerifyAfterUpdate() { return GetPrivateProfileInt("VELT", "VerifyAfterUpdate", 0, OrpaIniFile()) == 1; }
