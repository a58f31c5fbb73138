#include "CheckedScript.h"
#include "model/McdefRecord.h"
#include "protocol/TypeCatalogue.h"
#include "references/IOList.h"
#include "references/ParameterDefinitions.h"
#include "references/ParWSelectQebDlg.h"
#include "references/SelPaDlg.h"
#include "ReferenceTestTools.h"
#include "support/OrpaPaths.h"
#include "support/Profile.h"
#include "support/RecordStore.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

using refs::automaticRowOf;
using refs::rowOf;

class SelPaDlgTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_home.ok()); }

    ReferenceGroup group(uint8_t blockType)
    {
        ReferenceGroup g;
        g.list = &m_editorList;
        g.blockType = blockType;
        g.blockNumbers = {1, 2, 0, 0};
        g.iconId = 3;
        return g;
    }
    // Day/Night Contr. outputs: automatic and parameter references (function parameter 6), 120 each.
    ReferenceGroup dayNightOutputs() { return group(BlockType::Output); }
    // QEB On inputs: one automatic or one parameter reference (function parameter 4), not mixed.
    ReferenceGroup controllerOnInputs() { return group(BlockType::Input); }

    // A row of the editor's list as loading an existing function gives it.
    void editorRow(const std::string& address, uint8_t p1, uint8_t p2, uint8_t p3, uint16_t flags = 0,
                   uint8_t parameterClass = 0)
    {
        const bool automatic = p1 == AutomaticParameter;
        m_editorList.AddRow(flags ? ReferenceStatus::Warning : ReferenceStatus::Valid, address, "",
                            automatic ? "--Automatic--" : "Day/night input", "",
                            flags ? "Parameter needs approval." : "", "EVA-100", "EVA100-V14", flags, p1, p2, p3,
                            parameterClass, 32);
        m_editorList.SetModified(false);
    }

    static QPushButton* button(QDialog& dialog, const char* name) { return dialog.findChild<QPushButton*>(name); }
    static void choose(IOList& list, std::initializer_list<int> rows)
    {
        list.clearRowSelection();
        for (int row : rows) {
            ASSERT_GE(row, 0);
            list.setRowSelected(row, true);
        }
    }

    TestHome m_home;
    CheckedScript m_script;
    IOList m_editorList;
};

