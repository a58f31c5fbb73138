#pragma once
// The editor of the alarm limit functions, "Alarm limit Off." (type 2) and
// "Alarm Limit Dir." (type 5): the indoor temperature that drives the ramp,
// the optional outdoor temperature condition, the controllers whose alarm
// limit is shifted or set, the band of the ramp and the manual value.

#include "editors/EditorDlg.h"
#include "editors/energy/AlarmSettings.h"

#include <memory>

namespace Ui {
class AlimDlg;
}

class CEditCtrlEx;

class AlimDlg : public EditorDlg {
    Q_OBJECT

public:
    AlimDlg(const EditorRequest& request, QWidget* parent = nullptr);
    ~AlimDlg() override;

    // Change bits: the alarm settings (a number edited, the outdoor box
    // clicked); the name or a reference list.
    enum Change { Settings = 1, NameOrReferences = 2 };

protected:
    bool load() override;
    bool validate() override;
    int changeCode() const override;
    SaveOutcome save(int change) override;
    bool log(int change) override;
    // Changed alarm settings alone are sent as data blocks.
    UpdatePlan updatePlan(int change) const override;
    void cancelKept() override;

private:
    // The settings as the controls show them; a type without an entrance
    // value keeps the one read.
    AlarmSettings typedSettings() const;
    void showTopValue();
    void showManualState(bool manual, int16_t value);
    bool validateNumbers();
    void onManual();

    std::unique_ptr<Ui::AlimDlg> m_ui;
    const AlarmLimitKind& m_kind;
    bool m_outdoorClicked = false;
    AlarmSettings m_loaded;
    AlarmSettings m_saved;
};

EditorResult RunAlarmLimitEditor(QWidget* parent, const EditorRequest& request);
