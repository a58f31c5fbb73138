#pragma once
// The parameter definition wizard that the selection dialog runs for the
// controllers of its chosen rows: page 1 picks a controller, page 2 chooses
// whether the definitions are for every controller of its identification or
// for this one, page 3 (DefPaDlg) edits them. Definitions are written at once;
// when they changed, the operator keeps them (the candidate list is filled
// again) or the table goes back to the copy taken when the selection dialog
// opened.

#include "references/IOList.h"
#include "references/SelectionRules.h"

#include <string>

class QWidget;

// The results the wizard's pages end with: the id of the button that ended them.
namespace WizardButton {
enum : int { Failed = -1, Cancel = 2, Back = 3, Next = 38, Finish = 39 };
}

struct WizardRequest {
    IOList& candidates;     // the selection dialog's list
    bool notDefinedOnly;    // only the "Not defined" rows among the selected ones
    std::string networkPrefix;
    GroupLimits limits;
    const IOList& editorList;
};

// Runs the wizard; true when the candidate list was filled again.
bool RunParameterWizard(const WizardRequest& request, QWidget* parent);
