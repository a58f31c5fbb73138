// The peak shaving editor and its advanced dialog end to end: the real
// dialogs offscreen, the demo gateway 001 uploaded from a real qelnetd, whose
// function 5 "Peak shaving" is a started peak shaving function with the
// thermostats 030, 031 and 124, schedule 2 for the tariff and the cold
// accumulation, schedule 1 for the peak meter, and the readings the gateway
// reports (normal meter 184326.5 kWh, peak meter 23877.25 kWh, offset 0.4 K).

#include "editors/EditorFixture.h"

#include "editors/energy/PeakAdvancedDlg.h"
#include "editors/energy/PeakBDlg.h"
#include "editors/energy/PeakSettings.h"
#include "protocol/LittleEndian.h"
#include "protocol/Telegram.h"
#include "support/CEditCtrlEx.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

namespace {

constexpr uint8_t PeakShaving = 5;
constexpr uint8_t ShopHours = 1;
constexpr uint8_t NightTariff = 2;

class PeakShavingEditorTest : public EditorFixture {
protected:
    static PeakAdvancedDlg& advanced(QDialog& editor)
    {
        auto* dialog = editor.findChild<PeakAdvancedDlg*>("PeakAdvancedDlg");
        EXPECT_NE(dialog, nullptr);
        return *dialog;
    }
    static QString text(QDialog& d, const char* name) { return child<QLineEdit>(d, name)->text(); }
    static QString label(QDialog& d, const char* name) { return child<QLabel>(d, name)->text(); }
    static std::vector<uint8_t> listed(QDialog& d, const char* list)
    {
        std::vector<uint8_t> schedules;
        const ScheList* scheduleList = child<ScheList>(d, list);
        for (int line = 0; line < scheduleList->lineCount(); ++line)
            schedules.push_back(scheduleList->scheduleOf(line));
        return schedules;
    }
    static std::vector<uint8_t> storedSchedules(uint8_t number, uint8_t slot)
    {
        std::vector<McdefRecord> records;
        EXPECT_EQ(ReadBlocks(number, BlockType::ScheduleReference, slot, records), DbStatus::Success);
        std::vector<uint8_t> schedules;
        for (const McdefRecord& record : records)
            schedules.push_back(record.item());
        return schedules;
    }
    static PeakSettings stored(uint8_t number)
    {
        McdefRecord block;
        EXPECT_EQ(ReadBlock(number, BlockType::Data, 2, 0, block), DbStatus::Success);
        return UnpackPeakSettings(block);
    }
    std::vector<int> commandsSince(size_t first) const
    {
        const std::vector<int> all = sentCommands();
        return {all.begin() + std::ptrdiff_t(first), all.end()};
    }
    static std::string logHead() { return "001:125 GW Market North\n"; }
    static QString question() { return "The data has been changed. Do you want to save the changes ?"; }
};

TEST_F(PeakShavingEditorTest, ShowsWhatTheGatewayReportedAndTheCommittedAdvancedValues)
{
    start();
    m_script.expectDialog("PeakBDlg", [](QDialog& editor) {
        const std::optional<EditorResult> result = run(editor, [&] {
            EXPECT_EQ(editor.windowTitle(), "ZUL control function - Peak Shaving");
            EXPECT_EQ(label(editor, "numberLabel"), "5");
            EXPECT_EQ(text(editor, "nameEdit"), "Peak shaving");
            EXPECT_EQ(label(editor, "normalMeterLabel"), "184326.50");
            EXPECT_EQ(label(editor, "peakMeterLabel"), "23877.25");
            EXPECT_TRUE(child<QWidget>(editor, "peakMeterLabel")->isVisible()) << "the peak meter is used";
            EXPECT_EQ(label(editor, "calculatedOffsetLabel"), "0.40");
            EXPECT_EQ(text(editor, "impulsesEdit"), "200");
            EXPECT_EQ(text(editor, "loadPeriodEdit"), "15");
            EXPECT_EQ(text(editor, "peakLimitEdit"), "180");
            EXPECT_EQ(text(editor, "thermostatOffsetEdit"), "2.00");
            EXPECT_EQ(child<IOList>(editor, "outputList")->rowCount(), 3);
            for (const char* disabled : {"nameEdit", "outputButton"})
                EXPECT_FALSE(child<QWidget>(editor, disabled)->isEnabled()) << disabled << ": the function is started";
            for (const char* graph : {"consumptionButton", "loadButton"})
                EXPECT_TRUE(button(editor, graph)->isEnabled()) << graph << ": the gateway keeps history";

            PeakAdvancedDlg& d = advanced(editor);
            EXPECT_FALSE(d.isVisible()) << "created hidden";
            button(editor, "advancedButton")->click();
            EXPECT_TRUE(d.isVisible());
            EXPECT_FALSE(editor.isEnabled());
            EXPECT_TRUE(d.isEnabled());
            EXPECT_EQ(d.windowTitle(), "ZUL control function - Peak Shaving, Advanced");
            EXPECT_EQ(text(d, "maxShaveTimeEdit"), "60");
            EXPECT_EQ(text(d, "internLoadPeriodEdit"), "60");
            auto* steps = child<QComboBox>(d, "offsetStepCombo");
            EXPECT_EQ(steps->count(), 5);
            EXPECT_EQ(steps->currentText(), "0.2");
            for (const char* box : {"tariffCheck", "coldCheck", "peakCheck"})
                EXPECT_TRUE(child<QCheckBox>(d, box)->isChecked()) << box;
            EXPECT_EQ(listed(d, "tariffList"), std::vector<uint8_t>{NightTariff});
            EXPECT_EQ(listed(d, "coldList"), std::vector<uint8_t>{NightTariff});
            EXPECT_EQ(listed(d, "peakList"), std::vector<uint8_t>{ShopHours});
            EXPECT_EQ(child<ScheList>(d, "peakList")->lineText(0), " \t001\tShop hours");
            button(d, "cancelButton")->click();
            EXPECT_FALSE(d.isVisible());
            EXPECT_TRUE(editor.isEnabled());
            button(editor, "cancelButton")->click();
        });
        return int(result.value_or(EditorResult::DatabaseFailure));
    });
    // The function list opens the editor of the type.
    const EditorFunction open = EditorForType(FunctionType::PeakShaving);
    ASSERT_TRUE(open);
    EXPECT_EQ(open(nullptr, request(FunctionType::PeakShaving, PeakShaving)), EditorResult::Cancel);
}

TEST_F(PeakShavingEditorTest, TheGraphButtonsOpenTheGraphOfTheirMode)
{
    start();
    struct Shown {
        QString caption;
        double firstJanuary = 0;
    };
    std::vector<Shown> graphs;
    const auto expectGraph = [&] {
        m_script.expectDialog("PeakGDlg", [&graphs](QDialog& d) {
            const std::optional<int> result = runDialog(d, [&graphs, &d] {
                const auto* bars = static_cast<QBarSeries*>(static_cast<PeakGDlg&>(d).chart()->series().value(0));
                graphs.push_back({d.windowTitle(), bars ? bars->barSets().value(0)->at(0) : -1});
                button(d, "closeButton")->click();
            });
            EXPECT_TRUE(result.has_value()) << "Close ends the graph";
            return result.value_or(-1);
        });
    };
    expectGraph();
    expectGraph();
    PeakBDlg editor(request(FunctionType::PeakShaving, PeakShaving));
    EXPECT_EQ(run(editor, [&] {
                  button(editor, "consumptionButton")->click();
                  button(editor, "loadButton")->click();
                  EXPECT_TRUE(editor.isVisible());
                  button(editor, "cancelButton")->click();
              }),
              EditorResult::Cancel);
    ASSERT_EQ(graphs.size(), 2u);
    EXPECT_EQ(graphs[0].caption, "ZUL control function - Peak Shaving, Consumption");
    EXPECT_FLOAT_EQ(graphs[0].firstJanuary, 21350.4) << "normal tariff in January";
    EXPECT_EQ(graphs[1].caption, "ZUL control function - Peak Shaving, Load");
    EXPECT_FLOAT_EQ(graphs[1].firstJanuary, 142.5) << "normal load in January";
}

TEST_F(PeakShavingEditorTest, ANewFunctionShowsItsDefaultsAndIsSavedSentAndLogged)
{
    start();
    PeakBDlg editor(request(FunctionType::PeakShaving, NewNumber));
    m_script.expectMessage("Please specify a schedule reference.");
    expectScheduleChoice({NightTariff});
    expectReferenceChoice({{"030", true}});
    expectUpdate();
    const std::optional<EditorResult> result = run(editor, [&] {
        EXPECT_EQ(text(editor, "nameEdit"), "Peak Shaving");
        EXPECT_EQ(text(editor, "impulsesEdit"), "200");
        EXPECT_EQ(text(editor, "loadPeriodEdit"), "15");
        EXPECT_EQ(text(editor, "peakLimitEdit"), "0");
        EXPECT_EQ(text(editor, "thermostatOffsetEdit"), "1.50");
        EXPECT_EQ(label(editor, "calculatedOffsetLabel"), "0.00");
        EXPECT_EQ(label(editor, "normalMeterLabel"), "0.00");
        EXPECT_FALSE(child<QWidget>(editor, "peakMeterLabel")->isVisible());
        EXPECT_FALSE(button(editor, "consumptionButton")->isEnabled());
        EXPECT_FALSE(button(editor, "loadButton")->isEnabled());

        PeakAdvancedDlg& d = advanced(editor);
        button(editor, "advancedButton")->click();
        EXPECT_EQ(text(d, "maxShaveTimeEdit"), "90");
        EXPECT_EQ(text(d, "internLoadPeriodEdit"), "60");
        EXPECT_EQ(child<QComboBox>(d, "offsetStepCombo")->currentText(), "0.2");
        for (const char* list : {"tariffList", "coldList", "peakList"})
            EXPECT_TRUE(listed(d, list).empty()) << list;
        child<QCheckBox>(d, "coldCheck")->click();
        button(d, "okButton")->click();
        EXPECT_TRUE(d.isVisible()) << "a ticked slot needs its schedule";
        EXPECT_EQ(d.focusWidget(), button(d, "coldButton"));
        button(d, "coldButton")->click();
        button(d, "okButton")->click();
        EXPECT_FALSE(d.isVisible());

        button(editor, "outputButton")->click();
        button(editor, "okButton")->click();
    });
    ASSERT_EQ(result, EditorResult::Ok);

    std::vector<McdefRecord> blocks;
    ASSERT_EQ(ReadFunction(NewNumber, blocks), DbStatus::Success);
    ASSERT_EQ(blocks.size(), 5u) << "header, a thermostat, a schedule reference, data blocks 1 and 2";
    EXPECT_EQ(blocks[0].name(), "Peak Shaving");
    EXPECT_EQ(blocks[1].key(), (std::array<uint8_t, 4>{NewNumber, BlockType::Output, 1, 30}));
    EXPECT_EQ(blocks[2].key(), (std::array<uint8_t, 4>{NewNumber, BlockType::ScheduleReference, 2, NightTariff}));
    EXPECT_EQ(blocks[3], McdefRecord(NewNumber, BlockType::Data, 1, 0)) << "a zeroed data block 1";
    PeakSettings expected;
    expected.advanced.useSchedule = {0, 1, 0};
    EXPECT_EQ(UnpackPeakSettings(blocks[4]), expected);
    for (size_t i = 27; i < McdefRecord::Size; ++i)
        EXPECT_EQ(blocks[4][i], 0) << "byte " << i;

    const GatewayState image = readImage("001");
    const GatewayFunction& sent = image.functions.at(NewNumber);
    EXPECT_EQ(sent.name, "Peak Shaving");
    EXPECT_EQ(sent.slot(2, 1).size(), 1u);
    EXPECT_EQ(sent.schedules[1], std::vector<uint8_t>{NightTariff});
    EXPECT_EQ(le::u16(sent.blocks[1].bytes.data()), 200);
    EXPECT_EQ(le::f32(sent.blocks[1].bytes.data() + 10), 1.5f);
    EXPECT_EQ(sent.blocks[1].bytes[19], 1) << "cold accumulation is used";

    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, logHead() + "Peak Shaving is created");
}

