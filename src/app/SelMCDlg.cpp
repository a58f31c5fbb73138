#include "app/SelMCDlg.h"
#include "ui_SelMCDlg.h"

#include "model/ApplicationState.h"
#include "model/Messages.h"
#include "model/Records.h"
#include "model/StringTable.h"
#include "model/Texts.h"
#include "protocol/LittleEndian.h"
#include "support/CutTextToolTips.h"
#include "support/Db.h"
#include "support/OrpaPaths.h"
#include "support/Profile.h"
#include "support/ServerLink.h"
#include "support/UiSeam.h"

#include <QHeaderView>
#include <QTimer>

namespace {

constexpr uint16_t ConnectionRecordSize = 13;
constexpr uint16_t ConnectionRecordKind = 33;
constexpr int LineRole = Qt::UserRole;

std::string trimRight(std::string text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

} // namespace

SelMCDlg::SelMCDlg(NetworkServices services, QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::SelMCDlg)
    , m_services(std::move(services))
{
    m_ui->setupUi(this);
    ShowCutTextsAsToolTips(*m_ui->gatewayList);
    m_window = ServerLink::instance().registerWindow(this);
    connect(m_ui->okButton, &QPushButton::clicked, this, &SelMCDlg::onOk);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &SelMCDlg::reject);
    connect(m_ui->gatewayList, &QTreeWidget::itemSelectionChanged, this, &SelMCDlg::updateOk);
    connect(m_ui->gatewayList, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (m_ui->okButton->isEnabled())
            onOk();
    });
    // The dialog's initialisation runs once its own event loop runs, as a
    // dialog's does when it opens; it may have to close the dialog again.
    QTimer::singleShot(0, this, &SelMCDlg::initDialog);
}

SelMCDlg::~SelMCDlg()
{
    if (m_connectionHandle)
        XRGlobalDeleteStruct(m_connectionHandle);
}

void SelMCDlg::initDialog()
{
    const std::string ini = OrpaIniFile();
    m_network = GetPrivateProfileString("Connection", "Network", "", ini).substr(0, 3);
    m_lastNetwork = GetPrivateProfileString("Connection", "LastNetwork", "", ini).substr(0, 3);
    m_serverWindow = 0;
    DialogTexts(this);
    if (appState().mode == AppMode::Reset)
        m_ui->okButton->setText(QText(txt::ResetCfButton));
    m_ui->gatewayList->setHeaderLabels({QText(txt::ColumnSystemAddress), QText(txt::ColumnIdCode)});
    m_ui->gatewayList->header()->resizeSection(0, 110);

    BroadcastAnnounce(m_window);
    if (!fillList())
        return;
    preselect();
}

bool SelMCDlg::fillList()
{
    ScopedTable open(table::NetCnf, DbMode::ReadOnly);
    uint16_t status = open.status();
    char pattern[8] = "???:125";
    uint8_t record[NetCnfRecord::Size];
    if (status == DbStatus::Success)
        status = DbWildCardGet(table::NetCnf, 0, pattern, sizeof pattern, record, sizeof record, DbOp::GetFirst);
    while (status == DbStatus::Success) {
        const NetCnfRecord node = NetCnfRecord::read(record);
        const std::string network = node.nodeKey.substr(0, 3);
        if (node.supportLevel != 0) {
            const std::string line = " " + network + "\t" + node.idCode;
            auto* item = new QTreeWidgetItem(m_ui->gatewayList,
                                             {QString::fromStdString(network), QString::fromStdString(node.idCode)});
            item->setData(0, LineRole, QString::fromStdString(line));
        } else if (!m_network.empty() && std::atoi(network.c_str()) == std::atoi(m_network.c_str())) {
            MessageById(txt::NetworkWithoutControlFunctions, MB::Ok | MB::IconStop, this);
            finishOnError();
            return false;
        }
        status = DbWildCardGet(table::NetCnf, 0, pattern, sizeof pattern, record, sizeof record, DbOp::GetNext);
    }
    if (status != DbStatus::EndOfFile) {
        ReportDbError(table::NetCnf, status, __FILE__, __LINE__, this);
        finishOnError();
        return false;
    }
    return true;
}

