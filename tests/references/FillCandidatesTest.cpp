#include "CheckedScript.h"
#include "model/McdefRecord.h"
#include "protocol/TypeCatalogue.h"
#include "references/IOList.h"
#include "references/ParameterDefinitions.h"
#include "references/SelectionRules.h"
#include "ReferenceTestTools.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using refs::automaticRowOf;
using refs::rowOf;
using refs::rowsOf;

class FillCandidatesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_home.ok()); }

    // Fills the list as the selection dialog of a group does.
    bool fill(uint8_t type, uint8_t blockType, std::array<uint8_t, 4> blocks, bool select = true,
              const std::string& prefix = "001")
    {
        const GroupLimits limits = GroupLimitsOf(type, blockType, blocks);
        return m_candidates.FillCandidates(prefix, limits.automaticAllowed(), limits.minimumLevel,
                                           limits.parametersAllowed(), limits.functionParameter, limits.classes,
                                           m_target, select);
    }
    bool fillDayNightOutputs(bool select = true)
    {
        return fill(FunctionType::DayNightControl, BlockType::Output, {1, 2, 0, 0}, select);
    }
    std::string cell(int row, int column) const { return m_candidates.text(row, column).toStdString(); }

    TestHome m_home;
    CheckedScript m_script;
    IOList m_target;
    IOList m_candidates;
};

TEST_F(FillCandidatesTest, OffersEveryControllerOfTheNetwork)
{
    ASSERT_TRUE(fillDayNightOutputs());
    for (int i = 0; i < m_candidates.rowCount(); ++i)
        EXPECT_NE(m_candidates.row(i).address, "100") << "a display terminal is not a controller";
    EXPECT_EQ(m_candidates.row(0).address, "001") << "sorted by address";
    EXPECT_EQ(m_candidates.row(m_candidates.rowCount() - 1).address, "124");

    // 001:001, level 2: automatic, the general definition and its own two, 15,2,1 once.
    EXPECT_EQ(rowsOf(m_candidates, "001").size(), 3u);
    const int automatic = automaticRowOf(m_candidates, "001");
    ASSERT_GE(automatic, 0);
    EXPECT_EQ(cell(automatic, IOList::ParameterColumn), "--Automatic--");
    EXPECT_EQ(m_candidates.row(automatic).customText, "--Automatic--");
    EXPECT_EQ(m_candidates.row(automatic).nodeKind, 0);
    const int dayNight = rowOf(m_candidates, "001", 15, 2, 1);
    ASSERT_GE(dayNight, 0);
    EXPECT_EQ(cell(dayNight, IOList::ParameterColumn), "Day/night input");
    EXPECT_EQ(cell(dayNight, IOList::MarkColumn), " ");
    EXPECT_EQ(m_candidates.row(dayNight).parameterClass, 248);
    EXPECT_EQ(m_candidates.row(dayNight).nodeKind, 32);
    EXPECT_EQ(m_candidates.row(dayNight).idCode, "Dairy 1");
    EXPECT_GE(rowOf(m_candidates, "001", 15, 1, 1), 0) << "defined for the node only";

    EXPECT_LT(automaticRowOf(m_candidates, "008"), 0) << "support level 0 is below the slot's minimum 1";
    EXPECT_GE(rowOf(m_candidates, "008", 15, 2, 1), 0);
    EXPECT_EQ(rowsOf(m_candidates, "003").size(), 2u);
    EXPECT_EQ(m_candidates.row(rowOf(m_candidates, "003", 15, 2, 1)).customText, "Night blinds");
}

TEST_F(FillCandidatesTest, AControllerWithoutDescriptionIsListedOnceAsAnError)
{
    ASSERT_TRUE(fillDayNightOutputs());
    const std::vector<int> rows = rowsOf(m_candidates, "020");
    ASSERT_EQ(rows.size(), 2u) << "its automatic row and one error row";
    const int error = rowOf(m_candidates, "020", 0, 0, 0);
    ASSERT_GE(error, 0);
    EXPECT_EQ(cell(error, IOList::MarkColumn), "!");
    EXPECT_EQ(cell(error, IOList::MessageColumn), "No QEB description: EVA100-V09");
    EXPECT_EQ(m_candidates.row(error).flags, ReferenceFlag::NoDescription);
    EXPECT_GE(automaticRowOf(m_candidates, "020"), 0);

    m_candidates.DeleteAllRows();
    m_target.AddRow(ReferenceStatus::Error, "020", "Beverage cooler", "", "", "No QEB description:", "EVA-100",
                    "EVA100-V09", ReferenceFlag::NoDescription, 0, 0, 0, 0, 32);
    ASSERT_TRUE(fillDayNightOutputs());
    EXPECT_EQ(rowsOf(m_candidates, "020").size(), 2u) << "the group's own row stands for it";
}

