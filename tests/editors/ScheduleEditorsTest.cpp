// The day/night and controller-on editors, the schedule selection and the
// manual mode dialogs, end to end: the real dialogs offscreen, the demo
// gateway 001 uploaded from a real qelnetd, every update sent to it.

#include "editors/EditorFixture.h"

#include "editors/MaModDlg.h"
#include "editors/schedule/DayNiDlg.h"
#include "editors/schedule/QEBOnDlg.h"
#include "gateway/UpdateJob.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>

namespace {

class EditorTest : public EditorFixture {
protected:
    // Function 4 renamed from "Dairy night" to "Dairy evening": saved, sent
    // to the gateway and logged as one name change.
    void expectRenamedToDairyEvening() const
    {
        McdefRecord header;
        ASSERT_EQ(ReadBlock(4, BlockType::Header, 0, 0, header), DbStatus::Success);
        EXPECT_EQ(header.name(), "Dairy evening");
        EXPECT_EQ(readImage("001").functions.at(4).name, "Dairy evening");
        const auto rows = eventRows();
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].text, "001:125 GW Market North\nDairy evening\nName  Dairy night -> Dairy evening");
    }
};

TEST_F(EditorTest, ANewDayNightFunctionIsSavedSentAndLogged)
{
    start();
    DayNiDlg editor(request(FunctionType::DayNightControl, NewNumber));
    expectScheduleChoice({1});
    expectReferenceChoice({{"001", true}});
    expectUpdate();
    const std::optional<EditorResult> result = run(editor, [&] {
        EXPECT_EQ(child<QLineEdit>(editor, "nameEdit")->text(), "Day/Night Contr.");
        EXPECT_EQ(child<QLabel>(editor, "manualStateLabel")->text(), "Auto");
        EXPECT_FALSE(button(editor, "manualButton")->isEnabled());
        button(editor, "scheduleButton")->click();
        button(editor, "outputButton")->click();
        button(editor, "okButton")->click();
    });
    ASSERT_EQ(result, EditorResult::Ok);

    std::vector<McdefRecord> blocks;
    ASSERT_EQ(ReadFunction(NewNumber, blocks), DbStatus::Success);
    ASSERT_EQ(blocks.size(), 4u) << "header, an output reference, a schedule reference, data block 1";
    EXPECT_EQ(blocks[0].type(), FunctionType::DayNightControl);
    EXPECT_EQ(blocks[0].name(), "Day/Night Contr.");
    EXPECT_EQ(blocks[1].key(), (std::array<uint8_t, 4>{NewNumber, BlockType::Output, 1, 1}));
    EXPECT_EQ(blocks[2].key(), (std::array<uint8_t, 4>{NewNumber, BlockType::ScheduleReference, 1, 1}));
    EXPECT_EQ(blocks[3].key(), (std::array<uint8_t, 4>{NewNumber, BlockType::Data, 1, 0}));
    EXPECT_EQ(blocks[3], McdefRecord(NewNumber, BlockType::Data, 1, 0)) << "a zeroed data block 1";

    const GatewayState gateway = readImage("001");
    ASSERT_TRUE(gateway.functions.count(NewNumber));
    const GatewayFunction& sent = gateway.functions.at(NewNumber);
    EXPECT_EQ(sent.name, "Day/Night Contr.");
    EXPECT_EQ(sent.slot(2, 1).size(), 1u);
    EXPECT_EQ(sent.schedules[0], (std::vector<uint8_t>{1}));
    EXPECT_EQ(blocks[0].stamp(), sent.stamp) << "the gateway's new stamp is kept";
    EXPECT_NE(sent.stamp, 0u);

    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, "001:125 GW Market North\nDay/Night Contr. is created");
}

TEST_F(EditorTest, RenamingLogsOnlyTheName)
{
    start();
    stopFunction(4);
    DayNiDlg editor(request(FunctionType::DayNightExternal, 4));
    expectUpdate();
    ASSERT_EQ(run(editor, [&] {
                  rename(editor, "Dairy evening");
                  button(editor, "okButton")->click();
              }),
              EditorResult::Ok);
    expectRenamedToDairyEvening();
}

