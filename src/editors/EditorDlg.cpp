#include "editors/EditorDlg.h"

#include "editors/MaModDlg.h"
#include "gateway/MCUpdDlg.h"
#include "model/EventLog.h"
#include "model/Messages.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "model/TypeNames.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "references/IOList.h"
#include "references/SelPaDlg.h"
#include "support/CodePageValidator.h"
#include "support/Db.h"
#include "support/UiSeam.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <cstdlib>

EditorDlg::EditorDlg(const EditorRequest& request, QWidget* parent)
    : QDialog(parent)
    , m_request(request)
{
}

EditorDlg::~EditorDlg() = default;

int EditorDlg::exec()
{
    bool loaded = false;
    {
        WaitCursor wait;
        loaded = load();
    }
    if (!loaded)
        return int(EditorResult::DatabaseFailure);
    // The function list stays visible behind the editor: hiding a dialog that
    // runs modally would end it.
    return QDialog::exec();
}

EditorResult EditorDlg::run() { return EditorResult(ui().runModal(*this)); }

void EditorDlg::setEditorCaption()
{
    setWindowTitle(QText(txt::ControlFunction) + QStringLiteral(" - ") + QString::fromStdString(TypeName(type())));
}

bool EditorDlg::loadHeader(QLabel* numberLabel, QLineEdit* nameEdit)
{
    const uint16_t status = LoadEditorHeader(number(), type(), m_header);
    if (status != DbStatus::Success) {
        reportDatabaseError(status);
        return false;
    }
    m_created = !m_header.existed;
    numberLabel->setText(QString::number(number()));
    const std::string name = m_header.existed ? m_header.record.name() : TypeName(type());
    m_nameEdit = nameEdit;
    nameEdit->setMaxLength(int(FunctionNameLength));
    nameEdit->setValidator(new CodePageValidator(nameEdit));
    nameEdit->setText(QString::fromStdString(name));
    nameEdit->setModified(false);
    m_loadedName = name;
    return true;
}

bool EditorDlg::saveHeader(const std::string& name, uint8_t extraFlags)
{
    EditorHeader fresh;
    uint16_t status = LoadEditorHeader(number(), type(), fresh);
    if (status == DbStatus::Success)
        status = SaveEditorHeader(fresh, name, extraFlags);
    if (status != DbStatus::Success) {
        reportDatabaseError(status);
        return false;
    }
    m_header = fresh;
    m_savedName = fresh.record.name();
    return true;
}

bool EditorDlg::saveHeaderWithManualBlock(const std::string& name, QWidget* manualButton)
{
    const bool wasNew = !headerExists();
    if (!saveHeader(name))
        return false;
    if (!wasNew)
        return true;
    if (!writeDataBlock(McdefRecord(number(), BlockType::Data, 1, 0)))
        return false;
    manualButton->setEnabled(true);
    return true;
}

bool EditorDlg::validateName()
{
    if (m_nameEdit && !m_nameEdit->text().isEmpty())
        return true;
    MessageById(txt::SpecifyFunctionName, MB::Ok | MB::IconExclamation, this);
    if (m_nameEdit)
        m_nameEdit->setFocus();
    return false;
}

void EditorDlg::disable(std::initializer_list<QWidget*> controls)
{
    for (QWidget* control : controls)
        control->setEnabled(false);
}

void EditorDlg::disableWhileStarted(std::initializer_list<QWidget*> controls)
{
    disable(controls);
    if (viewOnly())
        return;
    auto* hint = new QLabel(QText(txt::StopToChange), this);
    hint->setObjectName(QStringLiteral("startedHint"));
    hint->setWordWrap(true);
    // Under the row of the name, in the column that holds that row.
    for (QLayout* row : findChildren<QLayout*>()) {
        auto* column = qobject_cast<QBoxLayout*>(row->parent());
        if (m_nameEdit && row->indexOf(m_nameEdit) >= 0 && column
            && column->direction() == QBoxLayout::TopToBottom) {
            column->insertWidget(column->indexOf(row) + 1, hint);
            return;
        }
    }
    hint->hide();
}

std::string EditorDlg::nameText() const { return m_nameEdit ? m_nameEdit->text().toStdString() : std::string(); }

bool EditorDlg::nameModified() const { return m_nameEdit && m_nameEdit->isModified(); }

void EditorDlg::addReferenceGroup(const ReferenceGroup& group, const QString& caption, QWidget* button)
{
    m_groups.push_back({group, caption, button});
}

