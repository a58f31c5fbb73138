// The alarm limit editor end to end: the real dialog offscreen, the demo
// gateway 001 uploaded from a real qelnetd. Function 6 "Deli alarm shift" is
// a started offset function (band 22..28, outdoor 25 in use); function 7
// "Cold room alarm" a stopped direct one (band 20..26, entrance -18, outdoor
// not in use; outputs 012 by offset, 013 and 003 by direct limit) in manual
// mode at -22 °C.

#include "editors/EditorFixture.h"

#include "editors/energy/AlarmSettings.h"
#include "editors/energy/AlimDlg.h"
#include "editors/MaModDlg.h"
#include "gateway/UpdateJob.h"
#include "protocol/LittleEndian.h"
#include "protocol/Telegram.h"
#include "support/CEditCtrlEx.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>

namespace {

constexpr uint8_t DeliAlarmShift = 6;
constexpr uint8_t ColdRoomAlarm = 7;

class AlarmLimitEditorTest : public EditorFixture {
protected:
    static CEditCtrlEx* edit(QDialog& d, const char* name) { return child<CEditCtrlEx>(d, name); }
    static QString label(QDialog& d, const char* name) { return child<QLabel>(d, name)->text(); }

    // The reference selection: choose the parameter rows (address, P1, P2, P3).
    void expectParameterChoice(std::vector<std::tuple<std::string, uint8_t, uint8_t, uint8_t>> rows)
    {
        m_script.expectDialog("SelPaDlg", [rows](QDialog& d) {
            auto* candidates = d.findChild<IOList*>("candidateList");
            candidates->clearRowSelection();
            for (const auto& [address, p1, p2, p3] : rows) {
                const int row = candidates->FindRow(address, p1, p2, p3, false);
                EXPECT_GE(row, 0) << address;
                candidates->setRowSelected(row, true);
            }
            button(d, "selectButton")->click();
            return d.result();
        });
    }

    static McdefRecord block(uint8_t number, uint8_t blockType, uint8_t blockNumber, uint8_t item = 0)
    {
        McdefRecord record;
        EXPECT_EQ(ReadBlock(number, blockType, blockNumber, item, record), DbStatus::Success)
            << int(blockType) << "/" << int(blockNumber) << "/" << int(item);
        return record;
    }

    std::vector<int> commandsSince(size_t first) const
    {
        const std::vector<int> all = sentCommands();
        return {all.begin() + std::ptrdiff_t(first), all.end()};
    }

