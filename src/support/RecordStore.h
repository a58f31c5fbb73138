#pragma once
// The keyed-record store: each table is one SQLite file <DATADir><TABLE>.DAT
// holding the fixed-size records with one indexed, memcmp-ordered column per
// key. Each open table keeps a current record and the key path it was reached
// by, as the callers' get-next and get-greater loops expect.

#include "support/DbStatus.h"
#include "support/TableSchema.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

// How the replacement of a table file ended; on failure, the file it failed on.
struct TableFileReplacement {
    enum Outcome {
        Replaced,
        SourceMissing,
        SourceNotAFile,        // a folder, a device ...
        SourceImplausibleSize, // not whole pages, or far too large for a table
        SourceNotATable,       // does not open as a table of this store
        SourceDamaged,         // fails the integrity check
        JournalPending,        // unwritten journal content beside it: open elsewhere or left broken
        WriteFailed,           // the copy, its flush, the journal removal or the rename failed
        DiskFull,              // no room for the journal index that opening it needs
        OtherTable,            // a table of another name than the one asked for
        RecordLength,          // the table's or a record's length is not that of its table
        SourceNotEmpty,        // a template that holds records
        TargetRefused,         // the target is no file to write (a folder, a FIFO, a link to one ...)
    };
    TableFileReplacement() = default;
    TableFileReplacement(Outcome outcome, std::string file, std::string detail = {})
        : outcome(outcome), file(std::move(file)), detail(std::move(detail))
    {
    }

    Outcome outcome = Replaced;
    std::string file;
    std::string detail; // which table, which record, why the target was refused

    bool ok() const { return outcome == Replaced; }
    // "<file>: <what is wrong>", for logs and tool messages.
    std::string describe() const;
};

class RecordStore {
public:
    static RecordStore& instance();

    RecordStore();
    ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // Folder (a prefix) of the table files; empty = `Install`/`DATADir` of ORPA.INI.
    void setDataDirectory(const std::string& prefix);
    std::string tableFile(const std::string& table) const;
    // A file of the data folder (MCDEF.NEW, MCPARDEF.ORG ...), found without regard to case.
    std::string dataFile(const std::string& fileName) const;

    uint16_t open(const std::string& table, int mode);
    uint16_t close(const std::string& table);
    void closeAll();
    bool isOpen(const std::string& table) const;

    uint16_t get(const std::string& table, int keyNumber, uint8_t* key, uint16_t keyLength, uint8_t* record,
                 uint16_t recordLength, int operation);
    uint16_t relativeGet(const std::string& table, int keyNumber, uint8_t* record, uint16_t recordLength,
                         int operation);
    uint16_t wildcardGet(const std::string& table, int keyNumber, uint8_t* key, uint16_t keyLength,
                         uint8_t* record, uint16_t recordLength, int operation);
    uint16_t insert(const std::string& table, const uint8_t* record, uint16_t recordLength);
    uint16_t update(const std::string& table, const uint8_t* record, uint16_t recordLength);
    uint16_t remove(const std::string& table);

    // Groups the following calls on the table into one transaction until
    // endBatch; calls nest. The outermost end commits only when every level
    // asked to commit, and rolls the whole batch back otherwise (a commit
    // refused so answers InvalidOperation).
    uint16_t beginBatch(const std::string& table);
    uint16_t endBatch(const std::string& table, bool commit);

    // Creates an empty table file (replacing any file of that name).
    static uint16_t createTableFile(const std::string& path, const TableSchema& schema);
    // Makes the target (a closed table) a copy of the source table file in one
    // step: the source is checked first to be a whole file of `table` whose
    // records all have the table's length, with no record at all when it is an
    // empty template; it is written through the one file writer (a link to a
    // table file is written through), so that the target is either the old
    // file or the new one; no journal of the old target is left to be applied
    // to the new file. On any failure the target stays as it was.
    static TableFileReplacement replaceTableFile(const std::string& source, const std::string& target,
                                                 const std::string& table, bool emptyTemplate = false);
    // The full integrity check of a closed table file as the next open finds
    // it (an interrupted write's journal applied), and the checks of the
    // copy's source above: nothing when it passes, what is wrong otherwise.
    static std::optional<std::string> checkTableFile(const std::string& path, const std::string& table,
                                                     bool emptyTemplate = false);

private:
    struct Table;
    Table* find(const std::string& table) const;
    // The open table with a valid key number; null and the status otherwise.
    Table* findWithKey(const std::string& table, int keyNumber, uint16_t& status) const;

    std::string m_dataDirectory;
    std::map<std::string, std::unique_ptr<Table>> m_tables;
};

// Groups one piece of bulk work on a table into one transaction: what the
// batch wrote is kept only when commit() is called, so that work abandoned
// part-way (a failed insert, an early return) leaves the table as it was.
class DbBatch {
public:
    explicit DbBatch(const std::string& table);
    ~DbBatch();
    DbBatch(const DbBatch&) = delete;
    DbBatch& operator=(const DbBatch&) = delete;

    // Keeps the batch's work; its status. A batch that could not begin
    // answers why not (its calls were each written on their own), and one
    // committed already InvalidOperation: callers whose work must be all or
    // none look at beginStatus() before they write.
    uint16_t commit();
    // Success when the batch began; otherwise why not (the table not open,
    // another process writing): work that must be all or none stops on it.
    uint16_t beginStatus() const { return m_beginStatus; }

private:
    std::string m_table;
    uint16_t m_beginStatus;
    bool m_active;
};
