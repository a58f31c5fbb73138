#include "CheckedScript.h"
#include "model/McdefRecord.h"
#include "protocol/TypeCatalogue.h"
#include "references/IOList.h"
#include "references/ParameterDefinitions.h"
#include "references/ReferenceRows.h"
#include "references/SelectionRules.h"
#include "ReferenceTestTools.h"
#include "support/RecordStore.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

// The candidate rows of one address, in the order read.
std::vector<CandidateRow> rowsOf(const std::vector<CandidateRow>& rows, const std::string& address)
{
    std::vector<CandidateRow> found;
    for (const CandidateRow& candidate : rows)
        if (candidate.row.address == address)
            found.push_back(candidate);
    return found;
}

const ReferenceRow* find(const std::vector<CandidateRow>& rows, const std::string& address, uint8_t p1, uint8_t p2,
                         uint8_t p3)
{
    for (const CandidateRow& candidate : rows)
        if (candidate.row.refersTo(address, p1, p2, p3, false))
            return &candidate.row;
    return nullptr;
}

const ReferenceRow* automaticOf(const std::vector<CandidateRow>& rows, const std::string& address)
{
    return find(rows, address, AutomaticParameter, AutomaticParameter, AutomaticParameter);
}

class FillCandidatesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_home.ok()); }

    // The candidates the selection dialog of a group reads.
    CandidateRowsRead read(uint8_t type, uint8_t blockType, std::array<uint8_t, 4> blocks,
                           const std::string& prefix = "001")
    {
        return ReadCandidateRows(prefix, GroupLimitsOf(type, blockType, blocks), m_group);
    }
    std::vector<CandidateRow> dayNightOutputs()
    {
        const CandidateRowsRead result = read(FunctionType::DayNightControl, BlockType::Output, {1, 2, 0, 0});
        EXPECT_FALSE(result.failure) << result.failure->table;
        return result.rows;
    }

    TestHome m_home;
    CheckedScript m_script;
    std::vector<ReferenceRow> m_group;
};

TEST_F(FillCandidatesTest, OffersEveryControllerOfTheNetwork)
{
    const std::vector<CandidateRow> rows = dayNightOutputs();
    EXPECT_TRUE(rowsOf(rows, "100").empty()) << "a display terminal is not a controller";

    // 001:001, level 2: automatic, the general definition and its own two, 15,2,1 once.
    EXPECT_EQ(rowsOf(rows, "001").size(), 3u);
    const ReferenceRow* automatic = automaticOf(rows, "001");
    ASSERT_TRUE(automatic);
    EXPECT_EQ(automatic->defaultText, "--Automatic--");
    EXPECT_EQ(automatic->customText, "--Automatic--");
    EXPECT_EQ(automatic->nodeKind, 0);
    const ReferenceRow* dayNight = find(rows, "001", 15, 2, 1);
    ASSERT_TRUE(dayNight);
    EXPECT_EQ(dayNight->defaultText, "Day/night input");
    EXPECT_EQ(dayNight->status, ReferenceStatus::Valid);
    EXPECT_EQ(dayNight->parameterClass, 248);
    EXPECT_EQ(dayNight->nodeKind, 32);
    EXPECT_EQ(dayNight->idCode, "Dairy 1");
    EXPECT_TRUE(find(rows, "001", 15, 1, 1)) << "defined for the node only";

    EXPECT_FALSE(automaticOf(rows, "008")) << "support level 0 is below the slot's minimum 1";
    EXPECT_TRUE(find(rows, "008", 15, 2, 1));
    EXPECT_EQ(rowsOf(rows, "003").size(), 2u);
    EXPECT_EQ(find(rows, "003", 15, 2, 1)->customText, "Night blinds");
}

TEST_F(FillCandidatesTest, AControllerWithoutDescriptionIsListedOnceAsAnError)
{
    std::vector<CandidateRow> rows = dayNightOutputs();
    ASSERT_EQ(rowsOf(rows, "020").size(), 2u) << "its automatic row and one error row";
    const ReferenceRow* error = find(rows, "020", 0, 0, 0);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->status, ReferenceStatus::Error);
    EXPECT_EQ(error->message, "No QEB description: EVA100-V09");
    EXPECT_EQ(error->flags, ReferenceFlag::NoDescription);
    EXPECT_TRUE(automaticOf(rows, "020"));

    ReferenceRow own;
    own.flags = ReferenceFlag::NoDescription;
    own.address = "020";
    own.ident = "EVA-100";
    own.message = "No QEB description:";
    own.descKey = "EVA100-V09";
    own.status = ReferenceStatus::Error;
    m_group.push_back(own);
    rows = dayNightOutputs();
    EXPECT_EQ(rowsOf(rows, "020").size(), 2u) << "the group's own row stands for it";
}

