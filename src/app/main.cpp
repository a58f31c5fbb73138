#include "app/Application.h"
#include "app/NetworkServices.h"
#include "protocol/Version.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

const char* const Usage = R"(Usage: velt MODE
  or:  velt --help | --version

Defines the control functions that the network gateways of a refrigeration
plant run: yearly schedules, day/night signals, central defrost, alarm
limits, peak shaving, suction pressure optimisation and the switching of
controllers. velt reads a gateway's functions through the communication
server, edits them one at a time, writes them back, starts and stops them,
keeps a backup file per gateway and logs every change.

Modes:
  1          edit: functions can be created, changed, deleted, started and
             stopped
  2          browse: the function list hides New, Delete, Start, Stop and the
             Blocks group
  3          reset: "Select network" offers to clear a gateway's whole
             function setup
  other      start and end at once, without a window

Options:
  --help     this text
  --version  the version

Environment:
  ORPA_HOME  the home folder of the monitoring system: ORPA.INI, the tables
             (ORPA.INI [Install] DATADir) and the communication server's
             socket (ORPA.INI [Connection] Server)

velt ends when "Select network" is closed; its exit code is 0 unless it could
not start or an error ended it.
)";

} // namespace

int main(int argc, char* argv[])
{
    // Answered before Qt starts, so that they need no display.
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("velt %s\n", VeltVersion);
        return 0;
    }
    QApplication qtApplication(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velt"));
    Application application(ProgramNetworkServices());
    if (!application.initInstance(QApplication::arguments()))
        return application.exitCode();
    const int result = QApplication::exec();
    const int exitCode = result != 0 ? result : application.exitCode();
    application.exitInstance();
    return exitCode;
}
