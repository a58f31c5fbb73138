#pragma once
// The editor of the day/night functions, "Day/Night Contr." (type 3) and
// "Day/Night ext." (type 6): the schedule whose On starts day time, the
// controllers that get the day/night signal, and for type 6 an external day
// signal from a controller input.

#include "editors/EditorDlg.h"

#include <memory>

namespace Ui {
class DayNiDlg;
}

class DayNiDlg : public EditorDlg {
    Q_OBJECT

public:
    DayNiDlg(const EditorRequest& request, QWidget* parent = nullptr);
    ~DayNiDlg() override;

    // Change codes: the name, a list or the schedule changed; "Use Ext.signal" was clicked.
    enum Change { NameOrReferences = 2, ExternalSignal = 3 };

protected:
    bool load() override;
    bool validate() override;
    int changeCode() const override;
    SaveOutcome save(int change) override;
    bool log(int change) override;

private:
    bool external() const { return type() == 6; }
    void onSchedule();
    void onManual();
    void showManualState(bool manual, uint8_t value);

    std::unique_ptr<Ui::DayNiDlg> m_ui;
    int m_change = 0;
};

EditorResult RunDayNightEditor(QWidget* parent, const EditorRequest& request);
