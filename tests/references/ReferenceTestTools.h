#pragma once
// Helpers of the selection and definition tests: extra records in the test
// home's tables, and finding rows of a reference list.

#include "model/Records.h"
#include "references/IOList.h"
#include "support/Db.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace refs {

inline void insertDefinition(const std::string& ident, const std::string& node, uint8_t functionParameter, uint8_t p1,
                             uint8_t p2, uint8_t p3)
{
    McParDefRecord record;
    record.ident = ident;
    record.nodeText = node;
    record.functionParameter = functionParameter;
    record.p1 = p1;
    record.p2 = p2;
    record.p3 = p3;
    const auto bytes = record.bytes();
    ScopedTable open(table::McParDef, DbMode::Normal);
    ASSERT_EQ(open.status(), DbStatus::Success);
    ASSERT_EQ(DbInsert(table::McParDef, 0, bytes.data(), uint16_t(bytes.size())), DbStatus::Success);
}

inline void insertParameter(const std::string& descKey, uint16_t function, uint16_t p1, uint16_t p2, uint16_t p3,
                            uint8_t parameterClass, const std::string& text)
{
    QebDesRecord record;
    record.descKey = descKey;
    record.function = function;
    record.p1 = p1;
    record.p2 = p2;
    record.p3 = p3;
    record.parameterClass = parameterClass;
    record.defaultText = text;
    record.functionDefaultText = "Function " + std::to_string(function);
    const auto bytes = record.bytes();
    ScopedTable open(table::QebDes, DbMode::Normal);
    ASSERT_EQ(open.status(), DbStatus::Success);
    ASSERT_EQ(DbInsert(table::QebDes, 0, bytes.data(), uint16_t(bytes.size())), DbStatus::Success);
}

// The definitions of one identification, node text and function parameter, as "P1,P2,P3".
inline std::vector<std::string> storedTriples(const std::string& ident, const std::string& node,
                                              uint8_t functionParameter)
{
    std::vector<std::string> triples;
    ScopedTable open(table::McParDef, DbMode::ReadOnly);
    uint8_t record[McParDefRecord::Size];
    uint16_t status = DbRelGet(table::McParDef, 0, record, sizeof record, DbOp::GetFirst);
    for (; status == DbStatus::Success; status = DbRelGet(table::McParDef, 0, record, sizeof record, DbOp::GetNext)) {
        const McParDefRecord r = McParDefRecord::read(record);
        if (r.ident == ident && r.nodeText == node && r.functionParameter == functionParameter)
            triples.push_back(std::to_string(r.p1) + "," + std::to_string(r.p2) + "," + std::to_string(r.p3));
    }
    return triples;
}

// Every definition as "identification node function-parameter P1,P2,P3", in key order.
inline std::vector<std::string> allDefinitions()
{
    std::vector<std::string> rows;
    ScopedTable open(table::McParDef, DbMode::ReadOnly);
    uint8_t record[McParDefRecord::Size];
    uint16_t status = DbRelGet(table::McParDef, 0, record, sizeof record, DbOp::GetFirst);
    for (; status == DbStatus::Success; status = DbRelGet(table::McParDef, 0, record, sizeof record, DbOp::GetNext)) {
        const McParDefRecord r = McParDefRecord::read(record);
        rows.push_back(r.ident + " " + r.nodeText + " " + std::to_string(r.functionParameter) + " "
                       + std::to_string(r.p1) + "," + std::to_string(r.p2) + "," + std::to_string(r.p3));
    }
    EXPECT_EQ(status, DbStatus::EndOfFile);
    return rows;
}

// Rows of a list for one address, in list order.
inline std::vector<int> rowsOf(const IOList& list, const std::string& address)
{
    std::vector<int> rows;
    for (int i = 0; i < list.rowCount(); ++i)
        if (list.row(i).address == address)
            rows.push_back(i);
    return rows;
}

inline int rowOf(const IOList& list, const std::string& address, uint8_t p1, uint8_t p2, uint8_t p3)
{
    return list.FindRow(address, p1, p2, p3, false);
}

inline int automaticRowOf(const IOList& list, const std::string& address)
{
    return list.FindRow(address, AutomaticParameter, AutomaticParameter, AutomaticParameter, false);
}

} // namespace refs
