#pragma once
// The editor of "QEB On" (type 1): the compressor controller whose demand
// switches on the injection controllers of the function.

#include "editors/EditorDlg.h"

#include <memory>

namespace Ui {
class QEBOnDlg;
}

class QEBOnDlg : public EditorDlg {
    Q_OBJECT

public:
    QEBOnDlg(const EditorRequest& request, QWidget* parent = nullptr);
    ~QEBOnDlg() override;

protected:
    bool load() override;
    bool validate() override;
    int changeCode() const override;
    SaveOutcome save(int change) override;
    bool log(int change) override;

private:
    void onManual();
    void showManualState(bool manual, uint8_t value);

    std::unique_ptr<Ui::QEBOnDlg> m_ui;
};

EditorResult RunControllerOnEditor(QWidget* parent, const EditorRequest& request);
