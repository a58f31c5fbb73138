#include "CheckedScript.h"
#include "model/McdefRecord.h"
#include "protocol/TypeCatalogue.h"
#include "references/ParameterDefinitions.h"
#include "references/SelectionRules.h"
#include "ReferenceTestTools.h"
#include "support/RecordStore.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> bytes(const std::vector<uint8_t>& v) { return v; }

TEST(GroupLimits, ComeFromTheSlotsOfTheGroup)
{
    const GroupLimits controllerOnInputs = GroupLimitsOf(FunctionType::QebOn, BlockType::Input, {1, 2, 0, 0});
    EXPECT_EQ(controllerOnInputs.automaticMaximum, 1);
    EXPECT_EQ(controllerOnInputs.minimumLevel, 1);
    EXPECT_EQ(controllerOnInputs.parameterMaximum, 1);
    EXPECT_EQ(controllerOnInputs.functionParameter, 4);
    EXPECT_EQ(controllerOnInputs.classes, bytes({248}));
    EXPECT_TRUE(controllerOnInputs.noMixing);
    EXPECT_TRUE(controllerOnInputs.singleSelection());

    const GroupLimits dayNightOutputs = GroupLimitsOf(FunctionType::DayNightControl, BlockType::Output, {1, 2, 0, 0});
    EXPECT_EQ(dayNightOutputs.automaticMaximum, 120);
    EXPECT_EQ(dayNightOutputs.parameterMaximum, 120);
    EXPECT_EQ(dayNightOutputs.functionParameter, 6);
    EXPECT_FALSE(dayNightOutputs.noMixing);
    EXPECT_FALSE(dayNightOutputs.singleSelection());

    const GroupLimits directAlarmOutputs = GroupLimitsOf(FunctionType::AlarmLimitDirect, BlockType::Output, {1, 2, 0, 0});
    EXPECT_EQ(directAlarmOutputs.classes, bytes({250, 249})) << "every parameter slot's class, in slot order";
    EXPECT_FALSE(directAlarmOutputs.automaticAllowed());

    const GroupLimits defrostInputs = GroupLimitsOf(FunctionType::CentralDefrost, BlockType::Input, {1, 2, 0, 0});
    EXPECT_EQ(defrostInputs.functionParameter, 8) << "the last parameter slot gives the function parameter";
    EXPECT_EQ(defrostInputs.parameterMaximum, 120);

    const GroupLimits alarmInput = GroupLimitsOf(FunctionType::AlarmLimitOffset, BlockType::Input, {1, 0, 2, 0});
    EXPECT_EQ(alarmInput.functionParameter, 1) << "block numbers end at the first 0";
    EXPECT_EQ(alarmInput.parameterMaximum, 1);
    EXPECT_TRUE(alarmInput.singleSelection()) << "one parameter and no automatic reference";

    const GroupLimits peakOutputs = GroupLimitsOf(FunctionType::PeakShaving, BlockType::Output, {1, 2, 0, 0});
    EXPECT_EQ(peakOutputs.parameterMaximum, 0) << "slot 2 does not exist for peak shaving";
    EXPECT_EQ(peakOutputs.automaticMaximum, 120);
}

TEST(GroupLimits, SingleSelectionRule)
{
    GroupLimits limits;
    limits.automaticMaximum = 1;
    limits.parameterMaximum = 120;
    EXPECT_FALSE(limits.singleSelection()) << "mixing allowed: several rows";
    limits.noMixing = true;
    EXPECT_TRUE(limits.singleSelection());
    limits.automaticMaximum = 0;
    limits.parameterMaximum = 1;
    limits.noMixing = false;
    EXPECT_TRUE(limits.singleSelection());
    limits.automaticMaximum = 120;
    EXPECT_FALSE(limits.singleSelection());
}