    static std::string logHead() { return "001:125 GW Market North\n"; }
};

TEST_F(AlarmLimitEditorTest, ANewOffsetFunctionShowsTheDefaultsAndIsSavedSentAndLoggedAsCreated)
{
    start();
    AlimDlg editor(request(FunctionType::AlarmLimitOffset, NewNumber));
    expectReferenceChoice({{"030", false}});
    expectReferenceChoice({{"006", true}});
    expectUpdate();
    const std::optional<EditorResult> result = run(editor, [&] {
        EXPECT_EQ(editor.windowTitle(), "ZUL control function - Alarm limit Off.");
        EXPECT_EQ(child<QLineEdit>(editor, "nameEdit")->text(), "Alarm limit Off.");
        EXPECT_EQ(label(editor, "numberLabel"), "20");
        EXPECT_FALSE(child<QCheckBox>(editor, "useOutdoorCheck")->isChecked());
        EXPECT_FALSE(edit(editor, "outdoorReferenceEdit")->isEnabled());
        EXPECT_EQ(edit(editor, "outdoorReferenceEdit")->text(), "25");
        EXPECT_EQ(edit(editor, "lowerBandEdit")->text(), "25");
        EXPECT_EQ(edit(editor, "upperBandEdit")->text(), "30");
        EXPECT_FALSE(edit(editor, "entranceEdit")->isVisible());
        EXPECT_TRUE(child<QLabel>(editor, "zeroLabel")->isVisible());
        EXPECT_EQ(label(editor, "zeroLabel"), "0");
        EXPECT_EQ(label(editor, "topValueLabel"), "5");
        EXPECT_EQ(label(editor, "axisValueLabel"), "Offset");
        EXPECT_EQ(label(editor, "topUnitLabel"), "K");
        EXPECT_EQ(label(editor, "bottomUnitLabel"), "K");
        EXPECT_EQ(label(editor, "manualStateLabel"), "Auto");
        EXPECT_EQ(label(editor, "manualValueLabel"), "0");
        EXPECT_EQ(label(editor, "manualUnitLabel"), "K");
        EXPECT_FALSE(button(editor, "manualButton")->isEnabled());
        button(editor, "indoorButton")->click();
        button(editor, "outputButton")->click();
        button(editor, "okButton")->click(); // the outdoor list may stay empty while its box is clear
    });
    ASSERT_EQ(result, EditorResult::Ok);

    std::vector<McdefRecord> blocks;
    ASSERT_EQ(ReadFunction(NewNumber, blocks), DbStatus::Success);
    ASSERT_EQ(blocks.size(), 5u) << "header, indoor input, output, data blocks 1 and 2";
    EXPECT_EQ(blocks[0].type(), FunctionType::AlarmLimitOffset);
    EXPECT_EQ(blocks[0].name(), "Alarm limit Off.");
    EXPECT_EQ(blocks[1].key(), (std::array<uint8_t, 4>{NewNumber, BlockType::Input, 1, 30}));
    EXPECT_EQ(blocks[1][9], 250) << "the indoor temperature's class";
    EXPECT_EQ(blocks[2].key(), (std::array<uint8_t, 4>{NewNumber, BlockType::Output, 1, 6}));
    EXPECT_EQ(blocks[2][6], 255) << "automatic";
    EXPECT_EQ(blocks[3], McdefRecord(NewNumber, BlockType::Data, 1, 0)) << "manual mode off, value 0";
    EXPECT_EQ(UnpackAlarmSettings(blocks[4]), (AlarmSettings{false, 25, 25, 30, 0}));
    EXPECT_TRUE(std::all_of(blocks[4].data() + 15, blocks[4].data() + McdefRecord::Size, [](uint8_t b) { return b == 0; }))
        << "the rest of a new block is zero";

    const GatewayState gateway = readImage("001");
    const GatewayFunction& sent = gateway.functions.at(NewNumber);
    EXPECT_EQ(sent.name, "Alarm limit Off.");
    EXPECT_EQ(sent.slot(1, 1).size(), 1u);
    EXPECT_EQ(sent.slot(2, 1).size(), 1u);
    EXPECT_EQ(le::i16(sent.blocks[1].bytes.data() + 5), 30) << "the upper band in the gateway";
    EXPECT_EQ(blocks[0].stamp(), sent.stamp);

    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, logHead() + "Alarm limit Off. is created");
}

