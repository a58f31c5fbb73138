#pragma once
// A gateway that runs control functions, as the communication server sees it:
// it answers every command of the telegram command table from its state and
// keeps its state in a gateway image file.
//
// Answers (data from byte 24; P = the function's type unless stated):
//   1  net-configuration stamp u16                                    (P 255)
//   2  total KiB u16, free KiB u16, number of functions, 100, the
//      limit of functions per type code 0..99                          (P 255)
//   3  number of functions, 3 bytes 0, the type of functions 1..105
//      (255 = none) at bytes 28..132                                   (P 255)
//   4  count, then per function: number, flags, stamp u32 (at most 18) (P 255)
//   10 number, flags, stamp u32, name[16], input mask, 8 x (kind, count),
//      output mask, 8 x (kind, count), schedule mask, 4 counts, block mask
//   12/14, 16/18, 22/24  number, count, items of 3, 9 or 37 bytes for the
//      indices asked for: index, address, [4 parameter bytes,] [32 ...,]
//      status, [2 checksum bytes]
//   20 number, count, per item: referenced function, status
//   30 number, flags, stamp u32, block bytes from byte 30; list blocks give
//      a count at byte 30 and the entries asked for from byte 31
//   writes 11..31: number, status, new stamp u32
//   70, 80, 90, 91: status
// A Po optimizer whose optimise-communication byte is 255 answers its block 1
// without that byte (length field 32), so the program knows it is not offered.

#include "GatewayState.h"
#include "protocol/Telegram.h"

#include <optional>
#include <string>

// Faults a test or a demo can switch on.
struct GatewayFaults {
    std::optional<uint8_t> refuseWrites; // every write 11..31 answered with this status
    bool changedStamp = false;           // stamps move after the stamp read; writes answered 16
    bool memoryFull = false;             // no free memory; new functions refused
    bool answerOtherFunction = false;    // answers name the next function number in place of the asked one
    bool corruptStoredBlock = false;     // data block writes are accepted but stored with one byte changed
};

class SimulatedGateway {
public:
    explicit SimulatedGateway(GatewayState state, GatewayFaults faults = {});

    // The answer to a telegram; nothing when no row of the command table fits it.
    std::optional<Telegram> answer(const Telegram& request);

    // After each accepted change the state is written to this image file.
    void setImageFile(const std::string& path) { m_imageFile = path; }
    // The reason the last save failed; empty when it worked.
    const std::string& saveError() const { return m_saveError; }

    // PasswordAnswer for a password (empty = does the gateway want one?).
    uint32_t checkPassword(const std::string& password) const;

    const GatewayState& state() const { return m_state; }
    // The gateway's address text, "NNN:125".
    std::string address() const;

private:
    std::optional<Telegram> answerAsAsked(const Telegram& request);
    void renumberAnswer(Telegram& answer) const;
    // The written block's first byte that the gateway does not measure itself,
    // or the first written entry, with its lowest bit flipped.
    void corruptStoredBlock(uint8_t type, uint8_t blockNumber, uint8_t firstEntry, DataBlock& block) const;
    Telegram functionListAnswer(const IdentifiedTelegram& id, const uint8_t* data, uint16_t length,
                                uint8_t status) const;
    Telegram reply(uint8_t command, uint16_t dataLength, uint8_t p, uint8_t offset) const;
    Telegram writeAnswer(const IdentifiedTelegram& id, uint8_t number, uint8_t status) const;
    uint8_t reportedFlags(const GatewayFunction& function) const;
    GatewayFunction* find(uint8_t number);

    Telegram netConfigStamp() const;
    Telegram memory() const;
    Telegram directory() const;
    Telegram stamps(const uint8_t* data, uint16_t length);
    Telegram header(uint8_t number);
    Telegram references(const IdentifiedTelegram& id, const uint8_t* data, uint16_t length);
    Telegram schedules(const IdentifiedTelegram& id, uint8_t number);
    Telegram dataBlock(const IdentifiedTelegram& id, const uint8_t* data, uint16_t length);

    Telegram write(const IdentifiedTelegram& id, const uint8_t* data, uint16_t length);
    uint8_t writeHeader(uint8_t type, const uint8_t* data, uint16_t length);
    uint8_t writeReferences(GatewayFunction& function, const IdentifiedTelegram& id, const uint8_t* data,
                            uint16_t length);
    uint8_t writeSchedules(GatewayFunction& function, uint8_t group, const uint8_t* data, uint16_t length);
    uint8_t writeDataBlock(GatewayFunction& function, uint8_t block, const uint8_t* data, uint16_t length);
    Telegram startStop(const IdentifiedTelegram& id, const uint8_t* data, uint16_t length);
    Telegram remove(const IdentifiedTelegram& id, const uint8_t* data, uint16_t length);
    Telegram reset(const IdentifiedTelegram& id);

    void save();

    GatewayState m_state;
    GatewayFaults m_faults;
    std::string m_imageFile;
    std::string m_saveError;
};

