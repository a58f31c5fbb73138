#pragma once
// The application object: start-up and end of the program. It claims the one
// instance, initialises the server link, opens the monitoring system's tables,
// creates the main frame, sets the time zone, takes the mode from the command
// line and registers the program among the running applications.

#include "app/MainFrame.h"

#include <QString>
#include <QStringList>

#include <memory>

class InstanceGuard;

class Application {
public:
    explicit Application(NetworkServices services);
    ~Application();

    // False when the program must end at once (another instance runs, or a
    // step of the start-up failed and said so).
    bool initInstance(const QStringList& arguments);
    // The process's exit code, asked before exitInstance: 1 when the start or
    // "Select network" ended on an error, else 0.
    int exitCode() const { return m_startFailed || (m_frame && m_frame->endedOnError()) ? 1 : 0; }
    // Removes the program's row of running applications, closes all tables and
    // releases the server link.
    void exitInstance();

    MainFrame* frame() const { return m_frame.get(); }

    // The five tables the program opens at start, in order, with their modes.
    static const std::vector<std::pair<const char*, int>>& StartupTables();
    // The command line read as a decimal number (0 when it is not one).
    static int ModeFromArguments(const QStringList& arguments);
    // The version text: blanks dropped, commas turned into points, at most 32
    // characters, "??" when there is none.
    static std::string VersionText(const std::string& version);

private:
    bool profileReadable();
    bool openTables();
    void registerRunning();
    // Ends the start on an error; false, for initInstance to return.
    bool failStart();

    NetworkServices m_services;
    std::unique_ptr<InstanceGuard> m_guard;
    std::unique_ptr<MainFrame> m_frame;
    bool m_startFailed = false;
};
