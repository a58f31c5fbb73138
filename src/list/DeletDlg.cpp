#include "list/DeletDlg.h"

#include "list/DeleteReferencedDlg.h"
#include "list/MCFODlg.h"
#include "model/StringTable.h"
#include "support/UiSeam.h"

#include <QTimer>

DeletDlg::DeletDlg(MCFODlg& list, uint32_t serverWindow, std::vector<uint8_t> numbers)
    : ProgressDlg(dlg::DeletionProgress, &list)
    , m_job(list.gatewayAddress(), serverWindow, std::move(numbers), hooksFor(list), this)
{
    setObjectName(QStringLiteral("DeletDlg"));
    attach(m_job);
    connect(&m_job, &DeleteJob::captionChanged, this, &QWidget::setWindowTitle);
    connect(this, &ProgressDlg::cancelRequested, this, [this] {
        setCancelEnabled(false);
        m_job.cancel();
    });
}

DeleteJob::Hooks DeletDlg::hooksFor(MCFODlg& list)
{
    DeleteJob::Hooks hooks;
    hooks.listedName = [&list](uint8_t number) { return list.functionName(number); };
    hooks.removeRow = [&list](uint8_t number) {
        list.removeRow(number);
        return true;
    };
    hooks.askReference = [this](const ReferenceQuestion& question) { return DeleteReferencedDlg::ask(question, this); };
    return hooks;
}

DeleteResult DeletDlg::run() { return DeleteResult(ui().runModal(*this)); }

void DeletDlg::showEvent(QShowEvent* event)
{
    ProgressDlg::showEvent(event);
    if (!m_started) {
        m_started = true;
        QTimer::singleShot(0, &m_job, &DeleteJob::start);
    }
}