TEST_F(AlarmLimitEditorTest, ANewDirectFunctionSendsItsOutputsBySlotAndClass)
{
    start();
    AlimDlg editor(request(FunctionType::AlarmLimitDirect, NewNumber));
    expectReferenceChoice({{"030", false}});
    expectReferenceChoice({{"050", false}});
    expectParameterChoice({{"012", 4, 2, 3}, {"013", 4, 1, 3}});
    // Its outputs include a parameter that a function of the demo writes already: saved all the same.
    m_script.expectMessageContaining("Two functions that write one controller parameter", IDYES);
    expectUpdate();
    const std::optional<EditorResult> result = run(editor, [&] {
        EXPECT_EQ(editor.windowTitle(), "ZUL control function - Alarm Limit Dir.");
        EXPECT_EQ(child<QLineEdit>(editor, "nameEdit")->text(), "Alarm Limit Dir.");
        EXPECT_TRUE(edit(editor, "entranceEdit")->isVisible());
        EXPECT_FALSE(child<QLabel>(editor, "zeroLabel")->isVisible());
        EXPECT_EQ(edit(editor, "entranceEdit")->text(), "0");
        EXPECT_EQ(label(editor, "topValueLabel"), "5");
        EXPECT_EQ(label(editor, "axisValueLabel"), "Limit");
        EXPECT_EQ(label(editor, "topUnitLabel"), "°C");
        EXPECT_EQ(label(editor, "manualUnitLabel"), "°C");
        button(editor, "indoorButton")->click();
        button(editor, "outdoorButton")->click();
        child<QCheckBox>(editor, "useOutdoorCheck")->click();
        EXPECT_TRUE(edit(editor, "outdoorReferenceEdit")->isEnabled());
        typeInto(edit(editor, "outdoorReferenceEdit"), "12");
        editor.activateWindow();
        QApplication::processEvents();
        typeInto(edit(editor, "entranceEdit"), "-20");
        EXPECT_EQ(label(editor, "topValueLabel"), "5");
        edit(editor, "lowerBandEdit")->setFocus(); // leaving the entrance value shows the new top value
        EXPECT_EQ(label(editor, "topValueLabel"), "-15");
        button(editor, "outputButton")->click();
        button(editor, "okButton")->click();
    });
    ASSERT_EQ(result, EditorResult::Ok);

    EXPECT_EQ(UnpackAlarmSettings(block(NewNumber, BlockType::Data, 2)), (AlarmSettings{true, 12, 25, 30, -20}));
    const McdefRecord byOffset = block(NewNumber, BlockType::Output, 1, 12);
    const McdefRecord direct = block(NewNumber, BlockType::Output, 2, 13);
    EXPECT_EQ(byOffset[9], 250);
    EXPECT_EQ(direct[9], 249);
    McdefRecord missing;
    EXPECT_EQ(ReadBlock(NewNumber, BlockType::Output, 2, 12, missing), DbStatus::KeyNotFound);
    EXPECT_EQ(ReadBlock(NewNumber, BlockType::Output, 1, 13, missing), DbStatus::KeyNotFound);
    EXPECT_EQ(block(NewNumber, BlockType::Input, 2, 50)[9], 250) << "the outdoor temperature";

    const GatewayState gateway = readImage("001");
    const GatewayFunction& sent = gateway.functions.at(NewNumber);
    ASSERT_EQ(sent.slot(2, 1).size(), 1u);
    ASSERT_EQ(sent.slot(2, 2).size(), 1u);
    EXPECT_EQ(sent.slot(2, 1)[0].address, 12);
    EXPECT_EQ(sent.slot(2, 2)[0].address, 13);
    EXPECT_EQ(le::i16(sent.blocks[1].bytes.data() + 7), -20) << "the entrance value in the gateway";
    ASSERT_EQ(eventRows().size(), 1u);
    EXPECT_EQ(eventRows()[0].text, logHead() + "Alarm Limit Dir. is created");
}

TEST_F(AlarmLimitEditorTest, TheTemperatureListsShowEveryColumnWhole)
{
    start();
    AlimDlg editor(request(FunctionType::AlarmLimitDirect, ColdRoomAlarm));
    run(editor, [&] {
        for (const char* name : {"indoorList", "outdoorList"}) {
            SCOPED_TRACE(name);
            IOList* list = child<IOList>(editor, name);
            ASSERT_EQ(list->rowCount(), 1);
            const QHeaderView* header = list->header();
            for (int column = 0; column < list->columnCount(); ++column)
                EXPECT_FALSE(list->isCellCut(0, column)) << list->text(0, column).toStdString();
            EXPECT_LE(header->sectionViewportPosition(IOList::MessageColumn) + header->sectionSize(IOList::MessageColumn),
                      list->viewport()->width())
                << "the message is in sight";
        }
        EXPECT_EQ(child<IOList>(editor, "indoorList")->text(0, IOList::ParameterColumn), "Room temperature");
        editor.done(int(EditorResult::Cancel));
    });
}

