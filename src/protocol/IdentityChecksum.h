#pragma once
// The identity checksum of a controller: 16 bits over its node kind and its
// identification, stored with parameter references so that the upload can
// tell when a referenced controller was replaced by another kind.

#include <cstdint>
#include <string>

// Over 14 bytes: the node kind's low byte, then the identification (at most 13
// characters, zero-padded). Starting from 0xFFFF each byte is XORed into the
// low byte and then shifted out over 16 steps with the polynomial 0x1021.
uint16_t IdentityChecksum(uint8_t nodeKind, const std::string& identification);
