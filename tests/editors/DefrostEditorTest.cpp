// The central defrost editor and its defrost schedules end to end: the real
// dialogs offscreen, the demo gateway 001 uploaded from a real qelnetd, whose
// function 9 "Ice defrost" is a started central defrost with three defrost
// schedules (06:00 14:00 22:00 / 04:00 10:00 16:00 22:00 / 05:00 17:00;
// Saturday on schedule 2, Sunday on 3), external start and co-ordination.

#include "editors/EditorFixture.h"

#include "editors/defrost/DefrostDlg.h"
#include "editors/defrost/DefrostSchedulesDlg.h"
#include "editors/MaModDlg.h"
#include "gateway/UpdateJob.h"
#include "protocol/LittleEndian.h"
#include "protocol/Telegram.h"
#include "support/CEditCtrlEx.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>

namespace {

constexpr uint8_t IceDefrost = 9;

class DefrostEditorTest : public EditorFixture {
protected:
    static void typeTime(DefrostSchedulesDlg& d, size_t schedule, size_t row, const QString& hours,
                         const QString& minutes)
    {
        typeInto(d.hoursEdit(schedule, row), hours);
        typeInto(d.minutesEdit(schedule, row), minutes);
    }
    static QString shownTime(DefrostSchedulesDlg& d, size_t schedule, size_t row)
    {
        return d.hoursEdit(schedule, row)->text() + ":" + d.minutesEdit(schedule, row)->text();
    }

    // The defrost schedules dialog, shown and operated by the steps; its result.
    void expectSchedules(std::function<void(DefrostSchedulesDlg&)> steps)
    {
        m_script.expectDialog("DefrostSchedulesDlg", [steps](QDialog& d) {
            d.show();
            steps(static_cast<DefrostSchedulesDlg&>(d));
            return d.result();
        });
    }

    // The upload marks ice cream 2 (071) as not answering on its defrost
    // start, which refuses OK; the tests that save function 9 clear the mark.
    static void clearNoAnswerMark()
    {
        McdefRecord reference;
        ASSERT_EQ(ReadBlock(IceDefrost, BlockType::Output, 1, 71, reference), DbStatus::Success);
        reference[5] = 0;
        ASSERT_EQ(UpdateBlock(reference), DbStatus::Success);
    }

    static McdefRecord block(uint8_t number, uint8_t blockNumber)
    {
        McdefRecord record;
        EXPECT_EQ(ReadBlock(number, BlockType::Data, blockNumber, 0, record), DbStatus::Success) << int(blockNumber);
        return record;
    }

    std::vector<int> commandsSince(size_t first) const
    {
        const std::vector<int> all = sentCommands();
        return {all.begin() + std::ptrdiff_t(first), all.end()};
    }

