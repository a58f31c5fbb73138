#pragma once
// The deletion's progress dialog: "Deleting control functions. Left: N" with
// the function at hand ("name   number"), a bar of two steps per function
// and Cancel, which ends the deletion before the next function. It runs the
// deletion of the functions the list hands over and closes with its result.

#include "gateway/ProgressDlg.h"
#include "list/DeleteJob.h"

#include <cstdint>
#include <vector>

class MCFODlg;

class DeletDlg : public ProgressDlg {
    Q_OBJECT

public:
    DeletDlg(MCFODlg& list, uint32_t serverWindow, std::vector<uint8_t> numbers);

    DeleteJob& job() { return m_job; }
    // Runs the dialog through the UI seam; QDialog::exec() ends with the same value.
    DeleteResult run();

protected:
    void showEvent(QShowEvent* event) override;

private:
    DeleteJob::Hooks hooksFor(MCFODlg& list);

    DeleteJob m_job;
    bool m_started = false;
};
