#include "references/DefPaDlg.h"
#include "ui_DefPaDlg.h"

#include "model/Descriptions.h"
#include "model/Messages.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "protocol/StrFormat.h"
#include "references/IOList.h"
#include "references/ParameterDefinitions.h"
#include "references/ParWDlgs.h"
#include "support/DbStatus.h"
#include "support/OrpaPaths.h"
#include "support/Profile.h"
#include "support/UiSeam.h"

#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

#include <optional>

namespace {

// Items a list box holds at most; an item beyond it cannot be added.
constexpr int ListBoxCapacity = 32767;

// The parameter lists keep the numbers behind a tab, out of sight.
class TextBeforeTabDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = option->text.section(QLatin1Char('\t'), 0, 0);
    }
};

constexpr int StoredRole = Qt::UserRole;
constexpr int FunctionRole = Qt::UserRole;

std::optional<ParameterTriple> tripleOf(const QListWidgetItem* item)
{
    return item ? TripleOfItem(item->text().toStdString()) : std::nullopt;
}

// The selection and scroll position of a list box, put back after a refill.
struct ListPosition {
    explicit ListPosition(const QListWidget* list)
        : currentData(list->currentItem() ? list->currentItem()->data(FunctionRole) : QVariant())
        , scroll(list->verticalScrollBar()->value())
    {
    }
    QVariant currentData;
    int scroll;
};

} // namespace

DefPaDlg::DefPaDlg(const DefinitionTarget& target, QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::DefPaDlg)
    , m_target(target)
{
    m_ui->setupUi(this);
    DialogTexts(this);
    const std::string shown = m_target.nodeText == McParDefRecord::EveryNode ? m_target.ident : m_target.nodeText;
    setWindowTitle(QString::fromStdString(
        StrFormat("%s '%s'", TextById(txt::DefineParametersFor).c_str(), shown.c_str())));
    m_ui->helpText->setText(QText(txt::WizardHelpSelectFunction) + ' ' + QText(txt::WizardHelpFunctionLocated) + ' '
                            + QText(txt::WizardHelpAddParameter));
    m_ui->parameterList->setItemDelegate(new TextBeforeTabDelegate(m_ui->parameterList));
    m_ui->definedList->setItemDelegate(new TextBeforeTabDelegate(m_ui->definedList));
    m_textMode = ReadTextMode();
    (m_textMode == 1 ? m_ui->customRadio : m_ui->defaultRadio)->setChecked(true);

    if (!fillFunctionList()) {
        m_openingFailed = true;
    } else {
        if (m_ui->functionList->count() > 0) {
            const QSignalBlocker blocker(m_ui->functionList);
            m_ui->functionList->setCurrentRow(0);
            fillParameterList(false);
        }
        m_openingFailed = !loadDefinedParameters();
    }
    if (m_openingFailed)
        setResult(WizardButton::Failed);

    connect(m_ui->functionList, &QListWidget::currentRowChanged, this, [this] {
        WaitCursor wait;
        fillParameterList(false);
    });
    connect(m_ui->parameterList, &QListWidget::itemSelectionChanged, this, &DefPaDlg::updateButtons);
    connect(m_ui->definedList, &QListWidget::itemSelectionChanged, this, &DefPaDlg::updateButtons);
    connect(m_ui->parameterList, &QListWidget::itemDoubleClicked, this, &DefPaDlg::add);
    connect(m_ui->addButton, &QPushButton::clicked, this, &DefPaDlg::add);
    connect(m_ui->removeButton, &QPushButton::clicked, this, &DefPaDlg::remove);
    connect(m_ui->defaultRadio, &QRadioButton::clicked, this, [this] { setTextMode(0); });
    connect(m_ui->customRadio, &QRadioButton::clicked, this, [this] { setTextMode(1); });
    connect(m_ui->backButton, &QPushButton::clicked, this, [this] { leave(WizardButton::Back); });
    connect(m_ui->nextButton, &QPushButton::clicked, this, [this] { leave(WizardButton::Next); });
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &DefPaDlg::reject);
    updateButtons();
}

