#pragma once
// Node addresses as the network and its tables name them: "NNN:AAA", the
// network number, a colon and the node's three digits.

#include <cstdint>
#include <string>

// The node kind of a controller in the network configuration.
inline constexpr uint16_t ControllerNodeKind = 32;
// The gateway of a network is always node 125.
inline constexpr int GatewayNode = 125;

std::string NodeKey(const std::string& networkPrefix, int address);
std::string GatewayAddress(const std::string& networkPrefix);
// The network number as text: the first three characters of an address text.
std::string NetworkPrefix(const std::string& addressText);
// The three-digit text of a network number.
std::string NetworkText(uint16_t network);