TEST_F(FillCandidatesTest, ControllersWithNothingToOfferAreNotDefined)
{
    ASSERT_TRUE(fillDayNightOutputs());
    for (const char* address : {"040", "041", "050", "060", "061"}) {
        const std::vector<int> rows = rowsOf(m_candidates, address);
        ASSERT_EQ(rows.size(), 1u) << address;
        const ReferenceRow& row = m_candidates.row(rows[0]);
        EXPECT_EQ(row.flags, ReferenceFlag::NotDefined) << address;
        EXPECT_EQ(row.status, ReferenceStatus::Warning);
        EXPECT_EQ(cell(rows[0], IOList::MarkColumn), "-");
        EXPECT_EQ(cell(rows[0], IOList::MessageColumn), "Not defined");
        EXPECT_EQ(row.par1, 0);
    }
    EXPECT_LT(rowOf(m_candidates, "032", 0, 0, 0), 0) << "level 0, but RTH-20 is defined for every node";

    // Automatic references only: level decides, descriptions do not matter.
    m_candidates.DeleteAllRows();
    ASSERT_TRUE(fill(FunctionType::PeakShaving, BlockType::Output, {1, 0, 0, 0}));
    EXPECT_EQ(rowsOf(m_candidates, "020").size(), 1u);
    EXPECT_GE(automaticRowOf(m_candidates, "020"), 0);
    EXPECT_EQ(m_candidates.row(rowsOf(m_candidates, "040")[0]).flags, ReferenceFlag::NotDefined);
}

TEST_F(FillCandidatesTest, TheGroupsRowsComeFirstAndAreNotOfferedTwice)
{
    m_target.AddRow(ReferenceStatus::Warning, "002", "Dairy 2", "Day/night input", "Night cover",
                    "Parameter needs approval.", "EVA-100", "EVA100-V14", ReferenceFlag::NeedsApproval, 15, 2, 1, 248,
                    32);
    m_target.AddRow(ReferenceStatus::Valid, "070", "Ice cream 1", "--Automatic--", "", "", "EVA-100", "EVA100-V14", 0,
                    255, 255, 255, 0, 32);
    ASSERT_TRUE(fillDayNightOutputs(true));
    EXPECT_EQ(rowsOf(m_candidates, "002").size(), 2u);
    EXPECT_EQ(rowsOf(m_candidates, "070").size(), 2u);
    const int approval = rowOf(m_candidates, "002", 15, 2, 1);
    EXPECT_EQ(m_candidates.row(approval).flags, ReferenceFlag::NeedsApproval) << "the group's own row";
    EXPECT_EQ(m_candidates.selectedRows().size(), 2u);
    EXPECT_TRUE(m_candidates.isRowSelected(approval));
    EXPECT_TRUE(m_candidates.isRowSelected(automaticRowOf(m_candidates, "070")));
    EXPECT_EQ(m_target.rowCount(), 2) << "the target is only read";

    m_candidates.DeleteAllRows();
    ASSERT_TRUE(fillDayNightOutputs(false));
    EXPECT_TRUE(m_candidates.selectedRows().empty());
}

TEST_F(FillCandidatesTest, DefinitionsForEveryNodeAndForTheNodeAppearOnce)
{
    refs::insertDefinition("EVA-200", "001:003", 6, 15, 2, 1);
    refs::insertDefinition("EVA-200", "001:003", 6, 15, 1, 1);
    ASSERT_TRUE(fillDayNightOutputs());
    EXPECT_EQ(rowsOf(m_candidates, "003").size(), 3u);
    EXPECT_GE(rowOf(m_candidates, "003", 15, 1, 1), 0);
    EXPECT_EQ(rowsOf(m_candidates, "004").size(), 2u) << "another node of the identification";
    int dayNight = 0;
    for (int row : rowsOf(m_candidates, "001"))
        dayNight += m_candidates.row(row).par1 == 15 && m_candidates.row(row).par2 == 2;
    EXPECT_EQ(dayNight, 1);
}

