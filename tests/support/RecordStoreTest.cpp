#include "support/Db.h"
#include "protocol/LittleEndian.h"
#include "support/RecordStore.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <QTemporaryDir>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

namespace {

using Record = std::array<uint8_t, 110>;

// A data folder of its own with the tables a test asks for.
class RecordStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_prefix = m_dir.path().toStdString() + "/";
        RecordStore::instance().setDataDirectory(m_prefix);
    }
    void TearDown() override
    {
        RecordStore::instance().closeAll();
        RecordStore::instance().setDataDirectory("");
    }

    void create(const char* table)
    {
        ASSERT_EQ(RecordStore::createTableFile(m_prefix + table + ".DAT", *FindTableSchema(table)), DbStatus::Success);
    }
    void createAndOpen(const char* table, int mode = DbMode::Normal)
    {
        create(table);
        ASSERT_EQ(DbOpen(table, mode), DbStatus::Success);
    }

    static Record block(uint8_t number, uint8_t type, uint8_t blockNumber, uint8_t item, uint8_t marker = 0)
    {
        Record r{};
        r[0] = number;
        r[1] = type;
        r[2] = blockNumber;
        r[3] = item;
        r[6] = marker;
        return r;
    }
    static void insert(const Record& r) { ASSERT_EQ(DbInsert("MCDEF", 0, r.data(), 110), DbStatus::Success); }

    QTemporaryDir m_dir;
    std::string m_prefix;
};

TEST_F(RecordStoreTest, HeadersAreReadInNumberOrderByGreaterOrEqualAndLastNumberPlusOne)
{
    createAndOpen("MCDEF");
    for (uint8_t n : {7, 1, 105, 3}) {
        insert(block(n, 0, 0, 0));
        insert(block(n, 4, 1, 0));
        insert(block(n, 2, 1, 12));
    }
    std::vector<int> numbers;
    uint8_t key[4] = {0, 0, 0, 0};
    Record r{};
    uint16_t status = DbGet("MCDEF", 0, key, 4, r.data(), 110, DbOp::GetGreaterOrEqual);
    while (status == DbStatus::Success) {
        EXPECT_EQ(r[1], 0) << "a header comes first for each number";
        numbers.push_back(r[0]);
        const uint8_t next[4] = {uint8_t(r[0] + 1), 0, 0, 0};
        std::memcpy(key, next, 4);
        status = DbGet("MCDEF", 0, key, 4, r.data(), 110, DbOp::GetGreaterOrEqual);
    }
    EXPECT_EQ(status, DbStatus::EndOfFile);
    EXPECT_EQ(numbers, (std::vector<int>{1, 3, 7, 105}));
}

TEST_F(RecordStoreTest, ScheduleReferencesAreFoundAlongKeyOne)
{
    createAndOpen("MCDEF");
    insert(block(4, 3, 1, 7));
    insert(block(2, 3, 1, 9));
    insert(block(9, 3, 2, 7));
    insert(block(7, 0, 0, 0));
    insert(block(1, 2, 1, 7)); // an output reference to node 7, not a schedule reference
    insert(block(3, 3, 1, 7));

    std::vector<int> owners;
    uint8_t key[2] = {3, 7};
    Record r{};
    uint16_t status = DbGet("MCDEF", 1, key, 2, r.data(), 110, DbOp::GetGreaterOrEqual);
    while (status == DbStatus::Success && r[1] == 3 && r[3] == 7) {
        owners.push_back(r[0]);
        status = DbRelGet("MCDEF", 1, r.data(), 110, DbOp::GetNext);
    }
    EXPECT_EQ(owners, (std::vector<int>{4, 9, 3})) << "duplicates of key 1 keep insertion order";
}

