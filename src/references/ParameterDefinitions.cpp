#include "references/ParameterDefinitions.h"

#include "model/Messages.h"
#include "model/Texts.h"
#include "protocol/LittleEndian.h"
#include "protocol/StrFormat.h"
#include "references/ReferenceRows.h"
#include "support/Db.h"
#include "support/OrpaPaths.h"
#include "support/Profile.h"
#include "support/RecordStore.h"
#include "support/UiSeam.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr uint8_t NeverOfferedClass = 251;
constexpr uint16_t GeneralFunction = 15;
constexpr uint16_t InternalFunction = 0;

using DefinitionKeyBytes = std::array<uint8_t, 26>;
// Identification, node text and function parameter: the part a scan keeps.
constexpr size_t DefinitionPrefixLength = 23;

DefinitionKeyBytes keyBytes(const DefinitionKey& key, const ParameterTriple& triple = {})
{
    McParDefRecord record;
    record.ident = key.ident;
    record.nodeText = key.nodeText;
    record.functionParameter = key.functionParameter;
    record.p1 = triple.p1;
    record.p2 = triple.p2;
    record.p3 = triple.p3;
    const auto bytes = record.bytes();
    DefinitionKeyBytes result{};
    std::copy_n(bytes.begin(), result.size(), result.begin());
    return result;
}

bool samePrefix(const DefinitionKeyBytes& a, const DefinitionKeyBytes& b)
{
    return std::equal(a.begin(), a.begin() + DefinitionPrefixLength, b.begin());
}

ParameterTriple tripleOf(const DefinitionKeyBytes& key) { return {key[23], key[24], key[25]}; }

// A scan that met status 9 has simply reached the end.
uint16_t endOfScan(uint16_t status) { return status == DbStatus::EndOfFile ? uint16_t(DbStatus::Success) : status; }

std::array<uint8_t, 16> functionKey(const std::string& descKey, uint16_t function)
{
    std::array<uint8_t, 16> key{};
    le::putStr(key.data(), 14, descKey);
    le::putU16(&key[14], function);
    return key;
}

// Unless forced, only a source newer than the destination, or one without a
// destination, is copied; a missing source is nothing to copy. Where the times
// cannot be read, the copy is tried and reports its failure.
bool copyWanted(const std::string& from, const std::string& to, bool force)
{
    if (force)
        return true;
    std::error_code ec;
    if (!fs::exists(from, ec))
        return bool(ec);
    if (!fs::exists(to, ec))
        return true;
    std::error_code sourceError;
    const auto destinationTime = fs::last_write_time(to, ec);
    const auto sourceTime = fs::last_write_time(from, sourceError);
    return ec || sourceError || destinationTime < sourceTime;
}

} // namespace

std::string DataFilePath(const std::string& name)
{
    const std::string prefix = DataDirectory();
    const auto slash = prefix.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : prefix.substr(0, slash + 1);
    const std::string start = slash == std::string::npos ? prefix : prefix.substr(slash + 1);
    return orpa::findFile(folder, start + name);
}

bool CopyDatabaseFile(const std::string& source, const std::string& destination, bool force, QWidget* parent)
{
    const std::string from = DataFilePath(source);
    const std::string to = DataFilePath(destination);
    if (!copyWanted(from, to, force))
        return true;
    const TableFileReplacement replacement = RecordStore::replaceTableFile(from, to, table::McParDef);
    if (replacement.ok())
        return true;
    qWarning("database file not copied: %s", replacement.describe().c_str());
    const std::string text = StrFormat("%s '%s'", TextById(txt::FailedToCopyDatabase).c_str(), source.c_str());
    ShowMessage(QString::fromStdString(text), MB::Ok | MB::IconStop, parent, true);
    return false;
}

bool KeepDefinitionRestorePoint(QWidget* parent)
{
    DbClose(table::McParDef);
    const bool copied = CopyDatabaseFile(DefinitionFile, DefinitionRestoreFile, false, parent);
    DbOpen(table::McParDef, DbMode::Normal);
    return copied;
}

bool RestoreDefinitions(QWidget* parent)
{
    DbClose(table::McParDef);
    const bool copied = CopyDatabaseFile(DefinitionRestoreFile, DefinitionFile, true, parent);
    const uint16_t status = DbOpen(table::McParDef, DbMode::Normal);
    if (status != DbStatus::Success && status != DbStatus::AlreadyOpen) {
        ReportDbError(table::McParDef, status, __FILE__, __LINE__, parent);
        return false;
    }
    return copied;
}

