// The update against a real qelnetd: what it writes, how it ends on the
// gateway's refusals and on link failures, and when the new stamp is stored.

#include "GatewayFixture.h"

#include "gateway/CurrentServer.h"
#include "gateway/MCUpdDlg.h"
#include "gateway/MCUplDlg.h"
#include "gateway/SyncState.h"
#include "model/McdefAccess.h"
#include "protocol/TypeCatalogue.h"
#include "support/Clock.h"
#include "support/Db.h"
#include "support/RecordStore.h"

#include <QEventLoop>
#include <QProgressBar>
#include <QPushButton>

#include <fstream>
#include <set>
#include <tuple>

namespace {

class UpdateTest : public GatewayFixture {
protected:
    UploadResult upload(const std::string& address = "001:125")
    {
        MCUplDlg dialog(address, serverWindow(), false);
        return UploadResult(dialog.exec());
    }

    UpdateResult update(uint8_t number, uint32_t mode = UpdateMode::WholeFunction,
                        const std::string& address = "001:125")
    {
        MCUpdDlg dialog(address, serverWindow(), number, mode, TypeWritableBlocks(headerOf(number).type()));
        return UpdateResult(dialog.exec());
    }

    // Starts the server again on the same images with other faults; MCDEF
    // stays as the upload left it, and the trace starts empty.

    static McdefRecord headerOf(uint8_t number)
    {
        McdefRecord header;
        EXPECT_EQ(ReadBlock(number, BlockType::Header, 0, 0, header), DbStatus::Success) << int(number);
        return header;
    }

    // The mark of a function, as the file holds it; nothing when it is not marked.
    static std::optional<UnsentFunction> markOf(const std::string& address, uint8_t number)
    {
        std::string problem;
        const std::optional<SyncState> state = ReadSyncState(problem);
        EXPECT_TRUE(state) << problem;
        const UnsentFunction* mark = state ? state->find(address, number) : nullptr;
        return mark ? std::optional<UnsentFunction>(*mark) : std::nullopt;
    }

    static bool isWrite(int command) { return command >= Command::WriteHeader && command <= Command::WriteDataBlock; }