// With VerifyAfterUpdate=1 the update reads the function back; a gateway that
// stores a changed byte gets the operator a message naming the fields, and
// the change, sent and accepted, is saved and logged.
TEST_F(EditorTest, VerifyAfterUpdateNamesTheFieldsTheGatewayStoredOtherwise)
{
    start({"--corrupt-stored-block"});
    m_home.setIni("ORPA.INI", "VELT", "VerifyAfterUpdate", "1");
    stopFunction(4);
    DayNiDlg editor(request(FunctionType::DayNightExternal, 4));
    expectUpdate();
    // stopFunction() stops the function in MCDEF only: the gateway still runs it.
    m_script.expectMessage("The gateway stores something else than was sent. Fields that differ:\n"
                           "started, manual, manual mode, use external signal");
    ASSERT_EQ(run(editor, [&] {
                  rename(editor, "Dairy evening");
                  button(editor, "okButton")->click();
              }),
              EditorResult::Ok);
    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].text, "001:125 GW Market North\nDairy evening\nsent to the gateway, which stores something "
                            "else: started, manual, manual mode, use external signal");
    EXPECT_EQ(rows[1].text, "001:125 GW Market North\nDairy evening\nName  Dairy night -> Dairy evening");
}

// An output parameter that another function writes already is named on OK: No returns to the editor with
// nothing saved, Yes saves all the same.
TEST_F(EditorTest, AnOutputAnotherFunctionWritesIsNamedBeforeItIsSaved)
{
    start();
    stopFunction(4);
    const auto before = TestHome::records(table::Mcdef);
    DayNiDlg editor(request(FunctionType::DayNightExternal, 4));
    const QString question = "Two functions that write one controller parameter work against each other. Of the "
                             "outputs chosen here,\n3 Sales night writes parameter 15.2.1 of controller 030\n"
                             "Save all the same?";
    m_script.expectMessage(question, IDNO);
    m_script.expectMessage(question, IDYES);
    expectUpdate();
    EXPECT_EQ(run(editor, [&] {
                  auto* outputs = child<IOList>(editor, "outputList");
                  outputs->AddRow(ReferenceStatus::Valid, "030", "Sales area", "Night cover", "Night cover", "",
                                  "RTH-20", "RTH20-V10", 0, 15, 2, 1, 248, 32);
                  outputs->SetModified(true);
                  button(editor, "okButton")->click();
                  EXPECT_TRUE(editor.isVisible()) << "No returns to the editor";
                  EXPECT_EQ(TestHome::records(table::Mcdef), before) << "nothing saved";
                  button(editor, "okButton")->click();
              }),
              EditorResult::Ok);
    std::vector<McdefRecord> outputs;
    ASSERT_EQ(ReadBlocksOfType(4, BlockType::Output, outputs), DbStatus::Success);
    EXPECT_TRUE(std::any_of(outputs.begin(), outputs.end(), [](const McdefRecord& r) {
        return r.item() == 30 && r[6] == 15 && r[7] == 2 && r[8] == 1;
    })) << "saved all the same";
}

TEST_F(EditorTest, ANameTakesSixteenCharactersOfTheCodePage)
{
    start();
    stopFunction(4);
    DayNiDlg editor(request(FunctionType::DayNightExternal, 4));
    expectUpdate();
    ASSERT_EQ(run(editor, [&] {
                  auto* name = child<QLineEdit>(editor, "nameEdit");
                  name->setFocus();
                  name->selectAll();
                  for (const QChar c : QStringLiteral("K\u00fchlraum\u03a9 S\u00fcd 12345")) {
                      QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
                      QApplication::sendEvent(name, &key);
                  }
                  EXPECT_EQ(name->text(), QStringLiteral("K\u00fchlraum S\u00fcd 123"))
                      << "the omega is refused, the edit stops at 16";
                  button(editor, "okButton")->click();
              }),
              EditorResult::Ok);
    McdefRecord header;
    ASSERT_EQ(ReadBlock(4, BlockType::Header, 0, 0, header), DbStatus::Success);
    EXPECT_EQ(header.name(), "Kühlraum Süd 123");
    EXPECT_EQ(header[11 + 1], 0xFC) << "one byte of the code page for the u with umlaut";
    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, "001:125 GW Market North\nKühlraum Süd 123\nName  Dairy night -> Kühlraum Süd 123");
}