uint16_t ReadDefinedTriples(const DefinitionKey& key, std::vector<ParameterTriple>& triples)
{
    ScopedTable open(table::McParDef, DbMode::ReadOnly);
    if (open.status() != DbStatus::Success)
        return open.status();
    const DefinitionKeyBytes start = keyBytes(key);
    DefinitionKeyBytes found = start;
    uint16_t status = DbGet(table::McParDef, 0, found.data(), uint16_t(found.size()), nullptr, 0,
                            DbOp::KeyGetGreaterOrEqual);
    while (status == DbStatus::Success && samePrefix(found, start)) {
        triples.push_back(tripleOf(found));
        status = DbGet(table::McParDef, 0, found.data(), uint16_t(found.size()), nullptr, 0, DbOp::KeyGetGreater);
    }
    return endOfScan(status);
}

uint16_t HasDefinitions(const DefinitionKey& key, bool& found)
{
    found = false;
    ScopedTable open(table::McParDef, DbMode::ReadOnly);
    if (open.status() != DbStatus::Success)
        return open.status();
    const DefinitionKeyBytes start = keyBytes(key);
    DefinitionKeyBytes returned = start;
    const uint16_t status = DbGet(table::McParDef, 0, returned.data(), uint16_t(returned.size()), nullptr, 0,
                                  DbOp::KeyGetGreaterOrEqual);
    found = status == DbStatus::Success && samePrefix(returned, start);
    return endOfScan(status);
}

int ReadTextMode() { return GetPrivateProfileInt("QEBCtrl", "TxtMode", 0, OrpaIniFile()) == 1 ? 1 : 0; }

std::string TextByMode(const std::string& defaultText, const std::string& customText, int textMode)
{
    return textMode == 1 && !customText.empty() ? customText : defaultText;
}

uint16_t ReadControllerFunctions(const std::string& descKey, int textMode, std::vector<ControllerFunction>& functions)
{
    ScopedTable open(table::QebDes, DbMode::ReadOnly);
    if (open.status() != DbStatus::Success)
        return open.status();
    auto key = functionKey(descKey, InternalFunction);
    uint8_t record[QebDesRecord::Size];
    uint16_t status;
    // Get-greater from the key found last visits each function once.
    while ((status = DbGet(table::QebDes, 0, key.data(), uint16_t(key.size()), record, sizeof record,
                           DbOp::GetGreater))
           == DbStatus::Success) {
        const QebDesRecord description = QebDesRecord::read(record);
        if (description.descKey != descKey)
            break;
        if (description.function == InternalFunction || description.function == GeneralFunction)
            continue;
        const std::string text =
            TextByMode(description.functionDefaultText, description.functionCustomText, textMode);
        functions.push_back({description.function, text});
    }
    return endOfScan(status);
}

uint16_t ReadOfferedParameters(const std::string& descKey, uint16_t function, const std::vector<uint8_t>& classes,
                               int textMode, std::vector<OfferedParameter>& parameters)
{
    ScopedTable open(table::QebDes, DbMode::ReadOnly);
    if (open.status() != DbStatus::Success)
        return open.status();
    std::vector<uint16_t> passes{GeneralFunction};
    if (function != GeneralFunction)
        passes.push_back(function);
    for (uint16_t pass : passes) {
        auto key = functionKey(descKey, pass);
        uint8_t record[QebDesRecord::Size];
        uint16_t status = DbGet(table::QebDes, 0, key.data(), uint16_t(key.size()), record, sizeof record,
                                DbOp::GetEqual);
        while (status == DbStatus::Success) {
            const QebDesRecord description = QebDesRecord::read(record);
            if (description.descKey != descKey || description.function != pass)
                break;
            const uint8_t parameterClass = description.parameterClass;
            if (parameterClass != NeverOfferedClass
                && std::find(classes.begin(), classes.end(), parameterClass) != classes.end())
                parameters.push_back({{uint8_t(description.p1), uint8_t(description.p2), uint8_t(description.p3)},
                                      TextByMode(description.defaultText, description.customText, textMode)});
            status = DbRelGet(table::QebDes, 0, record, sizeof record, DbOp::GetNext);
        }
        if (status != DbStatus::Success && status != DbStatus::KeyNotFound && status != DbStatus::EndOfFile)
            return status;
    }
    return DbStatus::Success;
}

std::string ParameterListItem(const std::string& text, const ParameterTriple& t)
{
    return StrFormat("%-35.35s\t%03hd%03hd%03hd", text.c_str(), short(t.p1), short(t.p2), short(t.p3));
}

