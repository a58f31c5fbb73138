#include "NetworkServices.h"

#include "MCFODlg.h"
#include "ProgramOperations.h"
#include "UiSeam.h"

NetworkServices ProgramNetworkServices()
{
    NetworkServices services;
    // The upload from the gateway plugs in here; until it exists a connected
    // gateway ends here and nothing is uploaded.
    services.upload = [](QWidget*, const std::string&, const std::string&) { return 2; };
    services.mainList = [](QWidget* parent, const std::string& gatewayAddress, const std::string& idCode,
                           bool netConfigUpToDate) {
        MCFODlg list(gatewayAddress, idCode, netConfigUpToDate, ProgramListOperations(), parent);
        list.setObjectName(QStringLiteral("MCFODlg"));
        ui().runModal(list);
    };
    return services;
}