void SelMCDlg::preselect()
{
    const std::string wanted = " " + (m_network.empty() ? m_lastNetwork : m_network);
    QTreeWidgetItem* chosen = nullptr;
    for (int i = 0; i < m_ui->gatewayList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_ui->gatewayList->topLevelItem(i);
        if (wanted.size() > 1 && item->data(0, LineRole).toString().startsWith(QString::fromStdString(wanted))) {
            chosen = item;
            break;
        }
    }
    if (!chosen && m_ui->gatewayList->topLevelItemCount() > 0)
        chosen = m_ui->gatewayList->topLevelItem(0);
    if (chosen)
        m_ui->gatewayList->setCurrentItem(chosen);
    updateOk();
}

void SelMCDlg::updateOk() { m_ui->okButton->setEnabled(!m_ui->gatewayList->selectedItems().isEmpty()); }

void SelMCDlg::onOk()
{
    const QList<QTreeWidgetItem*> selected = m_ui->gatewayList->selectedItems();
    if (selected.isEmpty())
        return;
    const std::string line = selected.first()->data(0, LineRole).toString().toStdString();
    const auto tab = line.find('\t');
    const std::string network = line.substr(1, 3);
    const std::string address = GatewayAddress(network);
    const std::string idCode = trimRight(tab == std::string::npos ? std::string() : line.substr(tab + 1)).substr(0, 16);

    forgetServerIfGone();
    if (m_connected) {
        if (address == m_gatewayAddress) {
            runUpload();
            return;
        }
        m_reconnectPending = true;
        disconnectGateway();
        return;
    }
    m_gatewayAddress = address;
    m_idCode = idCode;
    if (m_serverWindow == 0) {
        // Not known, or gone since: announce afresh and connect on the reply.
        m_connectAfterAnnounce = true;
        m_ui->okButton->setEnabled(false);
        if (!ServerLink::instance().broadcastAnnounce(m_window)) {
            m_connectAfterAnnounce = false;
            MessageById(txt::NoConnectionToDriver, MB::Ok | MB::IconStop, this);
            updateOk();
        }
        return;
    }
    connectGateway();
}

void SelMCDlg::forgetServerIfGone()
{
    const ServerLink& link = ServerLink::instance();
    if (m_serverWindow == 0 || (link.isOpen() && link.connectionCount() == m_serverConnection))
        return;
    if (m_connectionHandle)
        XRGlobalDeleteStruct(m_connectionHandle);
    m_connectionHandle = 0;
    m_connected = false;
    m_reconnectPending = false;
    m_serverWindow = 0;
}

void SelMCDlg::takeFocus()
{
    activateWindow();
    m_ui->gatewayList->setFocus();
}

void SelMCDlg::connectGateway()
{
    uint8_t record[ConnectionRecordSize] = {};
    le::putU16(record, ConnectionRecordKind);
    le::putStr(record + 5, 8, m_gatewayAddress);
    if (m_connectionHandle)
        XRGlobalDeleteStruct(m_connectionHandle);
    m_connectionHandle = XRGlobalAddStruct(record, ConnectionRecordSize);
    if (m_connectionHandle == 0) {
        MessageById(txt::AllocatingRamError, MB::Ok | MB::IconStop, this);
        return;
    }
    m_ui->okButton->setEnabled(false);
    if (!PostServerMessage(m_serverWindow, ServerMessage::Connect, m_window,
                           (uint32_t(ServerReply::ConnectCode) << 16) + m_connectionHandle)) {
        // The server went away since it answered the announcement.
        XRGlobalDeleteStruct(m_connectionHandle);
        m_connectionHandle = 0;
        m_serverWindow = 0;
        MessageById(txt::NoConnectionToDriver, MB::Ok | MB::IconStop, this);
        updateOk();
    }
}