TEST_F(RecordStoreTest, DuplicateKeysReadBackInInsertionOrder)
{
    createAndOpen("MCDEF");
    insert(block(5, 4, 4, 0, 10));
    insert(block(5, 4, 3, 0));
    insert(block(5, 4, 4, 0, 20));
    insert(block(5, 4, 4, 0, 30));
    insert(block(6, 4, 4, 0, 99));

    uint8_t key[4] = {5, 4, 4, 0};
    Record r{};
    std::vector<int> markers;
    uint16_t status = DbGet("MCDEF", 0, key, 4, r.data(), 110, DbOp::GetEqual);
    while (status == DbStatus::Success && r[0] == 5 && r[2] == 4) {
        markers.push_back(r[6]);
        status = DbRelGet("MCDEF", 0, r.data(), 110, DbOp::GetNext);
    }
    EXPECT_EQ(markers, (std::vector<int>{10, 20, 30}));
}

TEST_F(RecordStoreTest, UnsignedSegmentsOrderByValue)
{
    createAndOpen("QEBDES");
    const auto description = [](uint16_t p1, uint16_t p2, uint16_t function) {
        std::array<uint8_t, 186> r{};
        le::putStr(r.data(), 14, "EVC_V1");
        le::putU16(&r[14], p1);
        le::putU16(&r[16], p2);
        le::putU16(&r[18], 1);
        le::putU16(&r[20], function);
        return r;
    };
    for (auto r : {description(256, 1, 2), description(2, 300, 1), description(2, 5, 3), description(3, 0, 15)})
        ASSERT_EQ(DbInsert("QEBDES", 0, r.data(), 186), DbStatus::Success);

    // Key 1 {key, P1, P2, P3, function = 0} finds the parameter whatever its function.
    std::array<uint8_t, 22> key{};
    le::putStr(key.data(), 14, "EVC_V1");
    le::putU16(&key[14], 2);
    le::putU16(&key[16], 5);
    le::putU16(&key[18], 1);
    std::array<uint8_t, 186> r{};
    ASSERT_EQ(DbGet("QEBDES", 1, key.data(), 22, r.data(), 186, DbOp::GetGreaterOrEqual), DbStatus::Success);
    EXPECT_EQ(le::u16(&r[16]), 5);
    EXPECT_EQ(le::u16(&r[20]), 3) << "the key buffer is filled with the key found";
    EXPECT_EQ(le::u16(&key[20]), 3);

    std::vector<int> p1s;
    uint16_t status = DbGet("QEBDES", 1, key.data(), 22, r.data(), 186, DbOp::GetGreater);
    while (status == DbStatus::Success) {
        p1s.push_back(le::u16(&r[14]) * 1000 + le::u16(&r[16]));
        status = DbRelGet("QEBDES", 1, r.data(), 186, DbOp::GetNext);
    }
    EXPECT_EQ(p1s, (std::vector<int>{2300, 3000, 256001})) << "256 sorts after 3, not before";

    // Key 0 {description key, function}: the functions in number order.
    std::array<uint8_t, 16> functionKey{};
    le::putStr(functionKey.data(), 14, "EVC_V1");
    std::vector<int> functions;
    status = DbGet("QEBDES", 0, functionKey.data(), 16, r.data(), 186, DbOp::GetGreater);
    while (status == DbStatus::Success) {
        functions.push_back(le::u16(&r[20]));
        status = DbGet("QEBDES", 0, functionKey.data(), 16, r.data(), 186, DbOp::GetGreater);
    }
    EXPECT_EQ(functions, (std::vector<int>{1, 2, 3, 15}));
}

