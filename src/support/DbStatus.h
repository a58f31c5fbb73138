#pragma once
// Status codes of the database calls. 0, 4 and 9 are the ones the program
// tests in its normal flow; every other code is shown to the operator as a
// database error naming the table.

#include <cstdint>
#include <string>

namespace DbStatus {
enum : uint16_t {
    Success = 0,
    InvalidOperation = 1,   // unknown operation code
    NotAvailable = 2,       // the table's file does not exist
    NotOpen = 3,            // the table was not opened
    KeyNotFound = 4,
    DuplicateKey = 5,       // the key exists and the key allows no duplicates
    InvalidKeyNumber = 6,
    InvalidPositioning = 8, // get next without a current record
    EndOfFile = 9,
    DiskFull = 18,
    KeyBufferTooShort = 21,
    BufferTooShort = 22,    // the record buffer is shorter than the record
    InvalidRecordLength = 28, // a record (given or stored) of another length than the table's
    NotATable = 30,         // not a table file of this store (also a folder, a FIFO), or not this table
    IoError = 35,
    AccessDenied = 46,      // the file or its folder cannot be written
    Locked = 85,            // another process holds the table
    AlreadyOpen = 65535,    // DbOpen of a table that is open already
};
}

// What a status means, for logs and tool messages.
constexpr const char* DbStatusMeaning(uint16_t status)
{
    switch (status) {
    case DbStatus::Success: return "success";
    case DbStatus::InvalidOperation: return "invalid operation";
    case DbStatus::NotAvailable: return "table file missing";
    case DbStatus::NotOpen: return "table not open";
    case DbStatus::KeyNotFound: return "key not found";
    case DbStatus::DuplicateKey: return "duplicate key";
    case DbStatus::InvalidKeyNumber: return "invalid key number";
    case DbStatus::InvalidPositioning: return "no current record";
    case DbStatus::EndOfFile: return "end of file";
    case DbStatus::DiskFull: return "disk full";
    case DbStatus::KeyBufferTooShort: return "key buffer too short";
    case DbStatus::BufferTooShort: return "record buffer too short";
    case DbStatus::InvalidRecordLength: return "wrong record length";
    case DbStatus::NotATable: return "not a table of this store";
    case DbStatus::IoError: return "input/output error";
    case DbStatus::AccessDenied: return "access denied: the file or its folder is read-only";
    case DbStatus::Locked: return "locked by another process";
    case DbStatus::AlreadyOpen: return "table already open";
    default: return "unknown status";
    }
}

// "status 46 (access denied: ...)", for tool messages and logs.
inline std::string DbStatusText(uint16_t status)
{
    return "status " + std::to_string(status) + " (" + DbStatusMeaning(status) + ")";
}

namespace DbOp {
enum : int {
    GetEqual = 5,
    GetNext = 6,
    GetGreater = 8,
    GetGreaterOrEqual = 9,
    GetFirst = 12,
    KeyGetGreater = 58,
    KeyGetGreaterOrEqual = 59,
};
}

// Open modes as the callers pass them to DbOpen.
namespace DbMode {
enum : int {
    Normal = 0,
    Accelerated = -1,
    ReadOnly = -2,
};
}
