#pragma once
// "Select network": lists the gateways of the network configuration,
// announces the program to the communication server, connects to the chosen
// gateway, and runs the upload and then the function list for it. Choosing
// another network disconnects first; closing disconnects and signs off.

#include "gateway/UploadJob.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Ui {
class SelMCDlg;
}

// What "Select network" runs for a connected gateway.
struct NetworkServices {
    std::function<UploadResult(QWidget* parent, const std::string& gatewayAddress, const std::string& idCode,
                      uint32_t serverWindow)>
        upload;
    // The function list of the gateway.
    std::function<void(QWidget* parent, const std::string& gatewayAddress, const std::string& idCode,
                       bool netConfigUpToDate)>
        mainList;
};

class SelMCDlg : public QDialog {
    Q_OBJECT

public:
    SelMCDlg(NetworkServices services, QWidget* parent = nullptr);
    ~SelMCDlg() override;

    bool isConnected() const { return m_connected; }
    bool serverKnown() const { return m_serverWindow != 0; }
    // The gateway chosen last ("NNN:125") and its ID code.
    const std::string& gatewayAddress() const { return m_gatewayAddress; }
    const std::string& idCode() const { return m_idCode; }
    // The dialog closed after an error message that ends the program.
    bool endedOnError() const { return m_endedOnError; }

protected:
    void customEvent(QEvent* event) override;
    void reject() override;

private:
    void initDialog();
    bool fillList();
    void preselect();
    void onOk();
    void onServerReply(uint32_t serverWindow, uint32_t param2);
    void connectGateway();
    // Forgets the server and the gateway connection when the server that
    // answered the announcement is gone (stopped, or stopped and started again).
    void forgetServerIfGone();
    void takeFocus();
    void disconnectGateway();
    void signOffOrClose();
    void runUpload();
    void runMainList();
    void finish();
    void finishOnError();
    void updateOk();

    std::unique_ptr<Ui::SelMCDlg> m_ui;
    NetworkServices m_services;
    std::string m_network;     // `Connection`/`Network`: a fixed connection
    std::string m_lastNetwork; // `Connection`/`LastNetwork`: preselected
    uint32_t m_window = 0;
    uint32_t m_serverWindow = 0;
    uint32_t m_serverConnection = 0; // the link's connection count when the server answered
    bool m_connectAfterAnnounce = false;
    bool m_connected = false;
    uint16_t m_connectionHandle = 0;
    bool m_reconnectPending = false;
    bool m_closing = false;
    bool m_endedOnError = false;
    bool m_netConfigUpToDate = false;
    std::string m_gatewayAddress;
    std::string m_idCode;
};
