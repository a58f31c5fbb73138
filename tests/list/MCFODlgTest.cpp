#include "CheckedScript.h"
#include "list/FunctionListCtrl.h"
#include "list/MCFODlg.h"
#include "list/NewFunctionDlg.h"
#include "model/ApplicationState.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "protocol/TypeCatalogue.h"
#include "support/Db.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

namespace {

const char* const ListClosesText = "The connection to the gateway is lost: the function list closes. Choose the "
                                   "network again to read the gateway's functions anew.";

class MCFODlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.ok());
        appState().mode = AppMode::Edit;
        appState().capacity = {};
        appState().capacity.totalMemory = 64 * 1024;
        appState().capacity.freeMemory = 48 * 1024;
        appState().capacity.typeLimits.fill(10);
    }
    void TearDown() override { appState() = ApplicationState(); }

    static void addFunction(uint8_t number, uint8_t type, const std::string& name, uint8_t flags = 0)
    {
        TestHome::addFunction(number, type, name, flags);
        ASSERT_EQ(InsertBlock(McdefRecord(number, BlockType::Data, 1, 0)), DbStatus::Success);
    }

    static QPushButton* button(MCFODlg& dialog, const char* name) { return dialog.findChild<QPushButton*>(name); }

    static std::vector<std::string> names(const FunctionListCtrl& list)
    {
        std::vector<std::string> all;
        for (int row = 0; row < list.rowCount(); ++row)
            all.push_back(list.item(row).name);
        return all;
    }

    static void select(FunctionListCtrl& list, std::initializer_list<uint8_t> numbers)
    {
        list.clearRowSelection();
        for (uint8_t n : numbers)
            list.setRowSelected(list.rowOf(n), true);
    }

    ListOperations operationsWithEditor(EditorFunction editor)
    {
        ListOperations operations;
        operations.editorFor = [editor](uint8_t type) {
            return type == FunctionType::DayNightControl ? editor : EditorFunction();
        };
        return operations;
    }

    TestHome m_home;
    CheckedScript m_script;
};

TEST_F(MCFODlgTest, ListsEveryFunctionSortedByNameAndSortsByAnyColumn)
{
    addFunction(7, FunctionType::PeakShaving, "Peak", FunctionFlag::Started);
    addFunction(2, FunctionType::YearlySchedule, "week plan", FunctionFlag::Started);
    addFunction(12, FunctionType::DayNightControl, "Night", FunctionFlag::Manual | FunctionFlag::ErrorMark);
    addFunction(100, 42, "Alien");
    MCFODlg dialog("001:125", "GW Market North", true, {});
    FunctionListCtrl& list = dialog.list();
    ASSERT_EQ(list.rowCount(), 4);
    EXPECT_EQ(names(list), (std::vector<std::string>{"Alien", "Night", "Peak", "week plan"}));
    const int night = list.rowOf(12);
    EXPECT_EQ(list.text(night, 0), "Day/Night Contr.");
    EXPECT_EQ(list.text(night, 2), "12");
    EXPECT_EQ(list.text(night, 3), "");
    EXPECT_EQ(list.text(night, 4), "Manual");
    EXPECT_EQ(list.text(night, 5), "Error");
    EXPECT_EQ(list.text(list.rowOf(7), 3), "On");
    EXPECT_EQ(list.text(list.rowOf(100), 0), "<<unknown type>>");

    list.sortByHeader(FunctionListCtrl::NumberColumn);
    EXPECT_EQ(names(list), (std::vector<std::string>{"week plan", "Peak", "Night", "Alien"})) << "2, 7, 12, 100 as numbers";
    list.sortByHeader(FunctionListCtrl::NumberColumn);
    EXPECT_EQ(names(list), (std::vector<std::string>{"Alien", "Night", "Peak", "week plan"}));
    list.sortByHeader(FunctionListCtrl::TypeColumn);
    EXPECT_EQ(list.item(0).name, "Alien") << "<<unknown type>> sorts first";
    EXPECT_EQ(list.item(3).name, "week plan") << "Yearly Schedule sorts last";

    EXPECT_EQ(dialog.findChild<QLineEdit*>("networkField")->text(), "001:125  GW Market North");
    EXPECT_EQ(dialog.findChild<QProgressBar*>("usedSpaceBar")->value(), 25);
}

