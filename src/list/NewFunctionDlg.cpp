#include "list/NewFunctionDlg.h"
#include "ui_NewFunctionDlg.h"

#include "model/Texts.h"
#include "model/TypeNames.h"
#include "protocol/TypeCatalogue.h"
#include "support/UiSeam.h"

NewFunctionDlg::NewFunctionDlg(const std::vector<uint8_t>& types, QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::NewFunctionDlg)
    , m_types(types)
{
    m_ui->setupUi(this);
    DialogTexts(this);
    for (uint8_t type : m_types)
        m_ui->typeList->addItem(QString::fromStdString(TypeName(type)));
    connect(m_ui->typeList, &QListWidget::itemSelectionChanged, this, &NewFunctionDlg::updateOk);
    connect(m_ui->typeList, &QListWidget::itemDoubleClicked, this, &NewFunctionDlg::accept);
    connect(m_ui->okButton, &QPushButton::clicked, this, &NewFunctionDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &NewFunctionDlg::reject);
    connect(this, &QDialog::accepted, this, [this] {
        const int row = m_ui->typeList->currentRow();
        if (row >= 0)
            m_chosen = m_types[size_t(row)];
    });
    updateOk();
}

NewFunctionDlg::~NewFunctionDlg() = default;

void NewFunctionDlg::updateOk() { m_ui->okButton->setEnabled(!m_ui->typeList->selectedItems().isEmpty()); }

void NewFunctionDlg::reject() { done(IDCANCEL); }