TEST_F(RecordStoreTest, KeyOnlyOperationsReturnKeysWithoutARecordBuffer)
{
    createAndOpen("MCPARDEF");
    const auto definition = [](const char* node, uint8_t parameter, uint8_t p1) {
        std::array<uint8_t, 30> r{};
        le::putStr(r.data(), 14, "EVC 110");
        le::putStr(&r[14], 8, node);
        r[22] = parameter;
        r[23] = p1;
        r[24] = 1;
        r[25] = 1;
        return r;
    };
    for (auto r : {definition("255:255", 6, 9), definition("255:255", 6, 3), definition("001:012", 6, 4),
                   definition("255:255", 7, 1)})
        ASSERT_EQ(DbInsert("MCPARDEF", 0, r.data(), 30), DbStatus::Success);

    std::array<uint8_t, 26> key{};
    le::putStr(key.data(), 14, "EVC 110");
    le::putStr(&key[14], 8, "255:255");
    key[22] = 6;
    std::vector<int> triples;
    uint16_t status = DbGet("MCPARDEF", 0, key.data(), 26, nullptr, 0, DbOp::KeyGetGreaterOrEqual);
    while (status == DbStatus::Success && key[22] == 6 && std::memcmp(&key[14], "255:255", 7) == 0) {
        triples.push_back(key[23]);
        status = DbGet("MCPARDEF", 0, key.data(), 26, nullptr, 0, DbOp::KeyGetGreater);
    }
    EXPECT_EQ(triples, (std::vector<int>{3, 9}));
}

TEST_F(RecordStoreTest, DialogTextsAreScannedByApplicationKindAndDialog)
{
    createAndOpen("ORPATEXT");
    const auto text = [](uint8_t kind, uint16_t id, uint16_t control, const char* content) {
        std::array<uint8_t, 98> r{};
        le::putStr(r.data(), 9, "VELT");
        r[9] = kind;
        le::putU16(&r[11], id);
        le::putU16(&r[13], control);
        le::putStr(&r[15], 83, content);
        return r;
    };
    for (auto r : {text(1, 17, 35, "outputs"), text(1, 17, 0, "caption"), text(1, 256, 1, "other dialog"),
                   text(3, 17, 0, "a text"), text(1, 17, 300, "third")})
        ASSERT_EQ(DbInsert("ORPATEXT", 0, r.data(), 98), DbStatus::Success);

    std::array<uint8_t, 15> key{};
    le::putStr(key.data(), 9, "VELT");
    key[9] = 1;
    le::putU16(&key[11], 17);
    std::array<uint8_t, 98> r{};
    std::vector<std::string> texts;
    uint16_t status = DbGet("ORPATEXT", 0, key.data(), 15, r.data(), 98, DbOp::GetGreaterOrEqual);
    while (status == DbStatus::Success && r[9] == 1 && le::u16(&r[11]) == 17) {
        texts.push_back(le::str(&r[15], 83));
        status = DbRelGet("ORPATEXT", 0, r.data(), 98, DbOp::GetNext);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"caption", "outputs", "third"}));
}

TEST_F(RecordStoreTest, WildcardMatchesEveryNetworksGateway)
{
    createAndOpen("NETCNF");
    for (const char* node : {"002:125", "001:012", "001:125", "003:125", "001:124", "010:125"}) {
        std::array<uint8_t, 58> r{};
        le::putStr(r.data(), 8, node);
        ASSERT_EQ(DbInsert("NETCNF", 0, r.data(), 58), DbStatus::Success);
    }
    char pattern[8] = "???:125";
    std::array<uint8_t, 58> r{};
    std::vector<std::string> gateways;
    uint16_t status = DbWildCardGet("NETCNF", 0, pattern, 8, r.data(), 58, DbOp::GetFirst);
    while (status == DbStatus::Success) {
        gateways.push_back(le::str(r.data(), 8));
        status = DbWildCardGet("NETCNF", 0, pattern, 8, r.data(), 58, DbOp::GetNext);
    }
    EXPECT_EQ(status, DbStatus::EndOfFile);
    EXPECT_EQ(gateways, (std::vector<std::string>{"001:125", "002:125", "003:125", "010:125"}));

    char network[8] = "001:???";
    gateways.clear();
    status = DbWildCardGet("NETCNF", 0, network, 8, r.data(), 58, DbOp::GetFirst);
    while (status == DbStatus::Success) {
        gateways.push_back(le::str(r.data(), 8));
        status = DbWildCardGet("NETCNF", 0, network, 8, r.data(), 58, DbOp::GetNext);
    }
    EXPECT_EQ(gateways, (std::vector<std::string>{"001:012", "001:124", "001:125"}));
}