TEST_F(EditorTest, OkWithoutChangesDoesNothing)
{
    start();
    const auto before = TestHome::records(table::Mcdef);
    const size_t telegramsBefore = sentCommands().size();
    DayNiDlg editor(request(FunctionType::DayNightExternal, 4));
    EXPECT_EQ(run(editor, [&] { button(editor, "okButton")->click(); }), EditorResult::Ok);
    EXPECT_EQ(TestHome::records(table::Mcdef), before);
    EXPECT_EQ(sentCommands().size(), telegramsBefore);
    EXPECT_TRUE(eventRows().empty());
}

TEST_F(EditorTest, AnExternalDaySignalCanReplaceTheSchedule)
{
    start();
    DayNiDlg editor(request(FunctionType::DayNightExternal, NewNumber));
    expectReferenceChoice({{"001", true}});
    m_script.expectMessage("Please specify a schedule reference.");
    expectReferenceChoice({{"030", false}});
    expectUpdate();
    const std::optional<EditorResult> result = run(editor, [&] {
        EXPECT_TRUE(child<QWidget>(editor, "externalGroup")->isVisible());
        EXPECT_TRUE(child<QWidget>(editor, "externalNoteLabel")->isVisible());
        button(editor, "outputButton")->click();
        button(editor, "okButton")->click(); // no schedule, no external signal: refused
        child<QCheckBox>(editor, "useExternalCheck")->click();
        button(editor, "inputButton")->click();
        button(editor, "okButton")->click();
    });
    ASSERT_EQ(result, EditorResult::Ok);
    McdefRecord block2;
    ASSERT_EQ(ReadBlock(NewNumber, BlockType::Data, 2, 0, block2), DbStatus::Success);
    EXPECT_EQ(block2[6], 1) << "\"Use Ext.signal\" is stored";
    McdefRecord input;
    EXPECT_EQ(ReadBlock(NewNumber, BlockType::Input, 1, 30, input), DbStatus::Success);
}

TEST_F(EditorTest, AnEmptyExternalListIsNotAskedForWithoutTheBox)
{
    start();
    DayNiDlg editor(request(FunctionType::DayNightExternal, NewNumber));
    expectScheduleChoice({2});
    expectReferenceChoice({{"002", true}});
    expectUpdate();
    EXPECT_EQ(run(editor, [&] {
                  button(editor, "scheduleButton")->click();
                  button(editor, "outputButton")->click();
                  button(editor, "okButton")->click();
              }),
              EditorResult::Ok);
}

TEST_F(EditorTest, AStartedFunctionCannotChangeItsNameOrReferences)
{
    start();
    DayNiDlg editor(request(FunctionType::DayNightExternal, 4));
    run(editor, [&] {
        for (const char* disabled : {"nameEdit", "scheduleButton", "outputButton", "inputButton", "useExternalCheck"})
            EXPECT_FALSE(child<QWidget>(editor, disabled)->isEnabled()) << disabled;
        EXPECT_TRUE(button(editor, "okButton")->isEnabled());
        EXPECT_TRUE(button(editor, "manualButton")->isEnabled());
        EXPECT_EQ(child<QLabel>(editor, "manualStateLabel")->text(), "Night") << "function 4 is in manual mode";
        editor.reject();
    });
}

