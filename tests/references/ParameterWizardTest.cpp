#include "CheckedScript.h"
#include "model/McdefRecord.h"
#include "protocol/TypeCatalogue.h"
#include "references/DefPaDlg.h"
#include "references/IOList.h"
#include "references/ParameterDefinitions.h"
#include "references/ParWSelectQebDlg.h"
#include "references/ParWSelectTypeDlg.h"
#include "references/SelPaDlg.h"
#include "ReferenceTestTools.h"
#include "support/OrpaPaths.h"
#include "support/Profile.h"
#include "support/RecordStore.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <filesystem>

namespace {

using refs::automaticRowOf;
using refs::rowOf;
using refs::storedTriples;

QPushButton* button(QDialog& dialog, const char* name) { return dialog.findChild<QPushButton*>(name); }
QListWidget* listBox(QDialog& dialog, const char* name) { return dialog.findChild<QListWidget*>(name); }

// The visible part of the items of a list box (the text before the tab).
QStringList shown(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text().section('\t', 0, 0).trimmed();
    return texts;
}

int indexOf(const QListWidget* list, const QString& text) { return int(shown(list).indexOf(text)); }

const QString KeepChangesQuestion =
    "Parameter definition setup for one or more QEB's has been changed .Do you want to keep the changes ?";

class ParameterWizardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.ok());
        m_group.list = &m_editorList;
        m_group.blockType = BlockType::Output;
        m_group.blockNumbers = {1, 2, 0, 0};
    }

    // Day/Night Contr. outputs: function parameter 6, class 248.
    // The selection dialog, shown, so that a test sees whether it stays open.
    std::unique_ptr<SelPaDlg> openSelection()
    {
        auto dialog = std::make_unique<SelPaDlg>("Outputs", FunctionType::DayNightControl, "001:125", m_group);
        dialog->show();
        return dialog;
    }
    static void choose(IOList& list, std::initializer_list<int> rows)
    {
        list.clearRowSelection();
        for (int row : rows) {
            ASSERT_GE(row, 0);
            list.setRowSelected(row, true);
        }
    }

    // Page 1: choose an entry and go on.
    void expectNextOnPageOne(int entryRow = 0)
    {
        m_script.expectDialog("ParWSelectQebDlg", [entryRow](QDialog& d) {
            auto& page = static_cast<ParWSelectQebDlg&>(d);
            page.list().setRowSelected(entryRow, true);
            button(d, "nextButton")->click();
            return d.result();
        });
    }
    void expectButtonOnPageOne(const char* name)
    {
        m_script.expectDialog("ParWSelectQebDlg", [name](QDialog& d) {
            button(d, name)->click();
            return d.result();
        });
    }
    // Page 2: every controller of the identification, or this one only.
    void expectNextOnPageTwo(bool allControllers)
    {
        m_script.expectDialog("ParWSelectTypeDlg", [allControllers](QDialog& d) {
            d.findChild<QRadioButton*>(allControllers ? "identRadio" : "nodeRadio")->click();
            button(d, "nextButton")->click();
            return d.result();
        });
    }
    // Page 3: add one parameter of the first function and go on.
    void expectAddOnPageThree(const QString& parameter)
    {
        m_script.expectDialog("DefPaDlg", [parameter](QDialog& d) {
            listBox(d, "parameterList")->setCurrentRow(indexOf(listBox(d, "parameterList"), parameter));
            button(d, "addButton")->click();
            button(d, "nextButton")->click();
            return d.result();
        });
    }

    TestHome m_home;
    CheckedScript m_script;
    IOList m_editorList;
    ReferenceGroup m_group;
};

