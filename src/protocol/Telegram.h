#pragma once
// The 134-byte telegram exchanged with a gateway through the communication
// server, and the command table that says how each command is framed. One
// place builds telegrams, one identifies them; the program and the simulated
// gateway both use it.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

constexpr size_t TelegramSize = 134;
using Telegram = std::array<uint8_t, TelegramSize>;

namespace TelegramField {
enum : size_t {
    Control = 1,        // 0x22
    Destination = 5,    // u16: network number x 128 + node address
    Marker = 8,         // 0x21
    Class = 9,          // class from the command table (bits 0..1)
    Length = 11,        // u32: data length + 5
    Command1 = 19,
    Command2 = 20,
    Command3 = 21,
    Parameter = 22,     // P: the function type, or 255
    Item = 23,          // base item + offset
    Data = 24,
};
}
constexpr size_t TelegramDataSize = TelegramSize - TelegramField::Data; // 110

// Server job codes of the command table.
namespace ServerJob {
enum : uint16_t { Read = 2100, Write = 2101, NetConfig = 2102 };
}

struct CommandRow {
    uint8_t number;
    uint8_t telegramClass;
    uint8_t byte1, byte2, byte3;
    bool typeCheck;  // byte 22 must be a known function type
    uint8_t baseItem;
    uint8_t itemRange; // 0 = exactly the base item; n = base + 1 .. base + n
    uint16_t job;
};

// Commands by number, as the exchanges name them.
namespace Command {
enum : uint8_t {
    NetConfigStamp = 1,
    Memory = 2,
    Directory = 3,
    Stamps = 4,
    ReadHeader = 10,
    WriteHeader = 11,
    ReadSimpleInputs = 12,
    WriteSimpleInputs = 13,
    ReadSimpleOutputs = 14,
    WriteSimpleOutputs = 15,
    ReadParameterInputs = 16,
    WriteParameterInputs = 17,
    ReadParameterOutputs = 18,
    WriteParameterOutputs = 19,
    ReadSchedules = 20,
    WriteSchedules = 21,
    ReadMultiInputs = 22,
    WriteMultiInputs = 23,
    ReadMultiOutputs = 24,
    WriteMultiOutputs = 25,
    ReadDataBlock = 30,
    WriteDataBlock = 31,
    Start = 70,
    Stop = 80,
    Delete = 90,
    Reset = 91,
};
}

constexpr size_t CommandCount = 26;
const std::array<CommandRow, CommandCount>& CommandTable();
// The row of a command number; null when the table has no such command.
const CommandRow* FindCommand(uint8_t number);

// The destination node of an address text "NNN:AAA": network x 128 + node.
uint16_t DestinationNode(const std::string& addressText);

// Frames a telegram for a command: class and command bytes from the table,
// P, item = base + offset, destination from the address, length = data
// length + 5; the data are zero for the caller to fill. Null for an unknown command.
std::optional<Telegram> BuildTelegram(uint8_t command, const std::string& gatewayAddress, uint16_t dataLength,
                                      uint8_t p, uint8_t offset);

struct IdentifiedTelegram {
    uint8_t command;
    uint8_t p;
    uint8_t offset; // item - base
};

// The first row whose command bytes 1 and 3, type check and item range fit the
// telegram; nothing when none fits.
std::optional<IdentifiedTelegram> IdentifyTelegram(const Telegram& telegram);

// The data length carried in the length field (length - 5; 0 when shorter).
uint16_t TelegramDataLength(const Telegram& telegram);
void SetTelegramDataLength(Telegram& telegram, uint16_t dataLength);