    std::vector<int> writesSent() const
    {
        std::vector<int> writes;
        for (int command : sentCommands())
            if (isWrite(command))
                writes.push_back(command);
        return writes;
    }
};

// What the gateway holds of a function as the operator defined it. Left out:
// the stamps, the error marks and reference statuses the gateway observes
// itself, the history it measures, and list entries that hold nothing (a
// write of a whole list block names every entry, a description names only
// those in use).
using ReferenceKey = std::tuple<uint8_t, uint8_t, std::array<uint8_t, ReferenceParameterBytes>>;

std::multiset<ReferenceKey> referencesOf(const GatewayFunction& f, int direction, int slot)
{
    std::multiset<ReferenceKey> keys;
    for (const ReferenceItem& item : f.slot(direction, slot))
        keys.insert({item.form, item.address, item.parameters});
    return keys;
}

std::map<uint8_t, std::vector<uint8_t>> entriesInUse(uint8_t type, const DataBlock& block)
{
    std::map<uint8_t, std::vector<uint8_t>> entries;
    for (const auto& [index, entry] : block.entries) {
        const bool unused = type == FunctionType::YearlySchedule
            ? entry[1] == 255
            : std::all_of(entry.begin() + 1, entry.end(), [](uint8_t b) { return b == 0; })
                || (entry[1] == 255 && entry[2] == 255);
        if (!unused)
            entries[index] = entry;
    }
    return entries;
}

void expectSameDefinition(const GatewayFunction& before, const GatewayFunction& after)
{
    EXPECT_EQ(after.type, before.type);
    EXPECT_EQ(after.name, before.name);
    const uint8_t defined = FunctionFlag::Started | FunctionFlag::Manual;
    EXPECT_EQ(after.flags & defined, before.flags & defined);
    EXPECT_EQ(after.header, before.header);
    for (int direction = 1; direction <= 2; ++direction)
        for (int slot = 1; slot <= 8; ++slot)
            EXPECT_EQ(referencesOf(after, direction, slot), referencesOf(before, direction, slot))
                << "direction " << direction << " slot " << slot;
    for (size_t group = 0; group < 4; ++group) {
        const std::multiset<uint8_t> b(before.schedules[group].begin(), before.schedules[group].end());
        const std::multiset<uint8_t> a(after.schedules[group].begin(), after.schedules[group].end());
        EXPECT_EQ(a, b) << "schedule group " << group + 1;
    }
    for (uint8_t block = 1; block <= 4; ++block) {
        const BlockLayout* layout = FindBlockLayout(before.type, block);
        if (!layout || layout->measured)
            continue;
        const DataBlock& b = before.blocks[size_t(block - 1)];
        const DataBlock& a = after.blocks[size_t(block - 1)];
        EXPECT_EQ(a.bytes, b.bytes) << "data block " << int(block);
        EXPECT_EQ(entriesInUse(before.type, a), entriesInUse(before.type, b)) << "data block " << int(block);
    }
    EXPECT_EQ(after.history[0], before.history[0]);
    EXPECT_EQ(after.history[1], before.history[1]);
}

TEST_F(UpdateTest, EveryFunctionWrittenBackLeavesTheGatewayAsItWas)
{
    startServer();
    ASSERT_EQ(upload(), UploadResult::UpToDate);
    const GatewayState before = readImage("001");
    std::vector<McdefRecord> headers;
    ASSERT_EQ(ReadHeaders(headers), DbStatus::Success);
    ASSERT_EQ(headers.size(), before.functions.size());
    for (const McdefRecord& header : headers)
        EXPECT_EQ(update(header.number()), UpdateResult::Done) << "function " << int(header.number());

    const GatewayState after = readImage("001");
    ASSERT_EQ(after.functions.size(), before.functions.size());
    for (const auto& [number, function] : before.functions) {
        SCOPED_TRACE("function " + std::to_string(number));
        ASSERT_TRUE(after.functions.count(number));
        const GatewayFunction& written = after.functions.at(number);
        expectSameDefinition(function, written);
        EXPECT_NE(written.stamp, function.stamp) << "every accepted write moves the stamp";
        EXPECT_EQ(headerOf(number).stamp(), written.stamp) << "the header holds the gateway's new stamp";
    }
}

TEST_F(UpdateTest, DataBlocksOnlyWritesTheWritableBlocksAndNoHeader)
{
    startServer();
    ASSERT_EQ(upload(), UploadResult::UpToDate);
    restartServer({});
    EXPECT_EQ(update(6, UpdateMode::DataBlocksOnly), UpdateResult::Done);
    EXPECT_EQ(sentCommands(), (std::vector<int>{Command::WriteDataBlock, Command::WriteDataBlock}));
    const auto blocks = sentTelegrams(Command::WriteDataBlock);
    EXPECT_EQ(blocks[0][TelegramField::Item], 129);
    EXPECT_EQ(blocks[1][TelegramField::Item], 130);

    restartServer({});
    EXPECT_EQ(update(6, UpdateMode::WholeFunction), UpdateResult::Done);
    const std::vector<int> whole = sentCommands();
    ASSERT_FALSE(whole.empty());
    EXPECT_EQ(whole.front(), Command::WriteHeader);
    EXPECT_EQ(count(whole, Command::WriteDataBlock), 2);
}

// Only a password the gateway refused is "Password is invalid"; a cancelled prompt ends before sending
// without a word, and a server that is not there is the link's message, without a prompt.
TEST_F(UpdateTest, ARefusedOrCancelledPasswordOrADeadLinkSendsNothingAndSaysWhich)
{
    startServer({}, "002:125");
    ASSERT_EQ(upload("002:125"), UploadResult::UpToDate);
    const size_t sentByUpload = sentCommands().size();
    const uint32_t stamp = headerOf(2).stamp();

    m_script.expectPassword(QStringLiteral("9999"));
    m_script.expectMessage("Password is invalid");
    EXPECT_EQ(update(2, UpdateMode::WholeFunction, "002:125"), UpdateResult::LocalFailure);
    EXPECT_EQ(sentCommands().size(), sentByUpload);
    EXPECT_EQ(m_script.prompts().front().text, "Enter ZUL Password");
    EXPECT_EQ(m_script.prompts().back().style, MB::Ok | MB::IconStop);

    EXPECT_EQ(markOf("002:125", 2)->reason, "local failure: the gateway refused the password");

    m_script.expectPassword(std::nullopt);
    EXPECT_EQ(update(2, UpdateMode::WholeFunction, "002:125"), UpdateResult::NotSent) << "the prompt cancelled";
    EXPECT_EQ(sentCommands().size(), sentByUpload);
    EXPECT_EQ(headerOf(2).stamp(), stamp);
    EXPECT_EQ(markOf("002:125", 2)->reason, "not sent: the password prompt was cancelled");

    m_script.expectPassword(QStringLiteral("1234"));
    EXPECT_EQ(update(2, UpdateMode::WholeFunction, "002:125"), UpdateResult::Done);
    EXPECT_GT(sentCommands().size(), sentByUpload);
    EXPECT_EQ(headerOf(2).stamp(), readImage("002").functions.at(2).stamp);

    m_server.reset();
    ServerLink::instance().reset();
    m_script.expectMessage("Communication error. Please try again.");
    EXPECT_EQ(update(2, UpdateMode::WholeFunction, "002:125"), UpdateResult::NotSent) << "no server, no prompt";
    EXPECT_EQ(markOf("002:125", 2)->reason, "not sent: link failure before the password was checked");
}

TEST_F(UpdateTest, ARefusalShowsItsReasonAndStoresNoStamp)
{
    startServer();
    ASSERT_EQ(upload(), UploadResult::UpToDate);
    const uint32_t stamp = headerOf(3).stamp();

    restartServer({"--refuse-writes", "3"});
    m_script.expectMessage("Error updating ZUL.\nReturn code is 3.");
    EXPECT_EQ(update(3), UpdateResult::Refused);
    EXPECT_EQ(sentCommands(), (std::vector<int>{Command::WriteHeader})) << "nothing after the refused telegram";
    EXPECT_EQ(m_script.prompts().back().style, MB::Ok | MB::IconStop);

    restartServer({"--changed-stamp"});
    m_script.expectMessage("Control function setup changed by another user. Please upload again.\nError updating ZUL.");
    EXPECT_EQ(update(3), UpdateResult::Refused);
    EXPECT_EQ(m_script.prompts().back().style, MB::Ok | MB::IconExclamation);
    EXPECT_EQ(headerOf(3).stamp(), stamp);
}

TEST_F(UpdateTest, ALinkFailureEndsBeforeOrAfterTheFirstAnswer)
{
    startServer();
    ASSERT_EQ(upload(), UploadResult::UpToDate);
    const uint32_t uploadedStamp = headerOf(9).stamp();

    restartServer({"--fail-link-after", "0"});
    m_script.expectMessage("Communication error. Please try again.");
    EXPECT_EQ(update(9), UpdateResult::NotSent);

    restartServer({"--fail-link-after", "2"});
    m_script.expectMessage("Communication error. Please try again.");
    EXPECT_EQ(update(9), UpdateResult::LinkFailure);
    // Two telegrams were taken and moved the gateway's stamp; the header keeps the old one.
    EXPECT_NE(readImage("001").functions.at(9).stamp, uploadedStamp);
    EXPECT_EQ(headerOf(9).stamp(), uploadedStamp);

    restartServer({});
    EXPECT_EQ(update(9), UpdateResult::Done);
    EXPECT_EQ(headerOf(9).stamp(), readImage("001").functions.at(9).stamp);
}

TEST_F(UpdateTest, AnUnexpectedAnswerIsALocalFailure)
{
    startServer();
    ASSERT_EQ(upload(), UploadResult::UpToDate);
    restartServer({"--unexpected-answer", "1"});
    m_script.expectMessage("Control function setup changed by another user. Please upload again.");
    EXPECT_EQ(update(4), UpdateResult::LocalFailure);
    EXPECT_EQ(sentCommands().size(), 1u);
}

TEST_F(UpdateTest, AnAnswerForAnotherFunctionIsRefused)
{
    startServer();
    ASSERT_EQ(upload(), UploadResult::UpToDate);
    const uint32_t stamp = headerOf(4).stamp();
    restartServer({"--answer-other-function"});
    m_script.expectMessage("Control function setup changed by another user. Please upload again.");
    EXPECT_EQ(update(4), UpdateResult::LocalFailure);
    EXPECT_EQ(sentCommands(), (std::vector<int>{Command::WriteHeader})) << "nothing after the wrong answer";
    EXPECT_EQ(headerOf(4).stamp(), stamp);
}

TEST_F(UpdateTest, AFunctionThatIsNotInTheTableIsNotSent)
{
    startServer();
    ASSERT_EQ(upload(), UploadResult::UpToDate);
    const size_t sentByUpload = sentCommands().size();
    m_script.expectMessage(QString::fromStdString("Error on database 'MCDEF' Return code = 4\n"
                                                   + RecordStore::instance().tableFile("MCDEF")));
    MCUpdDlg dialog("001:125", serverWindow(), 50, UpdateMode::WholeFunction, {});
    EXPECT_EQ(UpdateResult(dialog.exec()), UpdateResult::LocalFailure);
    EXPECT_EQ(sentCommands().size(), sentByUpload);
}

TEST_F(UpdateTest, RunUpdateShowsTheProgressOnTheCurrentServer)
{
    startServer();
    ASSERT_EQ(upload(), UploadResult::UpToDate);
    SetCurrentServerWindow(serverWindow());
    int telegrams = 0;
    m_script.expectDialog("MCUpdDlg", [&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Updating control function setup");
        EXPECT_TRUE(dialog.findChild<QPushButton*>("cancelButton")->isHidden());
        const int result = dialog.exec();
        const auto* bar = dialog.findChild<QProgressBar*>("progressBar");
        telegrams = static_cast<MCUpdDlg&>(dialog).job().telegramCount();
        EXPECT_EQ(bar->maximum(), telegrams);
        EXPECT_EQ(bar->value(), telegrams);
        return result;
    });
    EXPECT_EQ(RunUpdate(nullptr, "001:125", 12, UpdateMode::WholeFunction,
                        TypeWritableBlocks(FunctionType::PoOptimizer)),
              UpdateResult::Done);
    EXPECT_GT(telegrams, 4);
    SetCurrentServerWindow(0);
}

constexpr std::time_t Dec6 = 1796568600; // 2026-12-06 14:50:00 UTC

TEST_F(UpdateTest, AFunctionIsMarkedFromItsFirstUpdateNotAcceptedUntilOneIs)
{
    startServer();
    ASSERT_EQ(upload(), UploadResult::UpToDate);
    SetFixedTime(Dec6);
    restartServer({"--refuse-writes", "3"});
    m_script.expectMessage("Error updating ZUL.\nReturn code is 3.");
    MCUpdDlg refused("001:125", serverWindow(), 3, UpdateMode::WholeFunction, TypeWritableBlocks(headerOf(3).type()));
    EXPECT_EQ(UpdateResult(refused.exec()), UpdateResult::Refused);
    EXPECT_EQ(markOf("001:125", 3), (UnsentFunction{"001:125", 3, headerOf(3).name(), Dec6,
                                                    "refused by the gateway: return code 3 (a request the gateway "
                                                    "cannot take): telegram 1 of "
                                                        + std::to_string(refused.job().telegramCount())}));

    SetFixedTime(Dec6 + 600);
    restartServer({"--fail-link-after", "2"});
    m_script.expectMessage("Communication error. Please try again.");
    EXPECT_EQ(update(3), UpdateResult::LinkFailure);
    ASSERT_TRUE(markOf("001:125", 3)) << "half-written";
    EXPECT_EQ(markOf("001:125", 3)->since, Dec6);
    EXPECT_EQ(markOf("001:125", 3)->reason.rfind("link failure, partly sent: 2 of ", 0), 0u);
    SetFixedTime(std::nullopt);

    restartServer();
    UpdateJob job("001:125", serverWindow(), 3, UpdateMode::WholeFunction, TypeWritableBlocks(headerOf(3).type()),
                  nullptr, nullptr);
    job.start();
    ASSERT_FALSE(job.finished());
    EXPECT_EQ(markOf("001:125", 3)->reason, "the update did not end: the program stopped while it was sending")
        << "a program that dies now leaves it marked";
    QEventLoop loop;
    QObject::connect(&job, &GatewayExchange::done, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(job.result(), UpdateResult::Done);
    EXPECT_FALSE(markOf("001:125", 3));
}

TEST_F(UpdateTest, AnUploadForgetsTheMarksOfItsOwnGatewayOnly)
{
    startServer();
    ASSERT_FALSE(ChangeSyncState([](SyncState& state) {
        state.mark({"001:125", 9, "Po MT", Dec6, "link failure, partly sent"});
        state.mark({"002:125", 2, "Night covers", Dec6, "local failure"});
        return true;
    }));
    ASSERT_EQ(upload(), UploadResult::UpToDate);
    EXPECT_FALSE(markOf("001:125", 9)) << "MCDEF holds what the gateway holds";
    EXPECT_TRUE(markOf("002:125", 2));
}

TEST_F(UpdateTest, AFileOfMarksThatCannotBeReadIsReportedOnceAndLeftAsItIs)
{
    startServer();
    ASSERT_EQ(upload(), UploadResult::UpToDate);
    std::ofstream(SyncStateFile()) << "not a mark\n";
    m_script.expectMessage(QString::fromStdString("Which functions were not sent to the gateway cannot be recorded.\n"
                                                  + SyncStateFile() + ", line 1: 1 fields separated by tabs, not 5 (a mark) or 3 (a cleared mark)"));
    MCUpdDlg dialog("001:125", serverWindow(), 3, UpdateMode::WholeFunction, TypeWritableBlocks(headerOf(3).type()));
    EXPECT_EQ(UpdateResult(dialog.exec()), UpdateResult::Done) << "the update's own result stands";
    EXPECT_TRUE(dialog.job().syncStateProblem());
    std::ifstream in(SyncStateFile());
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "not a mark");
}

// With VerifyAfterUpdate=1 in ORPA.INI an update reads the function back; a
// gateway that stores a changed byte ends it with its own result and a
// message naming the fields.
TEST_F(UpdateTest, VerifyAfterUpdateNamesTheFieldsTheGatewayStoresOtherwise)
{
    startServer();
    ASSERT_EQ(upload(), UploadResult::UpToDate);
    restartServer({"--corrupt-stored-block"});
    SetCurrentServerWindow(serverWindow());
    const auto runUpdate = [&](const char* message = nullptr) {
        m_script.expectDialog("MCUpdDlg", [](QDialog& dialog) { return dialog.exec(); });
        if (message)
            m_script.expectMessage(message);
        return RunUpdate(nullptr, "001:125", 3, UpdateMode::WholeFunction,
                         TypeWritableBlocks(FunctionType::DayNightControl));
    };
    EXPECT_EQ(runUpdate(), UpdateResult::Done) << "without the setting nothing is read back";
    EXPECT_EQ(count(sentCommands(), Command::ReadHeader), 0);

    m_home.setIni("ORPA.INI", "VELT", "VerifyAfterUpdate", "1");
    EXPECT_EQ(runUpdate("The gateway stores something else than was sent. Fields that differ:\n"
                        "manual, manual mode"),
              UpdateResult::StoredOtherwise);
    EXPECT_EQ(m_script.prompts().back().style, MB::Ok | MB::IconExclamation);
    EXPECT_EQ(count(sentCommands(), Command::ReadHeader), 1);
    EXPECT_EQ(count(sentCommands(), Command::WriteHeader), 2) << "the read-back writes nothing";
    EXPECT_EQ(headerOf(3).stamp(), readImage("001").functions.at(3).stamp) << "the accepted update keeps its stamp";
    ASSERT_TRUE(markOf("001:125", 3)) << "what the gateway stores is not what was sent";
    EXPECT_EQ(markOf("001:125", 3)->reason, "the gateway stores something else than was sent: manual, manual mode");

    restartServer();
    SetCurrentServerWindow(serverWindow());
    EXPECT_EQ(runUpdate(), UpdateResult::Done) << "a gateway that stores what was sent passes";
    EXPECT_FALSE(markOf("001:125", 3));
    SetCurrentServerWindow(0);
}

} // namespace