std::string DefinedListItem(const std::string& text, const ParameterTriple& t)
{
    return StrFormat("%-31.31s\t%03hd%03hd%03hd", text.c_str(), short(t.p1), short(t.p2), short(t.p3));
}

std::optional<ParameterTriple> TripleOfItem(const std::string& item)
{
    if (item.size() < 9)
        return std::nullopt;
    short p1 = 0, p2 = 0, p3 = 0;
    if (std::sscanf(item.c_str() + item.size() - 9, "%3hd%3hd%3hd", &p1, &p2, &p3) != 3)
        return std::nullopt;
    return ParameterTriple{uint8_t(p1), uint8_t(p2), uint8_t(p3)};
}

bool SaveDefinitions(const DefinitionKey& key, std::vector<DefinedItem>& items, QWidget* parent)
{
    ScopedTable open(table::McParDef, DbMode::Normal);
    if (open.status() != DbStatus::Success) {
        ReportDbError(table::McParDef, open.status(), __FILE__, __LINE__, parent);
        return false;
    }
    std::vector<ParameterTriple> stored;
    uint16_t status = ReadDefinedTriples(key, stored);
    if (status != DbStatus::Success) {
        ReportDbError(table::McParDef, status, __FILE__, __LINE__, parent);
        return false;
    }
    std::vector<ParameterTriple> removed;
    for (const ParameterTriple& triple : stored) {
        const auto item = std::find_if(items.begin(), items.end(),
                                       [&](const DefinedItem& i) { return i.triple == triple; });
        if (item != items.end())
            item->stored = true;
        else
            removed.push_back(triple);
    }
    for (const ParameterTriple& triple : removed) {
        DefinitionKeyBytes full = keyBytes(key, triple);
        uint8_t record[McParDefRecord::Size];
        status = DbGet(table::McParDef, 0, full.data(), uint16_t(full.size()), record, sizeof record, DbOp::GetEqual);
        if (status == DbStatus::Success)
            status = DbDelete(table::McParDef);
        if (status != DbStatus::Success) {
            ReportDbError(table::McParDef, status, __FILE__, __LINE__, parent);
            return false;
        }
    }
    for (DefinedItem& item : items) {
        if (item.stored)
            continue;
        McParDefRecord record;
        record.ident = key.ident;
        record.nodeText = key.nodeText;
        record.functionParameter = key.functionParameter;
        record.p1 = item.triple.p1;
        record.p2 = item.triple.p2;
        record.p3 = item.triple.p3;
        const auto bytes = record.bytes();
        status = DbInsert(table::McParDef, 0, bytes.data(), uint16_t(bytes.size()));
        if (status != DbStatus::Success) {
            ReportDbError(table::McParDef, status, __FILE__, __LINE__, parent);
            return false;
        }
        item.stored = true;
    }
    return true;
}

std::vector<WizardEntry> WizardEntriesOf(const std::vector<ReferenceRow>& selected, bool notDefinedOnly,
                                         std::vector<RowKey>& keys)
{
    std::vector<WizardEntry> entries;
    std::string previousAddress;
    bool first = true;
    for (const ReferenceRow& row : selected) {
        if (row.status == ReferenceStatus::Error)
            continue;
        if (notDefinedOnly && !(row.flags & ReferenceFlag::NotDefined))
            continue;
        keys.push_back(RowKeyOf(row));
        if (first || row.address != previousAddress)
            entries.push_back({WizardEntry::Undefined, row.address, row.idCode, row.ident, row.descKey});
        previousAddress = row.address;
        first = false;
    }
    return entries;
}

bool ComputeMarks(std::vector<WizardEntry>& entries, const std::string& networkPrefix, uint8_t functionParameter,
                  QWidget* parent)
{
    for (WizardEntry& entry : entries) {
        const std::string nodeKey = StrFormat("%-3.3s:%s", networkPrefix.c_str(), entry.address.c_str());
        bool found = false;
        uint16_t status = HasDefinitions({entry.ident, McParDefRecord::EveryNode, functionParameter}, found);
        if (status == DbStatus::Success && !found)
            status = HasDefinitions({entry.ident, nodeKey, functionParameter}, found);
        if (status != DbStatus::Success) {
            ReportDbError(table::McParDef, status, __FILE__, __LINE__, parent);
            return false;
        }
        entry.mark = found ? WizardEntry::Defined : WizardEntry::Undefined;
    }
    return true;
}
