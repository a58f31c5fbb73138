// The keyed-record store against raw SQLite doing the same work: an ordered
// scan of 25,000 MCDEF records by get-next, and 25,000 inserts in one batch.

#include "support/Db.h"
#include "support/RecordStore.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

constexpr int RecordCount = 25000;

std::string benchFolder()
{
    static const std::string folder = [] {
        char pattern[] = "/tmp/velt-bench-XXXXXX";
        return std::string(mkdtemp(pattern)) + "/";
    }();
    return folder;
}

std::array<uint8_t, 110> recordFor(int i)
{
    std::array<uint8_t, 110> r{};
    r[0] = uint8_t(1 + i % 105);
    r[1] = uint8_t(1 + (i / 105) % 4);
    r[2] = uint8_t(1 + (i / 420) % 8);
    r[3] = uint8_t(i / 3360);
    for (size_t b = 6; b < r.size(); ++b)
        r[b] = uint8_t(i * 7 + b);
    return r;
}

void freshTable(const std::string& name)
{
    RecordStore::instance().closeAll();
    RecordStore::instance().setDataDirectory(benchFolder());
    RecordStore::createTableFile(benchFolder() + name + ".DAT", *FindTableSchema("MCDEF"));
}

void fillScanTable()
{
    static bool filled = false;
    if (filled)
        return;
    freshTable("MCDEF");
    DbOpen("MCDEF", DbMode::Normal);
    {
        DbBatch batch("MCDEF");
        for (int i = 0; i < RecordCount; ++i) {
            const auto r = recordFor(i);
            DbInsert("MCDEF", 0, r.data(), 110);
        }
        batch.commit();
    }
    DbClose("MCDEF");
    filled = true;
}

void StoreScanByGetNext(benchmark::State& state)
{
    fillScanTable();
    RecordStore::instance().setDataDirectory(benchFolder());
    DbOpen("MCDEF", DbMode::ReadOnly);
    std::array<uint8_t, 110> r{};
    for (auto _ : state) {
        int count = 0;
        for (uint16_t s = DbRelGet("MCDEF", 0, r.data(), 110, DbOp::GetFirst); s == DbStatus::Success;
             s = DbRelGet("MCDEF", 0, r.data(), 110, DbOp::GetNext))
            ++count;
        if (count != RecordCount)
            state.SkipWithError("wrong record count");
    }
    DbClose("MCDEF");
}

void SqliteOrderedScan(benchmark::State& state)
{
    fillScanTable();
    sqlite3* db = nullptr;
    sqlite3_open_v2((benchFolder() + "MCDEF.DAT").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* scan = nullptr;
    sqlite3_prepare_v2(db, "SELECT id, rec FROM records ORDER BY k0, id", -1, &scan, nullptr);
    std::array<uint8_t, 110> r{};
    for (auto _ : state) {
        int count = 0;
        while (sqlite3_step(scan) == SQLITE_ROW) {
            std::memcpy(r.data(), sqlite3_column_blob(scan, 1), 110);
            ++count;
        }
        sqlite3_reset(scan);
        if (count != RecordCount)
            state.SkipWithError("wrong record count");
    }
    sqlite3_finalize(scan);
    sqlite3_close(db);
}

void StoreBatchedInserts(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        freshTable("MCDEF");
        DbOpen("MCDEF", DbMode::Normal);
        state.ResumeTiming();
        {
            DbBatch batch("MCDEF");
            for (int i = 0; i < RecordCount; ++i) {
                const auto r = recordFor(i);
                DbInsert("MCDEF", 0, r.data(), 110);
            }
            batch.commit();
        }
        state.PauseTiming();
        DbClose("MCDEF");
        state.ResumeTiming();
    }
}

void SqliteInsertsInOneTransaction(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        freshTable("RAW");
        sqlite3* db = nullptr;
        sqlite3_open_v2((benchFolder() + "RAW.DAT").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO records(rec, k0, k1) VALUES(?1, ?2, ?3)", -1, &insert, nullptr);
        state.ResumeTiming();
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (int i = 0; i < RecordCount; ++i) {
            const auto r = recordFor(i);
            const uint8_t k1[2] = {r[1], r[3]};
            sqlite3_bind_blob(insert, 1, r.data(), 110, SQLITE_TRANSIENT);
            sqlite3_bind_blob(insert, 2, r.data(), 4, SQLITE_TRANSIENT);
            sqlite3_bind_blob(insert, 3, k1, 2, SQLITE_TRANSIENT);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        state.PauseTiming();
        sqlite3_finalize(insert);
        sqlite3_close(db);
        state.ResumeTiming();
    }
}

BENCHMARK(StoreScanByGetNext)->Unit(benchmark::kMillisecond);
BENCHMARK(SqliteOrderedScan)->Unit(benchmark::kMillisecond);
BENCHMARK(StoreBatchedInserts)->Unit(benchmark::kMillisecond);
BENCHMARK(SqliteInsertsInOneTransaction)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