TEST_F(FillCandidatesTest, OnlyParametersOfTheGroupsClassesAreOffered)
{
    refs::insertDefinition("EVA-100", "255:255", 6, 0, 2, 2);  // service code, class 251
    refs::insertDefinition("EVA-100", "255:255", 6, 4, 2, 3);  // alarm limit offset, class 250
    ASSERT_TRUE(fillDayNightOutputs());
    EXPECT_LT(rowOf(m_candidates, "002", 0, 2, 2), 0);
    EXPECT_LT(rowOf(m_candidates, "002", 4, 2, 3), 0);

    m_candidates.DeleteAllRows();
    ASSERT_TRUE(m_candidates.FillCandidates("001", false, 0, true, 3, {250}, m_target, false));
    EXPECT_GE(rowOf(m_candidates, "002", 4, 2, 3), 0);
    EXPECT_LT(rowOf(m_candidates, "002", 4, 1, 3), 0) << "class 249 is not in the list";
    ASSERT_GE(rowOf(m_candidates, "003", 4, 6, 3), 0);
    EXPECT_EQ(m_candidates.row(rowOf(m_candidates, "003", 4, 6, 3)).customText, "Alarm offset B")
        << "no custom text: the default one";
}

TEST_F(FillCandidatesTest, ABrokenDefinitionGivesAnErrorRow)
{
    refs::insertDefinition("EVA-100", "255:255", 6, 9, 9, 9);
    ASSERT_TRUE(fillDayNightOutputs());
    const int broken = rowOf(m_candidates, "002", 9, 9, 9);
    ASSERT_GE(broken, 0);
    EXPECT_EQ(m_candidates.row(broken).status, ReferenceStatus::Error);
    EXPECT_EQ(m_candidates.row(broken).flags, ReferenceFlag::NoParameter);
    EXPECT_EQ(cell(broken, IOList::ParameterColumn), "???");
    EXPECT_EQ(cell(broken, IOList::MessageColumn), "QEB description corrupted. EVA100-V14");
    EXPECT_GE(rowOf(m_candidates, "002", 15, 2, 1), 0);
}

TEST_F(FillCandidatesTest, OnlyTheNodesOfTheNetwork)
{
    ASSERT_TRUE(fill(FunctionType::DayNightControl, BlockType::Output, {1, 2, 0, 0}, true, "002"));
    for (int i = 0; i < m_candidates.rowCount(); ++i)
        EXPECT_NE(m_candidates.row(i).address, "125") << "the gateway is no controller";
    EXPECT_EQ(rowsOf(m_candidates, "001").size(), 2u);
    EXPECT_EQ(m_candidates.row(rowsOf(m_candidates, "001")[0]).idCode, "Dairy");
    EXPECT_TRUE(rowsOf(m_candidates, "003").empty());
}

TEST_F(FillCandidatesTest, DatabaseErrorsNameTheirTable)
{
    namespace fs = std::filesystem;
    fs::remove(DataFilePath(DefinitionFile));
    m_script.expectMessage("Error on database 'MCPARDEF' Return code = 2");
    EXPECT_FALSE(fillDayNightOutputs());

    fs::remove(DataFilePath("QEBDES.DAT"));
    m_script.expectMessage("Error on database 'QEBDES' Return code = 2");
    EXPECT_FALSE(fillDayNightOutputs());

    EXPECT_TRUE(fill(FunctionType::PeakShaving, BlockType::Output, {1, 0, 0, 0}))
        << "automatic references need neither table";

    fs::remove(DataFilePath("NETCNF.DAT"));
    m_script.expectMessage("Error on database 'NETCNF' Return code = 2");
    EXPECT_FALSE(fillDayNightOutputs());
    EXPECT_TRUE(m_candidates.redrawOn()) << "painting is on again";
}

} // namespace