bool EditorDlg::loadReferenceGroups()
{
    for (Group& g : m_groups) {
        if (!g.group.list->LoadReferences(m_request.gatewayAddress, number(), g.group.blockType, g.group.blockNumbers))
            return false;
        g.group.list->SetModified(false);
    }
    return true;
}

bool EditorDlg::validateReferenceGroup(size_t index, bool optional)
{
    const Group& g = m_groups[index];
    if (g.group.list->rowCount() == 0) {
        if (optional)
            return true;
        MessageById(txt::SpecifyReference, MB::Ok | MB::IconExclamation, this);
        if (g.button)
            g.button->setFocus();
        return false;
    }
    if (!g.group.list->ReferencesValid()) {
        const std::string text = StrFormat("%s '%s'.", TextById(txt::ParametersWithConflict).c_str(),
                                           g.caption.toStdString().c_str());
        // A started function keeps its references: the way to mend them is to stop it first.
        const bool locked = g.button && !g.button->isEnabled();
        ShowMessage(QString::fromStdString(locked ? text + "\n" + TextById(txt::StopToChangeReferences) : text),
                    MB::Ok | MB::IconExclamation, this, true);
        if (locked)
            g.group.list->setFocus();
        else if (g.button)
            g.button->setFocus();
        return false;
    }
    return true;
}

bool EditorDlg::storeReferenceGroups()
{
    for (Group& g : m_groups)
        if ((m_created || g.group.list->IsModified())
            && !g.group.list->StoreReferences(type(), number(), g.group.blockType, g.group.blockNumbers))
            return false;
    return true;
}

bool EditorDlg::anyReferenceGroupModified() const
{
    return std::any_of(m_groups.begin(), m_groups.end(), [](const Group& g) { return g.group.list->IsModified(); });
}

std::vector<ChangedList> EditorDlg::changedGroups() const
{
    std::vector<ChangedList> changes;
    for (const Group& g : m_groups)
        if (g.group.list->IsModified())
            changes.push_back({g.group.blockType, g.caption.toStdString()});
    return changes;
}

bool EditorDlg::writeChangeLog(std::initializer_list<std::vector<std::string>> batches)
{
    if (m_created)
        return LogFunctionEvent(m_request.gatewayAddress, {m_savedName}, txt::IsCreated) == DbStatus::Success;
    for (const std::vector<std::string>& lines : batches)
        if (LogChangeLines(m_request.gatewayAddress, m_savedName, lines) != DbStatus::Success)
            return false;
    return true;
}

bool EditorDlg::runManualMode(MaModDlg& dialog, EditorResult dialogFailure)
{
    const std::optional<EditorResult> closing
        = RunManualModeSequence(dialog, m_request.gatewayAddress, m_loadedName, dialogFailure);
    if (closing) {
        end(*closing);
        return false;
    }
    return dialog.LoadManualState();
}

void EditorDlg::selectReferences(size_t index)
{
    const Group& g = m_groups[index];
    SelPaDlg selection(g.caption, type(), m_request.gatewayAddress, g.group, this);
    ui().runModal(selection);
    for (const Group& each : m_groups)
        each.group.list->RefreshTextMode();
}

bool EditorDlg::readDataBlock(uint8_t block, McdefRecord& record, bool mayBeMissing)
{
    const uint16_t status = ReadBlock(number(), BlockType::Data, block, 0, record);
    if (status == DbStatus::KeyNotFound && mayBeMissing) {
        record = McdefRecord(number(), BlockType::Data, block, 0);
        return true;
    }
    if (status != DbStatus::Success) {
        reportDatabaseError(status);
        return false;
    }
    return true;
}

bool EditorDlg::writeDataBlock(const McdefRecord& record)
{
    const uint16_t status = WriteBlock(record);
    if (status != DbStatus::Success) {
        reportDatabaseError(status);
        return false;
    }
    return true;
}

std::optional<bool> EditorDlg::dataBlockExists(uint8_t block)
{
    bool exists = false;
    const uint16_t status = FindBlockKey(number(), BlockType::Data, block, 0, exists);
    if (status != DbStatus::Success) {
        reportDatabaseError(status);
        return std::nullopt;
    }
    return exists;
}

bool EditorDlg::readDataBlockRange(uint8_t block, std::vector<McdefRecord>& records)
{
    const uint16_t status = ReadBlocks(number(), BlockType::Data, block, records);
    if (status != DbStatus::Success) {
        reportDatabaseError(status);
        return false;
    }
    return true;
}