TEST_F(PeakShavingEditorTest, AdvancedChangesOverTwoVisitsAreSavedSentAndLoggedOnce)
{
    start();
    const size_t uploadCommands = sentCommands().size();
    PeakBDlg editor(request(FunctionType::PeakShaving, PeakShaving));
    expectScheduleChoice({ShopHours});
    expectUpdate();
    const std::optional<EditorResult> result = run(editor, [&] {
        PeakAdvancedDlg& d = advanced(editor);
        button(editor, "advancedButton")->click();
        button(d, "tariffButton")->click();
        EXPECT_EQ(listed(d, "tariffList"), std::vector<uint8_t>{ShopHours});
        button(d, "okButton")->click();
        ASSERT_FALSE(d.isVisible());

        button(editor, "advancedButton")->click();
        EXPECT_EQ(listed(d, "tariffList"), std::vector<uint8_t>{ShopHours}) << "the first visit was committed";
        child<QComboBox>(d, "offsetStepCombo")->setCurrentIndex(4);
        child<QCheckBox>(d, "coldCheck")->click();
        button(d, "okButton")->click();
        ASSERT_FALSE(d.isVisible());
        button(editor, "okButton")->click();
    });
    ASSERT_EQ(result, EditorResult::Ok);

    const std::vector<int> sent = commandsSince(uploadCommands);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), Command::WriteHeader) << "a schedule list sends the whole function";
    EXPECT_EQ(storedSchedules(PeakShaving, 1), std::vector<uint8_t>{ShopHours});
    EXPECT_EQ(storedSchedules(PeakShaving, 2), std::vector<uint8_t>{NightTariff}) << "the box alone was cleared";
    const PeakSettings settings = stored(PeakShaving);
    EXPECT_EQ(settings.advanced.offsetStep, 0.5f);
    EXPECT_EQ(settings.advanced.useSchedule, (std::array<uint8_t, 3>{1, 0, 1}));
    EXPECT_EQ(settings.normalMeter, 184326.5f) << "the reading is kept as reported";
    const GatewayState image = readImage("001");
    const GatewayFunction& gateway = image.functions.at(PeakShaving);
    EXPECT_EQ(gateway.schedules[0], std::vector<uint8_t>{ShopHours});
    EXPECT_EQ(le::f32(gateway.blocks[1].bytes.data() + 14), 0.5f);

    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].text, logHead() + "Peak shaving\nSchedule: Tariff period is/are changed");
    EXPECT_EQ(rows[1].text,
              logHead() + "Peak shaving\nOffset steps  0.20 -> 0.50\nUse cold accum. Sched.  ON -> OFF");
}

