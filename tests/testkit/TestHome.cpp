#include "TestHome.h"

#include "model/McdefAccess.h"
#include "model/Records.h"
#include "PlantBuilder.h"
#include "protocol/LittleEndian.h"
#include "support/Db.h"
#include "support/OrpaPaths.h"
#include "support/Profile.h"
#include "support/RecordStore.h"
#include "support/TableSchema.h"

#include <gtest/gtest.h>

#include <cstdlib>

TestHome::TestHome(const std::string& description)
{
    if (const char* previous = std::getenv("ORPA_HOME"))
        m_previousHome = previous;
    if (!m_dir.isValid()) {
        ADD_FAILURE() << "cannot create a temporary folder";
        return;
    }
    m_path = m_dir.path().toStdString() + "/";
    // Tables of an earlier home must not stay open across homes.
    RecordStore::instance().closeAll();
    const std::string source = description.empty() ? DefaultPlantDescription() : description;
    if (const auto failure = BuildPlantHome(m_path, source, false)) {
        ADD_FAILURE() << "building the test home failed: " << failure->message();
        return;
    }
    setenv("ORPA_HOME", m_path.c_str(), 1);
    RecordStore::instance().setDataDirectory("");
    m_ok = true;
}

TestHome::~TestHome()
{
    RecordStore::instance().closeAll();
    RecordStore::instance().setDataDirectory("");
    if (m_previousHome)
        setenv("ORPA_HOME", m_previousHome->c_str(), 1);
    else
        unsetenv("ORPA_HOME");
    // m_dir removes the folder.
}

std::string TestHome::iniFile() const { return orpa::findFile(m_path, "ORPA.INI"); }

std::string TestHome::file(const std::string& name) const { return orpa::findFile(m_path, name); }

std::string TestHome::dataDir() const
{
    std::string data = GetPrivateProfileString("Install", "DATADir", "", iniFile());
    if (data.empty() || data.front() != '/')
        data = m_path + data;
    return data;
}

std::vector<std::vector<uint8_t>> TestHome::records(const std::string& table)
{
    std::vector<std::vector<uint8_t>> rows;
    const TableSchema* schema = FindTableSchema(table);
    if (!schema) {
        ADD_FAILURE() << "unknown table " << table;
        return rows;
    }
    const ScopedTable open(schema->name.c_str(), DbMode::Normal);
    if (open.status() != DbStatus::Success) {
        ADD_FAILURE() << "cannot open " << table << ", status " << open.status();
        return rows;
    }
    std::vector<uint8_t> record(schema->recordLength);
    uint16_t status = DbRelGet(schema->name.c_str(), 0, record.data(), schema->recordLength, DbOp::GetFirst);
    while (status == DbStatus::Success) {
        rows.push_back(record);
        status = DbRelGet(schema->name.c_str(), 0, record.data(), schema->recordLength, DbOp::GetNext);
    }
    if (status != DbStatus::EndOfFile)
        ADD_FAILURE() << "reading " << table << " ended with status " << status;
    return rows;
}

void TestHome::setIni(const std::string& fileName, const std::string& section, const std::string& key,
                      const std::string& value) const
{
    EXPECT_TRUE(WritePrivateProfileString(section, key, value, file(fileName)))
        << "cannot write " << fileName << " [" << section << "] " << key;
}

void TestHome::setNetConfigStamp(const std::string& gatewayAddress, uint16_t stamp)
{
    ScopedTable nodes(table::NetCnf, DbMode::Normal);
    uint8_t key[8] = {};
    le::putStr(key, sizeof key, gatewayAddress);
    uint8_t record[NetCnfRecord::Size];
    ASSERT_EQ(DbGet(table::NetCnf, 0, key, sizeof key, record, sizeof record, DbOp::GetEqual), DbStatus::Success);
    NetCnfRecord node = NetCnfRecord::read(record);
    node.netConfigStamp = stamp;
    node.write(record);
    ASSERT_EQ(DbUpdate(table::NetCnf, 0, record, sizeof record), DbStatus::Success);
}

void TestHome::addFunction(uint8_t number, uint8_t type, const std::string& name, uint8_t flags)
{
    McdefRecord header(number, BlockType::Header, 0, 0);
    header.setType(type);
    header.setName(name);
    header.setFlags(flags);
    EXPECT_EQ(InsertBlock(header), DbStatus::Success) << "header of function " << int(number);
}
