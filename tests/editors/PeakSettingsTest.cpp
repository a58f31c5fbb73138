// The peak shaving settings without a window: data block 2 as the gateway
// keeps it, the change status over the visits of the advanced dialog and the
// change lines of the log.

#include "editors/energy/PeakSettings.h"
#include "model/Records.h"
#include "protocol/LittleEndian.h"

#include <gtest/gtest.h>

namespace {

McdefRecord patternedBlock()
{
    McdefRecord block(5, BlockType::Data, 2, 0);
    for (size_t i = McdefRecord::ContentOffset; i < McdefRecord::Size; ++i)
        block[i] = uint8_t(0xA0 + i);
    return block;
}

} // namespace

TEST(PeakSettingsLayoutTest, ReadsEveryFieldAtItsByte)
{
    McdefRecord block = patternedBlock();
    uint8_t* p = block.data();
    le::putU16(p + 6, 1000);
    le::putU16(p + 8, 30);
    le::putU16(p + 10, 120);
    le::putU16(p + 12, 450);
    le::putU16(p + 14, 45);
    le::putF32(p + 16, 2.5f);
    le::putF32(p + 20, 0.4f);
    p[24] = 1;
    p[25] = 0;
    p[26] = 1;
    le::putF32(p + 27, 184326.5f);
    le::putF32(p + 31, 23877.25f);

    const PeakSettings s = UnpackPeakSettings(block);
    EXPECT_EQ(s.impulsesPerKwh, 1000);
    EXPECT_EQ(s.loadPeriod, 30);
    EXPECT_EQ(s.advanced.internLoadPeriod, 120);
    EXPECT_EQ(s.peakLimit, 450);
    EXPECT_EQ(s.advanced.maxShaveTime, 45);
    EXPECT_EQ(s.maxThermostatOffset, 2.5f);
    EXPECT_EQ(s.advanced.offsetStep, 0.4f);
    EXPECT_EQ(s.advanced.useSchedule, (std::array<uint8_t, 3>{1, 0, 1}));
    EXPECT_EQ(s.normalMeter, 184326.5f);
    EXPECT_EQ(s.peakMeter, 23877.25f);

    McdefRecord offsetBlock(5, BlockType::Data, 1, 0);
    le::putF32(offsetBlock.data() + 7, 0.4f);
    EXPECT_EQ(CalculatedOffset(offsetBlock), 0.4f);
}

TEST(PeakSettingsLayoutTest, WritingKeepsTheMeterReadingsAndTheBytesBehindThem)
{
    const McdefRecord read = patternedBlock();
    McdefRecord written = read;
    PeakSettings s; // the defaults of a new function
    s.normalMeter = 1.0f; // reported values are never written back
    s.peakMeter = 2.0f;
    s.advanced.useSchedule = {1, 0, 1};
    PackPeakSettings(s, written);

    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(written[i], read[i]) << "key and status, byte " << i;
    for (size_t i = 27; i < McdefRecord::Size; ++i)
        EXPECT_EQ(written[i], read[i]) << "byte " << i;
    EXPECT_EQ(le::u16(written.data() + 6), 200);
    EXPECT_EQ(le::u16(written.data() + 8), 15);
    EXPECT_EQ(le::u16(written.data() + 10), 60);
    EXPECT_EQ(le::u16(written.data() + 12), 0);
    EXPECT_EQ(le::u16(written.data() + 14), 90);
    EXPECT_EQ(le::f32(written.data() + 16), 1.5f);
    EXPECT_EQ(le::f32(written.data() + 20), 0.2f);
    EXPECT_EQ(written[24], 1);
    EXPECT_EQ(written[25], 0);
    EXPECT_EQ(written[26], 1);

    PeakSettings back = UnpackPeakSettings(written);
    back.normalMeter = s.normalMeter;
    back.peakMeter = s.peakMeter;
    EXPECT_EQ(back, s);
}