TEST_F(AlarmLimitEditorTest, EmptyAndConflictingListsAreRefusedWithTheFocusOnTheirButton)
{
    start();
    McdefRecord indoor = block(ColdRoomAlarm, BlockType::Input, 1, 30);
    indoor[4] = 0x10; // needs approval
    ASSERT_EQ(UpdateBlock(indoor), DbStatus::Success);
    AlimDlg editor(request(FunctionType::AlarmLimitDirect, ColdRoomAlarm));
    m_script.expectMessage("Please specify a function name.");
    m_script.expectMessage("There are parameters with conflict mark in list 'Indoor Temp'.");
    m_script.expectMessage("Please specify at least one QEB or parameter reference.");
    run(editor, [&] {
        rename(editor, "");
        button(editor, "okButton")->click();
        EXPECT_EQ(editor.focusWidget(), child<QWidget>(editor, "nameEdit"));
        rename(editor, "Cold room alarm");
        button(editor, "okButton")->click();
        EXPECT_EQ(editor.focusWidget(), button(editor, "indoorButton"));
        child<IOList>(editor, "indoorList")->ApproveRows();
        child<IOList>(editor, "outdoorList")->DeleteAllRows();
        child<QCheckBox>(editor, "useOutdoorCheck")->click();
        button(editor, "okButton")->click();
        EXPECT_EQ(editor.focusWidget(), button(editor, "outdoorButton"));
        EXPECT_TRUE(editor.isVisible());
        editor.done(int(EditorResult::Cancel));
    });
    EXPECT_TRUE(eventRows().empty());
    EXPECT_EQ(m_script.beeps(), 3);
}

TEST_F(AlarmLimitEditorTest, BandAndRangeMessagesFocusTheEditToCorrect)
{
    start();
    const size_t uploadCommands = sentCommands().size();
    const McdefRecord headerBefore = block(ColdRoomAlarm, BlockType::Header, 0);
    AlimDlg editor(request(FunctionType::AlarmLimitDirect, ColdRoomAlarm));
    m_script.expectMessage("The temperature band must not exceed 10.");
    m_script.expectMessage("Start temperature must be greater than Stop temperature.");
    m_script.expectMessage("Start temperature must be greater than Stop temperature.");
    m_script.expectMessage("Please enter a number from -50 to 50.");
    expectUpdate();
    const std::optional<EditorResult> result = run(editor, [&] {
        EXPECT_EQ(label(editor, "topValueLabel"), "-12");
        CEditCtrlEx* lower = edit(editor, "lowerBandEdit");
        CEditCtrlEx* upper = edit(editor, "upperBandEdit");
        typeInto(upper, "31");
        pressEnter(upper);
        EXPECT_EQ(editor.focusWidget(), upper);
        typeInto(lower, "25");
        typeInto(upper, "25");
        button(editor, "okButton")->click();
        EXPECT_EQ(editor.focusWidget(), lower);
        typeInto(lower, "30");
        button(editor, "okButton")->click();
        EXPECT_EQ(editor.focusWidget(), lower);
        typeInto(lower, "20");
        typeInto(upper, "30");
        typeInto(edit(editor, "entranceEdit"), "-51");
        button(editor, "okButton")->click();
        EXPECT_EQ(editor.focusWidget(), edit(editor, "entranceEdit"));
        EXPECT_TRUE(editor.isVisible());
        typeInto(edit(editor, "entranceEdit"), "-19");
        pressEnter(edit(editor, "entranceEdit"));
    });
    ASSERT_EQ(result, EditorResult::Ok);

    EXPECT_EQ(UnpackAlarmSettings(block(ColdRoomAlarm, BlockType::Data, 2)), (AlarmSettings{false, 25, 20, 30, -19}));
    EXPECT_EQ(commandsSince(uploadCommands),
              (std::vector<int>{Command::WriteDataBlock, Command::WriteDataBlock}))
        << "settings alone are sent as data blocks";
    EXPECT_EQ(le::i16(readImage("001").functions.at(ColdRoomAlarm).blocks[1].bytes.data() + 5), 30);
    EXPECT_EQ(block(ColdRoomAlarm, BlockType::Header, 0).name(), headerBefore.name());
    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, logHead() + "Cold room alarm\nOffset stop temp.  26 -> 30\nEntrance temp.  -18 -> -19");
}

