#pragma once
// The monitoring system's fixed-size records that the program reads and
// writes, with their fields decoded. Each record type reads from and writes
// to its little-endian byte layout; nothing is cast onto bytes.

#include "protocol/NodeAddress.h"

#include <array>
#include <cstdint>
#include <string>

// Table names as the database calls take them.
namespace table {
inline constexpr const char* Mcdef = "MCDEF";
inline constexpr const char* NetCnf = "NETCNF";
inline constexpr const char* QebDes = "QEBDES";
inline constexpr const char* McParDef = "MCPARDEF";
inline constexpr const char* OrpaText = "ORPATEXT";
inline constexpr const char* EventLog = "EVENTLOG";
inline constexpr const char* XrtAppl = "XRTAPPL";
inline constexpr const char* XrtBrug = "XRTBRUG";
} // namespace table

// The class name of the program's main window, under which its rows in the
// monitoring system's tables are kept.
inline constexpr const char* ApplicationName = "VELT";

// One network node (NETCNF, 58 bytes).
struct NetCnfRecord {
    static constexpr uint16_t Size = 58;
    static constexpr uint16_t ControllerKind = ControllerNodeKind;

    std::string nodeKey;       // 0, char[8]
    std::string idCode;        // 8, char[17]
    std::string ident;         // 25, char[14], controller identification
    std::string descKey;       // 39, char[14], description key in QEBDES
    uint16_t nodeKind = 0;     // 53
    uint8_t supportLevel = 0;  // 55; for a gateway: non-zero when it runs control functions
    uint16_t netConfigStamp = 0; // 56, of a gateway node

    static NetCnfRecord read(const uint8_t* bytes);
    void write(uint8_t* bytes) const;
    std::array<uint8_t, Size> bytes() const;
};

// One parameter of a controller description (QEBDES, 186 bytes).
struct QebDesRecord {
    static constexpr uint16_t Size = 186;

    std::string descKey;        // 0, char[14]
    uint16_t p1 = 0;            // 14
    uint16_t p2 = 0;            // 16
    uint16_t p3 = 0;            // 18
    uint16_t function = 0;      // 20, the controller function that holds the parameter
    uint8_t parameterClass = 0; // 22
    std::string defaultText;    // 38, char[32]
    std::string customText;     // 70, char[32]
    std::string functionDefaultText; // 102, char[32]
    std::string functionCustomText;  // 134, char[32]

    static QebDesRecord read(const uint8_t* bytes);
    void write(uint8_t* bytes) const;
    std::array<uint8_t, Size> bytes() const;
};

// One allowed controller parameter for a function parameter (MCPARDEF, 30 bytes).
struct McParDefRecord {
    static constexpr uint16_t Size = 30;
    static constexpr const char* EveryNode = "255:255";

    std::string ident;             // 0, char[14]
    std::string nodeText;          // 14, char[8]: "255:255" or a node key
    uint8_t functionParameter = 0; // 22
    uint8_t p1 = 0, p2 = 0, p3 = 0; // 23..25

    static McParDefRecord read(const uint8_t* bytes);
    void write(uint8_t* bytes) const;
    std::array<uint8_t, Size> bytes() const;
};

// A custom text (ORPATEXT, 98 bytes).
struct OrpaTextRecord {
    static constexpr uint16_t Size = 98;
    static constexpr uint8_t TextById = 3;
    static constexpr uint8_t DialogControl = 1;

    std::string application; // 0, char[9], upper case
    uint8_t kind = 0;        // 9
    uint16_t id = 0;         // 11, text id or dialog id
    uint16_t control = 0;    // 13, control id (0 = caption)
    std::string text;        // 15, char[83]

    static OrpaTextRecord read(const uint8_t* bytes);
    void write(uint8_t* bytes) const;
    std::array<uint8_t, Size> bytes() const;
    // The 15-byte key {application, kind, 0, id, control}.
    static std::array<uint8_t, 15> key(uint8_t kind, uint16_t id, uint16_t control);
};

// One event row (EVENTLOG, 340 bytes).
struct EventLogRecord {
    static constexpr uint16_t Size = 340;
    static constexpr uint8_t FunctionChange = 16;
    static constexpr size_t MaxText = 300;

    uint8_t eventClass = FunctionChange; // 0
    std::string year, month, day, hour, minute, second; // 1, 6, 9, 12, 15, 18
    std::string text;                    // 21, char[301]
    std::string user;                    // 322, char[18]

    static EventLogRecord read(const uint8_t* bytes);
    void write(uint8_t* bytes) const;
    std::array<uint8_t, Size> bytes() const;
};

// A running application (XRTAPPL, 113 bytes).
struct XrtApplRecord {
    static constexpr uint16_t Size = 113;

    std::string application; // 0, char[9]
    uint16_t window = 0;     // 9
    std::string title;       // 13, char[100]

    static XrtApplRecord read(const uint8_t* bytes);
    void write(uint8_t* bytes) const;
    std::array<uint8_t, Size> bytes() const;
};

// A user (XRTBRUG, 256 bytes); the first record is the one logged on.
struct XrtBrugRecord {
    static constexpr uint16_t Size = 256;
    static constexpr int AccessLevels = 100;
    // This program's entry in the access level array; level 1 = view only.
    static constexpr int ProgramEntry = 76;
    static constexpr uint16_t ViewOnly = 1;

    std::string login;   // 0, char[21]
    std::string name;    // 21, char[29]
    std::array<uint16_t, AccessLevels> accessLevels{}; // 50..249

    static XrtBrugRecord read(const uint8_t* bytes);
    void write(uint8_t* bytes) const;
    std::array<uint8_t, Size> bytes() const;
};