TEST(PeakSettingsLayoutTest, TheStepListOffersTenthsFromOneToFive)
{
    for (size_t i = 0; i < PeakOffsetSteps().size(); ++i)
        EXPECT_EQ(OffsetStepIndex(float(PeakOffsetSteps()[i])), int(i));
    EXPECT_EQ(OffsetStepIndex(0.1f + 0.2f), 2) << "a step off by rounding";
    EXPECT_EQ(OffsetStepIndex(0.0f), -1);
    EXPECT_EQ(OffsetStepIndex(0.25f), -1);
    EXPECT_EQ(OffsetStepIndex(1.0f), -1);
}

TEST(PeakChangeStatusTest, AVisitCountsEditedFieldsButComparesTheChoices)
{
    const PeakAdvanced committed;
    EXPECT_EQ(AdvancedVisitStatus(committed, committed, false, false), 0);
    EXPECT_EQ(AdvancedVisitStatus(committed, committed, true, false), PeakChange::Settings)
        << "an edit typed over with the same number still counts";
    PeakAdvanced shown = committed;
    shown.offsetStep = 0.3f;
    EXPECT_EQ(AdvancedVisitStatus(committed, shown, false, false), PeakChange::Settings);
    shown = committed;
    shown.useSchedule[ColdAccumulationSlot] = 1;
    EXPECT_EQ(AdvancedVisitStatus(committed, shown, false, false), PeakChange::Settings);
    EXPECT_EQ(AdvancedVisitStatus(committed, shown, false, true), PeakChange::Settings | PeakChange::Lists);
    EXPECT_EQ(AdvancedVisitStatus(committed, committed, false, true), PeakChange::Lists)
        << "a box clicked twice is no change; the list is";
}

TEST(PeakChangeStatusTest, TheEditorJoinsItsOwnChangesWithThoseOfEveryVisit)
{
    EXPECT_EQ(PeakEditorStatus(false, false, 0), 0);
    EXPECT_EQ(PeakEditorStatus(true, false, 0), PeakChange::Settings);
    EXPECT_EQ(PeakEditorStatus(false, true, 0), PeakChange::Lists);
    // Two visits: a schedule list in the first, a step in the second.
    const int visits = PeakChange::Lists | PeakChange::Settings;
    EXPECT_EQ(PeakEditorStatus(false, false, visits), PeakChange::Settings | PeakChange::Lists);
    EXPECT_EQ(PeakEditorStatus(false, false, PeakChange::Lists), PeakChange::Lists)
        << "lists alone need the whole function";
    EXPECT_EQ(PeakEditorStatus(true, false, PeakChange::Lists), PeakChange::Settings | PeakChange::Lists);
}

TEST(PeakChangeLinesTest, EveryChangedValueInTheLogsOrderAndFormat)
{
    PeakSettings loaded;
    loaded.advanced.useSchedule = {0, 1, 0};
    PeakSettings saved;
    saved.impulsesPerKwh = 250;
    saved.loadPeriod = 30;
    saved.advanced.internLoadPeriod = 90;
    saved.peakLimit = 180;
    saved.advanced.maxShaveTime = 60;
    saved.maxThermostatOffset = 2.0f;
    saved.advanced.offsetStep = 0.5f;
    saved.advanced.useSchedule = {1, 0, 1};
    saved.normalMeter = 99.0f; // the gateway's readings are not logged
    EXPECT_EQ(PeakSettingsChangeLines(loaded, saved), (std::vector<std::string>{
                                                          "Impuls per Kwh  200 -> 250",
                                                          "Load period  15 -> 30",
                                                          "Intern load period  60 -> 90",
                                                          "Peak limit  0 -> 180",
                                                          "Max shave time  90 -> 60",
                                                          "Max therm. offset  1.50 -> 2.00",
                                                          "Offset steps  0.20 -> 0.50",
                                                          "Use tariff sched.  OFF -> ON",
                                                          "Use cold accum. Sched.  ON -> OFF",
                                                          "Use peak meter Sched.  OFF -> ON",
                                                      }));
    EXPECT_TRUE(PeakSettingsChangeLines(loaded, loaded).empty());
    PeakSettings offsetOnly = loaded;
    offsetOnly.maxThermostatOffset = 1.75f;
    EXPECT_EQ(PeakSettingsChangeLines(loaded, offsetOnly),
              (std::vector<std::string>{"Max therm. offset  1.50 -> 1.75"}));
}