TEST(SelectionVerdicts, FollowTheDialogsOrder)
{
    GroupLimits limits = GroupLimitsOf(FunctionType::QebOn, BlockType::Input, {1, 2, 0, 0});
    ReferenceRow automatic;
    automatic.par1 = automatic.par2 = automatic.par3 = AutomaticParameter;
    ReferenceRow parameter;
    parameter.par1 = 1;
    ReferenceRow broken;
    broken.status = ReferenceStatus::Error;
    ReferenceRow notDefined;
    notDefined.flags = ReferenceFlag::NotDefined;
    notDefined.status = ReferenceStatus::Warning;
    ReferenceRow approval = parameter;
    approval.flags = ReferenceFlag::NeedsApproval;

    EXPECT_EQ(JudgeSelection(CountSelection({&automatic, &automatic, &broken}), limits),
              SelectionVerdict::ErrorsSelected);
    EXPECT_EQ(JudgeSelection(CountSelection({&notDefined, &automatic, &automatic}), limits),
              SelectionVerdict::NotDefinedSelected);
    EXPECT_EQ(JudgeSelection(CountSelection({&automatic, &automatic, &parameter, &parameter}), limits),
              SelectionVerdict::TooManyAutomatic);
    EXPECT_EQ(JudgeSelection(CountSelection({&automatic, &parameter, &parameter}), limits),
              SelectionVerdict::TooManyParameters);
    EXPECT_EQ(JudgeSelection(CountSelection({&automatic, &parameter}), limits), SelectionVerdict::Mixed);
    const SelectionCount taken = CountSelection({&approval});
    EXPECT_EQ(JudgeSelection(taken, limits), SelectionVerdict::Take);
    EXPECT_TRUE(taken.needsApproval);
    limits.noMixing = false;
    EXPECT_EQ(JudgeSelection(CountSelection({&automatic, &parameter}), limits), SelectionVerdict::Take);
}

TEST(ParameterItems, KeepTheNumbersInTheLastNineCharacters)
{
    const std::string offered = ParameterListItem("Day/night input", {15, 2, 1});
    EXPECT_EQ(offered, "Day/night input                    \t015002001");
    EXPECT_EQ(ParameterListItem(std::string(40, 'x'), {1, 1, 3}).find('\t'), 35u) << "cut to 35 characters";
    EXPECT_EQ(DefinedListItem("Day/night input", {15, 2, 1}).find('\t'), 31u);
    const auto triple = TripleOfItem(DefinedListItem("Injection on", {6, 1, 1}));
    ASSERT_TRUE(triple);
    EXPECT_EQ(*triple, (ParameterTriple{6, 1, 1}));
    EXPECT_EQ(TripleOfItem("short"), std::nullopt);
}

class DefinitionsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_home.ok()); }

    static void writeFile(const std::string& path, const std::string& content)
    {
        std::ofstream(path, std::ios::binary) << content;
    }
    static std::string readFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void setAge(const std::string& path, std::chrono::hours age)
    {
        fs::last_write_time(path, fs::file_time_type::clock::now() - age);
    }

    TestHome m_home;
    CheckedScript m_script;
};

TEST_F(DefinitionsTest, CopyRuleFollowsTheModificationTimes)
{
    const std::string source = DataFilePath("A.DAT");
    const std::string destination = DataFilePath("A.ORG");
    EXPECT_EQ(source, m_home.dataDir() + "A.DAT");

    EXPECT_TRUE(CopyDatabaseFile("A.DAT", "A.ORG", false)) << "no source: nothing to copy";
    EXPECT_FALSE(fs::exists(destination));

    // Two sound tables told apart by their bytes: the definitions and an empty one.
    const TableSchema& schema = *FindTableSchema(table::McParDef);
    DbClose(table::McParDef);
    fs::copy_file(DataFilePath(DefinitionFile), source);
    ASSERT_EQ(RecordStore::createTableFile(destination, schema), DbStatus::Success);
    const std::string definitions = readFile(source);
    setAge(destination, std::chrono::hours(2));
    EXPECT_TRUE(CopyDatabaseFile("A.DAT", "A.ORG", false));
    EXPECT_EQ(readFile(destination), definitions) << "an older destination is replaced";

    ASSERT_EQ(RecordStore::createTableFile(source, schema), DbStatus::Success);
    setAge(source, std::chrono::hours(3));
    EXPECT_TRUE(CopyDatabaseFile("A.DAT", "A.ORG", false));
    EXPECT_EQ(readFile(destination), definitions) << "a destination not older than the source stays";

    EXPECT_TRUE(CopyDatabaseFile("A.DAT", "A.ORG", true));
    EXPECT_NE(readFile(destination), definitions) << "forced: always copied";
    EXPECT_EQ(readFile(destination), readFile(source));
}

