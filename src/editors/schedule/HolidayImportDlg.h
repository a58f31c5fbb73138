#pragma once
// "Import holidays": the events of a holiday calendar, each with a check box,
// for the special periods of the yearly schedule editor. Events that ended
// before now or collide are shown unchecked with the reason; an event that a
// special period cannot hold cannot be checked. OK takes the checked events
// when they fit and collide with nothing.

#include "editors/schedule/HolidayCalendar.h"

#include <QDialog>

#include <memory>
#include <vector>

namespace Ui {
class HolidayImportDlg;
}

class HolidayImportDlg : public QDialog {
    Q_OBJECT

public:
    HolidayImportDlg(std::vector<HolidayEvent> events, std::vector<ForcedPeriod> listed, uint32_t now,
                     QWidget* parent = nullptr);
    ~HolidayImportDlg() override;

    // The checked events as periods, after OK.
    const std::vector<ForcedPeriod>& chosen() const { return m_chosen; }

    void accept() override;

private:
    uint8_t state() const;
    // Fills the list with the plan for the chosen state, keeping the operator's checks.
    void showPlan();

    std::unique_ptr<Ui::HolidayImportDlg> m_ui;
    std::vector<HolidayEvent> m_events;
    std::vector<ForcedPeriod> m_listed;
    uint32_t m_now;
    std::vector<HolidayChoice> m_plan;
    std::vector<ForcedPeriod> m_chosen;
};