TEST_F(ParameterWizardTest, IdentificationDefinitionsMarkAControllerPlus)
{
    auto dialog = openSelection();
    IOList& list = dialog->candidates();
    choose(list, {rowOf(list, "002", 15, 2, 1), rowOf(list, "040", 0, 0, 0), rowOf(list, "020", 0, 0, 0)});
    m_script.expectDialog("ParWSelectQebDlg", [](QDialog& d) {
        auto& page = static_cast<ParWSelectQebDlg&>(d);
        EXPECT_EQ(d.windowTitle(), "Define parameters");
        EXPECT_EQ(d.property("dialogId").toInt(), 9);
        EXPECT_EQ(page.list().rowCount(), 2) << "rows with errors are left out";
        EXPECT_EQ(page.list().text(0, WizardQebList::AddressColumn), "002");
        EXPECT_EQ(page.list().text(0, WizardQebList::MarkColumn), "+") << "EVA-100 is defined under 255:255";
        EXPECT_EQ(page.list().text(1, WizardQebList::MarkColumn), "-");
        EXPECT_EQ(page.list().text(1, WizardQebList::IdentColumn), "PAK-400");
        EXPECT_FALSE(button(d, "finishButton")->isEnabled());
        EXPECT_FALSE(button(d, "nextButton")->isEnabled()) << "no controller chosen yet";
        page.list().setRowSelected(1, true);
        EXPECT_TRUE(button(d, "nextButton")->isEnabled());
        button(d, "cancelButton")->click();
        return d.result();
    });
    button(*dialog, "defineButton")->click();
    EXPECT_TRUE(m_script.allAnswered());
}

TEST_F(ParameterWizardTest, DefiningParametersMakesTheControllerPlusAndFinishRefillsTheList)
{
    auto dialog = openSelection();
    IOList& list = dialog->candidates();
    choose(list, {rowOf(list, "040", 0, 0, 0)});
    m_script.expectDialog("ParWSelectQebDlg", [](QDialog& d) {
        auto& page = static_cast<ParWSelectQebDlg&>(d);
        EXPECT_FALSE(button(d, "finishButton")->isEnabled());
        page.list().setRowSelected(0, true);
        button(d, "nextButton")->click();
        return d.result();
    });
    m_script.expectDialog("ParWSelectTypeDlg", [](QDialog& d) {
        auto* all = d.findChild<QRadioButton*>("identRadio");
        auto* node = d.findChild<QRadioButton*>("nodeRadio");
        EXPECT_EQ(all->text(), "PAK-400");
        EXPECT_EQ(node->text(), "001:040");
        EXPECT_TRUE(all->isChecked()) << "the first choice is every controller of the identification";
        button(d, "nextButton")->click();
        return d.result();
    });
    m_script.expectDialog("DefPaDlg", [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Define Parameters for 'PAK-400'");
        EXPECT_EQ(shown(listBox(d, "functionList")),
                  (QStringList{"Compressors", "Alarms", "Condenser", "Suction A", "Suction B"}));
        QListWidget* parameters = listBox(d, "parameterList");
        EXPECT_EQ(shown(parameters),
                  (QStringList{"Main switch", "Day/night input", "Compressor on request", "Compressor running"}));
        EXPECT_TRUE(parameters->item(1)->text().endsWith("\t015002001"));
        EXPECT_FALSE(button(d, "addButton")->isEnabled());
        parameters->setCurrentRow(1);
        EXPECT_TRUE(button(d, "addButton")->isEnabled());
        button(d, "addButton")->click();
        button(d, "addButton")->click();
        EXPECT_EQ(shown(listBox(d, "definedList")), QStringList{"Day/night input"});
        button(d, "nextButton")->click();
        return d.result();
    });
    m_script.expectMessage("This QEB parameter is already in the list.");
    m_script.expectDialog("ParWSelectQebDlg", [](QDialog& d) {
        auto& page = static_cast<ParWSelectQebDlg&>(d);
        EXPECT_EQ(page.list().text(0, WizardQebList::MarkColumn), "+");
        EXPECT_TRUE(page.list().isRowSelected(0)) << "the controller chosen before";
        EXPECT_TRUE(button(d, "finishButton")->isEnabled());
        button(d, "finishButton")->click();
        return d.result();
    });
    button(*dialog, "selectButton")->click();

    EXPECT_EQ(storedTriples("PAK-400", "255:255", 6), std::vector<std::string>{"15,2,1"});
    EXPECT_GE(rowOf(list, "040", 15, 2, 1), 0) << "the list was filled again";
    EXPECT_GE(rowOf(list, "041", 15, 2, 1), 0) << "defined for every PAK-400";
    EXPECT_LT(rowOf(list, "040", 0, 0, 0), 0);
    EXPECT_TRUE(dialog->isVisible()) << "the selection dialog stays";
    EXPECT_EQ(m_editorList.rowCount(), 0);
}

