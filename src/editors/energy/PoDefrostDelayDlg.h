#pragma once
// The individual defrost delay of the selected evaporators, in minutes.

#include <QDialog>

#include <memory>

namespace Ui {
class PoDefrostDelayDlg;
}

class PoDefrostDelayDlg : public QDialog {
    Q_OBJECT

public:
    PoDefrostDelayDlg(int minutes, QWidget* parent = nullptr);
    ~PoDefrostDelayDlg() override;

    int minutes() const;
    // A delay out of range keeps the dialog open.
    void accept() override;

private:
    std::unique_ptr<Ui::PoDefrostDelayDlg> m_ui;
};
