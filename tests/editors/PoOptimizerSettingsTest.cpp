// The Po optimizer's data blocks: settings, the evaporators' delay records
// and the compressor's output references.

#include "editors/energy/PoOptimizerSettings.h"
#include "protocol/IdentityChecksum.h"
#include "protocol/LittleEndian.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace {

MultiParmRow evaporator(uint8_t address, char loop, uint16_t delay)
{
    MultiParmRow row;
    row.address = address;
    row.loop = loop;
    row.defrostDelay = delay;
    row.ident = "EVA-200";
    return row;
}

TEST(PoSettings, PeriodIsStoredInSecondsAndOtherBytesStay)
{
    McdefRecord block(12, 4, 1, 0);
    block[4] = 0x11;
    le::putF32(&block[19], 1.25f);
    block[28] = 0x5A;
    PoSettings settings;
    settings.period = 7;
    settings.kp = 0.8f;
    settings.compressorLoop = 1;
    settings.alarmEnable = 1;
    settings.alarmDelay = 1440;
    settings.actualOffset = 9.0f;
    PackPoSettings(settings, block);
    EXPECT_EQ(le::u16(&block[6]), 420);
    EXPECT_EQ(le::u16(&block[8]), 900);
    EXPECT_EQ(le::f32(&block[10]), 0.8f);
    EXPECT_EQ(le::f32(&block[14]), 900.0f);
    EXPECT_EQ(block[23], 1);
    EXPECT_EQ(block[24], 1);
    EXPECT_EQ(le::u16(&block[25]), 1440);
    EXPECT_EQ(block[27], 0) << "a new function offers optimise communication, off";
    EXPECT_EQ(le::f32(&block[19]), 1.25f) << "the reported offset is never written";
    EXPECT_EQ(block[4], 0x11);
    EXPECT_EQ(block[28], 0x5A);

    const PoSettings back = UnpackPoSettings(block);
    EXPECT_EQ(back.period, 7);
    EXPECT_EQ(back.actualOffset, 1.25f);
    le::putU16(&block[6], 450);
    EXPECT_EQ(UnpackPoSettings(block).period, 7) << "whole minutes";
}

TEST(PoSettings, ReportedOffsetIsRoundedHalfUp)
{
    EXPECT_EQ(PoOffsetText(1.25f, false), "1.3");
    EXPECT_EQ(PoOffsetText(0.6f, false), "0.6");
    EXPECT_EQ(PoOffsetText(2.04f, false), "2.0");
    EXPECT_EQ(PoOffsetText(0.0f, false), "0.0");
    EXPECT_EQ(PoOffsetText(1.25f, true), "0") << "while the offset is disabled";
}

TEST(EvaporatorDelays, TwentyEntriesARecordAtMostThree)
{
    std::vector<MultiParmRow> rows;
    for (int i = 0; i < 25; ++i)
        rows.push_back(evaporator(uint8_t(80 + i / 2), i % 2 ? 'B' : 'A', uint16_t(60 * (i + 1))));
    const std::vector<McdefRecord> records = EvaporatorDelayRecords(20, rows);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].key(), (std::array<uint8_t, 4>{20, 4, 2, 1}));
    EXPECT_EQ(records[1].key(), (std::array<uint8_t, 4>{20, 4, 2, 2}));
    EXPECT_EQ(records[0][6], 20);
    EXPECT_EQ(records[1][6], 5);
    const uint8_t* last = &records[1][7 + 5 * 4];
    EXPECT_EQ(last[0], 24) << "indexes run over all records";
    EXPECT_EQ(last[1], 92);
    EXPECT_EQ(last[2], 0) << "loop A";
    EXPECT_EQ(le::u16(&last[3]), 1500);
    EXPECT_EQ(records[0][7 + 5 * 1 + 2], 1) << "loop B";
    EXPECT_EQ(records[1][7 + 5 * 5], 0) << "nothing after the last entry";

    rows.resize(65, evaporator(1, 'A', 60));
    EXPECT_EQ(EvaporatorDelayRecords(20, rows).size(), 3u) << "sixty evaporators carry a delay";
    EXPECT_TRUE(EvaporatorDelayRecords(20, {}).empty());
}