bool EditorDlg::replaceDataBlockRange(uint8_t block, const std::vector<McdefRecord>& records)
{
    const uint16_t status = ReplaceBlocks(number(), BlockType::Data, block, records);
    if (status != DbStatus::Success) {
        reportDatabaseError(status);
        return false;
    }
    return true;
}

void EditorDlg::reportDatabaseError(uint16_t status) { ReportDbError(table::Mcdef, status, __FILE__, __LINE__, this); }

UpdatePlan EditorDlg::updatePlan(int) const { return {UpdateMode::WholeFunction, TypeWritableBlocks(type())}; }

void EditorDlg::accept()
{
    if (!validate())
        return;
    const int change = changeCode();
    if (change == 0 && !mustSave()) {
        end(EditorResult::Ok);
        return;
    }
    if (!sharedOutputsAccepted())
        return;
    SaveOutcome saved = SaveOutcome::Failed;
    {
        WaitCursor wait;
        saved = save(change);
    }
    if (saved == SaveOutcome::KeptOpen)
        return;
    if (saved == SaveOutcome::Failed) {
        end(saveFailureResult());
        return;
    }
    const UpdatePlan plan = updatePlan(change);
    switch (RunUpdate(this, m_request.gatewayAddress, number(), plan.mode, plan.writable)) {
    case UpdateResult::Done:
    case UpdateResult::StoredOtherwise: // sent and accepted; the read-back named the fields that differ
        m_updateFailed = false;
        break;
    case UpdateResult::Refused:
        end(EditorResult::ConnectionLost);
        return;
    case UpdateResult::NotSent:
    case UpdateResult::LinkFailure:
        m_updateFailed = true;
        return;
    case UpdateResult::LocalFailure:
        if (!logAfterLocalUpdateFailure()) {
            end(EditorResult::DatabaseFailure);
            return;
        }
        break;
    }
    end(log(change) ? EditorResult::Ok : EditorResult::DatabaseFailure);
}

bool EditorDlg::sharedOutputsAccepted()
{
    const auto parameter = [](uint8_t p1, uint8_t p2, uint8_t p3) { return StrFormat("%u.%u.%u", p1, p2, p3); };
    std::vector<McdefRecord> own;
    ReadBlocksOfType(number(), BlockType::Output, own);
    std::vector<std::pair<uint8_t, std::string>> added;
    for (const Group& g : m_groups) {
        if (g.group.blockType != BlockType::Output || !g.group.list->IsModified())
            continue;
        for (int i = 0; i < g.group.list->rowCount(); ++i) {
            const ReferenceRow& r = g.group.list->row(i);
            const uint8_t address = uint8_t(std::atoi(r.address.c_str()));
            const bool stored = std::any_of(own.begin(), own.end(), [&](const McdefRecord& o) {
                return o.item() == address && o[6] == r.par1 && o[7] == r.par2 && o[8] == r.par3;
            });
            if (!r.automatic() && !stored)
                added.emplace_back(address, parameter(r.par1, r.par2, r.par3));
        }
    }
    if (added.empty())
        return true;
    std::vector<McdefRecord> headers;
    ReadHeaders(headers);
    std::string writers;
    for (const McdefRecord& header : headers) {
        std::vector<McdefRecord> outputs;
        if (header.number() == number() || ReadBlocksOfType(header.number(), BlockType::Output, outputs) != DbStatus::Success)
            continue;
        for (const McdefRecord& o : outputs)
            if (std::find(added.begin(), added.end(), std::pair{o.item(), parameter(o[6], o[7], o[8])}) != added.end())
                writers += StrFormat("\n%u %s writes parameter %s of controller %03u", header.number(),
                                     header.name().c_str(), parameter(o[6], o[7], o[8]).c_str(), o.item());
    }
    if (writers.empty())
        return true;
    const QString question = QStringLiteral("Two functions that write one controller parameter work against each "
                                            "other. Of the outputs chosen here,")
        + QString::fromStdString(writers) + QStringLiteral("\nSave all the same?");
    return ui().messageBox(this, question, MB::YesNo | MB::IconExclamation) == IDYES;
}

void EditorDlg::reject()
{
    // A view-only editor has nothing to save, whatever was clicked in it.
    if (!viewOnly() && changeCode() != 0
        && !ChangesDiscarded(this, [this] { accept(); }, [this] { cancelKept(); }))
        return;
    end(m_updateFailed ? EditorResult::ConnectionLost : EditorResult::Cancel);
}
