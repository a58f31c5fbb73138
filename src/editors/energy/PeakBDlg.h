#pragma once
// The editor of "Peak Shaving" (type 4): the meter impulses, the load period
// and the peak limit, the thermostat offset applied in steps to the
// thermostat controllers; the advanced dialog holds the shave time, the
// offset step, the intern load period and the tariff, cold accumulation and
// peak meter schedules. It shows what the gateway reports: the meter
// readings and the offset it calculated.

#include "editors/EditorDlg.h"
#include "editors/energy/PeakGDlg.h"
#include "editors/energy/PeakSettings.h"

#include <memory>

namespace Ui {
class PeakBDlg;
}
class PeakAdvancedDlg;

class PeakBDlg : public EditorDlg {
    Q_OBJECT

public:
    PeakBDlg(const EditorRequest& request, QWidget* parent = nullptr);
    ~PeakBDlg() override;

protected:
    bool load() override;
    bool validate() override;
    int changeCode() const override;
    SaveOutcome save(int change) override;
    bool log(int change) override;
    // Changed settings alone are sent as data blocks.
    UpdatePlan updatePlan(int change) const override;
    // Cancel's question answered Cancel: the edits are checked, the editor stays.
    void cancelKept() override;

private:
    void showSettings(const PeakSettings& settings, float calculatedOffset);
    // The peak meter reading is shown while "Use peak meter" is committed.
    void showPeakMeterLine();
    PeakSettings enteredSettings() const;
    bool mainEditModified() const;
    void showGraph(PeakGDlg::Mode mode);

    std::unique_ptr<Ui::PeakBDlg> m_ui;
    PeakAdvancedDlg* m_advanced;
    PeakSettings m_loaded;
    PeakSettings m_saved;
};

EditorResult RunPeakShavingEditor(QWidget* parent, const EditorRequest& request);