TEST_F(DefinitionsTest, FailedCopiesSaySoWithTheSourceName)
{
    m_script.expectMessage("Failed to copy database 'MISSING.ORG'");
    EXPECT_FALSE(CopyDatabaseFile("MISSING.ORG", "MCPARDEF.DAT", true)) << "forced copy of a missing file";
    EXPECT_EQ(m_script.beeps(), 1);

    fs::create_directory(DataFilePath("MCPARDEF.ORG"));
    writeFile(DataFilePath("MCPARDEF.ORG") + "/inside", "x");
    setAge(DataFilePath("MCPARDEF.ORG"), std::chrono::hours(24));
    m_script.expectMessage("Failed to copy database 'MCPARDEF.DAT'");
    EXPECT_FALSE(CopyDatabaseFile(DefinitionFile, DefinitionRestoreFile, false));

    ASSERT_EQ(RecordStore::createTableFile(DataFilePath("B.DAT"), *FindTableSchema(table::McParDef)),
              DbStatus::Success);
    writeFile(DataFilePath("B.DAT-wal"), "unwritten pages");
    m_script.expectMessage("Failed to copy database 'B.DAT'");
    EXPECT_FALSE(CopyDatabaseFile("B.DAT", "B.ORG", true)) << "a table with journal content is not copied";
    EXPECT_FALSE(fs::exists(DataFilePath("B.ORG")));
}

TEST_F(DefinitionsTest, RestoreBringsBackTheTableOfTheRestorePoint)
{
    const auto before = TestHome::records(table::McParDef);
    ASSERT_EQ(DbOpen(table::McParDef, DbMode::Normal), DbStatus::Success) << "open, as the program keeps it";
    ASSERT_TRUE(KeepDefinitionRestorePoint(nullptr));
    EXPECT_TRUE(fs::exists(DataFilePath(DefinitionRestoreFile)));
    refs::insertDefinition("PAK-400", "255:255", 6, 15, 2, 1);
    std::vector<DefinedItem> none;
    ASSERT_TRUE(SaveDefinitions({"EVA-100", "255:255", 6}, none, nullptr));
    ASSERT_NE(TestHome::records(table::McParDef), before);

    ASSERT_TRUE(RestoreDefinitions(nullptr));
    EXPECT_TRUE(RecordStore::instance().isOpen(table::McParDef)) << "open again after the copy";
    EXPECT_EQ(TestHome::records(table::McParDef), before);
}

TEST_F(DefinitionsTest, MarksLookForTheIdentificationFirstThenTheNode)
{
    std::vector<WizardEntry> entries = {
        {WizardEntry::Undefined, "017", "Freezer room", "EVA-100", "EVA100-V14"},
        {WizardEntry::Defined, "001", "Dairy 1", "EVA-100", "EVA100-V14"},
        {WizardEntry::Undefined, "003", "Meat 1", "EVA-200", "EVA200-V21"},
    };
    ASSERT_TRUE(ComputeMarks(entries, "001", 7, nullptr));
    EXPECT_EQ(entries[0].mark, WizardEntry::Defined) << "EVA-100 at 001:017 has its own definition";
    EXPECT_EQ(entries[1].mark, WizardEntry::Undefined) << "EVA-100 at 001:001 has none";
    EXPECT_EQ(entries[2].mark, WizardEntry::Defined) << "EVA-200 is defined under 255:255";
    ASSERT_TRUE(ComputeMarks(entries, "002", 7, nullptr));
    EXPECT_EQ(entries[0].mark, WizardEntry::Undefined) << "002:017 is another node";

    fs::remove(DataFilePath(DefinitionFile));
    m_script.expectMessage(QString::fromStdString("Error on database 'MCPARDEF' Return code = 2\n"
                                                   + RecordStore::instance().tableFile("MCPARDEF")));
    EXPECT_FALSE(ComputeMarks(entries, "001", 7, nullptr));
}

TEST_F(DefinitionsTest, FunctionsOfADescriptionLeaveOutInternalAndGeneral)
{
    std::vector<ControllerFunction> functions;
    ASSERT_EQ(ReadControllerFunctions("EVA100-V14", 0, functions), DbStatus::Success);
    std::vector<std::string> texts;
    std::vector<uint16_t> numbers;
    for (const ControllerFunction& f : functions) {
        texts.push_back(f.text);
        numbers.push_back(f.number);
    }
    EXPECT_EQ(numbers, (std::vector<uint16_t>{1, 3, 4, 5, 6, 7})) << "the functions of V12 and V14, once each";
    EXPECT_EQ(texts.front(), "Thermostat");
    functions.clear();
    ASSERT_EQ(ReadControllerFunctions("EVA100-V14", 1, functions), DbStatus::Success);
    EXPECT_EQ(functions.front().text, "Air thermostat");
    EXPECT_EQ(functions[2].text, "Alarm limits");
    EXPECT_EQ(functions[1].text, "Regulation") << "no custom text: the default one";
    functions.clear();
    ASSERT_EQ(ReadControllerFunctions("EVA100-V09", 0, functions), DbStatus::Success);
    EXPECT_TRUE(functions.empty());
}