TEST_F(MCFODlgTest, ButtonsFollowTheSelection)
{
    addFunction(1, FunctionType::YearlySchedule, "Year", FunctionFlag::Started);
    addFunction(2, FunctionType::DayNightControl, "Night");
    addFunction(3, FunctionType::PoOptimizer, "Suction", FunctionFlag::Started);
    ListOperations operations;
    operations.deleteFunctions = [](MCFODlg&, const std::vector<uint8_t>&) { return DeleteResult::Done; };
    operations.startStop = [](MCFODlg&, int, const std::vector<uint8_t>&) { return StartStopResult::Done; };
    operations.print = [](MCFODlg&, const std::vector<uint8_t>&) {};
    operations.history = [](MCFODlg&, uint8_t) {};
    MCFODlg dialog("001:125", "GW", true, operations);
    FunctionListCtrl& list = dialog.list();

    select(list, {1, 2});
    EXPECT_TRUE(button(dialog, "deleteButton")->isEnabled());
    EXPECT_TRUE(button(dialog, "startButton")->isEnabled());
    EXPECT_FALSE(button(dialog, "stopButton")->isEnabled());
    EXPECT_FALSE(button(dialog, "editButton")->isEnabled());

    select(list, {3});
    EXPECT_TRUE(button(dialog, "historyButton")->isEnabled());
    EXPECT_TRUE(button(dialog, "stopButton")->isEnabled());
    EXPECT_FALSE(button(dialog, "deleteButton")->isEnabled());
    EXPECT_TRUE(button(dialog, "editButton")->isEnabled());

    // In list order the Po optimizer ("Suction") comes after "Night".
    select(list, {3, 2});
    EXPECT_TRUE(button(dialog, "historyButton")->isEnabled());
    select(list, {3, 1});
    EXPECT_FALSE(button(dialog, "historyButton")->isEnabled()) << "\"Year\" is the last selected row in list order";
}

TEST_F(MCFODlgTest, EachButtonHandsItsSelectionToItsOperation)
{
    addFunction(1, FunctionType::YearlySchedule, "Year", FunctionFlag::Started);
    addFunction(2, FunctionType::DayNightControl, "Night");
    addFunction(3, FunctionType::PoOptimizer, "Suction", FunctionFlag::Started);
    std::vector<std::string> calls;
    DeleteResult deletion = DeleteResult::Done;
    StartStopResult startOrStop = StartStopResult::Done;
    const auto record = [&calls](std::string call, const std::vector<uint8_t>& numbers) {
        for (uint8_t n : numbers)
            call += ' ' + std::to_string(n);
        calls.push_back(call);
    };
    ListOperations operations;
    operations.deleteFunctions = [&](MCFODlg&, const std::vector<uint8_t>& numbers) {
        record("delete", numbers);
        return deletion;
    };
    operations.startStop = [&](MCFODlg&, int command, const std::vector<uint8_t>& numbers) {
        record(command == StartStopCommand::Start ? "start" : "stop", numbers);
        return startOrStop;
    };
    operations.print = [&](MCFODlg&, const std::vector<uint8_t>& numbers) { record("print", numbers); };
    operations.history = [&](MCFODlg&, uint8_t number) { record("history", {number}); };
    MCFODlg dialog("001:125", "GW", true, operations);
    dialog.show();

    select(dialog.list(), {1, 2});
    for (const char* name : {"deleteButton", "startButton", "printButton"})
        button(dialog, name)->click();
    select(dialog.list(), {3});
    for (const char* name : {"stopButton", "historyButton"})
        button(dialog, name)->click();
    EXPECT_EQ(calls, (std::vector<std::string>{"delete 2 1", "start 2", "print 2 1", "stop 3", "history 3"}))
        << "in list order; start takes only what can start";
    EXPECT_TRUE(dialog.isVisible());

    startOrStop = StartStopResult::LocalFailure;
    button(dialog, "stopButton")->click();
    EXPECT_FALSE(dialog.isVisible()) << "a stop that failed closes the list";

    dialog.show();
    select(dialog.list(), {2});
    startOrStop = StartStopResult::RefusedOrLinkFailure;
    m_script.expectMessage(ListClosesText);
    button(dialog, "startButton")->click();
    EXPECT_FALSE(dialog.isVisible()) << "a start the gateway refused closes the list, saying why";

    dialog.show();
    select(dialog.list(), {2});
    deletion = DeleteResult::LocalFailure;
    button(dialog, "deleteButton")->click();
    EXPECT_FALSE(dialog.isVisible()) << "a deletion that failed closes the list";
}

