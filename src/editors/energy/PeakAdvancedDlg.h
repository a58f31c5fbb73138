#pragma once
// The advanced settings of the peak shaving editor: max shave time, offset
// step, intern load period and the three schedule slots (tariff, cold
// accumulation, peak meter), each with its use box and schedule list. The
// editor creates it once, hidden, and shows it on demand while the editor
// itself is disabled. OK commits what is shown; the editor saves the
// committed values and lists, and the changes the visits brought together.

#include "editors/EditorRequest.h"
#include "editors/energy/PeakSettings.h"

#include <QDialog>

#include <array>
#include <memory>
#include <string>
#include <vector>

class CEditCtrlEx;
class QCheckBox;
class QGroupBox;
class QPushButton;
class ScheList;

namespace Ui {
class PeakAdvancedDlg;
}

class PeakAdvancedDlg : public QDialog {
    Q_OBJECT

public:
    PeakAdvancedDlg(const EditorRequest& request, QWidget* editor);
    ~PeakAdvancedDlg() override;

    // Whether the function is new: its schedule selection then keeps room
    // in the gateway for the function itself.
    void setNewFunction(bool created) { m_created = created; }
    void setViewOnly();

    // The values and lists of the function as read; clears all change marks.
    void setCommitted(const PeakAdvanced& values);
    const PeakAdvanced& committed() const { return m_committed; }
    bool loadSchedules(uint8_t functionNumber);
    // Writes the committed lists (a list that did not change writes nothing).
    bool storeSchedules(uint8_t functionNumber);
    // The group box texts of the committed lists that changed.
    std::vector<std::string> changedScheduleGroups() const;
    // What the visits committed, together (PeakChange bits).
    int changes() const { return m_changes; }

    // Shows the committed values and lists and disables the editor.
    void showAdvanced();

    // Checks the slots, commits, enables the editor and hides.
    void accept() override;
    // Cancel, Escape and the close box: asks whether to take over a change.
    void reject() override;

    const ScheList& committedList(size_t slot) const { return *m_committedLists[slot]; }

Q_SIGNALS:
    // OK took the shown values over.
    void committedChanged();

private:
    PeakAdvanced shownValues() const;
    int visitStatus() const;
    void selectSchedules(size_t slot);
    void finish(int result);

    std::unique_ptr<Ui::PeakAdvancedDlg> m_ui;
    EditorRequest m_request;
    bool m_created = false;
    PeakAdvanced m_committed;
    int m_changes = 0;
    std::array<QGroupBox*, PeakScheduleSlots> m_groups{};
    std::array<QCheckBox*, PeakScheduleSlots> m_useChecks{};
    std::array<QPushButton*, PeakScheduleSlots> m_scheduleButtons{};
    std::array<ScheList*, PeakScheduleSlots> m_visibleLists{};
    std::array<ScheList*, PeakScheduleSlots> m_committedLists{};
};