TEST_F(AlarmLimitEditorTest, AChangedListAloneWritesTheHeaderAndTheListButNotTheSettings)
{
    start();
    const size_t uploadCommands = sentCommands().size();
    const McdefRecord settingsBefore = block(ColdRoomAlarm, BlockType::Data, 2);
    AlimDlg editor(request(FunctionType::AlarmLimitDirect, ColdRoomAlarm));
    expectReferenceChoice({{"031", false}});
    expectUpdate();
    EXPECT_EQ(run(editor, [&] {
                  button(editor, "indoorButton")->click();
                  button(editor, "okButton")->click();
              }),
              EditorResult::Ok);

    McdefRecord old;
    EXPECT_EQ(ReadBlock(ColdRoomAlarm, BlockType::Input, 1, 30, old), DbStatus::KeyNotFound);
    block(ColdRoomAlarm, BlockType::Input, 1, 31);
    EXPECT_EQ(block(ColdRoomAlarm, BlockType::Data, 2), settingsBefore);
    const std::vector<int> sent = commandsSince(uploadCommands);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), Command::WriteHeader) << "the whole function";
    EXPECT_EQ(readImage("001").functions.at(ColdRoomAlarm).slot(1, 1).at(0).address, 31);
    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, logHead() + "Cold room alarm\nInput: Indoor Temp is/are changed");
}

TEST_F(AlarmLimitEditorTest, ARefusedUpdateClosesWithTheLostConnectionAndLogsOnlyThatItWasNotSent)
{
    start({"--refuse-writes", "3"});
    AlimDlg editor(request(FunctionType::AlarmLimitDirect, ColdRoomAlarm));
    expectUpdate();
    m_script.expectMessage("Error updating ZUL.\nReturn code is 3.");
    EXPECT_EQ(run(editor, [&] {
                  child<QCheckBox>(editor, "useOutdoorCheck")->click();
                  button(editor, "okButton")->click();
              }),
              EditorResult::ConnectionLost);
    expectOnlyNotSentRow("Cold room alarm", "refused by the gateway: return code 3");
    EXPECT_TRUE(block(ColdRoomAlarm, BlockType::Data, 2)[6]) << "the database stays written";
}

TEST_F(AlarmLimitEditorTest, AnUpdateThatFailsLocallyStillLogsAndCloses)
{
    // Gateway 002 asks for a password; a wrong one ends the update with its local failure.
    startServer({}, "002:125");
    MCUplDlg upload("002:125", serverWindow(), false);
    ASSERT_EQ(UploadResult(upload.exec()), UploadResult::UpToDate);
    SetCurrentServerWindow(serverWindow());
    constexpr uint8_t DairyAlarm = 3;
    McdefRecord settings = block(DairyAlarm, BlockType::Data, 2);
    le::putI16(settings.data() + 13, 7);
    ASSERT_EQ(UpdateBlock(settings), DbStatus::Success);

    EditorRequest r = request(FunctionType::AlarmLimitOffset, DairyAlarm);
    r.gatewayAddress = "002:125";
    AlimDlg editor(r);
    expectUpdate();
    m_script.expectPassword(QStringLiteral("9999"));
    m_script.expectMessage("Password is invalid");
    EXPECT_EQ(run(editor, [&] {
                  EXPECT_FALSE(child<QWidget>(editor, "nameEdit")->isEnabled()) << "the function is started";
                  for (const char* name : {"indoorButton", "outdoorButton", "outputButton"})
                      EXPECT_FALSE(button(editor, name)->isEnabled()) << name;
                  EXPECT_TRUE(edit(editor, "lowerBandEdit")->isEnabled());
                  EXPECT_EQ(label(editor, "topValueLabel"), "6") << "27 - 21 without the stored 7";
                  typeInto(edit(editor, "lowerBandEdit"), "22");
                  button(editor, "okButton")->click();
              }),
              EditorResult::Ok);
    const McdefRecord saved = block(DairyAlarm, BlockType::Data, 2);
    EXPECT_EQ(le::i16(saved.data() + 9), 22);
    EXPECT_EQ(le::i16(saved.data() + 13), 7) << "an offset function keeps the entrance bytes";
    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].text, "002:125 GW Market South\nDairy alarm\nnot sent to the gateway: local failure: the "
                            "gateway refused the password");
    EXPECT_EQ(rows[1].text, "002:125 GW Market South\nDairy alarm\nOffset start temp.  21 -> 22");
}

