#include "editors/energy/SelectCompressorDlg.h"
#include "ui_SelectCompressorDlg.h"

SelectCompressorDlg::SelectCompressorDlg(const PoSelection& selection, QWidget* parent)
    : PoSelectionDlg(selection, parent)
    , m_ui(new Ui::SelectCompressorDlg)
{
    m_ui->setupUi(this);
    setUp(m_ui->nameEdit, m_ui->candidateList, m_ui->okButton, m_ui->cancelButton);
}

SelectCompressorDlg::~SelectCompressorDlg() = default;
