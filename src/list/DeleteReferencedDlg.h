#pragma once
// "Delete ZUL control functions": a yearly schedule that is to be deleted is
// still referenced. It shows the schedule and the functions that reference
// it, and the operator skips the schedule or stops the deletion. Closing it
// any other way skips.

#include "list/DeleteJob.h"

#include <QDialog>

#include <memory>

namespace Ui {
class DeleteReferencedDlg;
}

class DeleteReferencedDlg : public QDialog {
    Q_OBJECT

public:
    // Results: the control id of the button pressed.
    enum : int { SkipResult = 1007, StopResult = 1008 };

    explicit DeleteReferencedDlg(const ReferenceQuestion& question, QWidget* parent = nullptr);
    ~DeleteReferencedDlg() override;

    // Runs the dialog through the UI seam; anything but Stop skips.
    static ReferenceChoice ask(const ReferenceQuestion& question, QWidget* parent);

protected:
    void reject() override;

private:
    std::unique_ptr<Ui::DeleteReferencedDlg> m_ui;
};