TEST_F(PeakShavingEditorTest, ChangedSettingsAloneAreSentAsDataBlocks)
{
    start();
    const size_t uploadCommands = sentCommands().size();
    PeakBDlg editor(request(FunctionType::PeakShaving, PeakShaving));
    expectUpdate();
    ASSERT_EQ(run(editor, [&] {
                  typeInto(child<CEditCtrlEx>(editor, "peakLimitEdit"), "200");
                  typeInto(child<CEditCtrlEx>(editor, "thermostatOffsetEdit"), "2"); // the same value
                  button(editor, "okButton")->click();
              }),
              EditorResult::Ok);
    const std::vector<int> sent = commandsSince(uploadCommands);
    EXPECT_EQ(count(sent, Command::WriteHeader), 0);
    EXPECT_GT(count(sent, Command::WriteDataBlock), 0);
    EXPECT_EQ(stored(PeakShaving).peakLimit, 200);
    EXPECT_EQ(le::u16(readImage("001").functions.at(PeakShaving).blocks[1].bytes.data() + 6), 200);
    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, logHead() + "Peak shaving\nPeak limit  180 -> 200");
}

TEST_F(PeakShavingEditorTest, CancelInTheAdvancedDialogKeepsTheCommittedValuesAndLists)
{
    start();
    const auto before = TestHome::records(table::Mcdef);
    PeakBDlg editor(request(FunctionType::PeakShaving, PeakShaving));
    expectScheduleChoice({ShopHours});
    m_script.expectMessage(question(), IDCANCEL);
    m_script.expectMessage(question(), IDNO);
    EXPECT_EQ(run(editor, [&] {
                  PeakAdvancedDlg& d = advanced(editor);
                  button(editor, "advancedButton")->click();
                  button(d, "tariffButton")->click();
                  typeInto(child<CEditCtrlEx>(d, "maxShaveTimeEdit"), "30");
                  child<QCheckBox>(d, "peakCheck")->click();
                  button(d, "cancelButton")->click();
                  EXPECT_TRUE(d.isVisible()) << "Cancel stays";
                  button(d, "cancelButton")->click();
                  EXPECT_FALSE(d.isVisible()) << "No drops the changes";
                  EXPECT_TRUE(editor.isEnabled());
                  EXPECT_TRUE(child<QWidget>(editor, "peakMeterLabel")->isVisible());

                  button(editor, "advancedButton")->click();
                  EXPECT_EQ(listed(d, "tariffList"), std::vector<uint8_t>{NightTariff});
                  EXPECT_EQ(text(d, "maxShaveTimeEdit"), "60");
                  EXPECT_TRUE(child<QCheckBox>(d, "peakCheck")->isChecked());
                  button(d, "cancelButton")->click();
                  EXPECT_FALSE(d.isVisible()) << "nothing to ask";
                  button(editor, "cancelButton")->click();
              }),
              EditorResult::Cancel)
        << "nothing was committed, nothing to ask";
    EXPECT_EQ(TestHome::records(table::Mcdef), before);
    EXPECT_TRUE(eventRows().empty());
}