TEST_F(ParameterWizardTest, AnsweringNoBringsBackTheTableAsItWasWhenTheDialogOpened)
{
    const auto before = refs::allDefinitions();
    auto dialog = openSelection();
    IOList& list = dialog->candidates();

    // A first run whose changes are kept.
    choose(list, {rowOf(list, "040", 0, 0, 0)});
    expectNextOnPageOne();
    expectNextOnPageTwo(true);
    expectAddOnPageThree("Main switch");
    expectButtonOnPageOne("finishButton");
    button(*dialog, "defineButton")->click();
    ASSERT_EQ(storedTriples("PAK-400", "255:255", 6), std::vector<std::string>{"15,1,1"});

    // A second run empties the node's own list, then is cancelled and not kept.
    choose(list, {rowOf(list, "001", 15, 1, 1)});
    expectNextOnPageOne();
    expectNextOnPageTwo(false);
    m_script.expectDialog("DefPaDlg", [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Define Parameters for '001:001'");
        QListWidget* defined = listBox(d, "definedList");
        EXPECT_EQ(shown(defined), (QStringList{"Main switch", "Day/night input"}));
        for (int i = 0; i < 2; ++i) {
            defined->setCurrentRow(0);
            button(d, "removeButton")->click();
            EXPECT_FALSE(button(d, "removeButton")->isEnabled());
        }
        button(d, "nextButton")->click();
        return d.result();
    });
    m_script.expectMessage("Are you sure you want to delete the selected parameter", IDYES);
    m_script.expectMessage("Are you sure you want to delete the selected parameter", IDYES);
    expectButtonOnPageOne("cancelButton");
    m_script.expectMessage(KeepChangesQuestion, IDNO);
    button(*dialog, "defineButton")->click();

    EXPECT_EQ(refs::allDefinitions(), before) << "both runs undone";
    EXPECT_TRUE(RecordStore::instance().isOpen(table::McParDef));
    EXPECT_GE(rowOf(list, "041", 15, 1, 1), 0) << "the list is not filled again after No";
}

TEST_F(ParameterWizardTest, KeepingChangesAfterCancelFillsTheListAgain)
{
    auto dialog = openSelection();
    IOList& list = dialog->candidates();
    choose(list, {rowOf(list, "050", 0, 0, 0), automaticRowOf(list, "001")});
    expectNextOnPageOne(1);
    expectNextOnPageTwo(false);
    m_script.expectDialog("DefPaDlg", [](QDialog& d) {
        QListWidget* functions = listBox(d, "functionList");
        functions->setCurrentRow(indexOf(functions, "Digital inputs"));
        listBox(d, "parameterList")->setCurrentRow(0);
        button(d, "addButton")->click();
        button(d, "cancelButton")->click();
        return d.result();
    });
    m_script.expectMessage("The parameter list has been changed. Do you want to save the changes ?", IDYES);
    m_script.expectMessage(KeepChangesQuestion, IDYES);
    button(*dialog, "defineButton")->click();

    EXPECT_EQ(storedTriples("ODS-5", "001:050", 6), std::vector<std::string>{"2,1,1"});
    const int defined = rowOf(list, "050", 2, 1, 1);
    ASSERT_GE(defined, 0);
    EXPECT_EQ(list.text(defined, IOList::ParameterColumn), "Digital input 1");
    EXPECT_TRUE(list.isRowSelected(automaticRowOf(list, "001"))) << "rows chosen before stay chosen";
}