TEST_F(EditorTest, ViewOnlyKeepsManualModeAvailable)
{
    start();
    DayNiDlg editor(request(FunctionType::DayNightControl, 3, true));
    run(editor, [&] {
        EXPECT_FALSE(button(editor, "okButton")->isEnabled());
        EXPECT_TRUE(button(editor, "manualButton")->isEnabled());
        editor.reject();
    });
}

TEST_F(EditorTest, ARefusedUpdateClosesTheEditorWithoutLog)
{
    start({"--refuse-writes", "3"});
    DayNiDlg editor(request(FunctionType::DayNightControl, NewNumber));
    expectScheduleChoice({1});
    expectReferenceChoice({{"001", true}});
    m_script.expectDialog("MCUpdDlg", [](QDialog& d) { return d.exec(); });
    m_script.expectMessage("Error updating ZUL.\nReturn code is 3.");
    EXPECT_EQ(run(editor, [&] {
                  button(editor, "scheduleButton")->click();
                  button(editor, "outputButton")->click();
                  button(editor, "okButton")->click();
              }),
              EditorResult::ConnectionLost);
    expectOnlyNotSentRow("Day/Night Contr.", "refused by the gateway: return code 3");
}

TEST_F(EditorTest, ALinkFailureKeepsTheEditorOpenAndCancelThenSaysSo)
{
    startWithLinkFailureAfterUpload();
    stopFunction(4);
    DayNiDlg editor(request(FunctionType::DayNightExternal, 4));
    expectUpdate();
    m_script.expectMessage("Communication error. Please try again.");
    const std::optional<EditorResult> result = run(editor, [&] {
        auto* name = child<QLineEdit>(editor, "nameEdit");
        name->setText("Dairy evening");
        name->setModified(true);
        button(editor, "okButton")->click();
        EXPECT_TRUE(editor.isVisible()) << "the editor stays open";
        name->setModified(false);
        editor.reject();
    });
    EXPECT_EQ(result, EditorResult::ConnectionLost);
    expectOnlyNotSentRow("Dairy evening", "not sent: link failure, 0 of ");
    McdefRecord header;
    ASSERT_EQ(ReadBlock(4, BlockType::Header, 0, 0, header), DbStatus::Success);
    EXPECT_EQ(header.name(), "Dairy evening") << "the database stays written";
}

TEST_F(EditorTest, CancelAfterAChangeAsksWhetherToSave)
{
    start();
    stopFunction(4);
    const auto before = TestHome::records(table::Mcdef);
    struct Case {
        const char* answerName;
        int answer;
        std::optional<EditorResult> result;
    };
    // Cancel and No first: they leave nothing behind for the next case.
    const std::vector<Case> cases = {
        {"Cancel", IDCANCEL, std::nullopt},
        {"No", IDNO, EditorResult::Cancel},
        {"Yes", IDYES, EditorResult::Ok},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answerName);
        DayNiDlg editor(request(FunctionType::DayNightExternal, 4));
        const size_t question = m_script.prompts().size();
        m_script.expectMessage("The data has been changed. Do you want to save the changes ?", c.answer);
        if (c.answer == IDYES)
            expectUpdate();
        bool openAfterCancel = false;
        const std::optional<EditorResult> result = run(editor, [&] {
            rename(editor, "Dairy evening");
            button(editor, "cancelButton")->click();
            openAfterCancel = editor.isVisible();
        });
        EXPECT_EQ(openAfterCancel, c.answer == IDCANCEL);
        EXPECT_EQ(result, c.result);
        ASSERT_GT(m_script.prompts().size(), question);
        EXPECT_EQ(m_script.prompts()[question].style, MB::YesNoCancel | MB::IconQuestion);
        if (c.answer != IDYES) {
            EXPECT_EQ(TestHome::records(table::Mcdef), before);
            EXPECT_TRUE(eventRows().empty());
            EXPECT_EQ(readImage("001").functions.at(4).name, "Dairy night");
        }
    }

    // Yes saved, updated the gateway and logged as OK does.
    expectRenamedToDairyEvening();
}