DefPaDlg::~DefPaDlg() = default;

void DefPaDlg::reject() { leave(WizardButton::Cancel); }

bool DefPaDlg::appendItem(QListWidget* list, const QString& text, int position)
{
    if (list->count() >= ListBoxCapacity) {
        MessageById(txt::ListFull, MB::Ok | MB::IconStop, this);
        return false;
    }
    list->insertItem(position < 0 ? list->count() : position, text);
    return true;
}

bool DefPaDlg::fillFunctionList()
{
    QListWidget* list = m_ui->functionList;
    const ListPosition previous(list);
    std::vector<ControllerFunction> functions;
    const uint16_t status = ReadControllerFunctions(m_target.descKey, m_textMode, functions);
    const QSignalBlocker blocker(list);
    list->setUpdatesEnabled(false);
    list->clear();
    bool ok = status == DbStatus::Success;
    if (!ok)
        ReportDbError(table::QebDes, status, __FILE__, __LINE__, this);
    for (const ControllerFunction& function : functions) {
        if (!appendItem(list, QString::fromStdString(function.text))) {
            ok = false;
            break;
        }
        list->item(list->count() - 1)->setData(FunctionRole, function.number);
    }
    if (previous.currentData.isValid())
        for (int row = 0; row < list->count(); ++row)
            if (list->item(row)->data(FunctionRole) == previous.currentData)
                list->setCurrentRow(row);
    list->verticalScrollBar()->setValue(previous.scroll);
    list->setUpdatesEnabled(true);
    return ok;
}

bool DefPaDlg::fillParameterList(bool keepSelection)
{
    QListWidget* list = m_ui->parameterList;
    const ListPosition previous(list);
    const std::optional<ParameterTriple> previousTriple = tripleOf(list->currentItem());
    std::vector<OfferedParameter> parameters;
    uint16_t status = DbStatus::Success;
    if (const QListWidgetItem* function = m_ui->functionList->currentItem())
        status = ReadOfferedParameters(m_target.descKey, uint16_t(function->data(FunctionRole).toUInt()),
                                       m_target.classes, m_textMode, parameters);
    const QSignalBlocker blocker(list);
    list->setUpdatesEnabled(false);
    list->clear();
    for (const OfferedParameter& parameter : parameters)
        if (!appendItem(list, QString::fromStdString(ParameterListItem(parameter.text, parameter.triple))))
            break;
    if (keepSelection && previousTriple) {
        for (int row = 0; row < list->count(); ++row)
            if (tripleOf(list->item(row)) == previousTriple)
                list->setCurrentRow(row);
        list->verticalScrollBar()->setValue(previous.scroll);
    }
    list->setUpdatesEnabled(true);
    updateButtons();
    if (status != DbStatus::Success) {
        ReportDbError(table::QebDes, status, __FILE__, __LINE__, this);
        return false;
    }
    return true;
}

bool DefPaDlg::loadDefinedParameters()
{
    std::vector<ParameterTriple> triples;
    const uint16_t status =
        ReadDefinedTriples({m_target.ident, m_target.nodeText, m_target.functionParameter}, triples);
    for (const ParameterTriple& triple : triples)
        if (addParameter(triple, -1) == Added::ListFull)
            return false;
    if (status != DbStatus::Success) {
        ReportDbError(table::McParDef, status, __FILE__, __LINE__, this);
        return false;
    }
    return true;
}

DefPaDlg::Added DefPaDlg::addParameter(const ParameterTriple& triple, int position)
{
    QListWidget* list = m_ui->definedList;
    for (int row = 0; row < list->count(); ++row) {
        if (tripleOf(list->item(row)) == triple) {
            MessageById(txt::ParameterAlreadyInList, MB::Ok | MB::IconExclamation, this);
            return Added::Refused;
        }
    }
    QebDesRecord description;
    uint16_t status = DbStatus::Success;
    if (DescribeParameter(m_target.descKey, triple.p1, triple.p2, triple.p3, description, status)
        != DescriptionLookup::Found) {
        ReportDbError(table::QebDes, status, __FILE__, __LINE__, this);
        return Added::Refused;
    }
    const std::string text = TextByMode(description.defaultText, description.customText, m_textMode);
    if (!appendItem(list, QString::fromStdString(DefinedListItem(text, triple)), position))
        return Added::ListFull;
    list->item(position < 0 ? list->count() - 1 : position)->setData(StoredRole, false);
    return Added::Yes;
}