void SelMCDlg::disconnectGateway()
{
    if (!PostServerMessage(m_serverWindow, ServerMessage::Connect, m_window,
                           (uint32_t(ServerReply::DisconnectCode) << 16) | m_connectionHandle)) {
        // Nobody to tell: the connection is gone with the server.
        onServerReply(m_serverWindow, (uint32_t(ServerReply::DisconnectCode) << 16) | ServerReply::Connected);
    }
}

void SelMCDlg::signOffOrClose()
{
    if (m_serverWindow != 0 && PostServerMessage(m_serverWindow, ServerMessage::SignOff, m_window, 0))
        return;
    finish();
}

void SelMCDlg::customEvent(QEvent* event)
{
    if (event->type() != ServerMessageEvent::eventType())
        return QDialog::customEvent(event);
    const auto* message = static_cast<ServerMessageEvent*>(event);
    switch (message->message) {
    case ServerMessage::Reply:
        onServerReply(message->param1, message->param2);
        break;
    case ServerMessage::SignOff:
        finish();
        break;
    default:
        break;
    }
}

void SelMCDlg::onServerReply(uint32_t serverWindow, uint32_t param2)
{
    const uint16_t code = uint16_t(param2 >> 16);
    const uint16_t status = uint16_t(param2 & 0xFFFF);
    switch (code) {
    case ServerReply::AnnounceCode:
        if (status != ServerReply::Connected)
            return;
        m_serverWindow = serverWindow;
        m_serverConnection = ServerLink::instance().connectionCount();
        if (m_connectAfterAnnounce) {
            m_connectAfterAnnounce = false;
            connectGateway();
            return;
        }
        if (!m_network.empty() && !m_ui->gatewayList->selectedItems().isEmpty()) {
            onOk();
            m_ui->okButton->setEnabled(false);
        }
        return;
    case ServerReply::ConnectCode:
        updateOk();
        if (status == ServerReply::Connected) {
            m_connected = true;
            runUpload();
        } else {
            XRGlobalDeleteStruct(m_connectionHandle);
            m_connectionHandle = 0;
            MessageById(txt::CommunicationErrorTryAgain, MB::Ok | MB::IconStop, this);
        }
        return;
    case ServerReply::DisconnectCode:
        XRGlobalDeleteStruct(m_connectionHandle);
        m_connectionHandle = 0;
        m_connected = false;
        if (m_reconnectPending && !m_closing) {
            m_reconnectPending = false;
            onOk();
        } else {
            signOffOrClose();
        }
        return;
    case 0:
        if (status != 0) {
            // The link to the server failed: nothing is connected any more.
            m_connected = false;
            m_serverWindow = 0;
            m_reconnectPending = false;
            m_connectAfterAnnounce = false;
            ServerLink::instance().reset();
            MessageById(txt::CommunicationErrorTryAgain, MB::Ok | MB::IconStop, this);
            if (m_closing)
                finish();
            updateOk();
        }
        return;
    default:
        return;
    }
}

void SelMCDlg::runUpload()
{
    if (!m_services.upload)
        return;
    const UploadResult result = m_services.upload(this, m_gatewayAddress, m_idCode, m_serverWindow);
    if (result != UploadResult::UpToDate && result != UploadResult::NotUpToDate) {
        takeFocus();
        return;
    }
    m_netConfigUpToDate = result == UploadResult::UpToDate;
    QTimer::singleShot(0, this, &SelMCDlg::runMainList);
}

void SelMCDlg::runMainList()
{
    if (m_services.mainList)
        m_services.mainList(this, m_gatewayAddress, m_idCode, m_netConfigUpToDate);
    takeFocus();
}

void SelMCDlg::reject()
{
    if (m_closing)
        return;
    m_closing = true;
    m_reconnectPending = false;
    if (m_connected) {
        disconnectGateway();
        return;
    }
    signOffOrClose();
}

void SelMCDlg::finish() { done(QDialog::Rejected); }

void SelMCDlg::finishOnError()
{
    m_endedOnError = true;
    finish();
}
