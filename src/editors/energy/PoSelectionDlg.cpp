#include "editors/energy/PoSelectionDlg.h"

#include "model/McdefRecord.h"
#include "model/Texts.h"
#include "protocol/TypeCatalogue.h"
#include "references/MultiParmList.h"

#include <QLineEdit>
#include <QPushButton>

PoSelectionDlg::PoSelectionDlg(const PoSelection& selection, QWidget* parent)
    : QDialog(parent)
    , m_selection(selection)
{
}

void PoSelectionDlg::setUp(QLineEdit* nameEdit, MultiParmList* candidates, QPushButton* ok, QPushButton* cancel)
{
    DialogTexts(this);
    m_candidates = candidates;
    nameEdit->setText(m_selection.name.left(int(FunctionNameLength)));
    connect(ok, &QPushButton::clicked, this, &PoSelectionDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &PoSelectionDlg::reject);
    m_valid = m_selection.type == FunctionType::PoOptimizer && m_selection.number >= 1
        && m_selection.number <= MaxFunctionNumber && m_selection.editorList;
    if (!m_valid)
        return;
    m_candidates->SetFunctionNumber(m_selection.number);
    m_candidates->FillMultiCandidates(m_selection.gatewayAddress, *m_selection.editorList);
}

int PoSelectionDlg::exec() { return m_valid ? QDialog::exec() : int(Rejected); }

void PoSelectionDlg::accept()
{
    m_chosen = m_candidates->SelectedMultiRows();
    QDialog::accept();
}