TEST_F(FillCandidatesTest, ControllersWithNothingToOfferAreNotDefined)
{
    std::vector<CandidateRow> rows = dayNightOutputs();
    for (const char* address : {"040", "041", "050", "060", "061"}) {
        const std::vector<CandidateRow> offered = rowsOf(rows, address);
        ASSERT_EQ(offered.size(), 1u) << address;
        const ReferenceRow& row = offered[0].row;
        EXPECT_EQ(row.flags, ReferenceFlag::NotDefined) << address;
        EXPECT_EQ(row.status, ReferenceStatus::Warning);
        EXPECT_EQ(row.message, "Not defined");
        EXPECT_EQ(row.par1, 0);
    }
    EXPECT_FALSE(find(rows, "032", 0, 0, 0)) << "level 0, but RTH-20 is defined for every node";

    // Automatic references only: level decides, descriptions do not matter.
    const CandidateRowsRead automaticOnly = read(FunctionType::PeakShaving, BlockType::Output, {1, 0, 0, 0});
    ASSERT_FALSE(automaticOnly.failure);
    rows = automaticOnly.rows;
    EXPECT_EQ(rowsOf(rows, "020").size(), 1u);
    EXPECT_TRUE(automaticOf(rows, "020"));
    EXPECT_EQ(rowsOf(rows, "040")[0].row.flags, ReferenceFlag::NotDefined);
}

TEST_F(FillCandidatesTest, TheGroupsRowsComeFirstAndAreNotOfferedTwice)
{
    ReferenceRow approval;
    approval.flags = ReferenceFlag::NeedsApproval;
    approval.par1 = 15;
    approval.par2 = 2;
    approval.par3 = 1;
    approval.address = "002";
    approval.status = ReferenceStatus::Warning;
    ReferenceRow automatic;
    automatic.par1 = automatic.par2 = automatic.par3 = AutomaticParameter;
    automatic.address = "070";
    m_group = {approval, automatic};
    const std::vector<CandidateRow> rows = dayNightOutputs();
    ASSERT_GT(rows.size(), 2u);
    EXPECT_TRUE(rows[0].ofGroup && rows[1].ofGroup);
    EXPECT_EQ(rows[0].row.address, "002");
    EXPECT_EQ(rows[1].row.address, "070");
    EXPECT_TRUE(std::none_of(rows.begin() + 2, rows.end(), [](const CandidateRow& c) { return c.ofGroup; }));
    EXPECT_EQ(rowsOf(rows, "002").size(), 2u);
    EXPECT_EQ(rowsOf(rows, "070").size(), 2u);
    EXPECT_EQ(find(rows, "002", 15, 2, 1)->flags, ReferenceFlag::NeedsApproval) << "the group's own row";
}

TEST_F(FillCandidatesTest, DefinitionsForEveryNodeAndForTheNodeAppearOnce)
{
    refs::insertDefinition("EVA-200", "001:003", 6, 15, 2, 1);
    refs::insertDefinition("EVA-200", "001:003", 6, 15, 1, 1);
    const std::vector<CandidateRow> rows = dayNightOutputs();
    EXPECT_EQ(rowsOf(rows, "003").size(), 3u);
    EXPECT_TRUE(find(rows, "003", 15, 1, 1));
    EXPECT_EQ(rowsOf(rows, "004").size(), 2u) << "another node of the identification";
    int dayNight = 0;
    for (const CandidateRow& candidate : rowsOf(rows, "001"))
        dayNight += candidate.row.par1 == 15 && candidate.row.par2 == 2;
    EXPECT_EQ(dayNight, 1);
}

TEST_F(FillCandidatesTest, OnlyParametersOfTheGroupsClassesAreOffered)
{
    refs::insertDefinition("EVA-100", "255:255", 6, 0, 2, 2);  // service code, class 251
    refs::insertDefinition("EVA-100", "255:255", 6, 4, 2, 3);  // alarm limit offset, class 250
    const std::vector<CandidateRow> rows = dayNightOutputs();
    EXPECT_FALSE(find(rows, "002", 0, 2, 2));
    EXPECT_FALSE(find(rows, "002", 4, 2, 3));

    GroupLimits alarmOffsets;
    alarmOffsets.parameterMaximum = 1;
    alarmOffsets.functionParameter = 3;
    alarmOffsets.classes = {250};
    const CandidateRowsRead offsets = ReadCandidateRows("001", alarmOffsets, m_group);
    ASSERT_FALSE(offsets.failure);
    EXPECT_TRUE(find(offsets.rows, "002", 4, 2, 3));
    EXPECT_FALSE(find(offsets.rows, "002", 4, 1, 3)) << "class 249 is not in the list";
    ASSERT_TRUE(find(offsets.rows, "003", 4, 6, 3));
    EXPECT_EQ(find(offsets.rows, "003", 4, 6, 3)->customText, "Alarm offset B") << "no custom text: the default one";
}

TEST_F(FillCandidatesTest, ABrokenDefinitionGivesAnErrorRow)
{
    refs::insertDefinition("EVA-100", "255:255", 6, 9, 9, 9);
    const std::vector<CandidateRow> rows = dayNightOutputs();
    const ReferenceRow* broken = find(rows, "002", 9, 9, 9);
    ASSERT_TRUE(broken);
    EXPECT_EQ(broken->status, ReferenceStatus::Error);
    EXPECT_EQ(broken->flags, ReferenceFlag::NoParameter);
    EXPECT_EQ(broken->defaultText, "???");
    EXPECT_EQ(broken->message, "QEB description corrupted. EVA100-V14");
    EXPECT_TRUE(find(rows, "002", 15, 2, 1));
}