TEST_F(PeakShavingEditorTest, CancelEscapeAndTheCloseBoxOfTheAdvancedDialogAskAlike)
{
    start();
    for (const auto& [wayName, way] : leavingWays("cancelButton")) {
        SCOPED_TRACE(wayName);
        PeakBDlg editor(request(FunctionType::PeakShaving, PeakShaving));
        m_script.expectMessage(question(), IDCANCEL);
        m_script.expectMessage(question(), IDNO);
        EXPECT_EQ(run(editor, [&, way = way] {
                      PeakAdvancedDlg& d = advanced(editor);
                      button(editor, "advancedButton")->click();
                      child<QComboBox>(d, "offsetStepCombo")->setCurrentIndex(0);
                      way(d);
                      EXPECT_TRUE(d.isVisible()) << "Cancel stays";
                      way(d);
                      EXPECT_FALSE(d.isVisible());
                      EXPECT_TRUE(editor.isEnabled());
                      button(editor, "advancedButton")->click();
                      EXPECT_EQ(child<QComboBox>(d, "offsetStepCombo")->currentText(), "0.2");
                      way(d);
                      EXPECT_FALSE(d.isVisible()) << "nothing to ask";
                      button(editor, "cancelButton")->click();
                  }),
                  EditorResult::Cancel);
    }
    EXPECT_TRUE(eventRows().empty());
}

