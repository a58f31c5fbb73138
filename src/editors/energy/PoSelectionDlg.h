#pragma once
// What the two selection dialogs of the Po optimizer share: they show the
// function's name and the candidates of the gateway for their list's role,
// the loops of the editor's list selected, and hand over the rows chosen.

#include "references/MultiParmRows.h"

#include <QDialog>

#include <string>
#include <vector>

class MultiParmList;
class QLineEdit;
class QPushButton;

struct PoSelection {
    std::string gatewayAddress;
    uint8_t type = 0;
    uint8_t number = 0;
    QString name;
    const MultiParmList* editorList = nullptr;
};

class PoSelectionDlg : public QDialog {
    Q_OBJECT

public:
    // Cancel at once without a Po optimizer's type and number.
    int exec() override;
    void accept() override;
    // The candidates are read when the dialog is made.
    // The rows selected when OK was pressed, in list order.
    const std::vector<MultiParmRow>& chosenRows() const { return m_chosen; }

protected:
    PoSelectionDlg(const PoSelection& selection, QWidget* parent);
    void setUp(QLineEdit* nameEdit, MultiParmList* candidates, QPushButton* ok, QPushButton* cancel);

private:
    PoSelection m_selection;
    MultiParmList* m_candidates = nullptr;
    bool m_valid = false;
    std::vector<MultiParmRow> m_chosen;
};
