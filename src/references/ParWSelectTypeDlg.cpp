#include "references/ParWSelectTypeDlg.h"
#include "ui_ParWSelectTypeDlg.h"

#include "model/Texts.h"
#include "references/ParWDlgs.h"

ParWSelectTypeDlg::ParWSelectTypeDlg(const std::string& ident, const std::string& nodeKey, bool allControllers,
                                     QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::ParWSelectTypeDlg)
{
    m_ui->setupUi(this);
    DialogTexts(this);
    m_ui->helpText->setText(QText(txt::WizardHelpAffectAll) + ' ' + QText(txt::WizardHelpShownType));
    m_ui->identRadio->setText(QString::fromStdString(ident));
    m_ui->nodeRadio->setText(QString::fromStdString(nodeKey));
    (allControllers ? m_ui->identRadio : m_ui->nodeRadio)->setChecked(true);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &ParWSelectTypeDlg::reject);
    connect(m_ui->backButton, &QPushButton::clicked, this, [this] { done(WizardButton::Back); });
    connect(m_ui->nextButton, &QPushButton::clicked, this, [this] { done(WizardButton::Next); });
}

ParWSelectTypeDlg::~ParWSelectTypeDlg() = default;

bool ParWSelectTypeDlg::allControllers() const { return m_ui->identRadio->isChecked(); }

void ParWSelectTypeDlg::reject() { done(WizardButton::Cancel); }