TEST_F(PeakShavingEditorTest, AScheduleWithAConflictMarkKeepsTheAdvancedDialogOpen)
{
    start();
    McdefRecord reference;
    ASSERT_EQ(ReadBlock(PeakShaving, BlockType::ScheduleReference, 3, ShopHours, reference), DbStatus::Success);
    reference[4] = ScheduleStatus::UnknownFunction;
    ASSERT_EQ(UpdateBlock(reference), DbStatus::Success);
    PeakBDlg editor(request(FunctionType::PeakShaving, PeakShaving));
    m_script.expectMessage("There are schedules with conflict mark in list 'Peak period'.");
    expectScheduleChoice({NightTariff}); // the marked reference cannot be chosen again
    expectUpdate();
    EXPECT_EQ(run(editor, [&] {
                  PeakAdvancedDlg& d = advanced(editor);
                  button(editor, "advancedButton")->click();
                  EXPECT_EQ(child<ScheList>(d, "peakList")->lineText(0), "!\t001\tUnknown function");
                  button(d, "okButton")->click();
                  EXPECT_TRUE(d.isVisible());
                  EXPECT_EQ(d.focusWidget(), button(d, "peakButton"));
                  button(d, "peakButton")->click();
                  button(d, "okButton")->click();
                  EXPECT_FALSE(d.isVisible());
                  button(editor, "okButton")->click();
              }),
              EditorResult::Ok);
    EXPECT_EQ(storedSchedules(PeakShaving, 3), std::vector<uint8_t>{NightTariff});
    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, logHead() + "Peak shaving\nSchedule: Peak period is/are changed");
}

