#include "app/Application.h"

#include "app/InstanceGuard.h"
#include "model/ApplicationState.h"
#include "model/Messages.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "protocol/LittleEndian.h"
#include "protocol/StrFormat.h"
#include "protocol/Version.h"
#include "support/Db.h"
#include "support/OrpaPaths.h"
#include "support/Profile.h"
#include "support/RecordStore.h"
#include "support/RegularFile.h"
#include "support/ServerLink.h"
#include "support/UiSeam.h"
#include "support/Util.h"

#include <QApplication>
#include <QScreen>

#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace {

constexpr const char* ServerObjectName = "XRServer.Data.1";
constexpr size_t MaxTimeZoneLength = 255;
constexpr size_t MaxVersionLength = 32;

void showStop(const std::string& text) { ShowMessage(QString::fromStdString(text), MB::Ok | MB::IconStop); }

} // namespace

Application::Application(NetworkServices services)
    : m_services(std::move(services))
{
}

Application::~Application() = default;

const std::vector<std::pair<const char*, int>>& Application::StartupTables()
{
    static const std::vector<std::pair<const char*, int>> tables = {
        {table::NetCnf, DbMode::ReadOnly}, {table::QebDes, DbMode::ReadOnly}, {table::McParDef, DbMode::Normal},
        {table::XrtBrug, DbMode::ReadOnly}, {table::EventLog, DbMode::Normal},
    };
    return tables;
}

int Application::ModeFromArguments(const QStringList& arguments)
{
    bool ok = false;
    const int mode = arguments.mid(1).join(QString()).trimmed().toInt(&ok);
    return ok ? mode : 0;
}

std::string Application::VersionText(const std::string& version)
{
    std::string text = version;
    RemoveSpaces(text);
    for (char& c : text)
        if (c == ',')
            c = '.';
    text = text.substr(0, MaxVersionLength);
    return text.empty() ? "??" : text;
}

bool Application::initInstance(const QStringList& arguments)
{
    InstallTextService();
    m_guard = std::make_unique<InstanceGuard>();
    if (!m_guard->claim())
        return false;

    switch (XRServerInit()) {
    case 0:
        appState().serverReady = true;
        break;
    case 1:
        MessageById(txt::OleInitFailed, MB::Ok | MB::IconStop);
        return failStart();
    case 2:
        showStop(TextById(txt::UnableToCreate) + "\"" + ServerObjectName + "\"" + TextById(txt::ObjectSuffix));
        return failStart();
    default:
        break;
    }

    if (!profileReadable() || !openTables())
        return failStart();

    m_frame = std::make_unique<MainFrame>(m_services);
    QObject::connect(m_guard.get(), &InstanceGuard::activationRequested, m_frame.get(), &MainFrame::activate);
    m_frame->setWindowTitle(QText(txt::ControlFunctionDefinition));
    // Without a window manager a maximised window keeps its size; fill the screen first.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        m_frame->setGeometry(screen->availableGeometry());
    m_frame->showMaximized();

    const std::string zone =
        GetPrivateProfileString("Systeminfo", "TimeZone", "ESTDST", OrpaIniFile()).substr(0, MaxTimeZoneLength);
    setenv("TZ", zone.c_str(), 1);
    tzset();

    appState().mode = ModeFromArguments(arguments);
    if (appState().mode >= AppMode::Edit && appState().mode <= AppMode::Reset) {
        m_frame->postOpenSelectNetwork();
        appState().versionText = VersionText(VeltVersion);
        registerRunning();
    } else {
        QMetaObject::invokeMethod(m_frame.get(), &QWidget::close, Qt::QueuedConnection);
    }
    return true;
}

bool Application::failStart()
{
    m_startFailed = true;
    return false;
}

// Without ORPA.INI no table can be found: the start names the profile, not the first table.
bool Application::profileReadable()
{
    const std::string file = OrpaIniFile();
    const FileProblem problem = CheckRegularFile(file, MaxProfileSize);
    if (problem == FileProblem::None)
        return true;
    showStop(DescribeFileProblem(file, problem, MaxProfileSize));
    return false;
}

bool Application::openTables()
{
    for (const auto& [table, mode] : StartupTables()) {
        const uint16_t status = DbOpen(table, mode);
        if (status != DbStatus::Success && status != DbStatus::AlreadyOpen) {
            showStop(StrFormatRuntime(TextById(txt::ErrorOpeningDatabase).c_str(), table, int(status)) + "\n"
                     + RecordStore::instance().tableFile(table));
            DbCloseAll();
            return false;
        }
    }
    return true;
}

void Application::registerRunning()
{
    ScopedTable open(table::XrtAppl, DbMode::Normal);
    if (open.status() != DbStatus::Success)
        return;
    XrtApplRecord row;
    row.application = ApplicationName;
    row.window = uint16_t(getpid() & 0xFFFF);
    row.title = m_frame->windowTitle().toStdString() + " " + TextById(txt::Version) + " " + appState().versionText;
    const auto bytes = row.bytes();
    if (DbInsert(table::XrtAppl, 0, bytes.data(), XrtApplRecord::Size) == DbStatus::DuplicateKey) {
        // A row left behind by a run that did not end normally.
        uint8_t key[9] = {};
        le::putStr(key, sizeof key, ApplicationName);
        uint8_t old[XrtApplRecord::Size];
        if (DbGet(table::XrtAppl, 0, key, sizeof key, old, sizeof old, DbOp::GetEqual) == DbStatus::Success)
            DbUpdate(table::XrtAppl, 0, bytes.data(), XrtApplRecord::Size);
    }
}

void Application::exitInstance()
{
    if (appState().serverReady) {
        {
            ScopedTable open(table::XrtAppl, DbMode::Normal);
            uint8_t key[9] = {};
            le::putStr(key, sizeof key, ApplicationName);
            uint8_t row[XrtApplRecord::Size];
            if (open.status() == DbStatus::Success
                && DbGet(table::XrtAppl, 0, key, sizeof key, row, sizeof row, DbOp::GetEqual) == DbStatus::Success)
                DbDelete(table::XrtAppl);
        }
        DbCloseAll();
    }
    XRServerUnInitC();
    m_frame.reset();
}
