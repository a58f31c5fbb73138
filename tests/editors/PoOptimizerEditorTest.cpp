// The Po optimizer editor end to end: the real dialogs offscreen, the demo
// gateway 001 uploaded from a real qelnetd. Function 12 "Po MT" is a started
// Po optimizer with six evaporator loops and Pack MT (040) loop A as its
// compressor; it last reported an offset of 1.25. The loops that no function
// uses are those of the fourteen "Aisle" controllers and Pack LT (041) loop A.

#include "editors/EditorFixture.h"

#include "editors/energy/CompList.h"
#include "editors/energy/EvaporatorList.h"
#include "editors/energy/PoOptimiserDlg.h"
#include "gateway/UpdateJob.h"
#include "list/FunctionListCtrl.h"
#include "list/MCFODlg.h"
#include "list/ProgramOperations.h"
#include "protocol/LittleEndian.h"
#include "support/CEditCtrlEx.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>

#include <set>
#include <tuple>

namespace {

constexpr uint8_t PoMt = 12;

class PoOptimizerEditorTest : public EditorFixture {
protected:
    // The evaporator selection: the first `count` complete candidates.
    void expectEvaporatorChoice(int count)
    {
        m_script.expectDialog("SelectEvaporatorDlg", [count](QDialog& d) {
            auto* candidates = d.findChild<MultiParmList*>("candidateList");
            candidates->clearRowSelection();
            int chosen = 0;
            for (int i = 0; i < candidates->rowCount() && chosen < count; ++i)
                if (!candidates->row(i).incomplete) {
                    candidates->setRowSelected(i, true);
                    ++chosen;
                }
            EXPECT_EQ(chosen, count) << "complete evaporator loops offered";
            button(d, "okButton")->click();
            return d.result();
        });
    }
    // The compressor selection: these loops (address, loop letter).
    void expectCompressorChoice(std::vector<std::pair<uint8_t, char>> loops)
    {
        m_script.expectDialog("SelectCompressorDlg", [loops](QDialog& d) {
            auto* candidates = d.findChild<MultiParmList*>("candidateList");
            candidates->clearRowSelection();
            for (const auto& [address, loop] : loops) {
                int found = -1;
                for (int i = 0; i < candidates->rowCount(); ++i)
                    if (candidates->row(i).address == address && candidates->row(i).loop == loop)
                        found = i;
                EXPECT_GE(found, 0) << int(address) << loop;
                if (found >= 0)
                    candidates->setRowSelected(found, true);
            }
            button(d, "okButton")->click();
            return d.result();
        });
    }
    void expectAdvanced(std::function<void(QDialog&)> steps)
    {
        m_script.expectDialog("PoAdvancedDlg", [steps](QDialog& d) {
            d.show();
            steps(d);
            return d.result();
        });
    }