    static std::string logHead() { return "001:125 GW Market North\n"; }
};

TEST_F(DefrostEditorTest, ANewFunctionIsSavedSentAndLoggedAsCreated)
{
    start();
    DefrostDlg editor(request(FunctionType::CentralDefrost, NewNumber));
    expectSchedules([](DefrostSchedulesDlg& d) {
        for (const char* day : {"mondayCombo", "tuesdayCombo", "wednesdayCombo", "thursdayCombo", "fridayCombo",
                                "saturdayCombo", "sundayCombo"})
            EXPECT_EQ(child<QComboBox>(d, day)->currentText(), "Schedule 1") << day;
        EXPECT_EQ(shownTime(d, 0, 0), ":") << "a new function has no time";
        typeInto(child<CEditCtrlEx>(d, "countEdit"), "4");
        typeInto(child<CEditCtrlEx>(d, "firstHoursEdit"), "0");
        typeInto(child<CEditCtrlEx>(d, "firstMinutesEdit"), "0");
        typeInto(child<CEditCtrlEx>(d, "lastHoursEdit"), "7");
        typeInto(child<CEditCtrlEx>(d, "lastMinutesEdit"), "0");
        button(d, "autoSetButton1")->click();
        EXPECT_EQ(shownTime(d, 0, 0), "00:00");
        EXPECT_EQ(shownTime(d, 0, 1), "02:20");
        EXPECT_EQ(shownTime(d, 0, 2), "04:40");
        EXPECT_EQ(shownTime(d, 0, 3), "07:00");
        EXPECT_EQ(shownTime(d, 0, 4), ":");
        EXPECT_EQ(shownTime(d, 1, 0), ":") << "Auto Set fills its own schedule only";
        child<QComboBox>(d, "sundayCombo")->setCurrentIndex(2);
        button(d, "okButton")->click();
        EXPECT_FALSE(d.isVisible());
    });
    expectReferenceChoice({{"070", false}});
    // Its outputs include a parameter that a function of the demo writes already: saved all the same.
    m_script.expectMessageContaining("Two functions that write one controller parameter", IDYES);
    expectUpdate();
    const std::optional<EditorResult> result = run(editor, [&] {
        EXPECT_EQ(child<QLineEdit>(editor, "nameEdit")->text(), "Central Defrost");
        EXPECT_EQ(child<QLabel>(editor, "manualStateLabel")->text(), "Off");
        EXPECT_FALSE(button(editor, "manualButton")->isEnabled());
        for (const char* hidden : {"externalStartGroup", "relayGroup", "holdGroup"})
            EXPECT_FALSE(child<QWidget>(editor, hidden)->isVisible()) << hidden;
        EXPECT_TRUE(child<QWidget>(editor, "startGroup")->isVisible());
        button(editor, "schedulesButton")->click();
        button(editor, "startButton")->click();
        button(editor, "okButton")->click();
    });
    ASSERT_EQ(result, EditorResult::Ok);

    std::vector<McdefRecord> blocks;
    ASSERT_EQ(ReadFunction(NewNumber, blocks), DbStatus::Success);
    ASSERT_EQ(blocks.size(), 5u) << "header, a defrost start, data blocks 1, 2 and 3";
    EXPECT_EQ(blocks[0].type(), FunctionType::CentralDefrost);
    EXPECT_EQ(blocks[1].key(), (std::array<uint8_t, 4>{NewNumber, BlockType::Output, 1, 70}));
    EXPECT_EQ(blocks[2], McdefRecord(NewNumber, BlockType::Data, 1, 0)) << "a zeroed data block 1";
    EXPECT_EQ(blocks[3], McdefRecord(NewNumber, BlockType::Data, 2, 0)) << "both boxes unchecked";
    DefrostTimes expected;
    expected.times[0] = 0;
    expected.times[1] = 140;
    expected.times[2] = 280;
    expected.times[3] = 420;
    expected.weekdays = {0, 0, 0, 0, 0, 0, 2};
    EXPECT_EQ(UnpackDefrostTimes(blocks[4]), expected);

    const GatewayState gateway = readImage("001");
    const GatewayFunction& sent = gateway.functions.at(NewNumber);
    EXPECT_EQ(sent.name, "Central Defrost");
    EXPECT_EQ(sent.slot(2, 1).size(), 1u);
    EXPECT_EQ(le::i16(sent.blocks[2].bytes.data() + 2), 140) << "the second time, 02:20";
    EXPECT_EQ(sent.blocks[2].bytes[48 + 6], 2) << "Sunday on schedule 3";

    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, logHead() + "Central Defrost is created");
}

TEST_F(DefrostEditorTest, AnExternalStartWithAnInputReplacesTheDefrostTimes)
{
    start();
    DefrostDlg editor(request(FunctionType::CentralDefrost, NewNumber));
    expectReferenceChoice({{"070", false}});
    m_script.expectMessage("Please specify a schedule reference.");
    m_script.expectMessage("Please specify a schedule reference.");
    expectReferenceChoice({{"017", false}});
    // Its outputs include a parameter that a function of the demo writes already: saved all the same.
    m_script.expectMessageContaining("Two functions that write one controller parameter", IDYES);
    expectUpdate();
    const std::optional<EditorResult> result = run(editor, [&] {
        button(editor, "startButton")->click();
        button(editor, "okButton")->click();
        EXPECT_EQ(editor.focusWidget(), button(editor, "schedulesButton"));
        child<QCheckBox>(editor, "externalStartCheck")->click();
        EXPECT_TRUE(child<QWidget>(editor, "externalStartGroup")->isVisible());
        button(editor, "okButton")->click(); // the box without an input does not replace the times
        EXPECT_TRUE(editor.isVisible());
        button(editor, "externalStartButton")->click();
        button(editor, "okButton")->click();
    });
    ASSERT_EQ(result, EditorResult::Ok);
    EXPECT_EQ(block(NewNumber, 2)[6], 1) << "\"External Defrost start\" is stored";
    EXPECT_EQ(block(NewNumber, 2)[7], 0);
    EXPECT_FALSE(UnpackDefrostTimes(block(NewNumber, 3)).anySet()) << "no time is set";
    McdefRecord input;
    EXPECT_EQ(ReadBlock(NewNumber, BlockType::Input, 1, 17, input), DbStatus::Success);
}