TEST_F(MCFODlgTest, OperationsThatAreNotThereStayDisabled)
{
    addFunction(2, FunctionType::DayNightControl, "Night");
    MCFODlg dialog("001:125", "GW", true, {});
    select(dialog.list(), {2});
    EXPECT_FALSE(button(dialog, "deleteButton")->isEnabled());
    EXPECT_FALSE(button(dialog, "startButton")->isEnabled());
    EXPECT_FALSE(button(dialog, "printButton")->isEnabled());
    EXPECT_TRUE(button(dialog, "editButton")->isEnabled());
    m_script.expectMessage("Selected MCF type no. 3 not implemented yet!");
    button(dialog, "editButton")->click();
    EXPECT_EQ(m_script.prompts().back().style, MB::Ok) << "a plain message box";
}

TEST_F(MCFODlgTest, NewOffersAcceptedTypesAndAddsTheCreatedFunction)
{
    addFunction(1, FunctionType::YearlySchedule, "Year", FunctionFlag::Started);
    appState().capacity.typeLimits[FunctionType::YearlySchedule] = 1;
    EditorRequest seen;
    const auto editor = [&seen](QWidget*, const EditorRequest& request) {
        seen = request;
        McdefRecord header(request.number, BlockType::Header, 0, 0);
        header.setType(request.type);
        header.setName("New night");
        header.setFlags(FunctionFlag::Started | FunctionFlag::Manual);
        InsertBlock(header);
        return EditorResult::Ok;
    };
    MCFODlg dialog("001:125", "GW", true, operationsWithEditor(editor));
    m_script.expectDialog("NewFunctionDlg", [](QDialog& d) {
        auto* types = d.findChild<QListWidget*>("typeList");
        auto* ok = d.findChild<QPushButton*>("okButton");
        EXPECT_FALSE(ok->isEnabled()) << "OK waits for a type";
        QStringList offered;
        for (int i = 0; i < types->count(); ++i)
            offered << types->item(i)->text();
        EXPECT_FALSE(offered.contains("Yearly Schedule")) << "at its limit";
        EXPECT_FALSE(offered.contains("Po Optimizer")) << "larger than the free memory";
        types->setCurrentRow(int(offered.indexOf("Day/Night Contr.")));
        EXPECT_TRUE(ok->isEnabled());
        ok->click();
        return d.result();
    });
    appState().capacity.freeMemory = 5000;
    button(dialog, "newButton")->click();
    EXPECT_EQ(seen.number, 2) << "the lowest free number";
    EXPECT_EQ(seen.type, FunctionType::DayNightControl);
    EXPECT_EQ(seen.gatewayAddress, "001:125");
    EXPECT_FALSE(seen.readOnly);
    const int row = dialog.list().rowOf(2);
    ASSERT_GE(row, 0);
    EXPECT_EQ(dialog.list().item(row).state, RowState::Started) << "a new row takes the started bit only";
    EXPECT_EQ(appState().capacity.freeMemory, 5000u - 2236u);
}

TEST_F(MCFODlgTest, NewWithEveryNumberTakenSaysSo)
{
    for (int n = 1; n <= 105; ++n)
        addFunction(uint8_t(n), FunctionType::YearlySchedule, "S" + std::to_string(n));
    MCFODlg dialog("001:125", "GW", true, {});
    QPushButton* newButton = button(dialog, "newButton");
    EXPECT_FALSE(newButton->isEnabled());
    newButton->click();
    EXPECT_TRUE(m_script.prompts().empty()) << "a disabled button does nothing";

    // Should the button be pressed anyway, no function without a number is made.
    newButton->setEnabled(true);
    m_script.expectMessage("Can not create ZUL control function. Maximum number has been reached.");
    newButton->click();
}

TEST_F(MCFODlgTest, EditRefreshesTheRowAndALostConnectionClosesTheList)
{
    addFunction(4, FunctionType::DayNightControl, "Before");
    EditorResult nextResult = EditorResult::Ok;
    const auto editor = [&nextResult](QWidget*, const EditorRequest& request) {
        McdefRecord header;
        ReadBlock(request.number, BlockType::Header, 0, 0, header);
        header.setName("After");
        header.setFlags(FunctionFlag::Started);
        UpdateBlock(header);
        return nextResult;
    };
    MCFODlg dialog("001:125", "GW", true, operationsWithEditor(editor));
    select(dialog.list(), {4});
    button(dialog, "editButton")->click();
    EXPECT_EQ(dialog.functionName(4), "After");
    EXPECT_EQ(dialog.list().item(0).state, RowState::Started);

    nextResult = EditorResult::ConnectionLost;
    dialog.show();
    m_script.expectMessage(ListClosesText);
    button(dialog, "editButton")->click();
    EXPECT_FALSE(dialog.isVisible()) << "a lost connection closes the list, saying why";
}

