#pragma once
// A home of its own with only the tables a model test asks for.

#include "support/Db.h"
#include "support/RecordStore.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>

class ModelFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_previousHome = qgetenv("ORPA_HOME");
        qputenv("ORPA_HOME", m_dir.path().toUtf8());
        std::ofstream(m_dir.path().toStdString() + "/ORPA.INI") << "[Install]\nDATADir=\n";
        RecordStore::instance().setDataDirectory("");
    }
    void TearDown() override
    {
        RecordStore::instance().closeAll();
        qputenv("ORPA_HOME", m_previousHome);
        EXPECT_TRUE(m_script.failures().isEmpty()) << m_script.failures().join("\n").toStdString();
        EXPECT_TRUE(m_script.allAnswered()) << "a message the test expected was not shown";
    }

    void createTable(const char* table)
    {
        ASSERT_EQ(RecordStore::createTableFile(m_dir.path().toStdString() + "/" + table + ".DAT",
                                               *FindTableSchema(table)),
                  DbStatus::Success);
    }
    template <size_t N>
    void insert(const char* table, const std::array<uint8_t, N>& record)
    {
        ScopedTable open(table, DbMode::Normal);
        ASSERT_EQ(open.status(), DbStatus::Success);
        ASSERT_EQ(DbInsert(table, 0, record.data(), uint16_t(N)), DbStatus::Success);
    }

    QTemporaryDir m_dir;
    QByteArray m_previousHome;
    ScriptedUi m_script;
};
