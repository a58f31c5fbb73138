#include "CheckedScript.h"
#include "model/McdefAccess.h"
#include "protocol/IdentityChecksum.h"
#include "protocol/LittleEndian.h"
#include "protocol/TypeCatalogue.h"
#include "references/IOList.h"
#include "references/ReferenceRows.h"
#include "support/Db.h"
#include "support/Profile.h"
#include "support/RecordStore.h"
#include "TestHome.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

namespace {

TEST(IdentityChecksum, KnownValueAndThirteenCharacters)
{
    EXPECT_EQ(IdentityChecksum(32, "abc"), 0x2EE5);
    EXPECT_EQ(IdentityChecksum(32, "ABCDEFGHIJKLMNOP"), IdentityChecksum(32, "ABCDEFGHIJKLM"));
    EXPECT_NE(IdentityChecksum(32, "ABCDEFGHIJKL"), IdentityChecksum(32, "ABCDEFGHIJKLM"));
    EXPECT_NE(IdentityChecksum(31, "abc"), IdentityChecksum(32, "abc"));
}

class IOListTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_home.ok()); }

    // A reference record of function 5, outputs, in a slot, to a controller of network 001.
    static void addReference(uint8_t slot, uint8_t address, uint8_t flagsA, uint8_t flagsB,
                             std::array<uint8_t, 3> parameter = {255, 255, 255}, uint8_t parameterClass = 0)
    {
        McdefRecord r(5, BlockType::Output, slot, address);
        r[4] = flagsA;
        r[5] = flagsB;
        r[6] = parameter[0];
        r[7] = parameter[1];
        r[8] = parameter[2];
        r[9] = parameterClass;
        ASSERT_EQ(InsertBlock(r), DbStatus::Success);
    }

    struct Shown {
        std::string mark, message, parameter;
    };
    static Shown shown(const IOList& list, const std::string& address)
    {
        const int row = list.FindRow(address, 0, 0, 0, true);
        EXPECT_GE(row, 0) << address;
        if (row < 0)
            return {};
        return {list.text(row, IOList::MarkColumn).toStdString(), list.text(row, IOList::MessageColumn).toStdString(),
                list.text(row, IOList::ParameterColumn).toStdString()};
    }

    TestHome m_home;
    CheckedScript m_script;
};

TEST_F(IOListTest, StatusFlagsGiveTheirMessageAndStatus)
{
    addReference(1, 1, 0x14, 0x00, {15, 2, 1}, 248);
    addReference(1, 2, 0x01, 0x00);
    addReference(1, 3, 0x02, 0x00, {1, 1, 3}, 250);
    addReference(1, 4, 0x04, 0x00, {1, 1, 3}, 250);
    addReference(2, 6, 0x08, 0x00, {9, 9, 9}, 248);
    addReference(2, 8, 0x00, 0x01);
    addReference(2, 10, 0x00, 0x02);
    addReference(2, 15, 0x10, 0x01, {15, 2, 1}, 248);
    addReference(2, 17, 0x04, 0x02, {15, 2, 1}, 248);
    const ReferenceRowsRead read = ReadReferenceRows("001:125", 5, BlockType::Output, {1, 2, 0, 0});
    ASSERT_TRUE(read.complete());
    const std::vector<ReferenceRow>& rows = read.rows;
    ASSERT_EQ(rows.size(), 9u);
    std::vector<std::string> addresses;
    for (const ReferenceRow& row : rows)
        addresses.push_back(row.address);
    EXPECT_EQ(addresses, (std::vector<std::string>{"001", "002", "003", "004", "006", "008", "010", "015", "017"}))
        << "in record order";

    EXPECT_EQ(rows[0].message, "Parameter needs approval.") << "0x14: the later message wins, with status 1";
    EXPECT_EQ(rows[0].status, ReferenceStatus::Warning);
    EXPECT_EQ(rows[1].status, ReferenceStatus::Error);
    EXPECT_EQ(rows[1].message, "QEB not found or unknown type.");
    EXPECT_EQ(rows[1].idCode, "") << "no configuration lookup for a controller that was not found";
    EXPECT_EQ(rows[2].message, "No QEB description:");
    EXPECT_EQ(rows[3].message, "Parameter does not exist (MCB).");
    EXPECT_EQ(rows[4].message, "Parameter does not exist.");
    EXPECT_EQ(rows[4].defaultText, "") << "no description lookup for a missing parameter";
    EXPECT_EQ(rows[5].message, "Communication error");
    EXPECT_EQ(rows[6].message, "QEB type conflict");
    EXPECT_EQ(rows[7].message, "Communication error") << "approval is followed by the B checks";
    EXPECT_EQ(rows[8].message, "Parameter does not exist (MCB).") << "no B check after an error";
    EXPECT_EQ(rows[7].flags, 0x0110);
    EXPECT_EQ(rows[0].idCode, "Dairy 1");
    EXPECT_EQ(rows[0].ident, "EVA-100");
    EXPECT_EQ(rows[0].nodeKind, 32);
    EXPECT_EQ(rows[0].parameterClass, 248);
    EXPECT_TRUE(read.corruptedDescriptions.empty());
}

