#include "list/ImportFunctionsDlg.h"
#include "ui_ImportFunctionsDlg.h"

#include "model/Texts.h"

ImportFunctionsDlg::ImportFunctionsDlg(const QString& file, const std::vector<std::string>& lines,
                                       bool sharedOutputs, QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::ImportFunctionsDlg)
{
    m_ui->setupUi(this);
    DialogTexts(this);
    QString heading = QStringLiteral("%1 changes these functions. OK writes them into the database and marks them "
                                     "as not sent; \"Send to gateway\" then sends them.")
                          .arg(file);
    if (sharedOutputs)
        heading += QStringLiteral(" Some would write the same controller parameter as another function.");
    m_ui->headingLabel->setText(heading);
    QString text;
    for (const std::string& line : lines)
        text += QString::fromStdString(line) + QLatin1Char('\n');
    m_ui->changesText->setPlainText(text);
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

ImportFunctionsDlg::~ImportFunctionsDlg() = default;