void DefPaDlg::add()
{
    const std::optional<ParameterTriple> triple = tripleOf(m_ui->parameterList->currentItem());
    if (triple && addParameter(*triple, -1) == Added::Yes)
        m_changed = true;
}

void DefPaDlg::remove()
{
    QListWidgetItem* item = m_ui->definedList->currentItem();
    if (!item || MessageById(txt::DeleteParameterQuestion, MB::YesNo | MB::IconQuestion, this) != IDYES)
        return;
    {
        const QSignalBlocker blocker(m_ui->definedList);
        delete item;
        m_ui->definedList->clearSelection();
        m_ui->definedList->setCurrentRow(-1);
    }
    m_changed = true;
    m_ui->definedList->setFocus();
    updateButtons();
}

void DefPaDlg::setTextMode(int mode)
{
    WritePrivateProfileString("QEBCtrl", "TxtMode", std::to_string(mode), OrpaIniFile());
    m_textMode = mode;
    fillFunctionList();
    fillParameterList(true);
    relabelDefinedParameters();
}

void DefPaDlg::relabelDefinedParameters()
{
    QListWidget* list = m_ui->definedList;
    for (int row = 0; row < list->count(); ++row) {
        QListWidgetItem* item = list->item(row);
        const std::optional<ParameterTriple> triple = tripleOf(item);
        if (!triple)
            continue;
        QebDesRecord description;
        uint16_t status = DbStatus::Success;
        const DescriptionLookup lookup =
            DescribeParameter(m_target.descKey, triple->p1, triple->p2, triple->p3, description, status);
        if (lookup == DescriptionLookup::Failed) {
            ReportDbError(table::QebDes, status, __FILE__, __LINE__, this);
            return;
        }
        if (lookup == DescriptionLookup::Found)
            item->setText(QString::fromStdString(
                DefinedListItem(TextByMode(description.defaultText, description.customText, m_textMode), *triple)));
    }
}

void DefPaDlg::leave(int button)
{
    if (m_changed && button == WizardButton::Next) {
        if (!save()) {
            done(WizardButton::Failed);
            return;
        }
    } else if (m_changed) {
        const int answer = MessageById(txt::ParameterListChangedSave, MB::YesNoCancel | MB::IconQuestion, this);
        if (answer == IDCANCEL)
            return;
        if (answer == IDYES && !save()) {
            done(WizardButton::Failed);
            return;
        }
        m_changed = false;
    }
    done(button);
}

bool DefPaDlg::save()
{
    WaitCursor wait;
    QListWidget* list = m_ui->definedList;
    std::vector<DefinedItem> items;
    for (int row = 0; row < list->count(); ++row)
        if (const std::optional<ParameterTriple> triple = tripleOf(list->item(row)))
            items.push_back({*triple, list->item(row)->data(StoredRole).toBool()});
    m_definitionsChanged = true;
    const bool saved =
        SaveDefinitions({m_target.ident, m_target.nodeText, m_target.functionParameter}, items, this);
    for (int row = 0; row < list->count(); ++row)
        for (const DefinedItem& item : items)
            if (tripleOf(list->item(row)) == item.triple)
                list->item(row)->setData(StoredRole, item.stored);
    if (saved)
        m_changed = false;
    return saved;
}

void DefPaDlg::updateButtons()
{
    m_ui->addButton->setEnabled(!m_ui->parameterList->selectedItems().isEmpty());
    m_ui->removeButton->setEnabled(!m_ui->definedList->selectedItems().isEmpty());
}
