#pragma once
// The monitoring system's fixed-size records that the program reads and
// writes, with their fields decoded. Each record type has one layout (its
// fields' names, offsets, widths and kinds) beside it, through which it is
// read, written and dumped; nothing is cast onto bytes.

#include "model/RecordLayout.h"

#include "protocol/NodeAddress.h"

#include <array>
#include <cstdint>
#include <string>
#include <tuple>

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

    std::string nodeKey;
    std::string idCode;
    std::string ident; // controller identification
    std::string descKey; // description key in QEBDES
    uint16_t nodeKind = 0;
    uint8_t supportLevel = 0; // for a gateway: non-zero when it runs control functions
    uint16_t netConfigStamp = 0; // of a gateway node

    static NetCnfRecord read(const uint8_t* bytes);
    void write(uint8_t* bytes) const;
    std::array<uint8_t, Size> bytes() const;

    bool operator==(const NetCnfRecord&) const = default;
};

inline constexpr std::tuple NetCnfFields{
    MemberField{{"nodeKey", 0, 8, FieldKind::Chars}, &NetCnfRecord::nodeKey},
    MemberField{{"idCode", 8, 17, FieldKind::Chars}, &NetCnfRecord::idCode},
    MemberField{{"ident", 25, 14, FieldKind::Chars}, &NetCnfRecord::ident},
    MemberField{{"descKey", 39, 14, FieldKind::Chars}, &NetCnfRecord::descKey},
    MemberField{{"kind", 53, 2, FieldKind::U16}, &NetCnfRecord::nodeKind},
    MemberField{{"level", 55, 1, FieldKind::U8}, &NetCnfRecord::supportLevel},
    MemberField{{"stamp", 56, 2, FieldKind::U16}, &NetCnfRecord::netConfigStamp},
};
inline constexpr auto NetCnfLayout = LayoutOf(NetCnfFields);

// Reads the node of a node key ("001:125") from NETCNF, opening the table for
// the read when it is not open: 0, 4 when there is no such node, or another status.
uint16_t ReadNetCnfNode(const std::string& nodeKey, NetCnfRecord& node);

// One parameter of a controller description (QEBDES, 186 bytes).
struct QebDesRecord {
    static constexpr uint16_t Size = 186;

    std::string descKey;
    uint16_t p1 = 0;
    uint16_t p2 = 0;
    uint16_t p3 = 0;
    uint16_t function = 0; // the controller function that holds the parameter
    uint8_t parameterClass = 0;
    std::string defaultText;
    std::string customText;
    std::string functionDefaultText;
    std::string functionCustomText;

    static QebDesRecord read(const uint8_t* bytes);
    void write(uint8_t* bytes) const;
    std::array<uint8_t, Size> bytes() const;

    bool operator==(const QebDesRecord&) const = default;
};

inline constexpr std::tuple QebDesFields{
    MemberField{{"descKey", 0, 14, FieldKind::Chars}, &QebDesRecord::descKey},
    MemberField{{"p1", 14, 2, FieldKind::U16}, &QebDesRecord::p1},
    MemberField{{"p2", 16, 2, FieldKind::U16}, &QebDesRecord::p2},
    MemberField{{"p3", 18, 2, FieldKind::U16}, &QebDesRecord::p3},
    MemberField{{"fn", 20, 2, FieldKind::U16}, &QebDesRecord::function},
    MemberField{{"class", 22, 1, FieldKind::U8}, &QebDesRecord::parameterClass},
    MemberField{{"text", 38, 32, FieldKind::Chars}, &QebDesRecord::defaultText},
    MemberField{{"custom", 70, 32, FieldKind::Chars}, &QebDesRecord::customText},
    MemberField{{"fnText", 102, 32, FieldKind::Chars}, &QebDesRecord::functionDefaultText},
    MemberField{{"fnCustom", 134, 32, FieldKind::Chars}, &QebDesRecord::functionCustomText},
};
inline constexpr auto QebDesLayout = LayoutOf(QebDesFields);

// One allowed controller parameter for a function parameter (MCPARDEF, 30 bytes).
struct McParDefRecord {
    static constexpr uint16_t Size = 30;
    static constexpr const char* EveryNode = "255:255";

    std::string ident;
    std::string nodeText; // "255:255" or a node key
    uint8_t functionParameter = 0;
    uint8_t p1 = 0, p2 = 0, p3 = 0;

    static McParDefRecord read(const uint8_t* bytes);
    void write(uint8_t* bytes) const;
    std::array<uint8_t, Size> bytes() const;

    bool operator==(const McParDefRecord&) const = default;
};

inline constexpr std::tuple McParDefFields{
    MemberField{{"ident", 0, 14, FieldKind::Chars}, &McParDefRecord::ident},
    MemberField{{"node", 14, 8, FieldKind::Chars}, &McParDefRecord::nodeText},
    MemberField{{"functionParameter", 22, 1, FieldKind::U8}, &McParDefRecord::functionParameter},
    MemberField{{"p1", 23, 1, FieldKind::U8}, &McParDefRecord::p1},
    MemberField{{"p2", 24, 1, FieldKind::U8}, &McParDefRecord::p2},
    MemberField{{"p3", 25, 1, FieldKind::U8}, &McParDefRecord::p3},
};
inline constexpr auto McParDefLayout = LayoutOf(McParDefFields);

