#pragma once
// The database calls of the support library, in their original shapes, on the
// process-wide keyed-record store. Every call returns a 16-bit status
// (DbStatus.h); each call is its own transaction unless a DbBatch is active.

#include "support/DbStatus.h"
#include "support/RecordStore.h"

#include <cstdint>

uint16_t DbOpen(const char* table, int mode, int reserved = 0);
uint16_t DbClose(const char* table, int reserved = 0);
uint16_t DbCloseAll();
uint16_t DbGet(const char* table, int keyNumber, void* key, uint16_t keyLength, void* record, uint16_t recordLength,
               int operation, int reserved1 = 0, int reserved2 = 0);
uint16_t DbRelGet(const char* table, int keyNumber, void* record, uint16_t recordLength, int operation,
                  int reserved1 = 0, int reserved2 = 0);
uint16_t DbWildCardGet(const char* table, int keyNumber, void* key, uint16_t keyLength, void* record,
                       uint16_t recordLength, int operation, int reserved1 = 0, int reserved2 = 0);
uint16_t DbInsert(const char* table, int reserved, const void* record, uint16_t recordLength, int reserved2 = 0);
uint16_t DbUpdate(const char* table, int reserved, const void* record, uint16_t recordLength, int reserved2 = 0);
uint16_t DbDelete(const char* table, int reserved = 0, int reserved2 = 0);

// Opens a table for the length of a scope and closes it again, unless it was
// open already (then it stays open, as the callers of DbOpen expect).
class ScopedTable {
public:
    ScopedTable(const char* table, int mode);
    ~ScopedTable();
    ScopedTable(const ScopedTable&) = delete;
    ScopedTable& operator=(const ScopedTable&) = delete;

    // 0 when the table is usable (opened here or open already).
    uint16_t status() const { return m_status; }

private:
    const char* m_table;
    uint16_t m_status;
    bool m_openedHere;
};