    static McdefRecord block(uint8_t number, uint8_t blockType, uint8_t blockNumber, uint8_t item)
    {
        McdefRecord record;
        EXPECT_EQ(ReadBlock(number, blockType, blockNumber, item, record), DbStatus::Success);
        return record;
    }
    static EvaporatorList* evaporators(QDialog& editor) { return child<EvaporatorList>(editor, "evaporatorList"); }
    static CompList* compressor(QDialog& editor) { return child<CompList>(editor, "compressorList"); }
    // The reported offset is shown, not edited.
    static QString shownOffset(QDialog& editor) { return child<QLabel>(editor, "offsetLabel")->text(); }
    static std::string logHead() { return "001:125 GW Market North\n"; }
};

TEST_F(PoOptimizerEditorTest, ANewFunctionWith25EvaporatorsIsSavedSentAndReadBackFromTheGateway)
{
    start();
    PoOptimiserDlg editor(request(FunctionType::PoOptimizer, NewNumber));
    expectAdvanced([](QDialog& d) {
        EXPECT_FALSE(child<QCheckBox>(d, "alarmEnableCheck")->isChecked());
        EXPECT_FALSE(child<CEditCtrlEx>(d, "alarmDelayEdit")->isEnabled()) << "only with the alarm";
        EXPECT_EQ(child<CEditCtrlEx>(d, "alarmDelayEdit")->text(), "240");
        EXPECT_EQ(child<CEditCtrlEx>(d, "periodEdit")->text(), "20");
        EXPECT_EQ(child<CEditCtrlEx>(d, "filterEdit")->text(), "900");
        EXPECT_EQ(child<CEditCtrlEx>(d, "kpEdit")->text(), "1");
        EXPECT_EQ(child<CEditCtrlEx>(d, "tnEdit")->text(), "900");
        EXPECT_TRUE(child<QCheckBox>(d, "optimiseCheck")->isEnabled());
        button(d, "okButton")->click();
    });
    expectEvaporatorChoice(25);
    expectCompressorChoice({{41, 'A'}});
    expectUpdate();
    const std::optional<EditorResult> result = run(editor, [&] {
        EXPECT_EQ(child<QLineEdit>(editor, "nameEdit")->text(), "Po Optimizer");
        EXPECT_FALSE(button(editor, "historyButton")->isEnabled()) << "nothing to show for a new function";
        EXPECT_FALSE(button(editor, "defrostDelayButton")->isEnabled()) << "no evaporator selected";
        EXPECT_EQ(shownOffset(editor), "0.0");
        button(editor, "advancedButton")->click();
        button(editor, "inputSelectButton")->click();
        EXPECT_EQ(evaporators(editor)->rowCount(), 25);
        EXPECT_EQ(evaporators(editor)->text(24, 0), "25") << "case number";
        EXPECT_EQ(evaporators(editor)->text(0, 4), "20") << "the default delay in minutes";
        button(editor, "compressorSelectButton")->click();
        ASSERT_EQ(compressor(editor)->rowCount(), 1);
        EXPECT_EQ(compressor(editor)->text(0, 1), "A");
        EXPECT_EQ(compressor(editor)->text(0, 5).toStdString(), compressor(editor)->row(0).output.defaultText);
        button(editor, "okButton")->click();
    });
    ASSERT_EQ(result, EditorResult::Ok);

    const McdefRecord settings = block(NewNumber, BlockType::Data, 1, 0);
    EXPECT_EQ(le::u16(&settings[6]), 1200);
    EXPECT_EQ(le::u16(&settings[8]), 900);
    EXPECT_EQ(le::f32(&settings[10]), 1.0f);
    EXPECT_EQ(le::f32(&settings[14]), 900.0f);
    EXPECT_EQ(settings[18], 0);
    EXPECT_EQ(settings[23], 0) << "loop A";
    EXPECT_EQ(settings[24], 0);
    EXPECT_EQ(le::u16(&settings[25]), 240);
    std::vector<McdefRecord> delays;
    ASSERT_EQ(ReadBlocks(NewNumber, BlockType::Data, 2, delays), DbStatus::Success);
    ASSERT_EQ(delays.size(), 2u);
    EXPECT_EQ(delays[0][6], 20);
    EXPECT_EQ(delays[1][6], 5);
    EXPECT_EQ(delays[1][7], 20) << "the second record starts at index 20";
    EXPECT_EQ(delays[1][7 + 4 * 5], 24);
    EXPECT_EQ(block(NewNumber, BlockType::Output, 1, 41)[6], 8) << "dP0 out of loop A (8,1,3)";
    EXPECT_EQ(block(NewNumber, BlockType::Output, 2, 41)[9], 249);
    EXPECT_EQ(count(sentCommands(), int(Command::WriteMultiInputs)), 14)
        << "25 evaporators two a telegram, and the compressor";
    const std::vector<EventLogRecord> rows = eventRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, logHead() + "Po Optimizer is created");

    // What the gateway holds comes back with the next upload.
    MCUplDlg upload("001:125", serverWindow(), false);
    ASSERT_EQ(UploadResult(upload.exec()), UploadResult::UpToDate);
    ASSERT_EQ(ReadBlocks(NewNumber, BlockType::Data, 2, delays), DbStatus::Success);
    EXPECT_EQ(delays.size(), 2u);
    PoOptimiserDlg reloaded(request(FunctionType::PoOptimizer, NewNumber));
    run(reloaded, [&] {
        ASSERT_EQ(evaporators(reloaded)->rowCount(), 25);
        for (int i = 0; i < 25; ++i)
            EXPECT_NE(evaporators(reloaded)->row(i).loop, '?') << i;
        EXPECT_EQ(evaporators(reloaded)->text(1, 2), "B") << "Aisle 1 loop B follows loop A";
        ASSERT_EQ(compressor(reloaded)->rowCount(), 1);
        EXPECT_EQ(compressor(reloaded)->text(0, 1), "A");
        EXPECT_TRUE(button(reloaded, "historyButton")->isEnabled());
        button(reloaded, "cancelButton")->click();
    });
}

