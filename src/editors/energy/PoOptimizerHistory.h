#pragma once
// "Po Optimizer History": for the last 24 hours and the last 7 days, how long
// each evaporator of a Po optimizer was the critical case, as two bar charts
// of the same evaporators, and the export of the history to a file.

#include "editors/energy/PoHistory.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QChartView;

namespace Ui {
class PoOptimizerHistory;
}

class PoOptimizerHistory : public QDialog {
    Q_OBJECT

public:
    PoOptimizerHistory(const std::string& gatewayAddress, int functionNumber, QWidget* parent = nullptr);
    ~PoOptimizerHistory() override;

    // Reads the history and runs the dialog: IDOK from OK; IDCANCEL from
    // Escape and the close box, or at once when there is no history to show;
    // -1 when the history cannot be read.
    int exec() override;
    void reject() override;

    QChartView* chartView(HistoryPeriod period) const;

private:
    enum class Loaded { Shown, NoHistory, Unreadable };
    Loaded load();
    void fillChart(HistoryPeriod period, const std::vector<HistoryEntry>& entries);
    void exportHistory();

    std::unique_ptr<Ui::PoOptimizerHistory> m_ui;
    std::string m_gatewayAddress;
    int m_number;
    std::string m_name;
    QChartView* m_dayChart;
    QChartView* m_weekChart;
};
