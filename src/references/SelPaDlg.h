#pragma once
// "Select <group> - <type>" (dialog 6), opened by an editor's ">> &Input.." or
// "&Output >>.." button: offers the controllers of the gateway's network with
// the parameters defined for the group, checks the operator's choice against
// the group's slot limits and hands the chosen rows to the editor's list.
// "&Define...", and "&Select" on a "Not defined" row, run the parameter
// definition wizard; the definitions table is copied when the dialog opens, so
// that the wizard can put it back.

#include "references/ReferenceRow.h"
#include "references/SelectionRules.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <string>

class IOList;

namespace Ui {
class SelPaDlg;
}

class SelPaDlg : public QDialog {
    Q_OBJECT

public:
    // The group's list is the editor's list; it changes only when the dialog ends with OK.
    SelPaDlg(const QString& groupText, uint8_t functionType, const std::string& gatewayAddress,
             const ReferenceGroup& group, QWidget* parent = nullptr);
    ~SelPaDlg() override;

    // The copy of the definitions or the filling of the list failed: the
    // dialog ends at once as cancelled.
    bool openingFailed() const { return m_openingFailed; }
    int exec() override;

    IOList& candidates();
    const GroupLimits& limits() const { return m_limits; }

public Q_SLOTS:
    void reject() override;

private:
    void select();
    void define();
    void setTextMode(int mode);
    void updateButtons();

    std::unique_ptr<Ui::SelPaDlg> m_ui;
    ReferenceGroup m_group;
    std::string m_networkPrefix;
    GroupLimits m_limits;
    bool m_openingFailed = false;
};
