#pragma once
// "Updating control function setup": the progress of an update (Cancel
// hidden). It runs the update of one function and closes with its result.

#include "gateway/ProgressDlg.h"
#include "gateway/UpdateJob.h"

#include <array>
#include <cstdint>
#include <string>

class MCUpdDlg : public ProgressDlg {
    Q_OBJECT

public:
    // The password prompt belongs to `parent`, as the editor that asks for the update.
    MCUpdDlg(const std::string& gatewayAddress, uint32_t serverWindow, uint8_t number, uint32_t mode,
             const std::array<uint8_t, 4>& writableBlocks, QWidget* parent = nullptr);

    UpdateJob& job() { return m_job; }
    // Runs the dialog through the UI seam; QDialog::exec() ends with the same value.
    UpdateResult run();

protected:
    void showEvent(QShowEvent* event) override;

private:
    UpdateJob m_job;
    bool m_started = false;
};

// Writes a function to the gateway of the current server window (mode
// UpdateMode::DataBlocksOnly or the whole function; the data blocks the
// caller may write, as TypeWritableBlocks gives them).
UpdateResult RunUpdate(QWidget* parent, const std::string& gatewayAddress, uint8_t number, uint32_t mode,
              const std::array<uint8_t, 4>& writableBlocks);

// [VELT] VerifyAfterUpdate=1 of ORPA.INI: every update reads the function back
// and compares it with MCDEF (UpdateResult::StoredOtherwise when they differ).
bool VerifyAfterUpdate();
