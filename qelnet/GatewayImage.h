#pragma once
// The gateway image file: a simulated gateway's whole state, so that a demo
// keeps its functions between runs. Little-endian throughout.
//
// Header (20 bytes):
//   0   char[8]  "QELGWIMG"
//   8   u16      format version, 1
//   10  u16      0
//   12  u32      length of the body that follows
//   16  u32      CRC-32 (IEEE) of the body
// Body:
//   u16 network number, u16 net-configuration stamp, u16 memory for functions
//   in KiB, u32 the last stamp handed out, char[17] password (NUL-terminated,
//   empty = none), u8[100] the limit of functions per type code, u8 number of
//   functions, then per function in number order:
//     u8 number, u8 type, u8 flags, u32 stamp, char[16] name,
//     u8 input slot mask, u8[8] input slot kinds, u8 output slot mask,
//     u8[8] output slot kinds, u8 schedule group mask, u8 data block mask,
//     u16 reference items, each: u8 direction (1 in, 2 out), u8 slot,
//       u8 write command it came with, u8 controller address, u8 status,
//       u8[34] parameter bytes (record bytes 6..39),
//     u8 schedule references, each: u8 group, u8 referenced function,
//     u8 data blocks, each: u8 block number (1..4 as written, 0x83/0x84 the
//       gateway's own history of blocks 3 and 4), u8 entry size (0 = plain),
//       then a plain block's 104 bytes, or u8 count and the entries.

#include "GatewayState.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

constexpr char GatewayImageMagic[8] = {'Q', 'E', 'L', 'G', 'W', 'I', 'M', 'G'};
constexpr uint16_t GatewayImageVersion = 1;
constexpr size_t GatewayImageHeaderSize = 20;
// A gateway's image or its description is a few kilobytes; a larger file is
// neither, and a folder or a FIFO is refused before anything blocks on it.
constexpr uint64_t MaxImageFileSize = 16 * 1024 * 1024;

std::vector<uint8_t> EncodeGatewayImage(const GatewayState& state);
// The state of an image; nothing and the reason when it is damaged.
std::optional<GatewayState> DecodeGatewayImage(const std::vector<uint8_t>& bytes, std::string& error);

std::optional<GatewayState> ReadGatewayImage(const std::string& path, std::string& error);
// Writes beside the file and renames it over; the reason when that fails.
std::optional<std::string> WriteGatewayImage(const std::string& path, const GatewayState& state);

uint32_t Crc32(const uint8_t* bytes, size_t size);
