#include "references/SelPaDlg.h"
#include "ui_SelPaDlg.h"

#include "model/Messages.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "model/TypeNames.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "references/IOList.h"
#include "references/ParameterDefinitions.h"
#include "references/ParWDlgs.h"
#include "support/OrpaPaths.h"
#include "support/Profile.h"
#include "support/UiSeam.h"

#include <QStyle>

#include <iterator>

namespace {

// The group's icon: one of the style's standard icons, chosen by the icon id.
QIcon groupIcon(const QStyle* style, uint16_t iconId)
{
    static constexpr QStyle::StandardPixmap icons[] = {
        QStyle::SP_ComputerIcon, QStyle::SP_DriveNetIcon,          QStyle::SP_ArrowRight,
        QStyle::SP_ArrowLeft,    QStyle::SP_FileDialogDetailedView, QStyle::SP_DirIcon,
    };
    return style->standardIcon(icons[iconId % std::size(icons)]);
}

} // namespace

SelPaDlg::SelPaDlg(const QString& groupText, uint8_t functionType, const std::string& gatewayAddress,
                   const ReferenceGroup& group, QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::SelPaDlg)
    , m_group(group)
    , m_networkPrefix(NetworkPrefix(gatewayAddress))
    , m_limits(GroupLimitsOf(functionType, group.blockType, group.blockNumbers))
{
    m_ui->setupUi(this);
    DialogTexts(this);
    setWindowTitle(QText(txt::Select) + ' ' + groupText + QStringLiteral(" - ")
                   + QString::fromStdString(TypeName(functionType)));
    m_ui->groupIcon->setPixmap(groupIcon(style(), group.iconId).pixmap(32, 32));
    (ReadTextMode() == 1 ? m_ui->customRadio : m_ui->defaultRadio)->setChecked(true);
    candidates().setSingleSelection(m_limits.singleSelection());

    connect(m_ui->selectButton, &QPushButton::clicked, this, &SelPaDlg::select);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &SelPaDlg::reject);
    connect(m_ui->defineButton, &QPushButton::clicked, this, &SelPaDlg::define);
    connect(m_ui->defaultRadio, &QRadioButton::clicked, this, [this] { setTextMode(0); });
    connect(m_ui->customRadio, &QRadioButton::clicked, this, [this] { setTextMode(1); });
    connect(m_ui->candidateList, &CListCtrlEx::rowSelectionChanged, this, &SelPaDlg::updateButtons);

    {
        WaitCursor wait;
        m_openingFailed = !KeepDefinitionRestorePoint(this)
            || !candidates().FillCandidates(m_networkPrefix, m_limits, *m_group.list, true);
    }
    if (m_openingFailed)
        setResult(IDCANCEL);
    updateButtons();
}

SelPaDlg::~SelPaDlg() = default;

IOList& SelPaDlg::candidates() { return *m_ui->candidateList; }

int SelPaDlg::exec() { return m_openingFailed ? int(IDCANCEL) : QDialog::exec(); }

void SelPaDlg::reject() { done(IDCANCEL); }

void SelPaDlg::updateButtons()
{
    const IOList& list = *m_ui->candidateList;
    const std::vector<int> selected = list.selectedRows();
    bool definable = false;
    for (int row : selected)
        definable = definable || list.row(row).status != ReferenceStatus::Error;
    const bool defineHadFocus = m_ui->defineButton->hasFocus();
    m_ui->defineButton->setEnabled(definable);
    m_ui->selectButton->setEnabled(!selected.empty());
    if (!definable && defineHadFocus)
        m_ui->selectButton->setFocus();
}

void SelPaDlg::select()
{
    IOList& list = candidates();
    std::vector<const ReferenceRow*> selected;
    for (int row : list.selectedRows())
        selected.push_back(&list.row(row));
    const SelectionCount count = CountSelection(selected);
    switch (JudgeSelection(count, m_limits)) {
    case SelectionVerdict::ErrorsSelected:
        MessageById(txt::ParameterReferencesWithErrors, MB::Ok | MB::IconStop, this);
        return;
    case SelectionVerdict::NotDefinedSelected:
        RunParameterWizard({list, true, m_networkPrefix, m_limits, *m_group.list}, this);
        updateButtons();
        return;
    case SelectionVerdict::TooManyAutomatic:
        ShowMessage(QString::fromStdString(StrFormat("%s %d.%s %d", TextById(txt::SelectedAutomaticCount).c_str(),
                                                     count.automatic, TextById(txt::MaxAllowedNumber).c_str(),
                                                     int(m_limits.automaticMaximum))),
                    MB::Ok | MB::IconStop, this, true);
        return;
    case SelectionVerdict::TooManyParameters:
        ShowMessage(QString::fromStdString(StrFormat("%s %d. %s %d", TextById(txt::SelectedParameterCount).c_str(),
                                                     count.parameters, TextById(txt::MaxAllowedNumber).c_str(),
                                                     int(m_limits.parameterMaximum))),
                    MB::Ok | MB::IconStop, this);
        return;
    case SelectionVerdict::Mixed:
        MessageById(txt::MustNotMix, MB::Ok | MB::IconExclamation, this);
        return;
    case SelectionVerdict::Take:
        break;
    }
    if (count.needsApproval) {
        const QString question = QText(txt::AutomaticallyInserted) + '\n' + QText(txt::CheckParametersAgain);
        if (ShowMessage(question, MB::YesNo | MB::IconQuestion, this) == IDYES)
            return;
    }
    IOList& editorList = *m_group.list;
    if (!editorList.CopyRows(list, false, true)) {
        done(-1);
        return;
    }
    if (count.needsApproval)
        editorList.ApproveRows();
    done(IDOK);
}

void SelPaDlg::define()
{
    RunParameterWizard({candidates(), false, m_networkPrefix, m_limits, *m_group.list}, this);
    updateButtons();
}

void SelPaDlg::setTextMode(int mode)
{
    WritePrivateProfileString("QEBCtrl", "TxtMode", std::to_string(mode), OrpaIniFile());
    candidates().RefreshTextMode();
}