TEST_F(SelPaDlgTest, OpensWithTheGroupsRowsSelectedAndKeepsARestoreCopy)
{
    editorRow("001", 255, 255, 255);
    SelPaDlg dialog("Outputs", FunctionType::DayNightControl, "001:125", dayNightOutputs());
    ASSERT_FALSE(dialog.openingFailed());
    EXPECT_EQ(dialog.windowTitle(), "Select Outputs - Day/Night Contr.");
    EXPECT_EQ(dialog.property("dialogId").toInt(), 6);
    EXPECT_EQ(button(dialog, "selectButton")->text(), "&Select");
    EXPECT_TRUE(dialog.findChild<QRadioButton*>("defaultRadio")->isChecked());
    EXPECT_EQ(dialog.candidates().selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(dialog.candidates().selectedRows(), std::vector<int>{automaticRowOf(dialog.candidates(), "001")});
    EXPECT_TRUE(button(dialog, "selectButton")->isEnabled());
    EXPECT_TRUE(button(dialog, "defineButton")->isEnabled());
    EXPECT_TRUE(fs::exists(DataFilePath(DefinitionRestoreFile)));
    EXPECT_EQ(m_editorList.rowCount(), 1);
    EXPECT_EQ(m_script.waitCursorDepth(), 0);

    SelPaDlg single("Inputs", FunctionType::QebOn, "001:125", controllerOnInputs());
    EXPECT_EQ(single.candidates().selectionMode(), QAbstractItemView::SingleSelection);
}

TEST_F(SelPaDlgTest, SelectHandsTheChosenRowsToTheEditor)
{
    editorRow("001", 255, 255, 255);
    SelPaDlg dialog("Outputs", FunctionType::DayNightControl, "001:125", dayNightOutputs());
    IOList& list = dialog.candidates();
    choose(list, {automaticRowOf(list, "002"), rowOf(list, "003", 15, 2, 1)});
    button(dialog, "selectButton")->click();
    EXPECT_EQ(dialog.result(), IDOK);
    ASSERT_EQ(m_editorList.rowCount(), 2);
    EXPECT_GE(automaticRowOf(m_editorList, "002"), 0);
    EXPECT_GE(rowOf(m_editorList, "003", 15, 2, 1), 0);
    EXPECT_LT(automaticRowOf(m_editorList, "001"), 0) << "the list is replaced by the chosen rows";
    EXPECT_TRUE(m_editorList.IsModified());
}

TEST_F(SelPaDlgTest, CancelLeavesTheEditorsListAsItWas)
{
    editorRow("001", 255, 255, 255);
    SelPaDlg dialog("Outputs", FunctionType::DayNightControl, "001:125", dayNightOutputs());
    choose(dialog.candidates(), {rowOf(dialog.candidates(), "003", 15, 2, 1)});
    button(dialog, "cancelButton")->click();
    EXPECT_EQ(dialog.result(), IDCANCEL);
    ASSERT_EQ(m_editorList.rowCount(), 1);
    EXPECT_GE(automaticRowOf(m_editorList, "001"), 0);
    EXPECT_FALSE(m_editorList.IsModified());
}

TEST_F(SelPaDlgTest, TwoAutomaticRowsWhereOneIsAllowed)
{
    editorRow("001", 255, 255, 255);
    editorRow("002", 255, 255, 255);
    SelPaDlg dialog("Inputs", FunctionType::QebOn, "001:125", controllerOnInputs());
    ASSERT_EQ(dialog.candidates().selectedRows().size(), 2u) << "the group's rows come selected";
    dialog.show();
    m_script.expectMessage(
        "Number of selected QEB's with automatic parameter selection support are 2.Max allowed number  are 1");
    button(dialog, "selectButton")->click();
    EXPECT_EQ(m_script.beeps(), 1);
    EXPECT_EQ(m_script.prompts().back().style, MB::Ok | MB::IconStop);
    EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open";
    EXPECT_EQ(dialog.candidates().selectedRows().size(), 2u) << "with the operator's selection";
    EXPECT_EQ(m_editorList.rowCount(), 2);
}

TEST_F(SelPaDlgTest, TooManyParameterRows)
{
    refs::insertDefinition("PAK-400", "255:255", 4, 1, 1, 1);
    SelPaDlg dialog("Inputs", FunctionType::QebOn, "001:125", controllerOnInputs());
    IOList& list = dialog.candidates();
    choose(list, {rowOf(list, "040", 1, 1, 1), rowOf(list, "041", 1, 1, 1)});
    dialog.show();
    m_script.expectMessage("Number of selected QEB parameters are 2. Max allowed number  are 1");
    button(dialog, "selectButton")->click();
    EXPECT_EQ(m_script.beeps(), 0) << "no beep before the parameter count message";
    EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open";
    EXPECT_EQ(m_editorList.rowCount(), 0);
}

TEST_F(SelPaDlgTest, AutomaticAndParameterRowsAreNotMixedWhereTheSlotForbidsIt)
{
    SelPaDlg dialog("Inputs", FunctionType::QebOn, "001:125", controllerOnInputs());
    dialog.show();
    IOList& list = dialog.candidates();
    choose(list, {automaticRowOf(list, "001"), rowOf(list, "040", 1, 1, 1)});
    m_script.expectMessage("Automatic and QEB parameter based references must not be mixed.");
    button(dialog, "selectButton")->click();
    EXPECT_EQ(m_script.prompts().back().style, MB::Ok | MB::IconExclamation);
    EXPECT_TRUE(dialog.isVisible());

    choose(list, {rowOf(list, "040", 1, 1, 1)});
    button(dialog, "selectButton")->click();
    EXPECT_EQ(dialog.result(), IDOK);
    ASSERT_EQ(m_editorList.rowCount(), 1);
    EXPECT_EQ(m_editorList.row(0).parameterClass, 248);
}

TEST_F(SelPaDlgTest, AControllerWithoutDescriptionCannotBeTaken)
{
    SelPaDlg dialog("Outputs", FunctionType::DayNightControl, "001:125", dayNightOutputs());
    dialog.show();
    IOList& list = dialog.candidates();
    const int broken = rowOf(list, "020", 0, 0, 0);
    ASSERT_GE(broken, 0);
    EXPECT_EQ(list.text(broken, IOList::MarkColumn), "!");
    EXPECT_EQ(list.text(broken, IOList::MessageColumn), "No QEB description: EVA100-V09");

    EXPECT_FALSE(button(dialog, "selectButton")->isEnabled()) << "nothing chosen";
    choose(list, {broken});
    EXPECT_TRUE(button(dialog, "selectButton")->isEnabled());
    EXPECT_FALSE(button(dialog, "defineButton")->isEnabled()) << "nothing to define for an error row";
    choose(list, {broken, automaticRowOf(list, "001")});
    EXPECT_TRUE(button(dialog, "defineButton")->isEnabled());

    m_script.expectMessage("Parameter references with errors are selected.");
    button(dialog, "selectButton")->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(m_editorList.rowCount(), 0);
}

TEST_F(SelPaDlgTest, TakingANotDefinedControllerRunsTheWizard)
{
    SelPaDlg dialog("Outputs", FunctionType::DayNightControl, "001:125", dayNightOutputs());
    dialog.show();
    IOList& list = dialog.candidates();
    const int pack = rowOf(list, "040", 0, 0, 0);
    ASSERT_GE(pack, 0);
    EXPECT_EQ(list.text(pack, IOList::MarkColumn), "-");
    EXPECT_EQ(list.text(pack, IOList::MessageColumn), "Not defined");
    choose(list, {pack, automaticRowOf(list, "001")});
    m_script.expectDialog("ParWSelectQebDlg", [](QDialog& d) {
        auto& page = static_cast<ParWSelectQebDlg&>(d);
        EXPECT_EQ(page.list().rowCount(), 1) << "only the \"Not defined\" controllers";
        EXPECT_EQ(page.list().text(0, WizardQebList::AddressColumn), "040");
        EXPECT_EQ(page.list().text(0, WizardQebList::MarkColumn), "-");
        EXPECT_FALSE(page.findChild<QPushButton*>("finishButton")->isEnabled());
        page.findChild<QPushButton*>("cancelButton")->click();
        return d.result();
    });
    button(dialog, "selectButton")->click();
    EXPECT_TRUE(dialog.isVisible()) << "the selection dialog stays";
    EXPECT_EQ(m_editorList.rowCount(), 0);
}

TEST_F(SelPaDlgTest, RowsWaitingForApprovalAreConfirmedWhenTaken)
{
    editorRow("002", 15, 2, 1, ReferenceFlag::NeedsApproval, 248);
    SelPaDlg dialog("Outputs", FunctionType::DayNightControl, "001:125", dayNightOutputs());
    dialog.show();
    const QString question = "Some of the selected QEB  references are automatically inserted.\n"
                             "Would you like to check these parameters again ?";
    m_script.expectMessage(question, IDYES);
    button(dialog, "selectButton")->click();
    EXPECT_TRUE(dialog.isVisible()) << "Yes: the operator checks them again";
    EXPECT_EQ(m_editorList.row(0).flags, ReferenceFlag::NeedsApproval);

    m_script.expectMessage(question, IDNO);
    button(dialog, "selectButton")->click();
    EXPECT_EQ(dialog.result(), IDOK);
    ASSERT_EQ(m_editorList.rowCount(), 1);
    EXPECT_EQ(m_editorList.row(0).flags, 0);
    EXPECT_EQ(m_editorList.row(0).status, ReferenceStatus::Valid);
    EXPECT_EQ(m_editorList.row(0).message, "");
    EXPECT_TRUE(m_editorList.ReferencesValid());
}

TEST_F(SelPaDlgTest, TextModeButtonsWriteTheSettingAtOnce)
{
    SelPaDlg dialog("Outputs", FunctionType::DayNightControl, "001:125", dayNightOutputs());
    IOList& list = dialog.candidates();
    const int dayNight = rowOf(list, "006", 15, 2, 1);
    EXPECT_EQ(list.text(dayNight, IOList::ParameterColumn), "Day/night input");
    dialog.findChild<QRadioButton*>("customRadio")->click();
    EXPECT_EQ(GetPrivateProfileString("QEBCtrl", "TxtMode", "", OrpaIniFile()), "1");
    EXPECT_EQ(list.text(rowOf(list, "006", 15, 2, 1), IOList::ParameterColumn), "Night cover");
    dialog.findChild<QRadioButton*>("defaultRadio")->click();
    EXPECT_EQ(GetPrivateProfileString("QEBCtrl", "TxtMode", "", OrpaIniFile()), "0");
    EXPECT_EQ(list.text(rowOf(list, "006", 15, 2, 1), IOList::ParameterColumn), "Day/night input");

    m_home.setIni("ORPA.INI", "QEBCtrl", "TxtMode", "1");
    SelPaDlg custom("Outputs", FunctionType::DayNightControl, "001:125", dayNightOutputs());
    EXPECT_TRUE(custom.findChild<QRadioButton*>("customRadio")->isChecked());
}

TEST_F(SelPaDlgTest, AFailedCopyOfTheDefinitionsEndsTheDialogAsCancelled)
{
    editorRow("001", 255, 255, 255);
    const std::string restoreFile = DataFilePath(DefinitionRestoreFile);
    fs::create_directory(restoreFile);
    std::ofstream(restoreFile + "/blocker") << "x";
    fs::last_write_time(restoreFile, fs::file_time_type::clock::now() - std::chrono::hours(24));
    m_script.expectMessage("Failed to copy database 'MCPARDEF.DAT'");
    SelPaDlg dialog("Outputs", FunctionType::DayNightControl, "001:125", dayNightOutputs());
    EXPECT_TRUE(dialog.openingFailed());
    EXPECT_EQ(dialog.exec(), IDCANCEL);
    EXPECT_EQ(dialog.candidates().rowCount(), 0) << "not filled";
    ASSERT_EQ(m_editorList.rowCount(), 1);
    EXPECT_FALSE(m_editorList.IsModified());
}

TEST_F(SelPaDlgTest, AMissingDefinitionTableEndsTheDialogAsCancelled)
{
    editorRow("001", 255, 255, 255);
    fs::remove(DataFilePath(DefinitionFile));
    m_script.expectMessage(QString::fromStdString("Error on database 'MCPARDEF' Return code = 2\n"
                                                   + RecordStore::instance().tableFile("MCPARDEF")));
    SelPaDlg dialog("Outputs", FunctionType::DayNightControl, "001:125", dayNightOutputs());
    EXPECT_TRUE(dialog.openingFailed());
    EXPECT_EQ(dialog.exec(), IDCANCEL);
    EXPECT_EQ(m_editorList.rowCount(), 1);
    EXPECT_FALSE(fs::exists(DataFilePath(DefinitionRestoreFile))) << "nothing to copy";
}

} // namespace
