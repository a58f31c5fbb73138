#pragma once
// The main frame: an empty window shown maximised behind the modal dialogs.
// It opens "Select network" when the application asks for it and closes
// itself when that dialog closes, which ends the program.

#include "app/SelMCDlg.h"

#include <QMainWindow>

class MainFrame : public QMainWindow {
    Q_OBJECT

public:
    explicit MainFrame(NetworkServices services);

    // Opens "Select network" once the event loop runs.
    void postOpenSelectNetwork();
    // Brings the frame and its active dialog to the front.
    void activate();
    // "Select network" ended the program after an error.
    bool endedOnError() const { return m_endedOnError; }

private:
    void openSelectNetwork();

    NetworkServices m_services;
    bool m_endedOnError = false;
};
