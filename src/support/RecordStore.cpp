#include "support/RecordStore.h"

#include "support/OrpaPaths.h"
#include "support/RegularFile.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return text;
}

uint16_t statusOf(int sqliteCode)
{
    switch (sqliteCode & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return DbStatus::Success;
    case SQLITE_CONSTRAINT:
        return DbStatus::DuplicateKey;
    case SQLITE_FULL:
        return DbStatus::DiskFull;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return DbStatus::AccessDenied;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DbStatus::Locked;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_SCHEMA:
        return DbStatus::NotATable;
    case SQLITE_CANTOPEN:
        return DbStatus::AccessDenied;
    default:
        return DbStatus::IoError;
    }
}

// Whether the last failure on the connection came from a full disk or quota. SQLite
// reports a journal or journal index that cannot grow as an I/O error; errno tells.
bool diskFull(sqlite3* db)
{
    const int error = db ? sqlite3_system_errno(db) : 0;
    return error == ENOSPC || error == EDQUOT;
}

uint16_t statusOf(int sqliteCode, sqlite3* db)
{
    return sqliteCode != SQLITE_OK && diskFull(db) ? uint16_t(DbStatus::DiskFull) : statusOf(sqliteCode);
}

// Finalizes a statement when it goes out of use.
struct Statement {
    sqlite3_stmt* handle = nullptr;
    Statement() = default;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() { sqlite3_finalize(handle); }
};

std::string keyColumn(int keyNumber) { return "k" + std::to_string(keyNumber); }

// Whether the file holds this table of this store with its record length.
uint16_t checkTableMeta(sqlite3* db, const TableSchema& schema)
{
    Statement check;
    int rc = sqlite3_prepare_v2(db, "SELECT record_length FROM meta WHERE name = ?1", -1, &check.handle, nullptr);
    if (rc != SQLITE_OK)
        return rc == SQLITE_ERROR && !diskFull(db) ? uint16_t(DbStatus::NotATable) : statusOf(rc, db);
    sqlite3_bind_text(check.handle, 1, schema.name.c_str(), -1, SQLITE_STATIC);
    rc = sqlite3_step(check.handle);
    if (rc != SQLITE_ROW)
        return rc == SQLITE_DONE ? uint16_t(DbStatus::NotATable) : statusOf(rc, db);
    return sqlite3_column_int(check.handle, 0) == schema.recordLength ? uint16_t(DbStatus::Success)
                                                                      : uint16_t(DbStatus::NotATable);
}

using Outcome = TableFileReplacement::Outcome;

// One page of the smallest page size at least; tables of a plant stay far below the upper bound.
constexpr uintmax_t SmallestTableFile = 512;
constexpr uintmax_t LargestTableFile = uintmax_t(1) << 30;

bool journalHasContent(const std::string& path)
{
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path + "-wal", ec);
    return !ec && size > 0;
}

// A URI that opens the file as it lies, without locks and without creating a journal beside it.
std::string untouchedUri(const std::string& path)
{
    std::string uri = "file:";
    for (const char c : path) {
        if (c == '%' || c == '?' || c == '#') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", unsigned(static_cast<unsigned char>(c)));
            uri += escaped;
        } else {
            uri += c;
        }
    }
    return uri + "?immutable=1";
}

// How closely a table file is checked.
enum class TableCheck {
    CopySource, // as it lies, without its journal, by the quick check: about to be copied
    Integrity,  // as the next open finds it, journal applied, by the full integrity check
};

// "01 04 01 00": a stored key, as the record's bytes give it.
std::string hexKey(const void* bytes, int length)
{
    std::string text;
    for (int i = 0; i < length; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%s%02X", i ? " " : "", unsigned(static_cast<const unsigned char*>(bytes)[i]));
        text += hex;
    }
    return text;
}

// What a table file must hold to pass: the table of that name (null: any
// table of this store), with no record when it is a template.
struct TableExpectation {
    const TableSchema* schema = nullptr;
    bool empty = false;
};