TEST_F(PoOptimizerEditorTest, AStartedFunctionShowsItsSettingsAndCancelAsksNothing)
{
    start();
    PoOptimiserDlg editor(request(FunctionType::PoOptimizer, PoMt));
    expectAdvanced([](QDialog& d) {
        EXPECT_TRUE(child<QCheckBox>(d, "alarmEnableCheck")->isChecked());
        EXPECT_TRUE(child<CEditCtrlEx>(d, "alarmDelayEdit")->isEnabled());
        typeInto(child<CEditCtrlEx>(d, "periodEdit"), "7");
        button(d, "okButton")->click();
    });
    m_script.expectDialog("PoDefrostDelayDlg", [](QDialog& d) {
        EXPECT_EQ(child<CEditCtrlEx>(d, "delayEdit")->text(), "25") << "the first selected evaporator's delay";
        typeInto(child<CEditCtrlEx>(d, "delayEdit"), "30");
        button(d, "okButton")->click();
        return d.result();
    });
    const std::optional<EditorResult> result = run(editor, [&] {
        EXPECT_EQ(shownOffset(editor), "1.3") << "1.25 rounded half up";
        EXPECT_FALSE(child<QLineEdit>(editor, "nameEdit")->isEnabled()) << "started";
        EXPECT_FALSE(button(editor, "inputSelectButton")->isEnabled());
        EXPECT_FALSE(button(editor, "compressorSelectButton")->isEnabled());
        EXPECT_EQ(evaporators(editor)->rowCount(), 6);
        EXPECT_EQ(evaporators(editor)->text(3, 2), "B");
        EXPECT_EQ(compressor(editor)->text(0, 1), "A");
        child<QCheckBox>(editor, "offsetDisableCheck")->click();
        EXPECT_EQ(shownOffset(editor), "0");
        button(editor, "advancedButton")->click();
        evaporators(editor)->setRowSelected(2, true);
        evaporators(editor)->setRowSelected(3, true);
        button(editor, "defrostDelayButton")->click();
        EXPECT_EQ(evaporators(editor)->text(3, 4), "30");
        button(editor, "cancelButton")->click();
    });
    EXPECT_EQ(result, EditorResult::Cancel) << "no question";
    EXPECT_EQ(le::u16(&block(PoMt, BlockType::Data, 1, 0)[6]), 1200) << "nothing written";
    EXPECT_TRUE(eventRows().empty());
}

TEST_F(PoOptimizerEditorTest, ChangedSettingsAreSentAsDataBlocksAndLoggedLineByLine)
{
    start();
    stopFunction(PoMt);
    PoOptimiserDlg editor(request(FunctionType::PoOptimizer, PoMt));
    expectAdvanced([](QDialog& d) {
        child<QCheckBox>(d, "alarmEnableCheck")->click();
        typeInto(child<CEditCtrlEx>(d, "periodEdit"), "7");
        typeInto(child<CEditCtrlEx>(d, "kpEdit"), "0.5");
        button(d, "okButton")->click();
    });
    m_script.expectDialog("PoDefrostDelayDlg", [](QDialog& d) {
        typeInto(child<CEditCtrlEx>(d, "delayEdit"), "12");
        button(d, "okButton")->click();
        return d.result();
    });
    expectUpdate();
    const size_t before = sentCommands().size();
    const std::optional<EditorResult> result = run(editor, [&] {
        child<QCheckBox>(editor, "offsetDisableCheck")->click();
        button(editor, "advancedButton")->click();
        evaporators(editor)->setRowSelected(5, true);
        button(editor, "defrostDelayButton")->click();
        button(editor, "okButton")->click();
    });
    ASSERT_EQ(result, EditorResult::Ok);
    const std::vector<int> all = sentCommands();
    const std::vector<int> sent(all.begin() + std::ptrdiff_t(before), all.end());
    EXPECT_EQ(count(sent, int(Command::WriteMultiInputs)), 0) << "data blocks only";
    const McdefRecord settings = block(PoMt, BlockType::Data, 1, 0);
    EXPECT_EQ(le::u16(&settings[6]), 420);
    EXPECT_EQ(le::f32(&settings[10]), 0.5f);
    EXPECT_EQ(settings[18], 1);
    EXPECT_EQ(settings[24], 0);
    EXPECT_EQ(settings[23], 0) << "the compressor keeps loop A";
    EXPECT_EQ(le::u16(&block(PoMt, BlockType::Data, 2, 1)[7 + 5 * 5 + 3]), 720);
    const std::vector<EventLogRecord> rows = eventRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, logHead()
                                + "Po MT\n"
                                  "Advanced Po optimizer parameters OFF -> ON\n"
                                  "Po optimizer alarm ON -> OFF\n"
                                  "Advanced Po optimizer parameters is/are changed\n"
                                  "Def. Delay is/are changed");
}

