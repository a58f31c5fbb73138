#include "TableDump.h"

#include "model/Records.h"
#include "model/StringTable.h"
#include "protocol/LittleEndian.h"
#include "protocol/StrFormat.h"
#include "support/Db.h"
#include "support/OrpaPaths.h"
#include "support/Profile.h"
#include "support/RecordStore.h"
#include "support/TableSchema.h"

#include <strings.h>
#include <vector>

namespace {

// A text field in double quotes, with line breaks, quotes and other control
// characters escaped so that every record stays on one line.
std::string inQuotes(const std::string& text)
{
    std::string q = "\"";
    for (const unsigned char c : text) {
        if (c == '\n')
            q += "\\n";
        else if (c == '\r')
            q += "\\r";
        else if (c == '\t')
            q += "\\t";
        else if (c == '"' || c == '\\')
            q += std::string("\\") + char(c);
        else if (c < 0x20 || c == 0x7F)
            q += StrFormat("\\x%02x", c);
        else
            q += char(c);
    }
    return q + "\"";
}

std::string typeNameOf(uint8_t code)
{
    const char* name = BuiltinTextById(uint16_t(1000 + code));
    return name && code < 100 ? name : "?";
}

std::string describeMcdef(const uint8_t* b)
{
    std::string line = StrFormat("fn=%u block=%u nr=%u item=%u status=0x%04x", b[0], b[1], b[2], b[3], le::u16(b + 4));
    if (b[1] == 0) {
        line += StrFormat(" type=%u", b[10]) + " (" + typeNameOf(b[10]) + ")";
        line += " name=" + inQuotes(le::str(b + 11, 17));
        line += StrFormat(" flags=0x%02x stamp=0x%08x", b[28], le::u32(b + 6));
    }
    return line + " content=" + HexBytes(b + 6, 104, "");
}

std::string describeNetCnf(const uint8_t* b)
{
    const NetCnfRecord r = NetCnfRecord::read(b);
    return r.nodeKey + " idCode=" + inQuotes(r.idCode) + " ident=" + inQuotes(r.ident) + " descKey=" + inQuotes(r.descKey)
        + StrFormat(" kind=%u level=%u stamp=%u", r.nodeKind, r.supportLevel, r.netConfigStamp);
}

std::string describeQebDes(const uint8_t* b)
{
    const QebDesRecord r = QebDesRecord::read(b);
    return inQuotes(r.descKey) + StrFormat(" p=%u,%u,%u fn=%u class=%u", r.p1, r.p2, r.p3, r.function, r.parameterClass)
        + " text=" + inQuotes(r.defaultText) + " custom=" + inQuotes(r.customText)
        + " fnText=" + inQuotes(r.functionDefaultText) + " fnCustom=" + inQuotes(r.functionCustomText);
}

std::string describeMcParDef(const uint8_t* b)
{
    const McParDefRecord r = McParDefRecord::read(b);
    return inQuotes(r.ident) + " node=" + r.nodeText
        + StrFormat(" functionParameter=%u p=%u,%u,%u", r.functionParameter, r.p1, r.p2, r.p3);
}

std::string describeOrpaText(const uint8_t* b)
{
    const OrpaTextRecord r = OrpaTextRecord::read(b);
    std::string line = inQuotes(r.application) + StrFormat(" kind=%u", r.kind);
    if (r.kind == OrpaTextRecord::DialogControl)
        line += StrFormat(" dialog=%u control=%u", r.id, r.control);
    else
        line += StrFormat(" id=%u", r.id) + (r.control ? StrFormat(" control=%u", r.control) : std::string());
    return line + " text=" + inQuotes(r.text);
}

std::string describeEventLog(const uint8_t* b)
{
    const EventLogRecord r = EventLogRecord::read(b);
    return r.year + "-" + r.month + "-" + r.day + " " + r.hour + ":" + r.minute + ":" + r.second
        + StrFormat(" class=%u", r.eventClass) + " user=" + inQuotes(r.user) + " text=" + inQuotes(r.text);
}

std::string describeXrtAppl(const uint8_t* b)
{
    const XrtApplRecord r = XrtApplRecord::read(b);
    return inQuotes(r.application) + StrFormat(" window=%u", r.window) + " title=" + inQuotes(r.title);
}

std::string describeXrtBrug(const uint8_t* b)
{
    const XrtBrugRecord r = XrtBrugRecord::read(b);
    std::string levels;
    for (int i = 0; i < XrtBrugRecord::AccessLevels; ++i)
        if (r.accessLevels[size_t(i)] != 0)
            levels += (levels.empty() ? "" : ",") + StrFormat("%d:%u", i, r.accessLevels[size_t(i)]);
    return "login=" + inQuotes(r.login) + " name=" + inQuotes(r.name) + " levels=" + (levels.empty() ? "none" : levels);
}

struct Decoder {
    const char* table;
    std::string (*describe)(const uint8_t*);
};

constexpr Decoder decoders[] = {
    {table::Mcdef, describeMcdef},         {table::NetCnf, describeNetCnf},     {table::QebDes, describeQebDes},
    {table::McParDef, describeMcParDef},   {table::OrpaText, describeOrpaText}, {table::EventLog, describeEventLog},
    {table::XrtAppl, describeXrtAppl},     {table::XrtBrug, describeXrtBrug},
};

// The data folder of a home: `Install`/`DATADir` of its ORPA.INI, taken
// relative to the home when it is not absolute.
std::string dataFolderOf(const std::string& home)
{
    const std::string folder = home.empty() || home.back() == '/' ? home : home + "/";
    std::string data = GetPrivateProfileString("Install", "DATADir", "", orpa::findFile(folder, "ORPA.INI"));
    if (data.empty() || data.front() != '/')
        data = folder + data;
    return data;
}

} // namespace

std::string DescribeRecord(const std::string& table, const uint8_t* record, size_t length)
{
    const TableSchema* schema = FindTableSchema(table);
    for (const Decoder& d : decoders)
        if (schema && strcasecmp(d.table, table.c_str()) == 0 && length >= schema->recordLength)
            return d.describe(record);
    return HexBytes(record, length, "");
}

std::optional<std::string> DumpTable(const std::string& home, const std::string& table, bool hex, std::ostream& out)
{
    const TableSchema* schema = FindTableSchema(table);
    if (!schema)
        return "unknown table " + table;
    RecordStore& store = RecordStore::instance();
    if (store.isOpen(schema->name))
        return "table " + schema->name + " is open in this process";

    store.setDataDirectory(dataFolderOf(home));
    const std::string file = store.tableFile(schema->name);
    std::optional<std::string> failure;
    uint16_t status = DbOpen(schema->name.c_str(), DbMode::ReadOnly);
    if (status == DbStatus::NotAvailable) {
        failure = file + ": no such table file";
    } else if (status != DbStatus::Success) {
        failure = file + ": cannot open table " + schema->name + " (status " + std::to_string(status) + ")";
    } else {
        std::vector<uint8_t> record(schema->recordLength);
        status = DbRelGet(schema->name.c_str(), 0, record.data(), schema->recordLength, DbOp::GetFirst);
        while (status == DbStatus::Success) {
            out << (hex ? HexBytes(record.data(), record.size(), "") : DescribeRecord(schema->name, record.data(), record.size()))
                << '\n';
            status = DbRelGet(schema->name.c_str(), 0, record.data(), schema->recordLength, DbOp::GetNext);
        }
        if (status != DbStatus::EndOfFile)
            failure = file + ": reading " + schema->name + " failed (status " + std::to_string(status) + ")";
        DbClose(schema->name.c_str());
    }
    store.setDataDirectory("");
    return failure;
}
