#include "app/NetworkServices.h"

#include "gateway/CurrentServer.h"
#include "gateway/UnsentChanges.h"
#include "list/MCFODlg.h"
#include "list/ProgramOperations.h"
#include "model/ApplicationState.h"
#include "support/UiSeam.h"

NetworkServices ProgramNetworkServices()
{
    NetworkServices services;
    services.upload = [](QWidget* parent, const std::string& gatewayAddress, const std::string&,
                         uint32_t serverWindow) {
        SetCurrentServerWindow(serverWindow);
        return RunUploadKeepingChanges(parent, gatewayAddress, serverWindow, appState().mode == AppMode::Reset);
    };
    services.mainList = [](QWidget* parent, const std::string& gatewayAddress, const std::string& idCode,
                           bool netConfigUpToDate) {
        MCFODlg list(gatewayAddress, idCode, netConfigUpToDate, ProgramListOperations(), parent);
        ui().runModal(list);
    };
    return services;
}