TEST_F(DefrostEditorTest, AHalfFilledTimeIsRefusedWithTheFocusOnTheEmptyEdit)
{
    start();
    clearNoAnswerMark();
    DefrostDlg editor(request(FunctionType::CentralDefrost, IceDefrost));
    expectSchedules([this](DefrostSchedulesDlg& d) {
        m_script.expectMessage("Please fill in a value.");
        typeInto(d.hoursEdit(2, 2), "20");
        button(d, "okButton")->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.focusWidget(), d.minutesEdit(2, 2));

        m_script.expectMessage("Please fill in a value.");
        typeInto(d.hoursEdit(2, 2), "");
        typeInto(d.minutesEdit(2, 2), "30");
        button(d, "okButton")->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.focusWidget(), d.hoursEdit(2, 2));

        m_script.expectMessage("Please fill in a value.");
        for (size_t schedule = 0; schedule < DefrostScheduleCount; ++schedule)
            for (size_t row = 0; row < DefrostTimesPerSchedule; ++row)
                typeTime(d, schedule, row, "", "");
        button(d, "okButton")->click();
        EXPECT_TRUE(d.isVisible()) << "at least one time";
        EXPECT_EQ(m_script.prompts().back().style, MB::Ok | MB::IconStop);

        m_script.expectMessage("The data has been changed. Do you want to save the changes ?", IDNO);
        button(d, "cancelButton")->click();
        EXPECT_FALSE(d.isVisible());
    });
    run(editor, [&] {
        button(editor, "schedulesButton")->click();
        button(editor, "okButton")->click();
        EXPECT_FALSE(editor.isVisible()) << "nothing changed";
    });
    EXPECT_TRUE(eventRows().empty());
}

// A time or count outside its range is named with its range, by OK, Enter and Auto Set alike, and the
// field at fault gets the focus with its text selected; nothing is taken over until every field is in range.
TEST_F(DefrostEditorTest, TimesAndTheAutoSetCountOutsideTheirRangeAreRefusedByTheField)
{
    start();
    clearNoAnswerMark();
    const DefrostTimes stored = UnpackDefrostTimes(block(IceDefrost, 3));
    DefrostDlg editor(request(FunctionType::CentralDefrost, IceDefrost));
    expectSchedules([this](DefrostSchedulesDlg& d) {
        const auto refusedAt = [&](CEditCtrlEx* edit, const char* message, const QString& text) {
            EXPECT_EQ(m_script.prompts().back().text.toStdString(), message);
            EXPECT_TRUE(d.isVisible());
            EXPECT_EQ(d.focusWidget(), edit);
            EXPECT_EQ(edit->selectedText(), text);
        };
        m_script.expectMessage("Please enter a number from 0 to 23.");
        typeTime(d, 2, 2, "25", "99");
        button(d, "okButton")->click();
        refusedAt(d.hoursEdit(2, 2), "Please enter a number from 0 to 23.", "25");

        m_script.expectMessage("Please enter a number from 0 to 59.");
        typeInto(d.hoursEdit(2, 2), "05");
        pressEnter(d.hoursEdit(2, 2));
        refusedAt(d.minutesEdit(2, 2), "Please enter a number from 0 to 59.", "99");

        const QString before = shownTime(d, 0, 2);
        for (const char* count : {"0", "9", ""}) {
            m_script.expectMessage("Please enter a number from 2 to 8.");
            typeInto(child<CEditCtrlEx>(d, "countEdit"), count);
            button(d, "autoSetButton1")->click();
            refusedAt(child<CEditCtrlEx>(d, "countEdit"), "Please enter a number from 2 to 8.", count);
            EXPECT_EQ(shownTime(d, 0, 2), before) << "Auto Set with " << count << " changes nothing";
        }

        typeInto(d.minutesEdit(2, 2), "30");
        pressEnter(d.minutesEdit(2, 2));
        EXPECT_FALSE(d.isVisible());
        expectUpdate();
    });
    EXPECT_EQ(run(editor, [&] {
                  button(editor, "schedulesButton")->click();
                  button(editor, "okButton")->click();
              }),
              EditorResult::Ok);
    DefrostTimes expected = stored;
    expected.times[DefrostTimes::index(2, 2)] = 5 * 60 + 30;
    EXPECT_EQ(UnpackDefrostTimes(block(IceDefrost, 3)), expected);
}

