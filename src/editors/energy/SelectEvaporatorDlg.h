#pragma once
// The evaporator loops that the gateway offers a Po optimizer; the operator's choice
// replaces the editor's list.

#include "editors/energy/PoSelectionDlg.h"

#include <memory>

namespace Ui {
class SelectEvaporatorDlg;
}

class SelectEvaporatorDlg : public PoSelectionDlg {
    Q_OBJECT

public:
    SelectEvaporatorDlg(const PoSelection& selection, QWidget* parent = nullptr);
    ~SelectEvaporatorDlg() override;

private:
    std::unique_ptr<Ui::SelectEvaporatorDlg> m_ui;
};