TEST_F(ParameterWizardTest, BackAndCancelOnThePagesWithoutSaving)
{
    auto dialog = openSelection();
    IOList& list = dialog->candidates();
    choose(list, {rowOf(list, "040", 0, 0, 0)});
    expectNextOnPageOne();
    expectNextOnPageTwo(false);
    m_script.expectDialog("DefPaDlg", [](QDialog& d) {
        d.show();
        listBox(d, "parameterList")->setCurrentRow(0);
        button(d, "addButton")->click();
        button(d, "backButton")->click();
        EXPECT_TRUE(d.isVisible()) << "Cancel stays on the page";
        button(d, "backButton")->click();
        return d.result();
    });
    const QString question = "The parameter list has been changed. Do you want to save the changes ?";
    m_script.expectMessage(question, IDCANCEL);
    m_script.expectMessage(question, IDNO);
    m_script.expectDialog("ParWSelectTypeDlg", [](QDialog& d) {
        EXPECT_TRUE(d.findChild<QRadioButton*>("nodeRadio")->isChecked()) << "the last choice of this run";
        button(d, "backButton")->click();
        return d.result();
    });
    expectButtonOnPageOne("cancelButton");
    button(*dialog, "defineButton")->click();
    EXPECT_TRUE(storedTriples("PAK-400", "001:040", 6).empty());
    EXPECT_GE(rowOf(list, "040", 0, 0, 0), 0);
}

class DefPaDlgTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_home.ok()); }

    TestHome m_home;
    CheckedScript m_script;
};

TEST_F(DefPaDlgTest, OffersGeneralParametersFirstAndOnlyTheGroupsClasses)
{
    refs::insertParameter("EVA100-V12", 5, 5, 9, 1, 251, "Service relay");
    refs::insertParameter("EVA100-V12", 5, 5, 8, 3, 250, "Drip tray temp.");
    DefPaDlg page({"255:255", "EVA-100", "EVA100-V12", {248, 251}, 6});
    ASSERT_FALSE(page.openingFailed());
    EXPECT_EQ(page.property("dialogId").toInt(), 8);
    QListWidget* functions = listBox(page, "functionList");
    QListWidget* parameters = listBox(page, "parameterList");
    EXPECT_EQ(shown(functions), (QStringList{"Thermostat", "Regulation", "Alarms", "Defrost", "Injection"}))
        << "functions 0 and 15 are never listed";
    EXPECT_EQ(functions->currentRow(), 0);
    for (int f = 0; f < functions->count(); ++f) {
        functions->setCurrentRow(f);
        const QStringList offered = shown(parameters);
        ASSERT_GE(offered.size(), 2) << functions->item(f)->text().toStdString();
        EXPECT_EQ(offered.mid(0, 2), (QStringList{"Main switch", "Day/night input"}));
        EXPECT_FALSE(offered.contains("Service relay")) << "class 251";
        EXPECT_FALSE(offered.contains("Drip tray temp.")) << "class 250 is not the group's";
        EXPECT_FALSE(offered.contains("Controller state"));
    }
    functions->setCurrentRow(indexOf(functions, "Defrost"));
    EXPECT_EQ(shown(parameters), (QStringList{"Main switch", "Day/night input", "Defrost start", "Defrost relay",
                                              "Hold after defrost"}));
    EXPECT_EQ(shown(listBox(page, "definedList")), QStringList{"Day/night input"});
    EXPECT_FALSE(button(page, "removeButton")->isEnabled());
}

TEST_F(DefPaDlgTest, RemovingEveryItemAndSavingDeletesTheDefinitions)
{
    DefPaDlg page({"001:001", "EVA-100", "EVA100-V14", {248}, 6});
    QListWidget* defined = listBox(page, "definedList");
    ASSERT_EQ(defined->count(), 2);
    defined->setCurrentRow(0);
    EXPECT_TRUE(button(page, "removeButton")->isEnabled());
    m_script.expectMessage("Are you sure you want to delete the selected parameter", IDNO);
    button(page, "removeButton")->click();
    EXPECT_EQ(defined->count(), 2);
    for (int i = 0; i < 2; ++i) {
        defined->setCurrentRow(0);
        m_script.expectMessage("Are you sure you want to delete the selected parameter", IDYES);
        button(page, "removeButton")->click();
    }
    EXPECT_EQ(defined->count(), 0);
    EXPECT_FALSE(page.definitionsChanged()) << "nothing written before the page is left";
    EXPECT_EQ(storedTriples("EVA-100", "001:001", 6).size(), 2u);
    button(page, "nextButton")->click();
    EXPECT_EQ(page.result(), 38);
    EXPECT_TRUE(page.definitionsChanged());
    EXPECT_TRUE(storedTriples("EVA-100", "001:001", 6).empty());
    EXPECT_EQ(storedTriples("EVA-100", "255:255", 6), std::vector<std::string>{"15,2,1"});
}

