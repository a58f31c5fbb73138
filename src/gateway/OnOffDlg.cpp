#include "gateway/OnOffDlg.h"

#include "model/StringTable.h"
#include "model/Texts.h"
#include "support/UiSeam.h"

#include <QTimer>

OnOffDlg::OnOffDlg(const std::string& gatewayAddress, uint32_t serverWindow, uint8_t command,
                   std::vector<uint8_t> numbers, StartStopJob::RowRefresh refreshRow, QWidget* parent)
    : ProgressDlg(dlg::StartStopProgress, parent)
    , m_job(gatewayAddress, serverWindow, command, std::move(numbers), std::move(refreshRow), this)
{
    setObjectName(QStringLiteral("OnOffDlg"));
    setWindowTitle(QText(m_job.starting() ? txt::StartingFunctions : txt::StoppingFunctions));
    setCancelVisible(false);
    attach(m_job);
}

StartStopResult OnOffDlg::run() { return StartStopResult(ui().runModal(*this)); }

void OnOffDlg::showEvent(QShowEvent* event)
{
    ProgressDlg::showEvent(event);
    if (!m_started) {
        m_started = true;
        QTimer::singleShot(0, &m_job, &StartStopJob::start);
    }
}