TEST_F(EditorTest, CancelAfterAFailedUpdateReportsTheLostConnection)
{
    startWithLinkFailureAfterUpload();
    stopFunction(4);
    DayNiDlg editor(request(FunctionType::DayNightExternal, 4));
    expectUpdate();
    m_script.expectMessage("Communication error. Please try again.");
    m_script.expectMessage("The data has been changed. Do you want to save the changes ?", IDCANCEL);
    m_script.expectMessage("The data has been changed. Do you want to save the changes ?", IDNO);
    bool openAfterFailedUpdate = false, openAfterFirstCancel = false;
    const std::optional<EditorResult> result = run(editor, [&] {
        rename(editor, "Dairy evening");
        button(editor, "okButton")->click();
        openAfterFailedUpdate = editor.isVisible();
        button(editor, "cancelButton")->click();
        openAfterFirstCancel = editor.isVisible();
        button(editor, "cancelButton")->click();
    });
    EXPECT_TRUE(openAfterFailedUpdate);
    EXPECT_TRUE(openAfterFirstCancel) << "answering Cancel keeps the editor";
    EXPECT_EQ(result, EditorResult::ConnectionLost);
    expectOnlyNotSentRow("Dairy evening", "link failure");
}

TEST_F(EditorTest, AFailedManualUpdatePutsTheStateBack)
{
    startWithLinkFailureAfterUpload();
    const auto before = TestHome::records(table::Mcdef);
    DayNiDlg editor(request(FunctionType::DayNightExternal, 4));
    m_script.expectDialog("ManualDayNightDlg", [](QDialog& d) {
        child<QRadioButton>(d, "firstRadio")->click(); // Day
        button(d, "okButton")->click();
        return d.result();
    });
    expectUpdate();
    m_script.expectMessage("Communication error. Please try again.");
    run(editor, [&] {
        button(editor, "manualButton")->click();
        EXPECT_EQ(child<QLabel>(editor, "manualStateLabel")->text(), "Night");
        editor.reject();
    });
    EXPECT_EQ(TestHome::records(table::Mcdef), before) << "header bit and data block 1 as before";
    expectOnlyNotSentRow("Dairy night", "link failure");
}

TEST_F(EditorTest, CancelEscapeAndTheCloseBoxOfEveryManualDialogChangeNothing)
{
    start();
    const auto before = TestHome::records(table::Mcdef);
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<MaModDlg>()>>> dialogs = {
        {"day/night", [] { return std::make_unique<ManualDayNightDlg>(4); }},
        {"on/off", [] { return std::make_unique<ManualOnOffDlg>(8); }},
        {"value", [] { return std::make_unique<ManualValueDlg>(4, "K", -20, 20); }},
        {"defrost", [] { return std::make_unique<ManualDefrostDlg>(4); }},
    };
    const auto& ways = leavingWays("cancelButton");
    for (const auto& [dialogName, make] : dialogs) {
        for (const auto& [wayName, way] : ways) {
            SCOPED_TRACE(std::string(dialogName) + ", " + wayName);
            std::unique_ptr<MaModDlg> dialog = make();
            MaModDlg& d = *dialog;
            QTimer::singleShot(0, &d, [&d, &way] { way(d); });
            EXPECT_EQ(d.exec(), IDCANCEL);
            m_script.expectDialog(d.objectName(), [&way](QDialog& shown) {
                shown.show();
                way(shown);
                return shown.result();
            });
            EXPECT_EQ(RunManualModeSequence(d, "001:125", "Dairy night", EditorResult::DatabaseFailure), std::nullopt)
                << "the editor stays open";
        }
    }
    EXPECT_EQ(TestHome::records(table::Mcdef), before);
    EXPECT_TRUE(eventRows().empty());
}

