#pragma once
// The editor of "Central Defrost" (type 7): the controllers whose defrost it
// starts at the times of three defrost schedules, an optional external start
// signal, and for a co-ordinated defrost the defrost relay inputs and the
// controllers held after the defrost.

#include "editors/defrost/DefrostTimes.h"
#include "editors/EditorDlg.h"

#include <memory>

namespace Ui {
class DefrostDlg;
}

class DefrostDlg : public EditorDlg {
    Q_OBJECT

public:
    DefrostDlg(const EditorRequest& request, QWidget* parent = nullptr);
    ~DefrostDlg() override;

    // Change codes: the defrost schedules were changed; a check box was
    // clicked. The name or a list adds 2 to nothing or to changed schedules.
    enum Change { Schedules = 1, NameOrReferences = 2, CheckBox = 3 };

protected:
    bool load() override;
    bool validate() override;
    int changeCode() const override;
    SaveOutcome save(int change) override;
    bool log(int change) override;
    // Changed defrost schedules alone are sent as data blocks.
    UpdatePlan updatePlan(int change) const override;

private:
    // Shows the groups that belong to the checked boxes.
    void showGroups();
    void onSchedules();
    void onManual();

    std::unique_ptr<Ui::DefrostDlg> m_ui;
    int m_change = 0;
    DefrostTimes m_defrost;
    int m_loadedExternalStart = 0;
    int m_loadedCoordinate = 0;
    int m_savedExternalStart = 0;
    int m_savedCoordinate = 0;
};

EditorResult RunCentralDefrostEditor(QWidget* parent, const EditorRequest& request);
