#pragma once
// The editor of the yearly schedule (type 0): an On/Off signal that other
// functions follow, made of a basic weekly schedule of up to four periods a
// day and up to 30 special periods during which it is forced On or Off.
// A yearly schedule is always saved as started.

#include "editors/EditorDlg.h"
#include "editors/schedule/BasicSchedule.h"
#include "editors/schedule/ScheduleEvaluation.h"
#include "editors/schedule/ForcedPeriods.h"

#include <array>
#include <memory>

namespace Ui {
class YeSchDlg;
}

class CEditCtrlEx;

class YeSchDlg : public EditorDlg {
    Q_OBJECT

public:
    YeSchDlg(const EditorRequest& request, QWidget* parent = nullptr);
    ~YeSchDlg() override;

    // Change codes: the basic schedule or the special periods; the name (added).
    enum Change { ScheduleOrPeriods = 1, NameChanged = 2 };

    // The hours or minutes edit of a basic period (day 0 = Monday).
    CEditCtrlEx* basicEdit(size_t day, size_t period, BasicPeriodField field) const;

protected:
    bool load() override;
    bool validate() override { return true; }
    int changeCode() const override;
    bool mustSave() const override { return created(); }
    SaveOutcome save(int change) override;
    bool log(int change) override;
    UpdatePlan updatePlan(int change) const override;
    // An update that failed locally (a refused password, a value out of range) closes with -2, unlogged.
    bool logAfterLocalUpdateFailure() const override { return false; }

private:
    void createBasicEdits();
    void showBasicSchedule(const BasicSchedule& schedule);
    bool basicScheduleModified() const;
    // The typed basic schedule; false after the message (dialog stays open).
    bool readBasicSchedule(BasicSchedule& schedule);

    std::array<CEditCtrlEx*, 5> fromEdits() const;
    std::array<CEditCtrlEx*, 5> toEdits() const;
    CEditCtrlEx* periodEdit(PeriodField field) const;
    QString stateText(uint8_t state) const;
    std::vector<ForcedPeriod> listedPeriods() const;
    void addPeriodLine(const ForcedPeriod& period, bool select);
    // The period of the From/To fields, checked against the listed ones
    // (except the line `replacing`); nothing after the message.
    std::optional<ForcedPeriod> enteredPeriod(int replacing);
    void setYearly(bool yearly);
    void updatePeriodButtons();
    void onPeriodSelected();
    void onAdd();
    void onChange();
    void onDelete();
    // Adds the checked events of a holiday calendar that the operator chooses.
    void onImport();
    // The schedule as typed and listed so far; a basic period not typed
    // whole, or not in order, counts as empty.
    ScheduleDefinition typedSchedule() const;
    void refreshPicture();
    void showWeekOf(uint32_t day);

    std::unique_ptr<Ui::YeSchDlg> m_ui;
    std::array<std::array<std::array<CEditCtrlEx*, 4>, PeriodsPerDay>, ScheduleDays> m_basicEdits{};
    bool m_periodsChanged = false;
    size_t m_loadedPeriods = 0;
};

EditorResult RunYearlyScheduleEditor(QWidget* parent, const EditorRequest& request);
