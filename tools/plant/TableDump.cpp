#include "TableDump.h"

#include "model/McdefRecord.h"
#include "model/Records.h"
#include "model/StringTable.h"
#include "protocol/LittleEndian.h"
#include "protocol/StrFormat.h"
#include "support/Db.h"
#include "support/OrpaPaths.h"
#include "support/Profile.h"
#include "support/RecordStore.h"
#include "support/RegularFile.h"
#include "support/TableSchema.h"

#include <initializer_list>
#include <span>
#include <string_view>
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

enum class Shown {
    ByKind, // integers in decimal, texts in quotes, bytes in hex
    Plain,  // texts without quotes
    Hex,    // integers as 0x and two digits a byte
};

// The fields of one record as the dump shows them, found by their names in
// the record's layout.
class ShownFields {
public:
    ShownFields(std::span<const FieldLayout> layout, const uint8_t* record) : m_layout(layout), m_record(record) {}

    uint32_t number(std::string_view name) const { return ReadNumber(FieldNamed(m_layout, name), m_record); }

    std::string value(std::string_view name, Shown shown = Shown::ByKind) const
    {
        const FieldLayout& field = FieldNamed(m_layout, name);
        switch (field.kind) {
        case FieldKind::Chars:
            return shown == Shown::Plain ? ReadText(field, m_record) : inQuotes(ReadText(field, m_record));
        case FieldKind::Bytes:
            return HexBytes(m_record + field.offset, field.width, "");
        default:
            break;
        }
        const uint32_t n = ReadNumber(field, m_record);
        return shown == Shown::Hex ? StrFormat("0x%0*x", int(2 * field.width), n) : std::to_string(n);
    }

    // "name=value", under the field's name in the layout.
    std::string labelled(std::string_view name, Shown shown = Shown::ByKind) const
    {
        return std::string(name) + "=" + value(name, shown);
    }

private:
    std::span<const FieldLayout> m_layout;
    const uint8_t* m_record;
};

std::string joined(std::initializer_list<std::string> parts)
{
    std::string line;
    for (const std::string& part : parts)
        line += (&part == parts.begin() ? "" : " ") + part;
    return line;
}

std::string describeMcdef(const uint8_t* b)
{
    const ShownFields f(McdefLayout, b);
    const ShownFields header(McdefHeaderLayout, b);
    std::string line = joined({f.labelled("fn"), f.labelled("block"), f.labelled("nr"), f.labelled("item"),
                               f.labelled("status", Shown::Hex)});
    if (f.number("block") == BlockType::Header)
        line += " "
            + joined({header.labelled("type"), "(" + typeNameOf(uint8_t(header.number("type"))) + ")",
                      header.labelled("name"), header.labelled("flags", Shown::Hex), header.labelled("stamp", Shown::Hex)});
    return line + " " + f.labelled("content");
}

std::string describeNetCnf(const uint8_t* b)
{
    const ShownFields f(NetCnfLayout, b);
    return joined({f.value("nodeKey", Shown::Plain), f.labelled("idCode"), f.labelled("ident"), f.labelled("descKey"),
                   f.labelled("kind"), f.labelled("level"), f.labelled("stamp")});
}

std::string describeQebDes(const uint8_t* b)
{
    const ShownFields f(QebDesLayout, b);
    return joined({f.value("descKey"), "p=" + f.value("p1") + "," + f.value("p2") + "," + f.value("p3"),
                   f.labelled("fn"), f.labelled("class"), f.labelled("text"), f.labelled("custom"),
                   f.labelled("fnText"), f.labelled("fnCustom")});
}

std::string describeMcParDef(const uint8_t* b)
{
    const ShownFields f(McParDefLayout, b);
    return joined({f.value("ident"), f.labelled("node", Shown::Plain), f.labelled("functionParameter"),
                   "p=" + f.value("p1") + "," + f.value("p2") + "," + f.value("p3")});
}

std::string describeOrpaText(const uint8_t* b)
{
    const ShownFields f(OrpaTextLayout, b);
    const bool ofDialog = f.number("kind") == OrpaTextRecord::DialogControl;
    std::string line
        = joined({f.value("application"), f.labelled("kind"), ofDialog ? "dialog=" + f.value("id") : f.labelled("id")});
    if (ofDialog || f.number("control") != 0)
        line += " " + f.labelled("control");
    return line + " " + f.labelled("text");
}

std::string describeEventLog(const uint8_t* b)
{
    const ShownFields f(EventLogLayout, b);
    const auto plain = [&f](std::string_view name) { return f.value(name, Shown::Plain); };
    return joined({plain("year") + "-" + plain("month") + "-" + plain("day"),
                   plain("hour") + ":" + plain("minute") + ":" + plain("second"), f.labelled("class"),
                   f.labelled("user"), f.labelled("text")});
}

std::string describeXrtAppl(const uint8_t* b)
{
    const ShownFields f(XrtApplLayout, b);
    return joined({f.value("application"), f.labelled("window"), f.labelled("title")});
}

// Users list only the access levels that are set, as entry:level.
std::string describeXrtBrug(const uint8_t* b)
{
    const ShownFields f(XrtBrugLayout, b);
    const FieldLayout& levels = FieldNamed(XrtBrugLayout, "levels");
    std::string set;
    for (size_t i = 0; i < levels.count(); ++i)
        if (const uint32_t level = ReadNumber(levels, b, i))
            set += (set.empty() ? "" : ",") + StrFormat("%zu:%u", i, level);
    return joined({f.labelled("login"), f.labelled("name"), std::string(levels.name) + "=" + (set.empty() ? "none" : set)});
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
std::string profileOf(const std::string& home) { return orpa::findFile(home, "ORPA.INI"); }

std::string dataFolderOf(const std::string& home)
{
    const std::string folder = home.empty() || home.back() == '/' ? home : home + "/";
    std::string data = GetPrivateProfileString("Install", "DATADir", "", profileOf(home));
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

    // Without its profile the home has no data folder: name the profile, not the table.
    const std::string profile = profileOf(home);
    if (const FileProblem problem = CheckRegularFile(profile, MaxProfileSize); problem != FileProblem::None)
        return DescribeFileProblem(profile, problem, MaxProfileSize);
    store.setDataDirectory(dataFolderOf(home));
    const std::string file = store.tableFile(schema->name);
    std::optional<std::string> failure;
    uint16_t status = DbOpen(schema->name.c_str(), DbMode::ReadOnly);
    if (status == DbStatus::NotAvailable) {
        failure = file + ": no such table file";
    } else if (status == DbStatus::NotATable && CheckRegularFile(file, UINT64_MAX) == FileProblem::NotRegular) {
        failure = DescribeFileProblem(file, FileProblem::NotRegular, 0);
    } else if (status != DbStatus::Success) {
        failure = file + ": cannot open table " + schema->name + ": " + DbStatusText(status);
    } else {
        std::vector<uint8_t> record(schema->recordLength);
        status = DbRelGet(schema->name.c_str(), 0, record.data(), schema->recordLength, DbOp::GetFirst);
        while (status == DbStatus::Success) {
            out << (hex ? HexBytes(record.data(), record.size(), "") : DescribeRecord(schema->name, record.data(), record.size()))
                << '\n';
            status = DbRelGet(schema->name.c_str(), 0, record.data(), schema->recordLength, DbOp::GetNext);
        }
        if (status != DbStatus::EndOfFile)
            failure = file + ": reading " + schema->name + " failed: " + DbStatusText(status);
        DbClose(schema->name.c_str());
    }
    store.setDataDirectory("");
    return failure;
}