TEST_F(MCFODlgTest, EnterOnARowOpensItsEditorAndNothingElse)
{
    addFunction(4, FunctionType::DayNightControl, "Night");
    int editorRuns = 0;
    const auto editor = [&editorRuns](QWidget*, const EditorRequest&) {
        ++editorRuns;
        return EditorResult::Cancel;
    };
    MCFODlg dialog("001:125", "GW", true, operationsWithEditor(editor));
    dialog.show();
    select(dialog.list(), {4});
    dialog.list().setFocus();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        QKeyEvent press(QEvent::KeyPress, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QApplication::sendEvent(&dialog.list(), &press);
    }
    EXPECT_EQ(editorRuns, 2) << "one editor per Enter, and no new-function dialog (the script would fail)";
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(MCFODlgTest, ViewOnlyListsAndBrowseMode)
{
    addFunction(4, FunctionType::DayNightControl, "Night");
    {
        EditorRequest seen;
        const auto editor = [&seen](QWidget*, const EditorRequest& request) {
            seen = request;
            return EditorResult::Cancel;
        };
        MCFODlg dialog("001:125", "GW", false, operationsWithEditor(editor));
        EXPECT_EQ(dialog.windowTitle(), "ZUL control functions - QOR Net config. not up to date");
        EXPECT_EQ(button(dialog, "editButton")->text(), "&Browse");
        EXPECT_FALSE(button(dialog, "newButton")->isEnabled());
        select(dialog.list(), {4});
        button(dialog, "editButton")->click();
        EXPECT_TRUE(seen.readOnly);
    }
    appState().mode = AppMode::Browse;
    MCFODlg dialog("001:125", "GW", true, {});
    dialog.show();
    EXPECT_EQ(button(dialog, "editButton")->text(), "&Edit");
    for (const char* hidden : {"newButton", "deleteButton", "startButton", "stopButton"})
        EXPECT_FALSE(button(dialog, hidden)->isVisible()) << hidden;
    EXPECT_FALSE(dialog.findChild<QWidget*>("blocksGroup")->isVisible());
    EXPECT_TRUE(button(dialog, "printButton")->isVisible());
}

TEST_F(MCFODlgTest, AViewOnlyUserOpensEditorsReadOnly)
{
    addFunction(4, FunctionType::DayNightControl, "Night");
    {
        ScopedTable users(table::XrtBrug, DbMode::Normal);
        uint8_t record[XrtBrugRecord::Size];
        ASSERT_EQ(DbRelGet(table::XrtBrug, 0, record, sizeof record, DbOp::GetFirst), DbStatus::Success);
        XrtBrugRecord user = XrtBrugRecord::read(record);
        user.accessLevels[XrtBrugRecord::ProgramEntry] = XrtBrugRecord::ViewOnly;
        const auto bytes = user.bytes();
        ASSERT_EQ(DbUpdate(table::XrtBrug, 0, bytes.data(), XrtBrugRecord::Size), DbStatus::Success);
    }
    bool readOnly = false;
    MCFODlg dialog("001:125", "GW", true, operationsWithEditor([&readOnly](QWidget*, const EditorRequest& r) {
                       readOnly = r.readOnly;
                       return EditorResult::Cancel;
                   }));
    select(dialog.list(), {4});
    button(dialog, "editButton")->click();
    EXPECT_TRUE(readOnly);
}

TEST_F(MCFODlgTest, ClosingWritesTheBackupOnlyWhileEditable)
{
    int backups = 0;
    ListOperations operations;
    operations.writeBackup = [&backups](MCFODlg&) { ++backups; };
    {
        MCFODlg dialog("001:125", "GW", true, operations);
        dialog.findChild<QPushButton*>("closeButton")->click();
    }
    {
        MCFODlg dialog("001:125", "GW", false, operations);
        dialog.findChild<QPushButton*>("closeButton")->click();
    }
    EXPECT_EQ(backups, 1);
}

TEST_F(MCFODlgTest, TotalMemoryZeroShowsNothingUsed)
{
    appState().capacity.totalMemory = 0;
    appState().capacity.freeMemory = 0;
    MCFODlg dialog("001:125", "GW", true, {});
    EXPECT_EQ(dialog.findChild<QProgressBar*>("usedSpaceBar")->value(), 0);
}

} // namespace