TEST_F(DefrostEditorTest, ChangedDefrostTimesAloneAreSentAsDataBlocksAndLoggedAsOneScheduleEntry)
{
    start();
    clearNoAnswerMark();
    const McdefRecord switchesBefore = block(IceDefrost, 2);
    const size_t uploadCommands = sentCommands().size();
    DefrostDlg editor(request(FunctionType::CentralDefrost, IceDefrost));
    expectSchedules([](DefrostSchedulesDlg& d) {
        EXPECT_EQ(shownTime(d, 1, 3), "22:00");
        EXPECT_EQ(child<QComboBox>(d, "saturdayCombo")->currentText(), "Schedule 2");
        typeTime(d, 2, 2, "20", "00");
        button(d, "okButton")->click();
    });
    expectUpdate();
    const std::optional<EditorResult> result = run(editor, [&] {
        EXPECT_FALSE(child<QWidget>(editor, "nameEdit")->isEnabled()) << "function 9 is started";
        EXPECT_TRUE(button(editor, "schedulesButton")->isEnabled());
        button(editor, "schedulesButton")->click();
        button(editor, "okButton")->click();
    });
    ASSERT_EQ(result, EditorResult::Ok);

    EXPECT_EQ(commandsSince(uploadCommands), (std::vector<int>{Command::WriteDataBlock, Command::WriteDataBlock,
                                                               Command::WriteDataBlock}))
        << "no header, no references";
    const DefrostTimes times = UnpackDefrostTimes(block(IceDefrost, 3));
    EXPECT_EQ(times.times[DefrostTimes::index(2, 0)], 5 * 60);
    EXPECT_EQ(times.times[DefrostTimes::index(2, 2)], 20 * 60);
    EXPECT_EQ(times.weekdays, (std::array<uint8_t, 7>{0, 0, 0, 0, 0, 1, 2}));
    EXPECT_EQ(block(IceDefrost, 2), switchesBefore);
    EXPECT_EQ(le::i16(readImage("001").functions.at(IceDefrost).blocks[2].bytes.data() + 2 * 18), 20 * 60);

    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, logHead() + "Ice defrost\nSchedule: Defrost Functions is/are changed");
}

TEST_F(DefrostEditorTest, CoordinateToggledAndBackRewritesTheBlocksWithoutACheckBoxLine)
{
    start();
    stopFunction(IceDefrost);
    clearNoAnswerMark();
    DefrostDlg editor(request(FunctionType::CentralDefrost, IceDefrost));
    expectUpdate();
    const std::optional<EditorResult> result = run(editor, [&] {
        auto* coordinate = child<QCheckBox>(editor, "coordinateCheck");
        ASSERT_TRUE(coordinate->isChecked());
        coordinate->click();
        EXPECT_FALSE(child<QWidget>(editor, "relayGroup")->isVisible());
        EXPECT_FALSE(child<QWidget>(editor, "holdGroup")->isVisible());
        coordinate->click();
        EXPECT_TRUE(child<QWidget>(editor, "relayGroup")->isVisible());
        EXPECT_TRUE(child<QWidget>(editor, "holdGroup")->isVisible());
        // Blocks 2 and 3 changed behind the editor's back: the save writes
        // them again from what the editor shows.
        McdefRecord switches = block(IceDefrost, 2), times = block(IceDefrost, 3);
        switches[6] = 0;
        le::putI16(times.data() + 6, 99);
        ASSERT_EQ(UpdateBlock(switches), DbStatus::Success);
        ASSERT_EQ(UpdateBlock(times), DbStatus::Success);
        button(editor, "okButton")->click();
    });
    ASSERT_EQ(result, EditorResult::Ok);
    EXPECT_EQ(block(IceDefrost, 2)[6], 1);
    EXPECT_EQ(block(IceDefrost, 2)[7], 1);
    EXPECT_EQ(UnpackDefrostTimes(block(IceDefrost, 3)).times[0], 6 * 60);
    EXPECT_TRUE(eventRows().empty()) << "both boxes as loaded, nothing else changed";
}