// The records: each of the table's length, none in a template.
TableFileReplacement checkRecords(sqlite3* db, const TableSchema& schema, bool empty, const std::string& path)
{
    Statement wrong;
    if (sqlite3_prepare_v2(db, "SELECT k0, length(rec) FROM records WHERE length(rec) != ?1 ORDER BY id LIMIT 1", -1,
                           &wrong.handle, nullptr)
        != SQLITE_OK)
        return {diskFull(db) ? Outcome::DiskFull : Outcome::SourceNotATable, path};
    sqlite3_bind_int(wrong.handle, 1, schema.recordLength);
    const int rc = sqlite3_step(wrong.handle);
    if (rc == SQLITE_ROW)
        return {Outcome::RecordLength, path,
                "the record with key " + hexKey(sqlite3_column_blob(wrong.handle, 0), sqlite3_column_bytes(wrong.handle, 0))
                    + " is " + std::to_string(sqlite3_column_int(wrong.handle, 1)) + " bytes, not "
                    + std::to_string(schema.recordLength)};
    if (rc != SQLITE_DONE)
        return {Outcome::SourceDamaged, path};
    if (!empty)
        return {Outcome::Replaced, path};
    Statement count;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM records", -1, &count.handle, nullptr) != SQLITE_OK
        || sqlite3_step(count.handle) != SQLITE_ROW)
        return {Outcome::SourceDamaged, path};
    const int64_t records = sqlite3_column_int64(count.handle, 0);
    if (records == 0)
        return {Outcome::Replaced, path};
    return {Outcome::SourceNotEmpty, path, std::to_string(records) + (records == 1 ? " record" : " records")};
}

TableFileReplacement checkOpenTable(sqlite3* db, TableCheck how, const TableExpectation& expected,
                                    const std::string& path)
{
    {
        Statement check;
        const char* pragma = how == TableCheck::Integrity ? "PRAGMA integrity_check" : "PRAGMA quick_check";
        if (sqlite3_prepare_v2(db, pragma, -1, &check.handle, nullptr) != SQLITE_OK)
            return {diskFull(db) ? Outcome::DiskFull : Outcome::SourceNotATable, path};
        const int rc = sqlite3_step(check.handle);
        if (rc != SQLITE_ROW && diskFull(db))
            return {Outcome::DiskFull, path};
        if (rc == SQLITE_NOTADB)
            return {Outcome::SourceNotATable, path};
        const auto* verdict = reinterpret_cast<const char*>(sqlite3_column_text(check.handle, 0));
        if (rc != SQLITE_ROW || !verdict || std::strcmp(verdict, "ok") != 0)
            return {Outcome::SourceDamaged, path};
    }
    Statement meta;
    if (sqlite3_prepare_v2(db, "SELECT name, record_length FROM meta", -1, &meta.handle, nullptr) != SQLITE_OK
        || sqlite3_step(meta.handle) != SQLITE_ROW)
        return {Outcome::SourceNotATable, path};
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(meta.handle, 0));
    const TableSchema* schema = text ? FindTableSchema(text) : nullptr;
    if (!schema)
        return {Outcome::SourceNotATable, path};
    if (expected.schema && schema != expected.schema)
        return {Outcome::OtherTable, path, "a table of " + schema->name + ", not of " + expected.schema->name};
    const int recordLength = sqlite3_column_int(meta.handle, 1);
    if (recordLength != schema->recordLength)
        return {Outcome::RecordLength, path,
                "its records are " + std::to_string(recordLength) + " bytes, " + schema->name + "'s are "
                    + std::to_string(schema->recordLength)};
    return checkRecords(db, *schema, expected.empty, path);
}

// Replaced when the file is a whole table file of this store, as expected, that passes the check.
TableFileReplacement checkTable(const std::string& path, TableCheck how, const TableExpectation& expected)
{
    switch (CheckRegularFile(path, LargestTableFile)) {
    case FileProblem::None:
        break;
    case FileProblem::Missing:
        return {Outcome::SourceMissing, path};
    case FileProblem::NotRegular:
        return {Outcome::SourceNotAFile, path};
    case FileProblem::TooLarge:
    case FileProblem::Unreadable:
    case FileProblem::NoMemory:
        return {Outcome::SourceImplausibleSize, path};
    }
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size < SmallestTableFile || size % SmallestTableFile != 0)
        return {Outcome::SourceImplausibleSize, path};
    if (how == TableCheck::CopySource && journalHasContent(path))
        return {Outcome::JournalPending, path};
    sqlite3* db = nullptr;
    TableFileReplacement verdict{Outcome::SourceNotATable, path};
    const int opened = how == TableCheck::CopySource
        ? sqlite3_open_v2(untouchedUri(path).c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr)
        : sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (opened == SQLITE_OK)
        verdict = checkOpenTable(db, how, expected, path);
    sqlite3_close(db);
    return verdict;
}

} // namespace

