#include "app/MainFrame.h"

#include "support/UiSeam.h"

#include <QApplication>
#include <QTimer>

MainFrame::MainFrame(NetworkServices services)
    : m_services(std::move(services))
{
    setObjectName(QStringLiteral("MainFrame"));
}

void MainFrame::postOpenSelectNetwork() { QTimer::singleShot(0, this, &MainFrame::openSelectNetwork); }

void MainFrame::openSelectNetwork()
{
    SelMCDlg dialog(m_services, this);
    dialog.setObjectName(QStringLiteral("SelMCDlg"));
    ui().runModal(dialog);
    m_endedOnError = dialog.endedOnError();
    close();
}

void MainFrame::activate()
{
    if (isMinimized())
        showMaximized();
    QWidget* front = QApplication::activeModalWidget();
    if (!front)
        front = this;
    front->raise();
    front->activateWindow();
}