TEST_F(DefrostEditorTest, CoordinateToggledOnceLogsItsCheckBoxLine)
{
    start();
    stopFunction(IceDefrost);
    clearNoAnswerMark();
    const size_t uploadCommands = sentCommands().size();
    DefrostDlg editor(request(FunctionType::CentralDefrost, IceDefrost));
    expectUpdate();
    ASSERT_EQ(run(editor, [&] {
                  child<QCheckBox>(editor, "coordinateCheck")->click();
                  button(editor, "okButton")->click();
              }),
              EditorResult::Ok);
    EXPECT_EQ(commandsSince(uploadCommands).front(), Command::WriteHeader) << "the whole function";
    EXPECT_EQ(block(IceDefrost, 2)[7], 0);
    EXPECT_EQ(readImage("001").functions.at(IceDefrost).blocks[1].bytes[1], 0);
    McdefRecord relay;
    EXPECT_EQ(ReadBlock(IceDefrost, BlockType::Input, 2, 70, relay), DbStatus::Success)
        << "hidden groups keep their references";
    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, logHead() + "Ice defrost\nDefrost Functions Co-ordinate Defrost  1 -> 0");
}

TEST_F(DefrostEditorTest, TheLogKeepsItsOrderOneEntryPerKindOfChange)
{
    start();
    stopFunction(IceDefrost);
    clearNoAnswerMark();
    DefrostDlg editor(request(FunctionType::CentralDefrost, IceDefrost));
    expectReferenceChoice({{"070", false}});
    expectUpdate();
    ASSERT_EQ(run(editor, [&] {
                  child<QCheckBox>(editor, "externalStartCheck")->click();
                  rename(editor, "Ice cream thaw");
                  button(editor, "startButton")->click();
                  button(editor, "okButton")->click();
              }),
              EditorResult::Ok);
    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].text, logHead() + "Ice cream thaw\nOutput: Defrost Start  is/are changed");
    EXPECT_EQ(rows[1].text, logHead() + "Ice cream thaw\nDefrost Functions External Defrost start  1 -> 0");
    EXPECT_EQ(rows[2].text, logHead() + "Ice cream thaw\nName  Ice defrost -> Ice cream thaw");
}

TEST_F(DefrostEditorTest, AStartedFunctionWithAnErrorMarkOpensButRefusesOkAndSaysToStopIt)
{
    start();
    DefrostDlg editor(request(FunctionType::CentralDefrost, IceDefrost));
    m_script.expectMessage("There are parameters with conflict mark in list 'Defrost Start '.\n"
                           "The function is started: stop it in the function list before its references can be "
                           "changed.");
    run(editor, [&] {
        const auto* hint = child<QLabel>(editor, "startedHint");
        ASSERT_NE(hint, nullptr);
        EXPECT_TRUE(hint->isVisible()) << "the dialog says why its fields are grey";
        EXPECT_EQ(hint->text(), "The function is started: stop it in the function list to change the fields shown grey.");
        for (const char* disabled : {"nameEdit", "externalStartCheck", "coordinateCheck", "externalStartButton",
                                     "relayButton", "startButton", "holdButton"})
            EXPECT_FALSE(child<QWidget>(editor, disabled)->isEnabled()) << disabled;
        for (const char* shown : {"externalStartGroup", "relayGroup", "startGroup", "holdGroup"})
            EXPECT_TRUE(child<QWidget>(editor, shown)->isVisible()) << shown;
        EXPECT_EQ(child<IOList>(editor, "startList")->rowCount(), 3);
        EXPECT_EQ(child<QLabel>(editor, "manualStateLabel")->text(), "Off");
        button(editor, "okButton")->click();
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(editor.focusWidget(), child<IOList>(editor, "startList"))
            << "the focus on the list with the conflict, as its button is disabled";
        editor.done(int(EditorResult::Cancel));
    });
}

TEST_F(DefrostEditorTest, ViewOnlyShowsTheDefrostTimesWithoutLettingThemChange)
{
    start();
    DefrostDlg editor(request(FunctionType::CentralDefrost, IceDefrost, true));
    expectSchedules([](DefrostSchedulesDlg& d) {
        EXPECT_EQ(shownTime(d, 0, 2), "22:00");
        EXPECT_FALSE(d.hoursEdit(0, 0)->isEnabled());
        EXPECT_FALSE(d.minutesEdit(2, 7)->isEnabled());
        EXPECT_FALSE(button(d, "okButton")->isEnabled());
        EXPECT_FALSE(button(d, "autoSetButton1")->isEnabled());
        EXPECT_FALSE(child<QComboBox>(d, "mondayCombo")->isEnabled());
        button(d, "cancelButton")->click();
    });
    EXPECT_EQ(run(editor, [&] {
                  EXPECT_FALSE(button(editor, "okButton")->isEnabled());
                  EXPECT_TRUE(button(editor, "manualButton")->isEnabled());
                  button(editor, "schedulesButton")->click();
                  // A box stays clickable, but Cancel offers no save.
                  child<QCheckBox>(editor, "coordinateCheck")->click();
                  button(editor, "cancelButton")->click();
              }),
              EditorResult::Cancel);
    EXPECT_EQ(m_script.prompts().size(), 1u) << "only the defrost schedules opened";
}