// "Po counters" (16) holds its twelve evaporators in the gateway's order, 001 and 002 last, while the
// list shows them by address: a rename writes every loop and delay as the gateway held them.
TEST_F(PoOptimizerEditorTest, ARenameKeepsEveryEvaporatorsLoopAndDelay)
{
    constexpr uint8_t PoCounters = 16;
    start();
    stopFunction(PoCounters);
    const auto entries = [] {
        std::vector<McdefRecord> records;
        EXPECT_EQ(ReadBlocks(PoCounters, BlockType::Data, 2, records), DbStatus::Success);
        std::multiset<std::tuple<uint8_t, uint8_t, uint16_t>> held;
        for (const McdefRecord& record : records)
            for (const EvaporatorEntry& e : ReadEvaporatorEntries(record))
                held.emplace(e.address, e.loop, e.delay);
        return held;
    };
    const auto before = entries();
    ASSERT_EQ(before.size(), 12u);
    ASSERT_EQ(before.count({4, 1, 1200}), 1u) << "004 loop B";
    PoOptimiserDlg editor(request(FunctionType::PoOptimizer, PoCounters));
    expectUpdate();
    EXPECT_EQ(run(editor, [&] {
                  for (int k = 0; k < evaporators(editor)->rowCount(); ++k)
                      EXPECT_NE(evaporators(editor)->row(k).loop, '?') << k;
                  rename(editor, "Po counts");
                  button(editor, "okButton")->click();
              }),
              EditorResult::Ok);
    EXPECT_EQ(entries(), before);
    EXPECT_EQ(block(PoCounters, BlockType::Header, 0, 0).name(), "Po counts");
}

// A loop that neither QebType.ini nor the stored entry can tell is shown as "?" and refused on OK.
TEST_F(PoOptimizerEditorTest, AnEvaporatorWhoseLoopCannotBeDeterminedIsRefused)
{
    start();
    stopFunction(PoMt);
    m_home.setIni("QebType.ini", "EVA-100 Funct 8", "Input1A", "RegCond,3,99,2");
    std::vector<McdefRecord> delays;
    ASSERT_EQ(ReadBlocks(PoMt, BlockType::Data, 2, delays), DbStatus::Success);
    std::vector<EvaporatorEntry> unknown = ReadEvaporatorEntries(delays.front());
    for (EvaporatorEntry& entry : unknown)
        entry.loop = 254; // as an earlier program wrote a loop it did not know
    WriteEvaporatorEntries(unknown, delays.front());
    ASSERT_EQ(UpdateBlock(delays.front()), DbStatus::Success);

    PoOptimiserDlg editor(request(FunctionType::PoOptimizer, PoMt));
    const size_t sentBefore = sentCommands().size();
    EXPECT_EQ(run(editor, [&] {
                  EvaporatorList* list = evaporators(editor);
                  int unknownRow = -1;
                  for (int k = 0; k < list->rowCount() && unknownRow < 0; ++k)
                      if (list->row(k).loop == '?')
                          unknownRow = k;
                  ASSERT_GE(unknownRow, 0) << "an EVA-100 row is shown with loop ?";
                  m_script.expectMessage(QString::asprintf(
                      "The loop of controller %03d cannot be determined: QebType.ini names none that matches its "
                      "parameters. Choose the controller again.",
                      list->row(unknownRow).address));
                  rename(editor, "Po MT 2");
                  button(editor, "okButton")->click();
                  EXPECT_TRUE(editor.isVisible());
                  EXPECT_EQ(editor.focusWidget(), list);
                  EXPECT_TRUE(list->isRowSelected(unknownRow));
              }),
              std::nullopt);
    EXPECT_EQ(sentCommands().size(), sentBefore);
    EXPECT_EQ(block(PoMt, BlockType::Header, 0, 0).name(), "Po MT") << "nothing saved";
}