std::string TableFileReplacement::describe() const
{
    switch (outcome) {
    case Replaced: return file + ": replaced";
    case SourceMissing: return file + ": no such file";
    case SourceNotAFile: return file + ": not a regular file";
    case SourceImplausibleSize: return file + ": its size is not that of a table file";
    case SourceNotATable: return file + ": not a table of this store";
    case SourceDamaged: return file + ": fails the integrity check";
    case JournalPending: return file + ": has unwritten journal content";
    case WriteFailed: return detail.empty() ? file + ": cannot be written" : detail;
    case DiskFull: return file + ": cannot be opened to be checked, the disk is full";
    case OtherTable: return file + ": " + detail;
    case RecordLength: return file + ": " + detail;
    case SourceNotEmpty: return file + ": holds " + detail + ", an empty template none";
    case TargetRefused: return detail;
    }
    return file;
}

struct RecordStore::Table {
    sqlite3* db = nullptr;
    const TableSchema* schema = nullptr;
    bool readOnly = false;
    int batchDepth = 0;
    bool batchAbandoned = false; // a level of the batch ended without commit

    // Current record and the key path it was reached by.
    bool positioned = false;
    int keyNumber = 0;
    int64_t rowId = 0;
    std::vector<uint8_t> current;

    // One forward scan per key number, "(k, id) > (?, ?) ORDER BY k, id". The
    // scan of the current key path is left stepping while the caller reads on,
    // so that a get-next costs one step instead of a new query.
    std::vector<std::unique_ptr<Statement>> scans;
    int liveScan = -1;

    std::unique_ptr<Statement> insertStatement;
    std::unique_ptr<Statement> updateStatement;
    std::unique_ptr<Statement> deleteStatement;

    ~Table()
    {
        scans.clear();
        insertStatement.reset();
        updateStatement.reset();
        deleteStatement.reset();
        if (db) {
            if (!readOnly)
                sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
            sqlite3_close(db);
        }
    }

    void stopScan()
    {
        if (liveScan >= 0)
            sqlite3_reset(scans[size_t(liveScan)]->handle);
        liveScan = -1;
    }

    int prepare(Statement& statement, const std::string& sql)
    {
        return sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &statement.handle, nullptr);
    }

    // Binds the keys of a record to parameters 2.. of an insert or update.
    void bindKeys(sqlite3_stmt* statement, const uint8_t* record)
    {
        for (size_t k = 0; k < schema->keys.size(); ++k) {
            const std::string raw = schema->keyOf(int(k), record);
            const std::string sortable = schema->sortableKey(int(k), reinterpret_cast<const uint8_t*>(raw.data()));
            sqlite3_bind_blob(statement, int(k) + 2, sortable.data(), int(sortable.size()), SQLITE_TRANSIENT);
        }
    }

    // Starts the scan of key path k at (sortable key, id) and steps once.
    int startScan(int k, const std::string& sortableKey, int64_t afterId)
    {
        stopScan();
        sqlite3_stmt* s = scans[size_t(k)]->handle;
        sqlite3_bind_blob(s, 1, sortableKey.data(), int(sortableKey.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(s, 2, afterId);
        liveScan = k;
        return sqlite3_step(s);
    }

    int stepScan() { return sqlite3_step(scans[size_t(liveScan)]->handle); }

    // Takes the row the live scan stands on as the current record; false
    // when the stored record has another length than the table's (it is
    // then padded or cut only so that the scan can go on past it).
    bool takeRow(int k)
    {
        sqlite3_stmt* s = scans[size_t(k)]->handle;
        rowId = sqlite3_column_int64(s, 0);
        const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(s, 1));
        const int size = sqlite3_column_bytes(s, 1);
        current.assign(bytes, bytes + size);
        current.resize(schema->recordLength);
        keyNumber = k;
        positioned = true;
        return size == schema->recordLength;
    }

    std::string currentSortableKey(int k) const
    {
        const std::string raw = schema->keyOf(k, current.data());
        return schema->sortableKey(k, reinterpret_cast<const uint8_t*>(raw.data()));
    }
};

RecordStore& RecordStore::instance()
{
    static RecordStore store;
    return store;
}

RecordStore::RecordStore() = default;

RecordStore::~RecordStore() { closeAll(); }

void RecordStore::setDataDirectory(const std::string& prefix) { m_dataDirectory = prefix; }