TEST_F(RecordStoreTest, UpdateAndDeleteWorkOnTheCurrentRecord)
{
    createAndOpen("MCDEF");
    for (uint8_t item : {12, 14, 20})
        insert(block(8, 1, 1, item));
    insert(block(8, 1, 2, 30));

    // Remove the records of slot 1 by deleting and positioning again, as a store of references does.
    const uint8_t slot[4] = {8, 1, 1, 0};
    uint8_t key[4];
    Record r{};
    std::memcpy(key, slot, 4);
    int deleted = 0;
    while (DbGet("MCDEF", 0, key, 4, r.data(), 110, DbOp::GetGreaterOrEqual) == DbStatus::Success
           && std::memcmp(r.data(), slot, 3) == 0) {
        ASSERT_EQ(DbDelete("MCDEF"), DbStatus::Success);
        ++deleted;
        std::memcpy(key, slot, 4);
    }
    EXPECT_EQ(deleted, 3);
    EXPECT_EQ(r[2], 2) << "slot 2 is left";

    r[6] = 77;
    ASSERT_EQ(DbUpdate("MCDEF", 0, r.data(), 110), DbStatus::Success);
    const uint8_t other[4] = {8, 1, 2, 30};
    std::memcpy(key, other, 4);
    Record again{};
    ASSERT_EQ(DbGet("MCDEF", 0, key, 4, again.data(), 110, DbOp::GetEqual), DbStatus::Success);
    EXPECT_EQ(again[6], 77);
}