TEST_F(EditorTest, CancelInTheManualDialogKeepsTheEditorOpen)
{
    start();
    for (const uint8_t type : {FunctionType::DayNightExternal, FunctionType::QebOn}) {
        SCOPED_TRACE(int(type));
        std::unique_ptr<QDialog> editor;
        if (type == FunctionType::QebOn)
            editor = std::make_unique<QEBOnDlg>(request(type, 8));
        else
            editor = std::make_unique<DayNiDlg>(request(type, 4));
        m_script.expectDialog(type == FunctionType::QebOn ? "ManualOnOffDlg" : "ManualDayNightDlg", [](QDialog& d) {
            child<QRadioButton>(d, "firstRadio")->click();
            button(d, "cancelButton")->click();
            return d.result();
        });
        bool stayedOpen = false;
        const std::optional<EditorResult> result = run(*editor, [&] {
            button(*editor, "manualButton")->click();
            stayedOpen = editor->isVisible();
        });
        EXPECT_TRUE(stayedOpen) << "Cancel ends the manual dialog only";
        EXPECT_EQ(result, std::nullopt);
    }
    EXPECT_TRUE(eventRows().empty());
    EXPECT_TRUE(sentTelegrams(31).empty()) << "nothing was sent";
}

TEST_F(EditorTest, QebOnNeedsBothListsAndStartsNew)
{
    start();
    QEBOnDlg editor(request(FunctionType::QebOn, NewNumber));
    expectReferenceChoice({{"001", true}});
    m_script.expectMessage("Please specify at least one QEB or parameter reference.");
    const std::optional<EditorResult> result = run(editor, [&] {
        EXPECT_EQ(child<QLineEdit>(editor, "nameEdit")->text(), "QEB On");
        EXPECT_EQ(child<QLabel>(editor, "manualStateLabel")->text(), "Auto");
        EXPECT_FALSE(button(editor, "manualButton")->isEnabled());
        button(editor, "outputButton")->click();
        button(editor, "okButton")->click();
        EXPECT_EQ(editor.focusWidget(), button(editor, "inputButton")) << "the empty group's button";
        editor.done(int(EditorResult::Cancel));
    });
    EXPECT_EQ(result, EditorResult::Cancel);
}

TEST_F(EditorTest, ManualModeAutoClearsTheFlagAndKeepsTheValue)
{
    start();
    DayNiDlg editor(request(FunctionType::DayNightExternal, 4));
    m_script.expectDialog("ManualDayNightDlg", [](QDialog& d) {
        child<QRadioButton>(static_cast<QDialog&>(d), "autoRadio")->click();
        button(d, "okButton")->click();
        return d.result();
    });
    expectUpdate();
    run(editor, [&] {
        button(editor, "manualButton")->click();
        EXPECT_EQ(child<QLabel>(editor, "manualStateLabel")->text(), "Auto");
        editor.reject();
    });
    McdefRecord header, block;
    ASSERT_EQ(ReadBlock(4, BlockType::Header, 0, 0, header), DbStatus::Success);
    ASSERT_EQ(ReadBlock(4, BlockType::Data, 1, 0, block), DbStatus::Success);
    EXPECT_FALSE(header.flags() & FunctionFlag::Manual);
    EXPECT_EQ(block[6], 0);
    EXPECT_EQ(block[7], 1) << "the value byte is kept";
    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, "001:125 GW Market North\nDairy night\nManual mode state  Night -> Auto");
}

TEST_F(EditorTest, ManualModeLogsItsLineEvenWhenTheStateStays)
{
    start();
    DayNiDlg editor(request(FunctionType::DayNightControl, 3));
    m_script.expectDialog("ManualDayNightDlg", [](QDialog& d) {
        button(d, "okButton")->click();
        return d.result();
    });
    expectUpdate();
    run(editor, [&] {
        button(editor, "manualButton")->click();
        editor.reject();
    });
    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, "001:125 GW Market North\nSales night\nManual mode state  Auto -> Auto");
}

