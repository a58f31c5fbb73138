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
    // Cancel at once without a Po optimizer's type and number; otherwise the
    // candidates are read and the dialog runs.
    int exec() override;
    void accept() override;
    // The rows selected when OK was pressed, in list order.
    const std::vector<MultiParmRow>& chosenRows() const { return m_chosen; }

protected:
    PoSelectionDlg(const PoSelection& selection, QWidget* parent);
    void setUp(QLineEdit* nameEdit, MultiParmList* candidates, QPushButton* ok, QPushButton* cancel);

private:
    PoSelection m_selection;
    MultiParmList* m_candidates = nullptr;
    std::vector<MultiParmRow> m_chosen;
};