TEST_F(AlarmLimitEditorTest, CancelEscapeAndTheCloseBoxAskAndTheQuestionsCancelChecksTheNumbers)
{
    start();
    const auto before = TestHome::records(table::Mcdef);
    AlimDlg editor(request(FunctionType::AlarmLimitDirect, ColdRoomAlarm));
    m_script.expectMessage("The data has been changed. Do you want to save the changes ?", IDCANCEL);
    m_script.expectMessage("The data has been changed. Do you want to save the changes ?", IDCANCEL);
    m_script.expectMessage("Please enter a number from 10 to 40.");
    m_script.expectMessage("The data has been changed. Do you want to save the changes ?", IDNO);
    // Escape and the close box ask as Cancel does.
    const auto ways = leavingWays("cancelButton");
    EXPECT_EQ(run(editor, [&] {
                  typeInto(edit(editor, "upperBandEdit"), "28");
                  ways[1].second(editor);
                  EXPECT_TRUE(editor.isVisible());
                  EXPECT_EQ(label(editor, "topValueLabel"), "-10");
                  typeInto(edit(editor, "lowerBandEdit"), "9");
                  ways[2].second(editor);
                  EXPECT_EQ(editor.focusWidget(), edit(editor, "lowerBandEdit"));
                  EXPECT_TRUE(editor.isVisible());
                  button(editor, "cancelButton")->click();
              }),
              EditorResult::Cancel);
    EXPECT_EQ(TestHome::records(table::Mcdef), before);
    EXPECT_TRUE(eventRows().empty());
}

TEST_F(AlarmLimitEditorTest, TheManualValueIsSetInTheUnitOfTheType)
{
    start();
    AlimDlg editor(request(FunctionType::AlarmLimitDirect, ColdRoomAlarm));
    m_script.expectDialog("ManualValueDlg", [](QDialog& d) {
        EXPECT_EQ(child<QLabel>(d, "unitLabel")->text(), "°C");
        auto* value = child<CEditCtrlEx>(d, "valueEdit");
        EXPECT_EQ(value->text(), "-22");
        EXPECT_EQ(value->minimum(), -50);
        EXPECT_EQ(value->maximum(), 50);
        value->setText("-25");
        button(d, "okButton")->click();
        return d.result();
    });
    expectUpdate();
    m_script.expectDialog("ManualValueDlg", [](QDialog& d) {
        child<QRadioButton>(d, "autoRadio")->click();
        button(d, "okButton")->click();
        return d.result();
    });
    expectUpdate();
    EXPECT_EQ(run(editor, [&] {
                  EXPECT_EQ(label(editor, "manualStateLabel"), "Manual");
                  EXPECT_EQ(label(editor, "manualValueLabel"), "-22");
                  EXPECT_EQ(label(editor, "manualUnitLabel"), "°C");
                  button(editor, "manualButton")->click();
                  EXPECT_EQ(label(editor, "manualValueLabel"), "-25");
                  button(editor, "manualButton")->click();
                  EXPECT_EQ(label(editor, "manualStateLabel"), "Auto");
                  EXPECT_EQ(label(editor, "manualValueLabel"), "-25");
                  button(editor, "okButton")->click(); // nothing else changed
              }),
              EditorResult::Ok);
    EXPECT_FALSE(block(ColdRoomAlarm, BlockType::Header, 0).flags() & FunctionFlag::Manual);
    EXPECT_EQ(le::i16(block(ColdRoomAlarm, BlockType::Data, 1).data() + 7), -25);
    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].text, logHead() + "Cold room alarm\nManual mode value  -22 -> -25");
    EXPECT_EQ(rows[1].text, logHead() + "Cold room alarm\nManual mode state  Manual -> Auto");
}

