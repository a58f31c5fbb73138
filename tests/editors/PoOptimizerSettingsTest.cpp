// The Po optimizer's data blocks: settings, the evaporators' delay records
// and the compressor's output references.

#include "editors/energy/PoOptimizerSettings.h"
#include "protocol/IdentityChecksum.h"
#include "protocol/LittleEndian.h"

#include <gtest/gtest.h>

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

TEST(EvaporatorDelays, LoadedRowsTakeTheirEntryOrLookTheLoopUpAgain)
{
    const QebTypeIni ini = QebTypeIni::fromText("[EVA-200 Funct 8]\nLoopId=AB\n"
                                                "Input1A=x,3,14,2\nInput1B=x,3,15,2\n");
    std::vector<MultiParmRow> stored = {evaporator(3, 'B', 900), evaporator(4, 'A', 600), evaporator(5, 'A', 300)};
    const std::vector<McdefRecord> records = EvaporatorDelayRecords(12, stored);

    std::vector<MultiParmRow> loaded = {evaporator(3, '?', 1200), evaporator(7, '?', 1200),
                                        evaporator(5, '?', 1200), evaporator(6, '?', 1200)};
    loaded[1].inputs[0] = {3, 15, 2, 7, "", ""};
    loaded[3].inputs[0] = {3, 14, 2, 7, "", ""};
    ApplyEvaporatorDelays(records, ini, loaded);
    EXPECT_EQ(loaded[0].loop, 'B');
    EXPECT_EQ(loaded[0].defrostDelay, 900);
    EXPECT_EQ(loaded[1].loop, '?') << "another controller than the entry's";
    EXPECT_EQ(loaded[1].defrostDelay, 1200);
    EXPECT_EQ(loaded[2].loop, 'A');
    EXPECT_EQ(loaded[2].defrostDelay, 300);
    EXPECT_EQ(loaded[3].loop, 'A') << "a row without an entry is looked up";
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