TEST_F(DefrostEditorTest, CancelEscapeAndTheCloseBoxGiveCancelsResultInBothDialogs)
{
    start();
    const auto before = TestHome::records(table::Mcdef);
    for (const auto& [wayName, way] : leavingWays("cancelButton")) {
        SCOPED_TRACE(wayName);
        DefrostDlg editor(request(FunctionType::CentralDefrost, IceDefrost));
        int schedulesResult = -1;
        bool schedulesOpen = true;
        m_script.expectDialog("DefrostSchedulesDlg", [&, way = way](QDialog& d) {
            d.show();
            way(d);
            schedulesResult = d.result();
            schedulesOpen = d.isVisible();
            return d.result();
        });
        bool editorOpen = false;
        EXPECT_EQ(run(editor, [&, way = way] {
                      button(editor, "schedulesButton")->click();
                      editorOpen = editor.isVisible();
                      way(editor);
                  }),
                  EditorResult::Cancel);
        EXPECT_EQ(schedulesResult, QDialog::Rejected);
        EXPECT_FALSE(schedulesOpen);
        EXPECT_TRUE(editorOpen) << "the schedules dialog ends alone";
    }
    EXPECT_EQ(TestHome::records(table::Mcdef), before);
}

TEST_F(DefrostEditorTest, CancelInTheSchedulesAsksWhetherToKeepTheChange)
{
    start();
    clearNoAnswerMark();
    struct Case {
        const char* answerName;
        int answer;
        bool saved;
    };
    // No first: it leaves nothing behind for the next case.
    for (const Case& c : {Case{"No", IDNO, false}, Case{"Cancel", IDCANCEL, false}, Case{"Yes", IDYES, true}}) {
        SCOPED_TRACE(c.answerName);
        const auto before = TestHome::records(table::Mcdef);
        DefrostDlg editor(request(FunctionType::CentralDefrost, IceDefrost));
        bool openAfterCancel = false;
        expectSchedules([&](DefrostSchedulesDlg& d) {
            typeTime(d, 2, 2, "20", "00");
            button(d, "cancelButton")->click();
            openAfterCancel = d.isVisible();
            if (openAfterCancel)
                button(d, "cancelButton")->click();
        });
        const QString question = "The data has been changed. Do you want to save the changes ?";
        m_script.expectMessage(question, c.answer);
        if (c.answer == IDCANCEL)
            m_script.expectMessage(question, IDNO);
        if (c.saved)
            expectUpdate();
        EXPECT_EQ(run(editor, [&] {
                      button(editor, "schedulesButton")->click();
                      button(editor, "okButton")->click();
                  }),
                  EditorResult::Ok);
        EXPECT_EQ(openAfterCancel, c.answer == IDCANCEL) << "Cancel stays";
        if (c.saved)
            EXPECT_EQ(UnpackDefrostTimes(block(IceDefrost, 3)).times[DefrostTimes::index(2, 2)], 20 * 60)
                << "Yes ran OK";
        else
            EXPECT_EQ(TestHome::records(table::Mcdef), before) << "the change was dropped";
    }
}

TEST_F(DefrostEditorTest, ManuelActivatesTheDefrostAndLogsIt)
{
    start();
    DefrostDlg editor(request(FunctionType::CentralDefrost, IceDefrost));
    m_script.expectDialog("ManualDefrostDlg", [](QDialog& d) {
        button(d, "okButton")->click();
        return d.result();
    });
    expectUpdate();
    run(editor, [&] {
        button(editor, "manualButton")->click();
        EXPECT_EQ(child<QLabel>(editor, "manualStateLabel")->text(), "On");
        editor.reject();
    });
    EXPECT_EQ(block(IceDefrost, 1)[6], 1);
    EXPECT_EQ(block(IceDefrost, 1)[7], 1);
    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, logHead() + "Ice defrost\nManual mode state  Off -> On");
}

} // namespace