std::string RecordStore::tableFile(const std::string& table) const { return dataFile(upper(table) + ".DAT"); }

std::string RecordStore::dataFile(const std::string& fileName) const
{
    std::string prefix = m_dataDirectory.empty() ? DataDirectory() : m_dataDirectory;
    // The prefix may name a folder and the start of a file name; split it.
    const auto slash = prefix.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : prefix.substr(0, slash + 1);
    const std::string start = slash == std::string::npos ? prefix : prefix.substr(slash + 1);
    return orpa::findFile(folder, start + fileName);
}

RecordStore::Table* RecordStore::find(const std::string& table) const
{
    const auto it = m_tables.find(upper(table));
    return it == m_tables.end() ? nullptr : it->second.get();
}

RecordStore::Table* RecordStore::findWithKey(const std::string& table, int keyNumber, uint16_t& status) const
{
    Table* t = find(table);
    if (!t)
        status = DbStatus::NotOpen;
    else if (keyNumber < 0 || size_t(keyNumber) >= t->schema->keys.size())
        status = DbStatus::InvalidKeyNumber;
    else
        return t;
    return nullptr;
}

bool RecordStore::isOpen(const std::string& table) const { return find(table) != nullptr; }

uint16_t RecordStore::open(const std::string& table, int mode)
{
    if (find(table))
        return DbStatus::AlreadyOpen;
    const TableSchema* schema = FindTableSchema(table);
    if (!schema)
        return DbStatus::NotAvailable;
    const std::string path = tableFile(table);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return std::filesystem::exists(path, ec) ? DbStatus::NotATable : DbStatus::NotAvailable;

    auto t = std::make_unique<Table>();
    t->schema = schema;
    t->readOnly = mode == DbMode::ReadOnly;
    const int flags = t->readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    int rc = sqlite3_open_v2(path.c_str(), &t->db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK)
        return statusOf(rc, t->db);
    sqlite3_busy_timeout(t->db, 5000);
    sqlite3_extended_result_codes(t->db, 0);

    if (const uint16_t status = checkTableMeta(t->db, *schema); status != DbStatus::Success)
        return status;
    if (!t->readOnly) {
        sqlite3_exec(t->db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        sqlite3_exec(t->db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    }

    for (size_t k = 0; k < schema->keys.size(); ++k) {
        auto scan = std::make_unique<Statement>();
        const std::string column = keyColumn(int(k));
        rc = t->prepare(*scan, "SELECT id, rec FROM records WHERE (" + column + ", id) > (?1, ?2) ORDER BY " + column +
                                   ", id");
        if (rc != SQLITE_OK)
            return DbStatus::NotATable;
        t->scans.push_back(std::move(scan));
    }
    std::string columns = "rec";
    std::string values = "?1";
    std::string assignments = "rec = ?1";
    for (size_t k = 0; k < schema->keys.size(); ++k) {
        columns += ", " + keyColumn(int(k));
        values += ", ?" + std::to_string(k + 2);
        assignments += ", " + keyColumn(int(k)) + " = ?" + std::to_string(k + 2);
    }
    t->insertStatement = std::make_unique<Statement>();
    t->updateStatement = std::make_unique<Statement>();
    t->deleteStatement = std::make_unique<Statement>();
    const std::string idParameter = "?" + std::to_string(schema->keys.size() + 2);
    if (t->prepare(*t->insertStatement, "INSERT INTO records(" + columns + ") VALUES(" + values + ")") != SQLITE_OK
        || t->prepare(*t->updateStatement, "UPDATE records SET " + assignments + " WHERE id = " + idParameter)
               != SQLITE_OK
        || t->prepare(*t->deleteStatement, "DELETE FROM records WHERE id = ?1") != SQLITE_OK)
        return DbStatus::NotATable;

    m_tables[upper(table)] = std::move(t);
    return DbStatus::Success;
}

uint16_t RecordStore::close(const std::string& table)
{
    const auto it = m_tables.find(upper(table));
    if (it == m_tables.end())
        return DbStatus::NotOpen;
    m_tables.erase(it);
    return DbStatus::Success;
}

void RecordStore::closeAll() { m_tables.clear(); }

uint16_t RecordStore::get(const std::string& table, int keyNumber, uint8_t* key, uint16_t keyLength,
                          uint8_t* record, uint16_t recordLength, int operation)
{
    uint16_t status = DbStatus::Success;
    Table* t = findWithKey(table, keyNumber, status);
    if (!t)
        return status;
    const bool keyOnly = operation == DbOp::KeyGetGreater || operation == DbOp::KeyGetGreaterOrEqual;
    if (!keyOnly && operation != DbOp::GetEqual && operation != DbOp::GetGreater
        && operation != DbOp::GetGreaterOrEqual && operation != DbOp::GetFirst)
        return operation == DbOp::GetNext ? relativeGet(table, keyNumber, record, recordLength, operation)
                                          : uint16_t(DbStatus::InvalidOperation);
    if (operation == DbOp::GetFirst)
        return relativeGet(table, keyNumber, record, recordLength, operation);
    const KeyDefinition& definition = t->schema->keys[size_t(keyNumber)];
    if (!key || keyLength < definition.length())
        return DbStatus::KeyBufferTooShort;
    if (!keyOnly && (!record || recordLength < t->schema->recordLength))
        return DbStatus::BufferTooShort;

    const std::string sortable = t->schema->sortableKey(keyNumber, key);
    const bool greater = operation == DbOp::GetGreater || operation == DbOp::KeyGetGreater;
    const int rc = t->startScan(keyNumber, sortable, greater ? INT64_MAX : INT64_MIN);
    if (rc != SQLITE_ROW) {
        t->stopScan();
        t->positioned = false;
        if (rc != SQLITE_DONE)
            return statusOf(rc, t->db);
        return operation == DbOp::GetEqual ? DbStatus::KeyNotFound : DbStatus::EndOfFile;
    }
    const bool wholeRecord = t->takeRow(keyNumber);
    if (operation == DbOp::GetEqual
        && t->schema->keyOf(keyNumber, t->current.data())
            != std::string(reinterpret_cast<const char*>(key), definition.length())) {
        t->stopScan();
        t->positioned = false;
        return DbStatus::KeyNotFound;
    }
    if (!wholeRecord)
        return DbStatus::InvalidRecordLength;
    const std::string foundKey = t->schema->keyOf(keyNumber, t->current.data());
    std::memcpy(key, foundKey.data(), foundKey.size());
    if (!keyOnly)
        std::memcpy(record, t->current.data(), t->schema->recordLength);
    return DbStatus::Success;
}

uint16_t RecordStore::relativeGet(const std::string& table, int keyNumber, uint8_t* record, uint16_t recordLength,
                                  int operation)
{
    uint16_t status = DbStatus::Success;
    Table* t = findWithKey(table, keyNumber, status);
    if (!t)
        return status;
    if (operation != DbOp::GetNext && operation != DbOp::GetFirst)
        return DbStatus::InvalidOperation;
    if (!record || recordLength < t->schema->recordLength)
        return DbStatus::BufferTooShort;

    int rc;
    if (operation == DbOp::GetFirst) {
        rc = t->startScan(keyNumber, std::string(), INT64_MIN);
    } else {
        if (!t->positioned)
            return DbStatus::InvalidPositioning;
        if (t->liveScan == keyNumber)
            rc = t->stepScan();
        else
            rc = t->startScan(keyNumber, t->currentSortableKey(keyNumber), t->rowId);
    }
    if (rc != SQLITE_ROW) {
        t->stopScan();
        if (rc != SQLITE_DONE)
            return statusOf(rc, t->db);
        if (operation == DbOp::GetFirst)
            t->positioned = false;
        return DbStatus::EndOfFile;
    }
    if (!t->takeRow(keyNumber))
        return DbStatus::InvalidRecordLength;
    std::memcpy(record, t->current.data(), t->schema->recordLength);
    return DbStatus::Success;
}

uint16_t RecordStore::wildcardGet(const std::string& table, int keyNumber, uint8_t* key, uint16_t keyLength,
                                  uint8_t* record, uint16_t recordLength, int operation)
{
    uint16_t status = DbStatus::Success;
    Table* t = findWithKey(table, keyNumber, status);
    if (!t)
        return status;
    if (operation != DbOp::GetFirst && operation != DbOp::GetNext)
        return DbStatus::InvalidOperation;
    const uint16_t length = t->schema->keys[size_t(keyNumber)].length();
    if (!key || keyLength < length)
        return DbStatus::KeyBufferTooShort;
    const std::string pattern(reinterpret_cast<const char*>(key), length);

    const auto matches = [&](const std::vector<uint8_t>& candidate) {
        const std::string candidateKey = t->schema->keyOf(keyNumber, candidate.data());
        for (size_t i = 0; i < pattern.size(); ++i) {
            if (pattern[i] == '\0')
                return candidateKey[i] == '\0';
            if (pattern[i] != '?' && pattern[i] != candidateKey[i])
                return false;
        }
        return true;
    };
    for (;;) {
        const uint16_t status = relativeGet(table, keyNumber, record, recordLength,
                                            operation == DbOp::GetFirst ? DbOp::GetFirst : DbOp::GetNext);
        if (status != DbStatus::Success)
            return status;
        if (matches(t->current))
            return DbStatus::Success;
        operation = DbOp::GetNext;
    }
}

uint16_t RecordStore::insert(const std::string& table, const uint8_t* record, uint16_t recordLength)
{
    Table* t = find(table);
    if (!t)
        return DbStatus::NotOpen;
    if (!record || recordLength != t->schema->recordLength)
        return DbStatus::InvalidRecordLength;
    if (t->readOnly)
        return DbStatus::AccessDenied;
    t->stopScan();
    sqlite3_stmt* s = t->insertStatement->handle;
    sqlite3_bind_blob(s, 1, record, recordLength, SQLITE_TRANSIENT);
    t->bindKeys(s, record);
    const int rc = sqlite3_step(s);
    sqlite3_reset(s);
    if (rc != SQLITE_DONE)
        return statusOf(rc, t->db);
    // The inserted record becomes the current one, on key path 0.
    t->rowId = sqlite3_last_insert_rowid(t->db);
    t->current.assign(record, record + recordLength);
    t->keyNumber = 0;
    t->positioned = true;
    return DbStatus::Success;
}

uint16_t RecordStore::update(const std::string& table, const uint8_t* record, uint16_t recordLength)
{
    Table* t = find(table);
    if (!t)
        return DbStatus::NotOpen;
    if (!record || recordLength != t->schema->recordLength)
        return DbStatus::InvalidRecordLength;
    if (!t->positioned)
        return DbStatus::InvalidPositioning;
    if (t->readOnly)
        return DbStatus::AccessDenied;
    t->stopScan();
    sqlite3_stmt* s = t->updateStatement->handle;
    sqlite3_bind_blob(s, 1, record, recordLength, SQLITE_TRANSIENT);
    t->bindKeys(s, record);
    sqlite3_bind_int64(s, int(t->schema->keys.size()) + 2, t->rowId);
    const int rc = sqlite3_step(s);
    sqlite3_reset(s);
    if (rc != SQLITE_DONE)
        return statusOf(rc, t->db);
    if (sqlite3_changes(t->db) == 0) {
        t->positioned = false;
        return DbStatus::InvalidPositioning;
    }
    t->current.assign(record, record + recordLength);
    return DbStatus::Success;
}

uint16_t RecordStore::remove(const std::string& table)
{
    Table* t = find(table);
    if (!t)
        return DbStatus::NotOpen;
    if (!t->positioned)
        return DbStatus::InvalidPositioning;
    if (t->readOnly)
        return DbStatus::AccessDenied;
    t->stopScan();
    sqlite3_stmt* s = t->deleteStatement->handle;
    sqlite3_bind_int64(s, 1, t->rowId);
    const int rc = sqlite3_step(s);
    sqlite3_reset(s);
    if (rc != SQLITE_DONE)
        return statusOf(rc, t->db);
    if (sqlite3_changes(t->db) == 0) {
        t->positioned = false;
        return DbStatus::InvalidPositioning;
    }
    // The position stays where the record was, so that get-next goes on after it.
    return DbStatus::Success;
}

uint16_t RecordStore::beginBatch(const std::string& table)
{
    Table* t = find(table);
    if (!t)
        return DbStatus::NotOpen;
    if (t->batchDepth++ > 0)
        return DbStatus::Success;
    t->stopScan();
    const int rc = sqlite3_exec(t->db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        t->batchDepth = 0;
        return statusOf(rc, t->db);
    }
    return DbStatus::Success;
}

uint16_t RecordStore::endBatch(const std::string& table, bool commit)
{
    Table* t = find(table);
    if (!t)
        return DbStatus::NotOpen;
    if (t->batchDepth == 0)
        return DbStatus::InvalidOperation;
    t->batchAbandoned = t->batchAbandoned || !commit;
    if (--t->batchDepth > 0)
        return DbStatus::Success;
    t->stopScan();
    const bool keep = !t->batchAbandoned;
    t->batchAbandoned = false;
    if (keep) {
        const int rc = sqlite3_exec(t->db, "COMMIT", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            return DbStatus::Success;
        const uint16_t status = statusOf(rc, t->db);
        sqlite3_exec(t->db, "ROLLBACK", nullptr, nullptr, nullptr);
        return status;
    }
    sqlite3_exec(t->db, "ROLLBACK", nullptr, nullptr, nullptr);
    // Asked to commit what an inner level abandoned: nothing was kept.
    return commit ? DbStatus::InvalidOperation : DbStatus::Success;
}

uint16_t RecordStore::createTableFile(const std::string& path, const TableSchema& schema)
{
    std::error_code ec;
    std::filesystem::remove(path, ec);
    std::filesystem::remove(path + "-wal", ec);
    std::filesystem::remove(path + "-shm", ec);
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        const uint16_t status = statusOf(rc, db);
        sqlite3_close(db);
        return status;
    }
    std::string sql = "PRAGMA journal_mode=WAL;"
                      "CREATE TABLE meta(name TEXT NOT NULL, record_length INTEGER NOT NULL);"
                      "INSERT INTO meta VALUES('"
        + schema.name + "', " + std::to_string(schema.recordLength)
        + ");"
          "CREATE TABLE records(id INTEGER PRIMARY KEY, rec BLOB NOT NULL";
    for (size_t k = 0; k < schema.keys.size(); ++k)
        sql += ", " + keyColumn(int(k)) + " BLOB NOT NULL";
    sql += ");";
    for (size_t k = 0; k < schema.keys.size(); ++k) {
        const std::string column = keyColumn(int(k));
        if (!schema.keys[k].duplicates)
            sql += "CREATE UNIQUE INDEX unique_" + column + " ON records(" + column + ");";
        sql += "CREATE INDEX order_" + column + " ON records(" + column + ", id);";
    }
    rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    const uint16_t status = statusOf(rc, db);
    sqlite3_close(db);
    return status;
}

TableFileReplacement RecordStore::replaceTableFile(const std::string& source, const std::string& target,
                                                   const std::string& table, bool emptyTemplate)
{
    const TableExpectation expected{FindTableSchema(table), emptyTemplate};
    if (TableFileReplacement checked = checkTable(source, TableCheck::CopySource, expected); !checked.ok())
        return checked;
    std::string resolved;
    if (const std::optional<std::string> refused = WriteTargetProblem(target, &resolved))
        return {Outcome::TargetRefused, target, *refused};
    if (journalHasContent(resolved))
        return {Outcome::JournalPending, target};
    FileProblem readProblem = FileProblem::None;
    const std::optional<std::string> content = ReadRegularFile(source, LargestTableFile, &readProblem);
    if (!content)
        return {readProblem == FileProblem::Missing ? Outcome::SourceMissing : Outcome::SourceImplausibleSize, source};
    // An empty journal and its index hold nothing of the old target; gone, they cannot meet the new file.
    const auto removeJournals = [&resolved] {
        std::error_code ec;
        for (const char* journal : {"-wal", "-shm"})
            if (!std::filesystem::remove(resolved + journal, ec) && ec)
                return false;
        return true;
    };
    std::string problem;
    if (!WriteFileReplacing(target, *content, problem, removeJournals))
        return {Outcome::WriteFailed, target, problem};
    return {Outcome::Replaced, target};
}

std::optional<std::string> RecordStore::checkTableFile(const std::string& path, const std::string& table,
                                                       bool emptyTemplate)
{
    const TableFileReplacement checked =
        checkTable(path, TableCheck::Integrity, {FindTableSchema(table), emptyTemplate});
    if (checked.ok())
        return std::nullopt;
    return checked.describe();
}

DbBatch::DbBatch(const std::string& table)
    : m_table(table)
    , m_beginStatus(RecordStore::instance().beginBatch(table))
    , m_active(m_beginStatus == DbStatus::Success)
{
}

DbBatch::~DbBatch()
{
    if (m_active)
        RecordStore::instance().endBatch(m_table, false);
}

uint16_t DbBatch::commit()
{
    if (!m_active)
        return m_beginStatus == DbStatus::Success ? uint16_t(DbStatus::InvalidOperation) : m_beginStatus;
    m_active = false;
    return RecordStore::instance().endBatch(m_table, true);
}
