#pragma once
// The progress dialog of a gateway exchange: a caption, a text line, a bar and
// Cancel. It is a thin view of its job: it shows what the job reports and
// closes with the job's result.

#include <QDialog>

#include <memory>

namespace Ui {
class ProgressDlg;
}
class GatewayExchange;

class ProgressDlg : public QDialog {
    Q_OBJECT

public:
    ProgressDlg(uint16_t dialogId, QWidget* parent);
    ~ProgressDlg() override;

    // Shows the job's progress and closes with its result when it is done.
    void attach(GatewayExchange& job);
    void setCancelVisible(bool visible);
    void setCancelEnabled(bool enabled);

Q_SIGNALS:
    void cancelRequested();

protected:
    void reject() override;

private:
    std::unique_ptr<Ui::ProgressDlg> m_ui;
};
