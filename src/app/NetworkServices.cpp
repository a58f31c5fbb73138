#include "NetworkServices.h"

#include "ApplicationState.h"
#include "CurrentServer.h"
#include "MCFODlg.h"
#include "MCUplDlg.h"
#include "ProgramOperations.h"
#include "UiSeam.h"

NetworkServices ProgramNetworkServices()
{
    NetworkServices services;
    services.upload = [](QWidget* parent, const std::string& gatewayAddress, const std::string&,
                         uint32_t serverWindow) {
        SetCurrentServerWindow(serverWindow);
        return RunUpload(parent, gatewayAddress, serverWindow, appState().mode == AppMode::Reset);
    };
    services.mainList = [](QWidget* parent, const std::string& gatewayAddress, const std::string& idCode,
                           bool netConfigUpToDate) {
        MCFODlg list(gatewayAddress, idCode, netConfigUpToDate, ProgramListOperations(), parent);
        ui().runModal(list);
    };
    return services;
}
