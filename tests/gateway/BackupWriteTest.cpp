// The backup file: written when the function list closes, and what the next
// upload makes of it, whole or damaged, against a real qelnetd.

#include "GatewayFixture.h"

#include "gateway/BackupFile.h"
#include "gateway/BackupWriter.h"
#include "gateway/MCUplDlg.h"
#include "gateway/TelegramBuilder.h"
#include "list/MCFODlg.h"
#include "list/ProgramOperations.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "protocol/LittleEndian.h"
#include "protocol/TypeCatalogue.h"
#include "support/Db.h"
#include "support/RecordStore.h"

#include <QPushButton>

#include <filesystem>
#include <fstream>
#include <set>

namespace {

class BackupWriteTest : public GatewayFixture {
protected:
    struct Upload {
        UploadResult result;
        int fromBackup;
        int fromGateway;
    };

    Upload upload()
    {
        MCUplDlg dialog("001:125", serverWindow(), false);
        const UploadResult result = UploadResult(dialog.exec());
        return {result, dialog.job().functionsFromBackup(), dialog.job().functionsFromGateway()};
    }

    // Opens the function list on what the upload left and closes it, as the operator does.
    void closeList()
    {
        MCFODlg list("001:125", "GW Market North", true, ProgramListOperations());
        list.findChild<QPushButton*>("closeButton")->click();
    }

    static std::string fileName() { return BackupFileName("001:125"); }

