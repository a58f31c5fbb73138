#pragma once
// The upload's progress dialog. It runs the upload (or, in reset mode, the
// reset) of one gateway and closes with the upload's result.

#include "gateway/ProgressDlg.h"
#include "gateway/UploadJob.h"

class MCUplDlg : public ProgressDlg {
    Q_OBJECT

public:
    MCUplDlg(const std::string& gatewayAddress, uint32_t serverWindow, bool reset, QWidget* parent = nullptr);

    UploadJob& job() { return m_job; }
    // Runs the dialog through the UI seam; QDialog::exec() ends with the same value.
    UploadResult run();

protected:
    void showEvent(QShowEvent* event) override;

private:
    UploadJob m_job;
    bool m_started = false;
};

// Runs the upload dialog; its result.
UploadResult RunUpload(QWidget* parent, const std::string& gatewayAddress, uint32_t serverWindow, bool reset);
