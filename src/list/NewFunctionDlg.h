#pragma once
// "New ZUL control function": the types a new function may have, in
// catalogue order. OK is enabled once a type is chosen; a double click is OK.

#include <QDialog>

#include <cstdint>
#include <memory>
#include <vector>

namespace Ui {
class NewFunctionDlg;
}

class NewFunctionDlg : public QDialog {
    Q_OBJECT

public:
    NewFunctionDlg(const std::vector<uint8_t>& types, QWidget* parent = nullptr);
    ~NewFunctionDlg() override;

    // The chosen type code; valid after OK.
    uint8_t chosenType() const { return m_chosen; }

protected:
    // Cancel, Escape and the close box all end with IDCANCEL.
    void reject() override;

private:
    void updateOk();

    std::unique_ptr<Ui::NewFunctionDlg> m_ui;
    std::vector<uint8_t> m_types;
    uint8_t m_chosen = 0;
};
