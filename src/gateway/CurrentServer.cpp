#include "gateway/CurrentServer.h"

#include "gateway/GatewaySession.h"
#include "support/ServerLink.h"

namespace {
uint32_t currentServerWindow = 0;
// The count of the link's connection over which the window was learned.
uint32_t currentConnection = 0;
} // namespace

uint32_t CurrentServerWindow() { return currentServerWindow; }

void SetCurrentServerWindow(uint32_t serverWindow)
{
    currentServerWindow = serverWindow;
    currentConnection = ServerLink::instance().connectionCount();
}

uint32_t ServerWindowForJob(const std::string& gatewayAddress)
{
    ServerLink& link = ServerLink::instance();
    if (currentServerWindow == 0 || (link.isOpen() && link.connectionCount() == currentConnection))
        return currentServerWindow;
    link.reset();
    GatewaySession session(gatewayAddress);
    std::string error;
    if (!session.open(error))
        return currentServerWindow;
    SetCurrentServerWindow(session.serverWindow());
    session.keepConnected();
    return currentServerWindow;
}