TEST_F(DefinitionsTest, OfferedParametersPutGeneralFirstAndFilterTheClasses)
{
    refs::insertParameter("EVA100-V12", 5, 5, 9, 1, 251, "Service relay");
    refs::insertParameter("EVA100-V12", 15, 15, 9, 1, 251, "Service switch");
    const auto offered = [](uint16_t function, std::vector<uint8_t> classes, int textMode = 0) {
        std::vector<OfferedParameter> parameters;
        EXPECT_EQ(ReadOfferedParameters("EVA100-V12", function, classes, textMode, parameters), DbStatus::Success);
        std::vector<std::string> texts;
        for (const OfferedParameter& p : parameters)
            texts.push_back(p.text);
        return texts;
    };
    using Texts = std::vector<std::string>;
    EXPECT_EQ(offered(5, {248}), (Texts{"Main switch", "Day/night input", "Defrost start", "Defrost relay",
                                        "Hold after defrost"}));
    EXPECT_EQ(offered(1, {248}), (Texts{"Main switch", "Day/night input"})) << "general parameters with every function";
    EXPECT_EQ(offered(5, {248, 251}), offered(5, {248})) << "class 251 is never offered";
    EXPECT_EQ(offered(4, {250}), (Texts{"Alarm limit offset"}));
    EXPECT_EQ(offered(4, {249, 250}), (Texts{"High alarm limit", "Alarm limit offset", "Low alarm limit"}));
    EXPECT_EQ(offered(1, {248}, 1), (Texts{"Case main switch", "Night cover"}));
    EXPECT_EQ(offered(0, {0}), (Texts{"Software version"})) << "internal parameters of class 251 stay out";
}

TEST_F(DefinitionsTest, SavingMakesTheStoredListTheListedOne)
{
    const DefinitionKey node{"EVA-100", "001:001", 6};
    std::vector<ParameterTriple> stored;
    ASSERT_EQ(ReadDefinedTriples(node, stored), DbStatus::Success);
    EXPECT_EQ(stored, (std::vector<ParameterTriple>{{15, 1, 1}, {15, 2, 1}}));

    std::vector<DefinedItem> items{{{15, 2, 1}, false}, {{5, 6, 1}, false}};
    ASSERT_TRUE(SaveDefinitions(node, items, nullptr));
    EXPECT_TRUE(items[0].stored && items[1].stored);
    EXPECT_EQ(refs::storedTriples("EVA-100", "001:001", 6), (std::vector<std::string>{"5,6,1", "15,2,1"}));
    EXPECT_EQ(refs::storedTriples("EVA-100", "255:255", 6), (std::vector<std::string>{"15,2,1"})) << "untouched";

    std::vector<DefinedItem> none;
    ASSERT_TRUE(SaveDefinitions(node, none, nullptr));
    EXPECT_TRUE(refs::storedTriples("EVA-100", "001:001", 6).empty()) << "removing every item deletes every record";
    bool found = true;
    ASSERT_EQ(HasDefinitions(node, found), DbStatus::Success);
    EXPECT_FALSE(found);
    ASSERT_EQ(HasDefinitions({"EVA-100", "255:255", 6}, found), DbStatus::Success);
    EXPECT_TRUE(found);
}

TEST_F(DefinitionsTest, DescriptionsAreFoundOnlyWithTheirOwnKeyAndNumbers)
{
    QebDesRecord description;
    uint16_t status = 0;
    EXPECT_EQ(DescribeParameter("EVA100-V14", 5, 6, 1, description, status), DescriptionLookup::Found);
    EXPECT_EQ(description.customText, "Remote defrost");
    EXPECT_EQ(DescribeParameter("EVA100-V12", 5, 6, 1, description, status), DescriptionLookup::Missing)
        << "an extension's parameter is not in the older description";
    EXPECT_EQ(status, DbStatus::Success);
    EXPECT_EQ(DescribeParameter("RTH20-V10", 9, 9, 9, description, status), DescriptionLookup::Missing)
        << "the next description's record does not count";
    EXPECT_EQ(DescribeParameter("ZZZ", 1, 1, 1, description, status), DescriptionLookup::Missing);
    EXPECT_EQ(status, DbStatus::EndOfFile);
}

} // namespace