// The rows come in address order, the gateway's entries in its own: each row takes the entry of its
// address and loop, so that saving the rows untouched writes every loop and delay as the gateway held them.
TEST(EvaporatorDelays, LoadedRowsTakeTheEntryOfTheirAddressAndLoopWhateverItsIndex)
{
    const QebTypeIni ini = QebTypeIni::fromText("[EVA-200 Funct 8]\nLoopId=AB\n"
                                                "Input1A=x,3,14,2\nInput1B=x,3,15,2\n"
                                                "[EVA-50 Funct 8]\nInput1?=x,3,14,2\n");
    const auto row = [](uint8_t address, uint8_t p2, const char* ident) {
        MultiParmRow r = evaporator(address, '?', 1200);
        r.inputs[0] = {3, p2, 2, 7, "", ""};
        r.ident = ident;
        return r;
    };
    // As the gateway held them: 010 A, 010 B, 004 B (no LoopId: kept as the entry says), 002 A.
    McdefRecord record(12, BlockType::Data, 2, 1);
    WriteEvaporatorEntries({{0, 10, 0, 600}, {1, 10, 1, 900}, {2, 4, 1, 300}, {3, 2, 0, 2400}}, record);

    // As the table's key order lists them; 010's loops read B before A, 007 has no entry.
    std::vector<MultiParmRow> loaded = {row(2, 14, "EVA-200"), row(4, 14, "EVA-50"), row(7, 15, "EVA-200"),
                                        row(7, 99, "EVA-200"), row(10, 15, "EVA-200"), row(10, 14, "EVA-200")};
    ApplyEvaporatorDelays({record}, ini, loaded);
    std::vector<std::pair<char, uint16_t>> taken;
    for (const MultiParmRow& r : loaded)
        taken.emplace_back(r.loop, r.defrostDelay);
    EXPECT_EQ(taken, (std::vector<std::pair<char, uint16_t>>{
                         {'A', 2400}, {'B', 300}, {'B', 1200}, {'?', 1200}, {'B', 900}, {'A', 600}}));

    loaded.erase(loaded.begin() + 2, loaded.begin() + 4);
    std::vector<std::tuple<uint8_t, uint8_t, uint16_t>> written;
    for (const EvaporatorEntry& e : ReadEvaporatorEntries(EvaporatorDelayRecords(12, loaded).front()))
        written.emplace_back(e.address, e.loop, e.delay);
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::tuple<uint8_t, uint8_t, uint16_t>>{
                           {2, 0, 2400}, {4, 1, 300}, {10, 0, 600}, {10, 1, 900}}))
        << "the same loop assignments as the gateway held";
}

TEST(CompressorOutputs, FirstOutputFromTheSlotSecondFromQebTypeIni)
{
    const QebTypeIni ini = QebTypeIni::fromText("[PAK-400 Funct 8]\nLoopId=AB\nOutput2B=enable,9,7,1\n");
    MultiParmRow compressor;
    compressor.address = 41;
    compressor.loop = 'B';
    compressor.ident = "PAK-400";
    compressor.output = {9, 1, 3, 6, "", ""};
    const std::vector<McdefRecord> first = CompressorOutputRecords(14, 1, {compressor}, ini);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].key(), (std::array<uint8_t, 4>{14, 2, 1, 41}));
    EXPECT_EQ(std::vector<uint8_t>(&first[0][6], &first[0][10]), (std::vector<uint8_t>{9, 1, 3, 6}));
    EXPECT_EQ(le::u16(&first[0][10]), IdentityChecksum(32, "PAK-400"));
    const std::vector<McdefRecord> second = CompressorOutputRecords(14, 2, {compressor}, ini);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(std::vector<uint8_t>(&second[0][6], &second[0][10]), (std::vector<uint8_t>{9, 7, 1, 249}));
    compressor.loop = 'A';
    EXPECT_TRUE(CompressorOutputRecords(14, 2, {compressor}, ini).empty()) << "no Output2A";
}

} // namespace
