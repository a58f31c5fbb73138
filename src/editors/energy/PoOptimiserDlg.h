#pragma once
// The editor of "Po Optimizer" (type 8): the evaporator loops whose state
// drives the suction pressure offset, the compressor loop that receives it,
// the optimisation's settings, an offset alarm, an individual defrost delay
// per evaporator, and the offset the gateway last reported.

#include "editors/EditorDlg.h"
#include "editors/energy/PoOptimizerSettings.h"
#include "editors/energy/PoSelectionDlg.h"

#include <memory>

namespace Ui {
class PoOptimiserDlg;
}

class PoOptimiserDlg : public EditorDlg {
    Q_OBJECT

public:
    PoOptimiserDlg(const EditorRequest& request, QWidget* parent = nullptr);
    ~PoOptimiserDlg() override;

    // Change bits: settings (advanced, delays, offset disable) go as data
    // blocks; the name or a list needs the whole function.
    enum Change { Settings = 1, Whole = 2 };

    // Closes at once without a question and without writing.
    void reject() override;

protected:
    bool load() override;
    bool validate() override;
    int changeCode() const override;
    bool mustSave() const override { return created(); }
    SaveOutcome save(int change) override;
    bool log(int change) override;
    UpdatePlan updatePlan(int change) const override;
    EditorResult saveFailureResult() const override { return EditorResult::Cancel; }

private:
    void showOffset();
    void enableDelayButton();
    PoSelection selection(const MultiParmList& list) const;
    // Runs a selection dialog; its rows replace the list's on OK.
    bool choose(PoSelectionDlg& dialog, MultiParmList& list);
    void onSelectEvaporators();
    void onSelectCompressor();
    void onAdvanced();
    void onDefrostDelay();
    void onHistory();

    std::unique_ptr<Ui::PoOptimiserDlg> m_ui;
    PoSettings m_settings;
    PoSettings m_loaded;
    bool m_advancedChanged = false;
    bool m_delaysChanged = false;
    bool m_fullUpdate = false;
    // The lists that the save stored, for the log after the update.
    bool m_evaporatorsChanged = false;
    bool m_compressorChanged = false;
};

EditorResult RunPoOptimizerEditor(QWidget* parent, const EditorRequest& request);