TEST_F(PoOptimizerEditorTest, OkRefusesMissingControllersAndTwoCompressors)
{
    start();
    PoOptimiserDlg editor(request(FunctionType::PoOptimizer, NewNumber));
    m_script.expectMessage("No Input controllers selected");
    expectEvaporatorChoice(2);
    expectCompressorChoice({});
    m_script.expectMessage("No Output controllers selected");
    expectCompressorChoice({{41, 'A'}, {50, '?'}});
    m_script.expectMessage("No Output controllers selected");
    m_script.expectMessage("Please specify a function name.");
    const std::optional<EditorResult> result = run(editor, [&] {
        button(editor, "okButton")->click();
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(editor.focusWidget(), evaporators(editor));
        button(editor, "inputSelectButton")->click();
        button(editor, "compressorSelectButton")->click();
        button(editor, "okButton")->click();
        EXPECT_EQ(editor.focusWidget(), compressor(editor));
        button(editor, "compressorSelectButton")->click();
        EXPECT_EQ(compressor(editor)->rowCount(), 2);
        button(editor, "okButton")->click();
        EXPECT_EQ(editor.focusWidget(), compressor(editor));
        rename(editor, "");
        button(editor, "okButton")->click();
        EXPECT_EQ(editor.focusWidget(), child<QLineEdit>(editor, "nameEdit"));
        EXPECT_TRUE(editor.isVisible());
    });
    EXPECT_EQ(result, std::nullopt);
    std::vector<McdefRecord> blocks;
    ASSERT_EQ(ReadFunction(NewNumber, blocks), DbStatus::Success);
    EXPECT_TRUE(blocks.empty());
}

TEST_F(PoOptimizerEditorTest, RangeMessagesKeepTheDialogOpenWithTheFocusInTheField)
{
    start();
    PoOptimiserDlg editor(request(FunctionType::PoOptimizer, PoMt));
    const std::vector<std::tuple<const char*, QString, QString>> cases = {
        {"alarmDelayEdit", "1441", "Please enter a number from 0 to 1440."},
        {"periodEdit", "4", "Please enter a number from 5 to 30."},
        {"filterEdit", "3001", "Please enter a number from 300 to 3000."},
        {"kpEdit", "0.1", "Please enter a number from 0.2 to 2.0."},
        {"tnEdit", "299", "Please enter a number from 300.0 to 3000.0."},
    };
    expectAdvanced([&cases](QDialog& d) {
        for (const auto& [field, text, message] : cases) {
            auto* edit = child<CEditCtrlEx>(d, field);
            const QString kept = edit->text();
            typeInto(edit, text);
            pressEnter(edit);
            EXPECT_TRUE(d.isVisible()) << field;
            EXPECT_EQ(d.focusWidget(), edit) << field;
            typeInto(edit, kept);
        }
        button(d, "cancelButton")->click();
    });
    for (const auto& [field, text, message] : cases)
        m_script.expectMessage(message);
    m_script.expectDialog("PoDefrostDelayDlg", [](QDialog& d) {
        d.show();
        auto* edit = child<CEditCtrlEx>(d, "delayEdit");
        typeInto(edit, "241");
        pressEnter(edit);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.focusWidget(), edit);
        button(d, "cancelButton")->click();
        return d.result();
    });
    m_script.expectMessage("Please enter a number from 1 to 240.");
    run(editor, [&] {
        button(editor, "advancedButton")->click();
        evaporators(editor)->setRowSelected(0, true);
        button(editor, "defrostDelayButton")->click();
        button(editor, "cancelButton")->click();
    });
    EXPECT_EQ(le::u16(&block(PoMt, BlockType::Data, 1, 0)[25]), 240);
}

