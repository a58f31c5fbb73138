#pragma once
// "Select type" (dialog 7), page 2 of the definition wizard: whether the
// definitions are for every controller of the chosen controller's
// identification or for this controller only.

#include <QDialog>

#include <memory>
#include <string>

namespace Ui {
class ParWSelectTypeDlg;
}

class ParWSelectTypeDlg : public QDialog {
    Q_OBJECT

public:
    // The identification labels the one choice, the node key the other; the
    // preset is the operator's last choice.
    ParWSelectTypeDlg(const std::string& ident, const std::string& nodeKey, bool allControllers,
                      QWidget* parent = nullptr);
    ~ParWSelectTypeDlg() override;

    // True when the definitions are for every controller of the identification.
    bool allControllers() const;

public Q_SLOTS:
    void reject() override;

private:
    std::unique_ptr<Ui::ParWSelectTypeDlg> m_ui;
};