TEST_F(EditorTest, ManualOnOffAutoKeepsTheValue)
{
    start();
    QEBOnDlg editor(request(FunctionType::QebOn, 8));
    m_script.expectDialog("ManualOnOffDlg", [](QDialog& d) {
        child<QRadioButton>(d, "firstRadio")->click(); // On
        button(d, "okButton")->click();
        return d.result();
    });
    expectUpdate();
    m_script.expectDialog("ManualOnOffDlg", [](QDialog& d) {
        child<QRadioButton>(d, "autoRadio")->click();
        button(d, "okButton")->click();
        return d.result();
    });
    expectUpdate();
    run(editor, [&] {
        button(editor, "manualButton")->click();
        EXPECT_EQ(child<QLabel>(editor, "manualStateLabel")->text(), "On");
        button(editor, "manualButton")->click();
        EXPECT_EQ(child<QLabel>(editor, "manualStateLabel")->text(), "Auto");
        editor.reject();
    });
    McdefRecord block;
    ASSERT_EQ(ReadBlock(8, BlockType::Data, 1, 0, block), DbStatus::Success);
    EXPECT_EQ(block[6], 0);
    EXPECT_EQ(block[7], 1) << "Auto keeps the On value";
}

TEST_F(EditorTest, TwoSchedulesForASlotOfOneAreRefused)
{
    start();
    stopFunction(3);
    DayNiDlg editor(request(FunctionType::DayNightControl, 3));
    m_script.expectDialog("SelSchDlg", [this](QDialog& d) {
        auto& dialog = static_cast<SelSchDlg&>(d);
        d.show();
        ScheList& list = dialog.candidates();
        EXPECT_EQ(list.lineCount(), 2) << "the current reference and the other schedule";
        list.item(list.lineOf(1))->setSelected(true);
        list.item(list.lineOf(2))->setSelected(true);
        m_script.expectMessage("Number of selected schedules are 2.Max allowed number  are 1");
        button(d, "selectButton")->click();
        EXPECT_TRUE(d.isVisible()) << "the dialog stays";
        d.reject();
        return d.result();
    });
    run(editor, [&] {
        button(editor, "scheduleButton")->click();
        editor.reject();
    });
}

TEST_F(EditorTest, AReferenceToAMissingScheduleIsMarkedAndCannotBeSelected)
{
    start();
    {
        McdefRecord reference;
        ASSERT_EQ(ReadBlock(3, BlockType::ScheduleReference, 1, 1, reference), DbStatus::Success);
        ASSERT_EQ(DbDelete(table::Mcdef), DbStatus::Success);
        McdefRecord missing(3, BlockType::ScheduleReference, 1, 50);
        missing[4] = ScheduleStatus::UnknownFunction;
        ASSERT_EQ(InsertBlock(missing), DbStatus::Success);
    }
    ScheList list;
    ASSERT_TRUE(list.LoadSchedules(3, 1));
    ASSERT_EQ(list.lineCount(), 1);
    EXPECT_EQ(list.lineText(0), "!\t050\tUnknown function");
    EXPECT_FALSE(list.SchedulesValid());

    stopFunction(3);
    DayNiDlg editor(request(FunctionType::DayNightControl, 3));
    m_script.expectDialog("SelSchDlg", [this](QDialog& d) {
        ScheList& candidates = static_cast<SelSchDlg&>(d).candidates();
        candidates.item(candidates.lineOf(50))->setSelected(true);
        m_script.expectMessage("Schedule references with errors are selected.");
        button(d, "selectButton")->click();
        d.reject();
        return d.result();
    });
    run(editor, [&] {
        button(editor, "scheduleButton")->click();
        editor.reject();
    });
}

TEST_F(EditorTest, StoringAnUnchangedScheduleListWritesNothing)
{
    start();
    ScheList list;
    ASSERT_TRUE(list.LoadSchedules(5, 1));
    const auto before = TestHome::records(table::Mcdef);
    ASSERT_TRUE(list.StoreSchedules(5, 1));
    EXPECT_EQ(TestHome::records(table::Mcdef), before);
}

} // namespace
