#pragma once
// The compressor loops that the gateway offers a Po optimizer; the operator's choice
// replaces the editor's list.

#include "editors/energy/PoSelectionDlg.h"

#include <memory>

namespace Ui {
class SelectCompressorDlg;
}

class SelectCompressorDlg : public PoSelectionDlg {
    Q_OBJECT

public:
    SelectCompressorDlg(const PoSelection& selection, QWidget* parent = nullptr);
    ~SelectCompressorDlg() override;

private:
    std::unique_ptr<Ui::SelectCompressorDlg> m_ui;
};