TEST_F(DefPaDlgTest, UnchangedPagesWriteNothing)
{
    DefPaDlg page({"255:255", "EVA-100", "EVA100-V14", {248}, 6});
    button(page, "nextButton")->click();
    EXPECT_EQ(page.result(), 38);
    EXPECT_FALSE(page.definitionsChanged());
    DefPaDlg back({"255:255", "EVA-100", "EVA100-V14", {248}, 6});
    button(back, "backButton")->click();
    EXPECT_EQ(back.result(), 3);
    DefPaDlg cancel({"255:255", "EVA-100", "EVA100-V14", {248}, 6});
    cancel.reject();
    EXPECT_EQ(cancel.result(), 2);
}

TEST_F(DefPaDlgTest, TheTextModeRelabelsEveryList)
{
    DefPaDlg page({"001:001", "EVA-100", "EVA100-V14", {248}, 6});
    QListWidget* functions = listBox(page, "functionList");
    QListWidget* parameters = listBox(page, "parameterList");
    functions->setCurrentRow(indexOf(functions, "Defrost"));
    parameters->setCurrentRow(indexOf(parameters, "Hold after defrost"));
    page.findChild<QRadioButton*>("customRadio")->click();
    EXPECT_EQ(GetPrivateProfileString("QEBCtrl", "TxtMode", "", OrpaIniFile()), "1");
    EXPECT_EQ(shown(functions).front(), "Air thermostat");
    EXPECT_EQ(functions->currentItem()->text(), "Defrost") << "the chosen function stays chosen";
    EXPECT_EQ(parameters->currentItem()->text().section('\t', 0, 0).trimmed(), "Drip-off hold");
    EXPECT_TRUE(button(page, "addButton")->isEnabled());
    EXPECT_EQ(shown(listBox(page, "definedList")), (QStringList{"Case main switch", "Night cover"}));
    page.findChild<QRadioButton*>("defaultRadio")->click();
    EXPECT_EQ(shown(listBox(page, "definedList")), (QStringList{"Main switch", "Day/night input"}));
}

TEST_F(DefPaDlgTest, ADefinitionWithoutParameterIsLeftOutAndDeletedWithTheNextSave)
{
    refs::insertDefinition("EVA-100", "255:255", 6, 9, 9, 9);
    m_script.expectMessage(QString::fromStdString("Error on database 'QEBDES' Return code = 0\n"
                                                   + RecordStore::instance().tableFile("QEBDES")));
    DefPaDlg page({"255:255", "EVA-100", "EVA100-V14", {248}, 6});
    ASSERT_FALSE(page.openingFailed());
    EXPECT_EQ(shown(listBox(page, "definedList")), QStringList{"Day/night input"});
    listBox(page, "parameterList")->setCurrentRow(0);
    button(page, "addButton")->click();
    button(page, "nextButton")->click();
    EXPECT_EQ(storedTriples("EVA-100", "255:255", 6), (std::vector<std::string>{"15,1,1", "15,2,1"}));
}

TEST_F(DefPaDlgTest, ADatabaseErrorEndsThePage)
{
    std::filesystem::remove(DataFilePath(DefinitionFile));
    m_script.expectMessage(QString::fromStdString("Error on database 'MCPARDEF' Return code = 2\n"
                                                   + RecordStore::instance().tableFile("MCPARDEF")));
    DefPaDlg page({"255:255", "EVA-100", "EVA100-V14", {248}, 6});
    EXPECT_TRUE(page.openingFailed());
    EXPECT_EQ(page.result(), -1);
}

} // namespace