TEST_F(PeakShavingEditorTest, ThePeakMeterLineFollowsTheCommittedBoxBeforeAnythingIsSaved)
{
    start();
    PeakBDlg editor(request(FunctionType::PeakShaving, PeakShaving));
    m_script.expectMessage(question(), IDNO);
    EXPECT_EQ(run(editor, [&] {
                  PeakAdvancedDlg& d = advanced(editor);
                  button(editor, "advancedButton")->click();
                  child<QCheckBox>(d, "peakCheck")->click();
                  EXPECT_TRUE(child<QWidget>(editor, "peakMeterLabel")->isVisible()) << "not yet committed";
                  button(d, "okButton")->click();
                  for (const char* line : {"peakMeterCaption", "peakMeterLabel", "peakMeterUnit"})
                      EXPECT_FALSE(child<QWidget>(editor, line)->isVisible()) << line;
                  button(editor, "cancelButton")->click();
              }),
              EditorResult::Cancel);
    EXPECT_EQ(stored(PeakShaving).advanced.useSchedule[PeakMeterSlot], 1);
}

TEST_F(PeakShavingEditorTest, NumbersOutOfRangeAreRefusedWithTheFocusOnTheirEdit)
{
    start();
    PeakBDlg editor(request(FunctionType::PeakShaving, PeakShaving));
    m_script.expectMessage("Please enter a number from 30 to 300.");
    m_script.expectMessage("Please enter a number from 20 to 10000.");
    m_script.expectMessage("Please enter a number from 0.0 to 5.0.");
    m_script.expectMessage(question(), IDCANCEL);
    m_script.expectMessage("Please enter a number from 0.0 to 5.0.");
    m_script.expectMessage(question(), IDNO);
    EXPECT_EQ(run(editor, [&] {
                  PeakAdvancedDlg& d = advanced(editor);
                  button(editor, "advancedButton")->click();
                  auto* intern = child<CEditCtrlEx>(d, "internLoadPeriodEdit");
                  typeInto(intern, "20");
                  pressEnter(intern);
                  EXPECT_TRUE(d.isVisible());
                  EXPECT_EQ(d.focusWidget(), intern);
                  typeInto(intern, "300");
                  button(d, "okButton")->click();
                  EXPECT_FALSE(d.isVisible());

                  auto* impulses = child<CEditCtrlEx>(editor, "impulsesEdit");
                  auto* offset = child<CEditCtrlEx>(editor, "thermostatOffsetEdit");
                  typeInto(impulses, "10");
                  pressEnter(impulses);
                  EXPECT_TRUE(editor.isVisible());
                  EXPECT_EQ(editor.focusWidget(), impulses);
                  typeInto(impulses, "10000");
                  typeInto(offset, "5.5");
                  button(editor, "okButton")->click();
                  EXPECT_TRUE(editor.isVisible());
                  EXPECT_EQ(editor.focusWidget(), offset);
                  button(editor, "cancelButton")->click();
                  EXPECT_TRUE(editor.isVisible()) << "Cancel checks the edits and stays";
                  EXPECT_EQ(editor.focusWidget(), offset);
                  button(editor, "cancelButton")->click();
              }),
              EditorResult::Cancel);
    EXPECT_TRUE(eventRows().empty());
}

TEST_F(PeakShavingEditorTest, ViewOnlyLetsNothingChange)
{
    start();
    PeakBDlg editor(request(FunctionType::PeakShaving, PeakShaving, true));
    EXPECT_EQ(run(editor, [&] {
                  for (const char* disabled : {"nameEdit", "okButton", "outputButton", "impulsesEdit", "loadPeriodEdit",
                                               "peakLimitEdit", "thermostatOffsetEdit"})
                      EXPECT_FALSE(child<QWidget>(editor, disabled)->isEnabled()) << disabled;
                  PeakAdvancedDlg& d = advanced(editor);
                  button(editor, "advancedButton")->click();
                  for (const char* disabled : {"maxShaveTimeEdit", "internLoadPeriodEdit", "offsetStepCombo",
                                               "tariffCheck", "coldCheck", "peakCheck", "okButton", "tariffButton",
                                               "coldButton", "peakButton"})
                      EXPECT_FALSE(child<QWidget>(d, disabled)->isEnabled()) << disabled;
                  button(d, "cancelButton")->click();
                  button(editor, "cancelButton")->click();
              }),
              EditorResult::Cancel);
    EXPECT_TRUE(m_script.prompts().empty());
}

} // namespace