    static std::vector<uint8_t> fileBytes()
    {
        std::ifstream in(fileName(), std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static void writeFile(const std::vector<uint8_t>& bytes)
    {
        std::ofstream out(fileName(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    static std::vector<McdefRecord> allRecords()
    {
        std::vector<McdefRecord> records;
        for (const auto& bytes : TestHome::records(table::Mcdef))
            records.push_back(McdefRecord::fromBytes(bytes.data()));
        return records;
    }

    // The functions read from the gateway, as the trace shows their requests.
    std::set<int> functionsReadFromGateway() const
    {
        std::set<int> numbers;
        for (const int command : {10, 12, 14, 16, 18, 20, 22, 24})
            for (const auto& telegram : sentTelegrams(command))
                numbers.insert(telegram[TelegramField::Data]);
        return numbers;
    }
};

TEST_F(BackupWriteTest, TheNextUploadTakesEveryUnchangedFunctionFromTheFile)
{
    startServer();
    ASSERT_EQ(upload().result, UploadResult::UpToDate);
    const std::vector<McdefRecord> uploaded = allRecords();
    closeList();

    BackupFile file;
    ASSERT_EQ(ReadBackupFile(fileName(), file), BackupReadResult::Read);
    EXPECT_EQ(file.gatewayAddress, "001:125");
    std::vector<McdefRecord> headers;
    ASSERT_EQ(ReadHeaders(headers), DbStatus::Success);
    std::vector<uint8_t> started;
    size_t telegrams = 0;
    for (const McdefRecord& header : headers) {
        SCOPED_TRACE("function " + std::to_string(header.number()));
        EXPECT_EQ(file.stamps[size_t(header.number() - 1)], header.stamp());
        std::vector<Telegram> expected;
        ASSERT_EQ(BuildFunctionTelegramsFromTable("001:125", header.number(), false,
                                                  TypeWritableBlocks(header.type()), expected),
                  DbStatus::Success);
        EXPECT_EQ(file.functionTelegrams(header.number()), expected);
        telegrams += expected.size();
        if (header.flags() & FunctionFlag::Started)
            started.push_back(header.number());
    }
    ASSERT_EQ(file.telegrams.size(), telegrams + 1) << "the start state follows the functions";
    EXPECT_EQ(file.telegrams.back(), BuildStartStopTelegram(Command::Start, "001:125", started));

    restartServer();
    const Upload again = upload();
    ASSERT_EQ(again.result, UploadResult::UpToDate);
    EXPECT_EQ(again.fromBackup, 11);
    EXPECT_EQ(again.fromGateway, 1);
    EXPECT_EQ(functionsReadFromGateway(), (std::set<int>{9})) << "only the function in error is read";
    EXPECT_GT(count(sentCommands(), Command::ReadDataBlock), 0) << "blocks read at upload come fresh";

    // The same records, but for the gateway's reference status that write telegrams do not carry.
    std::vector<McdefRecord> fromFile = allRecords();
    ASSERT_EQ(fromFile.size(), uploaded.size());
    for (size_t i = 0; i < fromFile.size(); ++i) {
        McdefRecord a = fromFile[i], b = uploaded[i];
        if (a.blockType() == BlockType::Input || a.blockType() == BlockType::Output)
            a[5] = b[5] = 0;
        EXPECT_EQ(a, b) << "record " << i << " of function " << int(a.number());
    }
}

TEST_F(BackupWriteTest, AFileThatCannotBeTrustedGivesATotalUpload)
{
    startServer();
    ASSERT_EQ(upload().result, UploadResult::UpToDate);
    closeList();
    const std::vector<uint8_t> good = fileBytes();
    ASSERT_GT(good.size(), BackupHeaderSize + 2 * TelegramSize);

    struct Damage {
        const char* message;
        std::vector<uint8_t> bytes;
    };
    std::vector<uint8_t> truncated(good.begin(), good.end() - TelegramSize / 2);
    std::vector<uint8_t> changed = good;
    ++changed[BackupHeaderSize + 200];
    std::vector<uint8_t> wrongType = good;
    le::putU16(wrongType.data(), 0x0049);
    const std::vector<Damage> damages = {
        {"Error reading from ZUL control backup file!", truncated},
        {"Not a valid ZUL control backup file. Checksum error.", changed},
        {"File-type error. Not a valid ZUL control function backup file!", wrongType},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.message);
        writeFile(damage.bytes);
        m_script.expectMessage(QString(damage.message) + "\nContinuing with total upload.");
        const Upload result = upload();
        EXPECT_EQ(result.result, UploadResult::UpToDate);
        EXPECT_EQ(result.fromBackup, 0);
        EXPECT_EQ(result.fromGateway, 12);
        EXPECT_EQ(m_script.prompts().back().style, MB::Ok | MB::IconExclamation);
    }
}

TEST_F(BackupWriteTest, DifferingStampsAskOnce)
{
    startServer();
    ASSERT_EQ(upload().result, UploadResult::UpToDate);
    closeList();
    BackupFile file;
    ASSERT_EQ(ReadBackupFile(fileName(), file), BackupReadResult::Read);
    file.stamps[3 - 1] += 1000;
    file.stamps[5 - 1] += 1000;
    writeFile(EncodeBackupFile(file));

    const QString question = "Conflict between QOR and MC definition in the gateway.\n"
                             "You can restore MC definition or update QOR with the gateway definition.\n\n"
                             "Do you want to update QOR?";
    m_script.expectMessage(question, IDYES);
    const Upload yes = upload();
    EXPECT_EQ(yes.result, UploadResult::UpToDate);
    EXPECT_EQ(yes.fromGateway, 3) << "3 and 5 changed, 9 is in error";
    EXPECT_EQ(m_script.prompts().size(), 1u);
    EXPECT_EQ(m_script.prompts().front().style, MB::YesNo | MB::IconQuestion);

    m_script.expectMessage(question, IDNO);
    EXPECT_EQ(upload().result, UploadResult::Cancelled);
}

TEST_F(BackupWriteTest, NoFunctionOfAKnownTypeLeavesNoFile)
{
    GatewayState empty;
    empty.network = 1;
    empty.netConfigStamp = 14961;
    empty.memoryKiB = 64;
    writeImage("001", empty);
    startServer();
    ASSERT_EQ(upload().result, UploadResult::UpToDate);
    writeFile({1, 2, 3});
    McdefRecord unknown(7, BlockType::Header, 0, 0);
    unknown.setType(42);
    unknown.setName("From elsewhere");
    ASSERT_EQ(InsertBlock(unknown), DbStatus::Success);
    closeList();
    EXPECT_FALSE(std::filesystem::exists(fileName()));

    // What cannot be removed is reported, not passed over as removed.
    std::filesystem::create_directory(fileName());
    m_script.expectMessage(
        QString::fromStdString("Cannot write to file " + fileName() + "\n" + fileName() + " cannot be written: it is a folder"));
    EXPECT_EQ(WriteBackupFile("001:125", {{7, 42, false}}, nullptr), BackupWriteResult::Failed);
}

TEST_F(BackupWriteTest, AFolderThatCannotBeWrittenIsReported)
{
    startServer();
    ASSERT_EQ(upload().result, UploadResult::UpToDate);
    m_home.setIni("ORPA.INI", "Install", "ZULDir", m_home.path() + "missing/");
    const std::string file = m_home.path() + "missing/001_125.MC";
    m_script.expectMessage(QString::fromStdString("Cannot write to file " + file + "\n" + file
                                                   + " cannot be written: the folder " + m_home.path()
                                                   + "missing does not exist"));
    closeList();
    EXPECT_EQ(m_script.prompts().back().style, MB::Ok | MB::IconExclamation);
    EXPECT_FALSE(std::filesystem::exists(m_home.path() + "missing"));
}

TEST_F(BackupWriteTest, AFailedBuildLeavesAFileThatTheNextUploadRefuses)
{
    startServer();
    ASSERT_EQ(upload().result, UploadResult::UpToDate);
    closeList();
    // A function the list shows whose header is gone from MCDEF.
    m_script.expectMessage(QString::fromStdString("Error on database 'MCDEF' Return code = 4\n"
                                                   + RecordStore::instance().tableFile("MCDEF")));
    EXPECT_EQ(WriteBackupFile("001:125", {{1, 0, true}, {60, 3, false}}, nullptr), BackupWriteResult::Failed);
    ASSERT_TRUE(std::filesystem::exists(fileName())) << "the incomplete file stays";

    m_script.expectMessage("Not a valid ZUL control backup file. Checksum error.\nContinuing with total upload.");
    const Upload next = upload();
    EXPECT_EQ(next.result, UploadResult::UpToDate);
    EXPECT_EQ(next.fromBackup, 0);
    EXPECT_EQ(next.fromGateway, 12);
}

TEST_F(BackupWriteTest, ABackupFileThatIsNoFileOrTooLargeIsNotRead)
{
    startServer();
    ASSERT_EQ(upload().result, UploadResult::UpToDate);

    std::filesystem::remove(fileName());
    std::filesystem::create_directory(fileName());
    m_script.expectMessage("Not a valid ZUL control backup file. Checksum error.\nContinuing with total upload.");
    const Upload fromDirectory = upload();
    EXPECT_EQ(fromDirectory.result, UploadResult::UpToDate);
    EXPECT_EQ(fromDirectory.fromGateway, 12);
    std::filesystem::remove(fileName());

    // A sparse file far larger than any gateway's backup: refused unread, and the upload goes on
    // without it rather than failing at every selection until someone removes the file.
    writeFile({0x48, 0x00});
    std::filesystem::resize_file(fileName(), MaxBackupFileSize + 1);
    m_script.expectMessage("Not a valid ZUL control backup file. Checksum error.\nContinuing with total upload.");
    const Upload fromHugeFile = upload();
    EXPECT_EQ(fromHugeFile.result, UploadResult::UpToDate);
    EXPECT_EQ(fromHugeFile.fromGateway, 12);
    EXPECT_EQ(m_script.prompts().back().style, MB::Ok | MB::IconExclamation);
}

} // namespace
