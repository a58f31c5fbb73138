#include "app/Application.h"
#include "app/NetworkServices.h"

#include <QApplication>

int main(int argc, char* argv[])
{
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