// A manual value outside the type's range is refused in the dialog, by OK and Enter alike: nothing is
// stored, sent or logged, and the dialog's Cancel leaves the function as it was.
TEST_F(AlarmLimitEditorTest, AManualValueOutsideTheRangeOfTheTypeIsNeitherStoredNorSent)
{
    start();
    const size_t sentBefore = sentCommands().size();
    const McdefRecord manualBefore = block(ColdRoomAlarm, BlockType::Data, 1);
    AlimDlg editor(request(FunctionType::AlarmLimitDirect, ColdRoomAlarm));
    m_script.expectDialog("ManualValueDlg", [this, manualBefore](QDialog& d) {
        d.show();
        auto* value = child<CEditCtrlEx>(d, "valueEdit");
        for (const char* typed : {"99", "-51"}) {
            for (const bool enter : {false, true}) {
                m_script.expectMessage("Please enter a number from -50 to 50.");
                typeInto(value, typed);
                if (enter)
                    pressEnter(value);
                else
                    button(d, "okButton")->click();
                EXPECT_TRUE(d.isVisible()) << typed;
                EXPECT_EQ(d.focusWidget(), value);
                EXPECT_EQ(value->selectedText(), typed);
                EXPECT_EQ(block(ColdRoomAlarm, BlockType::Data, 1), manualBefore);
            }
        }
        button(d, "cancelButton")->click();
        return d.result();
    });
    EXPECT_EQ(run(editor, [&] {
                  button(editor, "manualButton")->click();
                  EXPECT_EQ(label(editor, "manualValueLabel"), "-22");
                  button(editor, "okButton")->click();
              }),
              EditorResult::Ok);
    EXPECT_EQ(sentCommands().size(), sentBefore);
    EXPECT_TRUE(eventRows().empty());
    EXPECT_EQ(block(ColdRoomAlarm, BlockType::Data, 1), manualBefore);
}

TEST_F(AlarmLimitEditorTest, TheFunctionListOpensTheEditorOfBothTypesViewOnlyWithNothingToChange)
{
    start();
    for (const uint8_t number : {DeliAlarmShift, ColdRoomAlarm}) {
        const uint8_t type = number == DeliAlarmShift ? FunctionType::AlarmLimitOffset : FunctionType::AlarmLimitDirect;
        SCOPED_TRACE(int(type));
        const EditorFunction editor = EditorForType(type);
        ASSERT_TRUE(editor);
        m_script.expectDialog("AlimDlg", [](QDialog& d) {
            QTimer::singleShot(0, &d, [&d] {
                EXPECT_EQ(d.property("dialogId").toInt(), 5);
                for (const char* name : {"nameEdit", "okButton", "outdoorReferenceEdit", "lowerBandEdit",
                                         "upperBandEdit", "entranceEdit", "useOutdoorCheck", "indoorButton",
                                         "outdoorButton", "outputButton"})
                    EXPECT_FALSE(child<QWidget>(d, name)->isEnabled()) << name;
                EXPECT_TRUE(button(d, "manualButton")->isEnabled());
                typeInto(child<CEditCtrlEx>(d, "upperBandEdit"), "40");
                button(d, "cancelButton")->click();
                EXPECT_FALSE(d.isVisible()) << "no question in a view-only editor";
            });
            return d.exec();
        });
        EXPECT_EQ(editor(nullptr, request(type, number, true)), EditorResult::Cancel);
    }
    EXPECT_TRUE(eventRows().empty());
}

} // namespace