TEST_F(PoOptimizerEditorTest, HistoryOpensTheFunctionsHistoryAndAViewOnlyEditorChangesNothing)
{
    start();
    PoOptimiserDlg editor(request(FunctionType::PoOptimizer, PoMt, true));
    m_script.expectDialog("PoOptimizerHistory", [&editor](QDialog& d) {
        EXPECT_EQ(d.parentWidget(), &editor);
        return int(QDialog::Accepted);
    });
    m_script.expectDialog("PoAdvancedDlg", [](QDialog& d) {
        EXPECT_FALSE(button(d, "okButton")->isEnabled());
        EXPECT_FALSE(child<CEditCtrlEx>(d, "periodEdit")->isEnabled());
        EXPECT_TRUE(button(d, "cancelButton")->isEnabled());
        return int(QDialog::Rejected);
    });
    const std::optional<EditorResult> result = run(editor, [&] {
        EXPECT_FALSE(button(editor, "okButton")->isEnabled());
        EXPECT_FALSE(child<QCheckBox>(editor, "offsetDisableCheck")->isEnabled());
        evaporators(editor)->setRowSelected(0, true);
        EXPECT_FALSE(button(editor, "defrostDelayButton")->isEnabled());
        button(editor, "historyButton")->click();
        button(editor, "advancedButton")->click();
        button(editor, "cancelButton")->click();
    });
    EXPECT_EQ(result, EditorResult::Cancel);
}

TEST_F(PoOptimizerEditorTest, EscapeAndTheCloseBoxGiveCancelsResultInEveryDialog)
{
    start();
    for (const auto& [wayName, way] : escapeAndCloseBox()) {
        SCOPED_TRACE(wayName);
        const auto closedBy = [this, way = way](const char* dialog) {
            m_script.expectDialog(dialog, [way](QDialog& d) {
                d.show();
                way(d);
                EXPECT_FALSE(d.isVisible());
                return d.result();
            });
        };
        PoOptimiserDlg started(request(FunctionType::PoOptimizer, PoMt));
        closedBy("PoAdvancedDlg");
        closedBy("PoDefrostDelayDlg");
        EXPECT_EQ(run(started,
                      [&, way = way] {
                          button(started, "advancedButton")->click();
                          evaporators(started)->setRowSelected(0, true);
                          button(started, "defrostDelayButton")->click();
                          EXPECT_EQ(evaporators(started)->text(0, 4), "20");
                          way(started);
                      }),
                  EditorResult::Cancel);

        PoOptimiserDlg created(request(FunctionType::PoOptimizer, NewNumber));
        closedBy("SelectEvaporatorDlg");
        closedBy("SelectCompressorDlg");
        EXPECT_EQ(run(created,
                      [&, way = way] {
                          button(created, "inputSelectButton")->click();
                          button(created, "compressorSelectButton")->click();
                          EXPECT_EQ(evaporators(created)->rowCount(), 0);
                          EXPECT_FALSE(evaporators(created)->IsModified());
                          EXPECT_EQ(compressor(created)->rowCount(), 0);
                          way(created);
                      }),
                  EditorResult::Cancel);
    }
    EXPECT_TRUE(eventRows().empty());
    std::vector<McdefRecord> blocks;
    ASSERT_EQ(ReadFunction(NewNumber, blocks), DbStatus::Success);
    EXPECT_TRUE(blocks.empty());
}

TEST_F(PoOptimizerEditorTest, TheFunctionListOpensThisEditorForItsPoOptimizers)
{
    start();
    MCFODlg list("001:125", "GW Market North", true, ProgramListOperations());
    m_script.expectDialog("PoOptimiserDlg", [](QDialog& editor) {
        return int(run(editor, [&] {
                       EXPECT_EQ(child<QLabel>(editor, "numberLabel")->text(), "12");
                       EXPECT_EQ(child<QLineEdit>(editor, "nameEdit")->text(), "Po MT");
                       button(editor, "cancelButton")->click();
                   }).value_or(EditorResult::DatabaseFailure));
    });
    list.list().setRowSelected(list.list().rowOf(PoMt), true);
    button(list, "editButton")->click();
}

} // namespace