// A custom text (ORPATEXT, 98 bytes).
struct OrpaTextRecord {
    static constexpr uint16_t Size = 98;
    static constexpr uint8_t TextById = 3;
    static constexpr uint8_t DialogControl = 1;

    std::string application; // upper case
    uint8_t kind = 0;
    uint16_t id = 0;      // text id or dialog id
    uint16_t control = 0; // control id (0 = caption)
    std::string text;

    static OrpaTextRecord read(const uint8_t* bytes);
    void write(uint8_t* bytes) const;
    std::array<uint8_t, Size> bytes() const;

    bool operator==(const OrpaTextRecord&) const = default;
    // The 15-byte key {application, kind, 0, id, control}.
    static std::array<uint8_t, 15> key(uint8_t kind, uint16_t id, uint16_t control);
};

inline constexpr std::tuple OrpaTextFields{
    MemberField{{"application", 0, 9, FieldKind::Chars}, &OrpaTextRecord::application},
    MemberField{{"kind", 9, 1, FieldKind::U8}, &OrpaTextRecord::kind},
    MemberField{{"id", 11, 2, FieldKind::U16}, &OrpaTextRecord::id},
    MemberField{{"control", 13, 2, FieldKind::U16}, &OrpaTextRecord::control},
    MemberField{{"text", 15, 83, FieldKind::Chars}, &OrpaTextRecord::text},
};
inline constexpr auto OrpaTextLayout = LayoutOf(OrpaTextFields);

// One event row (EVENTLOG, 340 bytes).
struct EventLogRecord {
    static constexpr uint16_t Size = 340;
    static constexpr uint8_t FunctionChange = 16;
    static constexpr size_t MaxText = 300;

    uint8_t eventClass = FunctionChange;
    std::string year, month, day, hour, minute, second;
    std::string text;
    std::string user;

    static EventLogRecord read(const uint8_t* bytes);
    void write(uint8_t* bytes) const;
    std::array<uint8_t, Size> bytes() const;

    bool operator==(const EventLogRecord&) const = default;
};

inline constexpr std::tuple EventLogFields{
    MemberField{{"class", 0, 1, FieldKind::U8}, &EventLogRecord::eventClass},
    MemberField{{"year", 1, 5, FieldKind::Chars}, &EventLogRecord::year},
    MemberField{{"month", 6, 3, FieldKind::Chars}, &EventLogRecord::month},
    MemberField{{"day", 9, 3, FieldKind::Chars}, &EventLogRecord::day},
    MemberField{{"hour", 12, 3, FieldKind::Chars}, &EventLogRecord::hour},
    MemberField{{"minute", 15, 3, FieldKind::Chars}, &EventLogRecord::minute},
    MemberField{{"second", 18, 3, FieldKind::Chars}, &EventLogRecord::second},
    MemberField{{"text", 21, EventLogRecord::MaxText + 1, FieldKind::Chars}, &EventLogRecord::text},
    MemberField{{"user", 322, 18, FieldKind::Chars}, &EventLogRecord::user},
};
inline constexpr auto EventLogLayout = LayoutOf(EventLogFields);

// A running application (XRTAPPL, 113 bytes).
struct XrtApplRecord {
    static constexpr uint16_t Size = 113;

    std::string application;
    uint16_t window = 0;
    std::string title;

    static XrtApplRecord read(const uint8_t* bytes);
    void write(uint8_t* bytes) const;
    std::array<uint8_t, Size> bytes() const;

    bool operator==(const XrtApplRecord&) const = default;
};

inline constexpr std::tuple XrtApplFields{
    MemberField{{"application", 0, 9, FieldKind::Chars}, &XrtApplRecord::application},
    MemberField{{"window", 9, 2, FieldKind::U16}, &XrtApplRecord::window},
    MemberField{{"title", 13, 100, FieldKind::Chars}, &XrtApplRecord::title},
};
inline constexpr auto XrtApplLayout = LayoutOf(XrtApplFields);

// A user (XRTBRUG, 256 bytes); the first record is the one logged on.
struct XrtBrugRecord {
    static constexpr uint16_t Size = 256;
    static constexpr int AccessLevels = 100;
    // This program's entry in the access level array; level 1 = view only.
    static constexpr int ProgramEntry = 76;
    static constexpr uint16_t ViewOnly = 1;

    std::string login;
    std::string name;
    std::array<uint16_t, AccessLevels> accessLevels{};

    static XrtBrugRecord read(const uint8_t* bytes);
    void write(uint8_t* bytes) const;
    std::array<uint8_t, Size> bytes() const;

    bool operator==(const XrtBrugRecord&) const = default;
};

inline constexpr std::tuple XrtBrugFields{
    MemberField{{"login", 0, 21, FieldKind::Chars}, &XrtBrugRecord::login},
    MemberField{{"name", 21, 29, FieldKind::Chars}, &XrtBrugRecord::name},
    MemberField{{"levels", 50, 2 * XrtBrugRecord::AccessLevels, FieldKind::U16}, &XrtBrugRecord::accessLevels},
};
inline constexpr auto XrtBrugLayout = LayoutOf(XrtBrugFields);
