#include "references/ParWDlgs.h"

#include "model/Messages.h"
#include "model/Texts.h"
#include "protocol/LittleEndian.h"
#include "protocol/StrFormat.h"
#include "references/DefPaDlg.h"
#include "references/ParameterDefinitions.h"
#include "references/ParWSelectQebDlg.h"
#include "references/ParWSelectTypeDlg.h"
#include "support/UiSeam.h"

namespace {

enum class Page { SelectQeb, SelectType, Define };

// Selects again the rows the wizard was started for, where they still exist.
void reselect(IOList& list, const std::vector<RowKey>& keys)
{
    for (const RowKey& key : keys) {
        const int row = list.FindRow(le::str(key.data(), 4), key[4], key[5], key[6], false);
        if (row >= 0)
            list.setRowSelected(row, true);
    }
}

} // namespace

bool RunParameterWizard(const WizardRequest& request, QWidget* parent)
{
    std::vector<RowKey> keys;
    std::vector<WizardEntry> entries =
        WizardEntriesOf(request.candidates.SelectedReferences(), request.notDefinedOnly, keys);
    if (entries.empty())
        return false;

    const GroupLimits& limits = request.limits;
    bool definitionsChanged = false;
    bool marksStale = true;
    int chosen = -1;
    bool allControllers = true;
    std::string nodeText;
    int ending = WizardButton::Cancel;
    Page page = Page::SelectQeb;
    for (bool running = true; running;) {
        switch (page) {
        case Page::SelectQeb: {
            ParWSelectQebDlg dialog(entries, chosen, marksStale, request.networkPrefix, limits.functionParameter,
                                    parent);
            const int result = dialog.openingFailed() ? int(WizardButton::Failed) : ui().runModal(dialog);
            marksStale = false;
            if (result == WizardButton::Next && dialog.chosenEntry() >= 0) {
                chosen = dialog.chosenEntry();
                page = Page::SelectType;
            } else {
                ending = result == WizardButton::Finish || result == WizardButton::Failed ? result
                                                                                         : int(WizardButton::Cancel);
                running = false;
            }
            break;
        }
        case Page::SelectType: {
            const WizardEntry& entry = entries[size_t(chosen)];
            const std::string nodeKey = StrFormat("%-3.3s:%s", request.networkPrefix.c_str(), entry.address.c_str());
            ParWSelectTypeDlg dialog(entry.ident, nodeKey, allControllers, parent);
            const int result = ui().runModal(dialog);
            if (result == WizardButton::Back) {
                page = Page::SelectQeb;
            } else if (result == WizardButton::Next) {
                allControllers = dialog.allControllers();
                nodeText = allControllers ? std::string(McParDefRecord::EveryNode) : nodeKey;
                page = Page::Define;
            } else {
                ending = WizardButton::Cancel;
                running = false;
            }
            break;
        }
        case Page::Define: {
            const WizardEntry& entry = entries[size_t(chosen)];
            DefPaDlg dialog({nodeText, entry.ident, entry.descKey, limits.classes, limits.functionParameter}, parent);
            const int result = dialog.openingFailed() ? int(WizardButton::Failed) : ui().runModal(dialog);
            if (dialog.definitionsChanged()) {
                definitionsChanged = true;
                marksStale = true;
            }
            if (result == WizardButton::Back) {
                page = Page::SelectType;
            } else if (result == WizardButton::Next) {
                page = Page::SelectQeb;
            } else {
                ending = result == WizardButton::Failed ? int(WizardButton::Failed) : int(WizardButton::Cancel);
                running = false;
            }
            break;
        }
        }
    }

    if (!definitionsChanged)
        return false;
    if (ending == WizardButton::Cancel) {
        const QString question = QText(txt::DefinitionsChanged) + QText(txt::KeepChanges);
        if (ShowMessage(question, MB::YesNo | MB::IconQuestion, parent, true) == IDNO) {
            RestoreDefinitions(parent);
            return false;
        }
    }
    WaitCursor wait;
    request.candidates.FillCandidates(request.networkPrefix, limits, request.editorList, false);
    reselect(request.candidates, keys);
    return true;
}
