#include "protocol/NodeAddress.h"

#include "protocol/StrFormat.h"

std::string NodeKey(const std::string& networkPrefix, int address)
{
    return StrFormat("%-3.3s:%03d", networkPrefix.c_str(), address);
}

std::string GatewayAddress(const std::string& networkPrefix) { return NodeKey(networkPrefix, GatewayNode); }

std::string NetworkPrefix(const std::string& addressText) { return addressText.substr(0, 3); }

std::string NetworkText(uint16_t network) { return StrFormat("%03u", unsigned(network % 1000)); }
