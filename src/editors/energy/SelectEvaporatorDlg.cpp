#include "editors/energy/SelectEvaporatorDlg.h"
#include "ui_SelectEvaporatorDlg.h"

SelectEvaporatorDlg::SelectEvaporatorDlg(const PoSelection& selection, QWidget* parent)
    : PoSelectionDlg(selection, parent)
    , m_ui(new Ui::SelectEvaporatorDlg)
{
    m_ui->setupUi(this);
    setUp(m_ui->nameEdit, m_ui->candidateList, m_ui->okButton, m_ui->cancelButton);
}

SelectEvaporatorDlg::~SelectEvaporatorDlg() = default;