TEST_F(RecordStoreTest, GetNextGoesOnAfterWritesBetweenReads)
{
    createAndOpen("MCDEF");
    for (uint8_t n = 1; n <= 5; ++n)
        insert(block(n, 0, 0, 0));
    uint8_t key[4] = {0, 0, 0, 0};
    Record r{};
    std::vector<int> seen;
    uint16_t status = DbGet("MCDEF", 0, key, 4, r.data(), 110, DbOp::GetGreaterOrEqual);
    while (status == DbStatus::Success) {
        seen.push_back(r[0]);
        r[28] = 0x04;
        ASSERT_EQ(DbUpdate("MCDEF", 0, r.data(), 110), DbStatus::Success);
        status = DbRelGet("MCDEF", 0, r.data(), 110, DbOp::GetNext);
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(RecordStoreTest, BatchedCallsAreKeptAfterTheBatch)
{
    EXPECT_EQ(DbBatch("MCDEF").beginStatus(), DbStatus::NotOpen) << "a batch on a table not open is no batch";
    EXPECT_EQ(DbBatch("MCDEF").commit(), DbStatus::NotOpen) << "nor does it say it kept anything";
    createAndOpen("MCDEF");
    {
        DbBatch batch("MCDEF");
        EXPECT_EQ(batch.beginStatus(), DbStatus::Success);
        for (uint8_t n = 1; n <= 50; ++n)
            insert(block(n, 0, 0, 0));
        EXPECT_EQ(batch.commit(), DbStatus::Success);
    }
    RecordStore::instance().closeAll();
    ASSERT_EQ(DbOpen("MCDEF", DbMode::ReadOnly), DbStatus::Success);
    Record r{};
    int count = 0;
    for (uint16_t s = DbRelGet("MCDEF", 0, r.data(), 110, DbOp::GetFirst); s == DbStatus::Success;
         s = DbRelGet("MCDEF", 0, r.data(), 110, DbOp::GetNext))
        ++count;
    EXPECT_EQ(count, 50);
}

TEST_F(RecordStoreTest, ABatchWithoutCommitLeavesTheTableAsItWas)
{
    createAndOpen("NETCNF");
    std::array<uint8_t, 58> node{};
    le::putStr(node.data(), 8, "001:125");
    le::putStr(&node[8], 17, "GATEWAY");
    ASSERT_EQ(DbInsert("NETCNF", 0, node.data(), 58), DbStatus::Success);
    const auto count = [] {
        std::array<uint8_t, 58> r{};
        int n = 0;
        for (uint16_t s = DbRelGet("NETCNF", 0, r.data(), 58, DbOp::GetFirst); s == DbStatus::Success;
             s = DbRelGet("NETCNF", 0, r.data(), 58, DbOp::GetNext))
            ++n;
        return n;
    };
    // A batch whose third insert fails is abandoned by its caller, also from a nested level.
    for (const bool nested : {false, true}) {
        SCOPED_TRACE(nested ? "nested" : "flat");
        {
            DbBatch outer("NETCNF");
            std::optional<DbBatch> inner;
            if (nested)
                inner.emplace("NETCNF");
            le::putStr(node.data(), 8, "001:001");
            ASSERT_EQ(DbInsert("NETCNF", 0, node.data(), 58), DbStatus::Success);
            le::putStr(node.data(), 8, "001:002");
            ASSERT_EQ(DbInsert("NETCNF", 0, node.data(), 58), DbStatus::Success);
            le::putStr(node.data(), 8, "001:125");
            ASSERT_EQ(DbInsert("NETCNF", 0, node.data(), 58), DbStatus::DuplicateKey);
            if (nested) {
                inner.reset();
                EXPECT_EQ(outer.commit(), DbStatus::InvalidOperation) << "the inner level's abandon wins";
            }
        }
        RecordStore::instance().closeAll();
        ASSERT_EQ(DbOpen("NETCNF", DbMode::Normal), DbStatus::Success);
        EXPECT_EQ(count(), 1) << "only the record from before the batch";
    }
}

TEST_F(RecordStoreTest, StatusesOfCallsThatCannotBeDone)
{
    EXPECT_EQ(DbOpen("MCDEF", DbMode::Normal), DbStatus::NotAvailable) << "no file";
    EXPECT_EQ(DbOpen("NOSUCHTABLE", DbMode::Normal), DbStatus::NotAvailable);
    const std::string folder = RecordStore::instance().tableFile("NETCNF");
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    EXPECT_EQ(DbOpen("NETCNF", DbMode::Normal), DbStatus::NotATable) << "a folder is there, but no table";
    std::filesystem::remove(folder);
    Record r{};
    EXPECT_EQ(DbInsert("MCDEF", 0, r.data(), 110), DbStatus::NotOpen);

    createAndOpen("MCDEF");
    EXPECT_EQ(DbOpen("MCDEF", DbMode::Normal), DbStatus::AlreadyOpen);
    EXPECT_EQ(DbRelGet("MCDEF", 0, r.data(), 110, DbOp::GetNext), DbStatus::InvalidPositioning);
    EXPECT_EQ(DbDelete("MCDEF"), DbStatus::InvalidPositioning);
    EXPECT_EQ(DbInsert("MCDEF", 0, r.data(), 100), DbStatus::InvalidRecordLength);
    uint8_t key[4] = {};
    EXPECT_EQ(DbGet("MCDEF", 0, key, 4, r.data(), 60, DbOp::GetEqual), DbStatus::BufferTooShort);
    EXPECT_EQ(DbGet("MCDEF", 0, key, 2, r.data(), 110, DbOp::GetEqual), DbStatus::KeyBufferTooShort);
    EXPECT_EQ(DbGet("MCDEF", 2, key, 4, r.data(), 110, DbOp::GetEqual), DbStatus::InvalidKeyNumber);
    EXPECT_EQ(DbGet("MCDEF", 0, key, 4, r.data(), 110, 77), DbStatus::InvalidOperation);
    EXPECT_EQ(DbGet("MCDEF", 0, key, 4, r.data(), 110, DbOp::GetEqual), DbStatus::KeyNotFound);
    EXPECT_EQ(DbGet("MCDEF", 0, key, 4, r.data(), 110, DbOp::GetGreaterOrEqual), DbStatus::EndOfFile);
    EXPECT_EQ(DbClose("MCDEF"), DbStatus::Success);
    EXPECT_EQ(DbClose("MCDEF"), DbStatus::NotOpen);
}

// A stored record of another length than the table's is refused with the
// status for a wrong record length, neither padded nor cut; a scan goes on
// past it.
TEST_F(RecordStoreTest, AStoredRecordOfTheWrongLengthIsRefused)
{
    createAndOpen("MCDEF");
    for (uint8_t n : {1, 2, 3})
        insert(block(n, 0, 0, 0, n));
    ASSERT_EQ(DbClose("MCDEF"), DbStatus::Success);
    RecordStore::instance().closeAll();
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(RecordStore::instance().tableFile("MCDEF").c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, "UPDATE records SET rec = substr(rec, 1, 100) WHERE id = 2", nullptr, nullptr,
                               nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    ASSERT_EQ(DbOpen("MCDEF", DbMode::Normal), DbStatus::Success);
    Record r{};
    uint8_t key[4] = {2, 0, 0, 0};
    EXPECT_EQ(DbGet("MCDEF", 0, key, 4, r.data(), 110, DbOp::GetEqual), DbStatus::InvalidRecordLength);
    EXPECT_EQ(DbRelGet("MCDEF", 0, r.data(), 110, DbOp::GetFirst), DbStatus::Success);
    EXPECT_EQ(r[0], 1);
    EXPECT_EQ(DbRelGet("MCDEF", 0, r.data(), 110, DbOp::GetNext), DbStatus::InvalidRecordLength);
    EXPECT_EQ(DbRelGet("MCDEF", 0, r.data(), 110, DbOp::GetNext), DbStatus::Success);
    EXPECT_EQ(r[0], 3);
    EXPECT_EQ(std::string(DbStatusMeaning(DbStatus::InvalidRecordLength)), "wrong record length");

    // The check of the closed file names the record by its key, and the kind the name asks for.
    RecordStore::instance().closeAll();
    const std::string file = RecordStore::instance().tableFile("MCDEF");
    EXPECT_EQ(RecordStore::checkTableFile(file, "MCDEF"), file + ": the record with key 02 00 00 00 is 100 bytes, not 110");
    EXPECT_EQ(RecordStore::checkTableFile(file, "NETCNF"), file + ": a table of MCDEF, not of NETCNF");
}

TEST_F(RecordStoreTest, AFailedCallLosesNothingAlreadyWritten)
{
    createAndOpen("NETCNF");
    std::array<uint8_t, 58> node{};
    le::putStr(node.data(), 8, "001:125");
    le::putStr(&node[8], 17, "GATEWAY");
    ASSERT_EQ(DbInsert("NETCNF", 0, node.data(), 58), DbStatus::Success);
    le::putStr(&node[8], 17, "INTRUDER");
    EXPECT_EQ(DbInsert("NETCNF", 0, node.data(), 58), DbStatus::DuplicateKey);

    RecordStore::instance().closeAll();
    ASSERT_EQ(DbOpen("NETCNF", DbMode::ReadOnly), DbStatus::Success);
    char key[8] = "001:125";
    std::array<uint8_t, 58> r{};
    ASSERT_EQ(DbGet("NETCNF", 0, key, 8, r.data(), 58, DbOp::GetEqual), DbStatus::Success);
    EXPECT_EQ(le::str(&r[8], 17), "GATEWAY");
    EXPECT_EQ(DbInsert("NETCNF", 0, node.data(), 58), DbStatus::AccessDenied) << "opened read-only";
}

TEST_F(RecordStoreTest, FilesThatAreNotThisTableAreRefused)
{
    {
        std::ofstream garbage(m_prefix + "MCDEF.DAT", std::ios::binary);
        garbage << std::string(4096, 'x');
    }
    EXPECT_EQ(DbOpen("MCDEF", DbMode::Normal), DbStatus::NotATable);

    // A table of another record length under the name of this one.
    ASSERT_EQ(RecordStore::createTableFile(m_prefix + "EVENTLOG.DAT", *FindTableSchema("NETCNF")), DbStatus::Success);
    EXPECT_EQ(DbOpen("EVENTLOG", DbMode::Normal), DbStatus::NotATable);

    {
        std::ofstream empty(m_prefix + "XRTAPPL.DAT", std::ios::binary);
    }
    EXPECT_EQ(DbOpen("XRTAPPL", DbMode::Normal), DbStatus::NotATable);
}

TEST_F(RecordStoreTest, TableFilesAreFoundWithoutRegardToCase)
{
    ASSERT_EQ(RecordStore::createTableFile(m_prefix + "McDef.dat", *FindTableSchema("MCDEF")), DbStatus::Success);
    EXPECT_EQ(DbOpen("mcdef", DbMode::Normal), DbStatus::Success);
}

// MCDEF.DAT with records and the empty template MCDEF.NEW beside it, both closed.
class TableFileTest : public RecordStoreTest {
protected:
    void SetUp() override
    {
        RecordStoreTest::SetUp();
        createAndOpen("MCDEF");
        for (int n = 1; n <= 200; ++n)
            insert(block(uint8_t(n), 0, 0, 0));
        ASSERT_EQ(DbClose("MCDEF"), DbStatus::Success);
        ASSERT_EQ(RecordStore::createTableFile(source(), *FindTableSchema("MCDEF")), DbStatus::Success);
    }

    std::string target() const { return m_prefix + "MCDEF.DAT"; }
    std::string source() const { return m_prefix + "MCDEF.NEW"; }
    static std::string contentOf(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void write(const std::string& path, const std::string& content)
    {
        std::ofstream(path, std::ios::binary) << content;
    }
    static int recordsOfMcdef()
    {
        if (DbOpen("MCDEF", DbMode::ReadOnly) != DbStatus::Success)
            return -1;
        int count = 0;
        Record r{};
        for (uint16_t status = DbRelGet("MCDEF", 0, r.data(), 110, DbOp::GetFirst); status == DbStatus::Success;
             status = DbRelGet("MCDEF", 0, r.data(), 110, DbOp::GetNext))
            ++count;
        DbClose("MCDEF");
        return count;
    }
};

TEST_F(TableFileTest, TheTargetBecomesTheSourceAndNoOldJournalIsLeftBesideIt)
{
    write(target() + "-wal", "");
    write(target() + "-shm", std::string(32768, '\x7f'));
    const TableFileReplacement replacement = RecordStore::replaceTableFile(source(), target(), "MCDEF", true);
    ASSERT_TRUE(replacement.ok()) << replacement.describe();
    EXPECT_EQ(contentOf(target()), contentOf(source()));
    for (const char* leftover : {"-wal", "-shm"})
        EXPECT_FALSE(std::filesystem::exists(target() + leftover)) << leftover;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.path().toStdString()))
        EXPECT_NE(entry.path().extension(), ".tmp") << "no temporary file left: " << entry.path();
    for (const char* journal : {"-wal", "-shm"})
        EXPECT_FALSE(std::filesystem::exists(source() + journal)) << "the check leaves the source as it lies";
    EXPECT_EQ(recordsOfMcdef(), 0);
}

TEST_F(TableFileTest, ASourceThatIsNoSoundTableLeavesTheTargetAsItWas)
{
    namespace fs = std::filesystem;
    const std::string kept = contentOf(target());
    const std::string sound = contentOf(source());
    const auto damaged = [&] {
        // Every page but the first (the schema) overwritten: the rows' pages are garbage.
        std::string bytes = kept;
        const size_t pageSize = size_t(uint8_t(bytes[16])) << 8 | uint8_t(bytes[17]);
        std::fill(bytes.begin() + std::ptrdiff_t(pageSize), bytes.end(), '\xa5');
        write(source(), bytes);
    };
    struct Case {
        const char* what;
        std::function<void()> prepare;
        TableFileReplacement::Outcome outcome;
        std::string file;
    };
    const std::vector<Case> cases = {
        {"missing", [&] { fs::remove(source()); }, TableFileReplacement::SourceMissing, source()},
        {"a folder",
         [&] {
             fs::remove(source());
             fs::create_directory(source());
         },
         TableFileReplacement::SourceNotAFile, source()},
        {"too short", [&] { write(source(), "table"); }, TableFileReplacement::SourceImplausibleSize, source()},
        {"no table", [&] { write(source(), std::string(4096, 'x')); }, TableFileReplacement::SourceNotATable,
         source()},
        {"damaged", damaged, TableFileReplacement::SourceDamaged, source()},
        {"with journal content", [&] { write(source() + "-wal", "unwritten pages"); },
         TableFileReplacement::JournalPending, source()},
        {"onto a target with journal content", [&] { write(target() + "-wal", "unwritten pages"); },
         TableFileReplacement::JournalPending, target()},
        // A template must be an empty table of MCDEF's kind and record length.
        {"another table",
         [&] {
             fs::remove(source());
             ASSERT_EQ(RecordStore::createTableFile(source(), *FindTableSchema("NETCNF")), DbStatus::Success);
         },
         TableFileReplacement::OtherTable, source()},
        {"a full table", [&] { write(source(), kept); }, TableFileReplacement::SourceNotEmpty, source()},
        {"another record length",
         [&] {
             fs::remove(source());
             TableSchema shorter = *FindTableSchema("MCDEF");
             shorter.recordLength = 100;
             ASSERT_EQ(RecordStore::createTableFile(source(), shorter), DbStatus::Success);
         },
         TableFileReplacement::RecordLength, source()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(source());
        fs::remove(source() + "-wal");
        fs::remove(target() + "-wal");
        write(source(), sound);
        c.prepare();
        const TableFileReplacement replacement = RecordStore::replaceTableFile(source(), target(), "MCDEF", true);
        EXPECT_EQ(replacement.outcome, c.outcome) << replacement.describe();
        EXPECT_EQ(replacement.file, c.file);
        EXPECT_NE(replacement.describe().find(c.file), std::string::npos);
        EXPECT_EQ(contentOf(target()), kept) << "byte for byte";
    }
    fs::remove(target() + "-wal");
    EXPECT_EQ(recordsOfMcdef(), 200);
}

// Makes a folder unwritable for the length of a scope: by its mode, and for a
// user whom modes do not stop (root) by the file system's immutable flag.
class UnwritableFolder {
public:
    explicit UnwritableFolder(const std::string& path)
        : m_path(path)
    {
        std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        if (access(path.c_str(), W_OK) != 0)
            return;
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            m_immutable = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        if (fd >= 0)
            ::close(fd);
    }
    ~UnwritableFolder()
    {
        if (m_immutable) {
            const int fd = ::open(m_path.c_str(), O_RDONLY | O_DIRECTORY);
            int flags = 0;
            if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
            }
            if (fd >= 0)
                ::close(fd);
        }
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all);
    }
    bool unwritable() const
    {
        const std::string probe = m_path + "/probe";
        const int fd = ::open(probe.c_str(), O_CREAT | O_WRONLY, 0600);
        if (fd < 0)
            return true;
        ::close(fd);
        ::unlink(probe.c_str());
        return false;
    }

private:
    std::string m_path;
    bool m_immutable = false;
};

TEST_F(RecordStoreTest, AReadOnlyDataFolderGivesAccessDenied)
{
    create("MCDEF");
    UnwritableFolder folder(m_dir.path().toStdString());
    if (!folder.unwritable())
        GTEST_SKIP() << "this file system lets this user write into any folder";
    EXPECT_EQ(DbOpen("MCDEF", DbMode::Normal), DbStatus::AccessDenied);
}

} // namespace
