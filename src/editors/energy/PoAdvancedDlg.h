#pragma once
// "Advanced Po options": the Po offset alarm, the controller parameters of
// the optimisation and the optimise-communication option. Every field is
// checked against its range when the dialog's data is taken over.

#include "editors/energy/PoOptimizerSettings.h"

#include <QDialog>

#include <memory>

namespace Ui {
class PoAdvancedDlg;
}

class PoAdvancedDlg : public QDialog {
    Q_OBJECT

public:
    PoAdvancedDlg(const PoSettings& settings, bool readOnly, QWidget* parent = nullptr);
    ~PoAdvancedDlg() override;

    // The editor's settings with every field that differs taken over.
    const PoSettings& settings() const { return m_settings; }
    // OK took over at least one field.
    bool changed() const { return m_changed; }
    // A field out of range keeps the dialog open, with the focus in that field.
    void accept() override;

private:
    // Checks every numeric field in order; false at the first out of range.
    bool validateFields();

    std::unique_ptr<Ui::PoAdvancedDlg> m_ui;
    PoSettings m_settings;
    bool m_changed = false;
};
