#include "support/Db.h"

namespace {
RecordStore& store() { return RecordStore::instance(); }
}

uint16_t DbOpen(const char* table, int mode, int) { return store().open(table, mode); }

uint16_t DbClose(const char* table, int) { return store().close(table); }

uint16_t DbCloseAll()
{
    store().closeAll();
    return DbStatus::Success;
}

uint16_t DbGet(const char* table, int keyNumber, void* key, uint16_t keyLength, void* record, uint16_t recordLength,
               int operation, int, int)
{
    return store().get(table, keyNumber, static_cast<uint8_t*>(key), keyLength, static_cast<uint8_t*>(record),
                       recordLength, operation);
}

uint16_t DbRelGet(const char* table, int keyNumber, void* record, uint16_t recordLength, int operation, int, int)
{
    return store().relativeGet(table, keyNumber, static_cast<uint8_t*>(record), recordLength, operation);
}

uint16_t DbWildCardGet(const char* table, int keyNumber, void* key, uint16_t keyLength, void* record,
                       uint16_t recordLength, int operation, int, int)
{
    return store().wildcardGet(table, keyNumber, static_cast<uint8_t*>(key), keyLength,
                               static_cast<uint8_t*>(record), recordLength, operation);
}

uint16_t DbInsert(const char* table, int, const void* record, uint16_t recordLength, int)
{
    return store().insert(table, static_cast<const uint8_t*>(record), recordLength);
}

uint16_t DbUpdate(const char* table, int, const void* record, uint16_t recordLength, int)
{
    return store().update(table, static_cast<const uint8_t*>(record), recordLength);
}

uint16_t DbDelete(const char* table, int, int) { return store().remove(table); }

ScopedTable::ScopedTable(const char* table, int mode)
    : m_table(table)
    , m_status(DbOpen(table, mode))
    , m_openedHere(m_status == DbStatus::Success)
{
    if (m_status == DbStatus::AlreadyOpen)
        m_status = DbStatus::Success;
}

ScopedTable::~ScopedTable()
{
    if (m_openedHere)
        DbClose(m_table);
}