TEST_F(FillCandidatesTest, OnlyTheNodesOfTheNetwork)
{
    const CandidateRowsRead result = read(FunctionType::DayNightControl, BlockType::Output, {1, 2, 0, 0}, "002");
    ASSERT_FALSE(result.failure);
    EXPECT_TRUE(rowsOf(result.rows, "125").empty()) << "the gateway is no controller";
    ASSERT_EQ(rowsOf(result.rows, "001").size(), 2u);
    EXPECT_EQ(rowsOf(result.rows, "001")[0].row.idCode, "Dairy");
    EXPECT_TRUE(rowsOf(result.rows, "003").empty());
}

TEST_F(FillCandidatesTest, AFailedReadNamesItsTableAndStatus)
{
    namespace fs = std::filesystem;
    const auto failedTable = [this](uint8_t type, std::array<uint8_t, 4> blocks) {
        const CandidateRowsRead result = read(type, BlockType::Output, blocks);
        EXPECT_TRUE(!result.failure || result.failure->status == DbStatus::NotAvailable);
        return result.failure ? std::string(result.failure->table) : std::string();
    };
    fs::remove(DataFilePath(DefinitionFile));
    EXPECT_EQ(failedTable(FunctionType::DayNightControl, {1, 2, 0, 0}), "MCPARDEF");
    fs::remove(DataFilePath("QEBDES.DAT"));
    EXPECT_EQ(failedTable(FunctionType::DayNightControl, {1, 2, 0, 0}), "QEBDES");
    EXPECT_EQ(failedTable(FunctionType::PeakShaving, {1, 0, 0, 0}), "") << "automatic references need neither table";
    fs::remove(DataFilePath("NETCNF.DAT"));
    EXPECT_EQ(failedTable(FunctionType::DayNightControl, {1, 2, 0, 0}), "NETCNF");
}

// The list of the selection dialog shows the candidates.
class CandidateListTest : public FillCandidatesTest {
protected:
    bool fill(bool select)
    {
        const GroupLimits limits = GroupLimitsOf(FunctionType::DayNightControl, BlockType::Output, {1, 2, 0, 0});
        return m_list.FillCandidates("001", limits, m_groupList, select);
    }
    std::string cell(int row, int column) const { return m_list.text(row, column).toStdString(); }

    IOList m_groupList;
    IOList m_list;
};

TEST_F(CandidateListTest, ShowsTheCandidatesSortedByAddressWithTheGroupsRowsSelected)
{
    m_groupList.AddRow(ReferenceStatus::Valid, "070", "Ice cream 1", "--Automatic--", "", "", "EVA-100", "EVA100-V14",
                       0, 255, 255, 255, 0, 32);
    ASSERT_TRUE(fill(true));
    EXPECT_EQ(m_list.row(0).address, "001");
    EXPECT_EQ(m_list.row(m_list.rowCount() - 1).address, "124");
    ASSERT_EQ(m_list.selectedRows().size(), 1u);
    EXPECT_EQ(m_list.selectedRows()[0], refs::automaticRowOf(m_list, "070"));
    EXPECT_EQ(m_groupList.rowCount(), 1) << "the group's list is only read";

    const int dayNight = refs::rowOf(m_list, "001", 15, 2, 1);
    EXPECT_EQ(cell(dayNight, IOList::ParameterColumn), "Day/night input");
    EXPECT_EQ(cell(dayNight, IOList::MarkColumn), " ");
    const int noDescription = refs::rowOf(m_list, "020", 0, 0, 0);
    EXPECT_EQ(cell(noDescription, IOList::MarkColumn), "!");
    EXPECT_EQ(cell(noDescription, IOList::MessageColumn), "No QEB description: EVA100-V09");
    const int notDefined = refs::rowsOf(m_list, "040")[0];
    EXPECT_EQ(cell(notDefined, IOList::MarkColumn), "-");
    EXPECT_EQ(cell(notDefined, IOList::MessageColumn), "Not defined");

    ASSERT_TRUE(fill(false));
    EXPECT_TRUE(m_list.selectedRows().empty());
    EXPECT_EQ(refs::rowsOf(m_list, "070").size(), 2u) << "filled anew, not added to";
}

TEST_F(CandidateListTest, ADatabaseErrorIsToldWithItsTable)
{
    std::filesystem::remove(DataFilePath("NETCNF.DAT"));
    m_script.expectMessage(QString::fromStdString("Error on database 'NETCNF' Return code = 2\n"
                                                   + RecordStore::instance().tableFile("NETCNF")));
    EXPECT_FALSE(fill(true));
    EXPECT_TRUE(m_list.redrawOn()) << "painting is on again";
}

} // namespace
