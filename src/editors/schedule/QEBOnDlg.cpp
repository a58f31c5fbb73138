#include "editors/schedule/QEBOnDlg.h"
#include "ui_QEBOnDlg.h"

#include "editors/MaModDlg.h"
#include "model/Texts.h"
#include "references/IOList.h"

namespace {
enum GroupIndex : size_t { CompressorController = 0, InjectionControllers = 1 };
constexpr int ReferencesChanged = 2;
} // namespace

QEBOnDlg::QEBOnDlg(const EditorRequest& request, QWidget* parent)
    : EditorDlg(request, parent)
    , m_ui(new Ui::QEBOnDlg)
{
    m_ui->setupUi(this);
    DialogTexts(this);
    setEditorCaption();
    addReferenceGroup({m_ui->inputList, BlockType::Input, {1, 2, 0, 0}, 36, 2, 1002}, m_ui->inputGroup->title(),
                      m_ui->inputButton);
    addReferenceGroup({m_ui->outputList, BlockType::Output, {1, 2, 0, 0}, 35, 3, 1003}, m_ui->outputGroup->title(),
                      m_ui->outputButton);
    connect(m_ui->okButton, &QPushButton::clicked, this, &QEBOnDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QEBOnDlg::reject);
    connect(m_ui->inputButton, &QPushButton::clicked, this, [this] { selectReferences(CompressorController); });
    connect(m_ui->outputButton, &QPushButton::clicked, this, [this] { selectReferences(InjectionControllers); });
    connect(m_ui->manualButton, &QPushButton::clicked, this, &QEBOnDlg::onManual);
}

QEBOnDlg::~QEBOnDlg() = default;

void QEBOnDlg::showManualState(bool manual, uint8_t value)
{
    m_ui->manualStateLabel->setText(ManualStateText(ManualVariant::OnOff, manual, value));
}

bool QEBOnDlg::load()
{
    m_updateFailed = false;
    if (!loadHeader(m_ui->numberLabel, m_ui->nameEdit))
        return false;
    if (!headerExists()) {
        showManualState(false, 0);
        m_ui->manualButton->setEnabled(false);
    } else {
        McdefRecord manualBlock;
        if (!readDataBlock(1, manualBlock, false) || !loadReferenceGroups())
            return false;
        showManualState(header().flags() & FunctionFlag::Manual, manualBlock[7]);
    }
    if (header().flags() & FunctionFlag::Started)
        disableWhileStarted({m_ui->nameEdit, m_ui->inputButton, m_ui->outputButton});
    if (viewOnly())
        disable({m_ui->nameEdit, m_ui->okButton, m_ui->inputButton, m_ui->outputButton});
    return true;
}

int QEBOnDlg::changeCode() const { return anyReferenceGroupModified() || nameModified() ? ReferencesChanged : 0; }

bool QEBOnDlg::validate()
{
    return validateName() && validateReferenceGroup(CompressorController, false) && validateReferenceGroup(InjectionControllers, false);
}

SaveOutcome QEBOnDlg::save(int)
{
    if (!saveHeaderWithManualBlock(nameText(), m_ui->manualButton))
        return SaveOutcome::Failed;
    return storeReferenceGroups() ? SaveOutcome::Saved : SaveOutcome::Failed;
}

bool QEBOnDlg::log(int)
{
    return writeChangeLog({ChangedListLines(changedGroups()), NameChangeLines(loadedName(), savedName())});
}

void QEBOnDlg::onManual()
{
    ManualOnOffDlg dialog(number(), this);
    if (runManualMode(dialog, EditorResult::DatabaseFailure))
        m_ui->manualStateLabel->setText(dialog.stateText());
}

EditorResult RunControllerOnEditor(QWidget* parent, const EditorRequest& request)
{
    QEBOnDlg editor(request, parent);
    return editor.run();
}
