#pragma once
// "Starting control functions" / "Stopping control functions": the progress
// of a start or stop (text "Updating ZUL", Cancel hidden). It runs the job
// and closes with its result.

#include "gateway/ProgressDlg.h"
#include "gateway/StartStopJob.h"

class OnOffDlg : public ProgressDlg {
    Q_OBJECT

public:
    // command: Command::Start or Command::Stop.
    OnOffDlg(const std::string& gatewayAddress, uint32_t serverWindow, uint8_t command, std::vector<uint8_t> numbers,
             StartStopJob::RowRefresh refreshRow, QWidget* parent = nullptr);

    StartStopJob& job() { return m_job; }
    // Runs the dialog through the UI seam; QDialog::exec() ends with the same value.
    StartStopResult run();

protected:
    void showEvent(QShowEvent* event) override;

private:
    StartStopJob m_job;
    bool m_started = false;
};