TEST_F(IOListTest, ParameterTextsComeFromTheDescriptionAndBrokenOnesAreNamed)
{
    addReference(1, 20, 0x00, 0x00);                  // automatic
    addReference(2, 6, 0x00, 0x00, {4, 2, 3}, 250);   // no custom text
    addReference(2, 1, 0x00, 0x00, {9, 9, 9}, 248);   // not in the controller's description
    addReference(2, 90, 0x00, 0x00, {15, 2, 1}, 248); // Bakery: custom text "Night cover"
    addReference(2, 12, 0x00, 0x00, {1, 9, 3}, 250);  // not in the description either
    const ReferenceRowsRead read = ReadReferenceRows("001:125", 5, BlockType::Output, {1, 2, 0, 0});
    ASSERT_TRUE(read.complete());
    ASSERT_EQ(read.rows.size(), 5u);
    EXPECT_EQ(read.rows[0].defaultText, "--Automatic--");
    EXPECT_EQ(read.rows[0].customText, "");
    EXPECT_EQ(read.rows[1].address, "001") << "slot 2 by address";
    EXPECT_EQ(read.rows[1].defaultText, "???");
    EXPECT_EQ(read.rows[1].customText, "???");
    EXPECT_EQ(read.rows[2].defaultText, "Alarm limit offset");
    EXPECT_EQ(read.rows[2].customText, "");
    EXPECT_EQ(read.rows[3].defaultText, "???");
    EXPECT_EQ(read.rows[4].defaultText, "Day/night input");
    EXPECT_EQ(read.rows[4].customText, "Night cover");
    EXPECT_EQ(read.corruptedDescriptions, (std::vector<std::string>{"EVA100-V14", "EVA100-V14"}))
        << "once per reference";
}

TEST_F(IOListTest, AReadStopsAtAMissingControllerOrADatabaseError)
{
    addReference(1, 12, 0x00, 0x00);
    addReference(1, 77, 0x00, 0x00);
    addReference(1, 90, 0x00, 0x00);
    ReferenceRowsRead read = ReadReferenceRows("001:125", 5, BlockType::Output, {1, 0, 0, 0});
    EXPECT_TRUE(read.controllerMissing);
    EXPECT_FALSE(read.failure);
    EXPECT_FALSE(read.complete());
    EXPECT_EQ(read.rows.size(), 1u);

    std::filesystem::remove(m_home.dataDir() + "NETCNF.DAT");
    read = ReadReferenceRows("001:125", 5, BlockType::Output, {1, 0, 0, 0});
    ASSERT_TRUE(read.failure);
    EXPECT_EQ(std::string(read.failure->table), "NETCNF");
    EXPECT_EQ(read.failure->status, DbStatus::NotAvailable);
    EXPECT_FALSE(read.controllerMissing);
}

TEST_F(IOListTest, LoadedReferencesAreSortedByAddress)
{
    addReference(1, 90, 0x00, 0x00);
    addReference(2, 6, 0x00, 0x00);
    IOList list;
    ASSERT_TRUE(list.LoadReferences("001:125", 5, BlockType::Output, {1, 2, 0, 0}));
    ASSERT_EQ(list.rowCount(), 2);
    EXPECT_EQ(list.row(0).address, "006");
    EXPECT_EQ(list.row(1).address, "090");
    EXPECT_EQ(list.sortColumn(), IOList::AddressColumn);
}

