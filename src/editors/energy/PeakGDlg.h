#pragma once
// The consumption or load graph of a peak shaving function: for every
// calendar month and the current month the two values the gateway
// accumulated, as bars with their legend, and the export of the last twelve
// complete months of both graphs into a curve file.

#include "editors/energy/PeakGraph.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <string>

class QChart;

namespace Ui {
class PeakGDlg;
}

class PeakGDlg : public QDialog {
    Q_OBJECT

public:
    using Mode = PeakGraphMode;

    PeakGDlg(const std::string& gatewayAddress, int functionNumber, int functionType, const std::string& functionName,
             Mode mode, QWidget* parent = nullptr);
    ~PeakGDlg() override;

    // -1 when the graph data are missing or cannot be read; else IDCANCEL.
    int exec() override;

    QChart* chart() const;

protected:
    // "&Close", Escape and the close box all end with IDCANCEL.
    void reject() override;

private:
    void setUpChart();
    void showGraph(const PeakGraphData& data);
    void exportCurves();

    std::unique_ptr<Ui::PeakGDlg> m_ui;
    std::string m_gatewayAddress;
    uint8_t m_number;
    uint8_t m_type;
    std::string m_functionName;
    Mode m_mode;
};
