#pragma once
// "Defrost Schedules": the start times of the three defrost schedules and the
// schedule of each weekday, on a copy of the central defrost editor's data.
// Auto Set fills a schedule evenly from a first to a last time.

#include "editors/defrost/DefrostTimes.h"

#include <QDialog>

#include <memory>

class CEditCtrlEx;
class QComboBox;

namespace Ui {
class DefrostSchedulesDlg;
}

class DefrostSchedulesDlg : public QDialog {
    Q_OBJECT

public:
    // A new function must leave with at least one time even when nothing was
    // touched; view-only shows the times without letting them change.
    DefrostSchedulesDlg(const DefrostTimes& defrost, bool newFunction, bool viewOnly, QWidget* parent = nullptr);
    ~DefrostSchedulesDlg() override;

    // The data after OK (read back from the controls when something changed).
    const DefrostTimes& defrostTimes() const { return m_defrost; }
    // OK closed the dialog after a change.
    bool changed() const { return m_changed; }

    // Reads the controls back; stays open while a time is half filled or none is set.
    void accept() override;
    // Cancel, Escape and the close box: asks whether to keep a change.
    void reject() override;

    CEditCtrlEx* hoursEdit(size_t schedule, size_t row) const;
    CEditCtrlEx* minutesEdit(size_t schedule, size_t row) const;

private:
    void createTimeEdits();
    void showData();
    // A weekday list was changed or a time edit was modified.
    bool edited() const;
    void autoSet(size_t schedule);

    std::unique_ptr<Ui::DefrostSchedulesDlg> m_ui;
    DefrostTimes m_defrost;
    bool m_newFunction;
    bool m_weekdayChanged = false;
    bool m_changed = false;
    std::array<CEditCtrlEx*, DefrostScheduleCount * DefrostTimesPerSchedule> m_hours{};
    std::array<CEditCtrlEx*, DefrostScheduleCount * DefrostTimesPerSchedule> m_minutes{};
    std::array<QComboBox*, DefrostWeekdays> m_weekdays{};
};