TEST_F(IOListTest, ParameterTextsFollowTheTextMode)
{
    addReference(1, 20, 0x00, 0x00);               // automatic
    addReference(2, 6, 0x00, 0x00, {4, 2, 3}, 250); // no custom text
    addReference(2, 1, 0x00, 0x00, {9, 9, 9}, 248);   // not in the controller's description
    addReference(2, 90, 0x00, 0x00, {15, 2, 1}, 248); // Bakery: custom text "Night cover"
    IOList list;
    m_script.expectMessage("Corrupted QEB description 'EVA100-V14'.\nPlease upload a new version.");
    ASSERT_TRUE(list.LoadReferences("001:125", 5, BlockType::Output, {1, 2, 0, 0}));
    EXPECT_EQ(m_script.beeps(), 1);
    EXPECT_EQ(shown(list, "020").parameter, "--Automatic--");
    EXPECT_EQ(shown(list, "006").parameter, "Alarm limit offset");
    EXPECT_EQ(shown(list, "001").parameter, "???");
    EXPECT_EQ(shown(list, "090").parameter, "Day/night input");

    ASSERT_TRUE(WritePrivateProfileString("QEBCtrl", "TxtMode", "1", m_home.iniFile()));
    list.RefreshTextMode();
    EXPECT_EQ(list.textMode(), 1);
    EXPECT_EQ(shown(list, "020").parameter, "--Automatic--") << "in both text modes";
    EXPECT_EQ(shown(list, "006").parameter, "Alarm limit offset") << "the default text when there is no custom one";
    EXPECT_EQ(shown(list, "090").parameter, "Night cover");

    list.sortRows(IOList::ParameterColumn, true);
    EXPECT_EQ(list.row(0).address, "020") << "\"--Automatic--\" sorts first";
    ASSERT_TRUE(WritePrivateProfileString("QEBCtrl", "TxtMode", "0", m_home.iniFile()));
    list.RefreshTextMode();
    EXPECT_EQ(list.text(3, IOList::ParameterColumn), "Day/night input") << "re-sorted by the default texts";
}

TEST_F(IOListTest, AListThatCannotLoadSaysWhyWhereThereIsSomethingToSay)
{
    addReference(1, 77, 0x00, 0x00);
    IOList list;
    EXPECT_FALSE(list.LoadReferences("001:125", 5, BlockType::Output, {1, 0, 0, 0}))
        << "a missing controller, silently";

    std::filesystem::remove(m_home.dataDir() + "NETCNF.DAT");
    m_script.expectMessage(QString::fromStdString("Error on database 'NETCNF' Return code = 2\n"
                                                   + RecordStore::instance().tableFile("NETCNF")));
    EXPECT_FALSE(list.LoadReferences("001:125", 5, BlockType::Output, {1, 0, 0, 0}));
    EXPECT_EQ(list.rowCount(), 0);
}

TEST_F(IOListTest, AControllerThatWasNotFoundDoesNotMakeTheListInvalid)
{
    addReference(1, 2, 0x01, 0x00);
    addReference(1, 12, 0x00, 0x00);
    IOList list;
    ASSERT_TRUE(list.LoadReferences("001:125", 5, BlockType::Output, {1, 0, 0, 0}));
    EXPECT_TRUE(list.ReferencesValid());
    list.ApproveRows();
    EXPECT_TRUE(list.ReferencesValid());
}

TEST_F(IOListTest, StoringSendsEachRowToTheSlotThatTakesIt)
{
    addReference(1, 99, 0x00, 0x00); // an old record, replaced
    IOList list;
    list.AddRow(ReferenceStatus::Valid, "001", "Dairy 1", "--Automatic--", "--Automatic--", "", "EVA-100",
                "EVA100-V14", 0, 255, 255, 255, 0, 0);
    list.AddRow(ReferenceStatus::Valid, "006", "Deli counter", "Day/night input", "Night cover", "", "EVA-100",
                "EVA100-V12", 0, 15, 2, 1, 248, 32);
    list.AddRow(ReferenceStatus::Valid, "030", "Sales area", "Room temperature", "", "", "RTH-20", "RTH20-V10", 0, 1,
                1, 3, 250, 32);
    ASSERT_TRUE(list.StoreReferences(FunctionType::DayNightControl, 5, BlockType::Output, {1, 2, 0, 0}));

    std::vector<McdefRecord> slot1, slot2;
    ASSERT_EQ(ReadBlocks(5, BlockType::Output, 1, slot1), DbStatus::Success);
    ASSERT_EQ(ReadBlocks(5, BlockType::Output, 2, slot2), DbStatus::Success);
    ASSERT_EQ(slot1.size(), 1u);
    EXPECT_EQ(slot1[0].item(), 1);
    EXPECT_EQ(slot1[0][6], 255);
    EXPECT_EQ(le::u16(&slot1[0][10]), 0) << "no checksum for an automatic reference";
    ASSERT_EQ(slot2.size(), 1u) << "the class 250 row fits neither slot";
    EXPECT_EQ(slot2[0].item(), 6);
    EXPECT_EQ(slot2[0][6], 15);
    EXPECT_EQ(slot2[0][9], 248);
    EXPECT_EQ(le::u16(&slot2[0][10]), IdentityChecksum(32, "EVA-100"));
    EXPECT_EQ(slot2[0].status(), 0);
}

// A slot's references are replaced all or none: an insert that fails leaves
// the slot as it was stored, not emptied until the next upload.
TEST_F(IOListTest, AFailedStoreLeavesTheSlotAsItWas)
{
    addReference(2, 40, 0x00, 0x00, {15, 2, 1}, 248);
    RecordStore::instance().closeAll();
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(RecordStore::instance().tableFile("MCDEF").c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db,
                               "CREATE TRIGGER refused BEFORE INSERT ON records WHEN substr(NEW.rec, 1, 4) = "
                               "x'05020206' BEGIN SELECT RAISE(ABORT, 'refused'); END",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    std::vector<McdefRecord> before;
    ASSERT_EQ(ReadBlocks(5, BlockType::Output, 2, before), DbStatus::Success);
    IOList list;
    list.AddRow(ReferenceStatus::Valid, "005", "Deli counter", "Day/night input", "Night cover", "", "EVA-100",
                "EVA100-V12", 0, 15, 2, 1, 248, 32);
    list.AddRow(ReferenceStatus::Valid, "006", "Deli counter", "Day/night input", "Night cover", "", "EVA-100",
                "EVA100-V12", 0, 15, 2, 1, 248, 32);
    m_script.expectMessageContaining("Error on database 'MCDEF' Return code = 5");
    EXPECT_FALSE(list.StoreReferences(FunctionType::DayNightControl, 5, BlockType::Output, {2, 0, 0, 0}));
    std::vector<McdefRecord> after;
    ASSERT_EQ(ReadBlocks(5, BlockType::Output, 2, after), DbStatus::Success);
    ASSERT_EQ(after.size(), 1u) << "neither emptied nor half replaced";
    EXPECT_EQ(after[0].item(), 40);
    EXPECT_TRUE(after[0] == before.at(0));
}

TEST_F(IOListTest, RowOperations)
{
    IOList source;
    source.AddRow(ReferenceStatus::Valid, "012", "B", "t", "", "", "I", "D", 0, 1, 2, 3, 248, 32);
    source.AddRow(ReferenceStatus::Warning, "003", "A", "t", "", "Parameter needs approval.", "I", "D",
                  ReferenceFlag::NeedsApproval, 4, 5, 6, 248, 32);
    source.AddRow(ReferenceStatus::Valid, "003", "A", "--Automatic--", "", "", "I", "D", 0, 255, 255, 255, 0, 0);
    EXPECT_TRUE(source.IsModified()) << "every insertion marks the list";
    EXPECT_EQ(source.FindRow("003", 255, 255, 255, false), 2);
    EXPECT_EQ(source.FindRow("003", 0, 0, 0, true), 1);
    EXPECT_EQ(source.FindRow("003", 7, 7, 7, false), -1);
    const RowKey key = RowKeyOf(source.row(0));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(key.data())), "012");
    EXPECT_EQ(key[4], 1);
    EXPECT_EQ(key[6], 3);

    source.setRowSelected(0, true);
    source.setRowSelected(1, true);
    IOList target;
    target.SetModified(false);
    ASSERT_TRUE(target.CopyRows(source, true, true));
    ASSERT_EQ(target.rowCount(), 2);
    EXPECT_EQ(target.row(0).address, "003") << "copies are sorted by the address column";
    EXPECT_EQ(target.selectedRows().size(), 2u);
    EXPECT_TRUE(target.IsModified());
    EXPECT_FALSE(target.ReferencesValid());

    target.SetModified(false);
    target.ApproveRows();
    EXPECT_TRUE(target.IsModified());
    EXPECT_TRUE(target.ReferencesValid());
    EXPECT_EQ(target.row(0).message, "");
    EXPECT_EQ(target.text(0, IOList::MarkColumn), " ");

    target.SetModified(false);
    target.DeleteAllRows();
    EXPECT_TRUE(target.IsModified());
    target.SetModified(false);
    target.DeleteAllRows();
    EXPECT_FALSE(target.IsModified()) << "clearing an empty list changes nothing";
}

} // namespace
