// Deleting functions against a real qelnetd: the reference question for a
// yearly schedule still in use, what goes from the gateway, MCDEF, the list
// and the memory account, the bar, the log, and how the deletion ends.

#include "GatewayFixture.h"

#include "gateway/CurrentServer.h"
#include "gateway/MCUplDlg.h"
#include "ImageSource.h"
#include "list/DeletDlg.h"
#include "list/FunctionListCtrl.h"
#include "list/MCFODlg.h"
#include "list/ProgramOperations.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "protocol/TypeCatalogue.h"
#include "support/Db.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace {

// A schedule used by two day/night functions, an alarm limit and a schedule nobody uses.
const char* const plant = R"({
  "network": "001", "netConfigStamp": 14961, "memoryKiB": 64, "typeLimits": [30, 10, 10, 20, 2, 10, 20, 10, 4],
  "password": "", "firstStamp": 500,
  "functions": [
    {"number": 1, "type": 0, "name": "Plan"},
    {"number": 2, "type": 3, "name": "Night A", "schedules": {"1": [1]}, "outputs": {"1": [{"address": 1}]}},
    {"number": 3, "type": 3, "name": "Night B", "schedules": {"1": [1]}, "outputs": {"1": [{"address": 2}]}},
    {"number": 4, "type": 2, "name": "Alarm", "outputs": {"1": [{"address": 6}]}},
    {"number": 5, "type": 0, "name": "Spare plan"}
  ]
})";

class DeleteTest : public GatewayFixture {
protected:
    void SetUp() override
    {
        GatewayFixture::SetUp();
        std::string error;
        const std::optional<GatewayState> state = GatewayStateFromSource(plant, error);
        ASSERT_TRUE(state) << error;
        writeImage("001", *state);
    }

    void TearDown() override
    {
        SetCurrentServerWindow(0);
        GatewayFixture::TearDown();
    }

    void startAndUpload(const QStringList& options = {})
    {
        startServer();
        MCUplDlg upload("001:125", serverWindow(), false);
        ASSERT_EQ(UploadResult(upload.exec()), UploadResult::UpToDate);
        if (!options.isEmpty())
            restartServer(options);
        m_list = std::make_unique<MCFODlg>("001:125", "GW Market North", true, ProgramListOperations());
        m_freeBefore = appState().capacity.freeMemory;
    }

    // Runs the deletion dialog on the list; its result, and what it showed last.
    struct Run {
        DeleteResult result;
        int barValue;
        int barMaximum;
        QString caption;
        QString text;
    };

    Run deleteFunctions(std::vector<uint8_t> numbers)
    {
        DeletDlg dialog(*m_list, serverWindow(), std::move(numbers));
        Run run;
        run.result = DeleteResult(dialog.exec());
        const auto* bar = dialog.findChild<QProgressBar*>("progressBar");
        run.barValue = bar->value();
        run.barMaximum = bar->maximum();
        run.caption = dialog.windowTitle();
        run.text = dialog.findChild<QLabel*>("textLabel")->text();
        return run;
    }

    // Answers the reference question with a button, after checking what it shows.
    void expectQuestion(const QString& schedule, const QStringList& owners, const char* button)
    {
        m_script.expectDialog("DeleteReferencedDlg", [=](QDialog& dialog) {
            EXPECT_EQ(dialog.windowTitle(), "Delete ZUL control functions");
            EXPECT_EQ(dialog.findChild<QLabel*>("scheduleLabel")->text(), schedule);
            const auto* list = dialog.findChild<QListWidget*>("ownerList");
            QStringList lines;
            for (int row = 0; row < list->count(); ++row)
                lines << list->item(row)->text();
            EXPECT_EQ(lines, owners);
            if (button)
                dialog.findChild<QPushButton*>(button)->click();
            else
                dialog.close();
            return dialog.result();
        });
    }

    static bool inTable(uint8_t number)
    {
        McdefRecord header;
        return ReadBlock(number, BlockType::Header, 0, 0, header) == DbStatus::Success;
    }

    std::vector<int> remaining() const
    {
        std::vector<int> numbers;
        for (const auto& [number, function] : readImage("001").functions) {
            numbers.push_back(number);
            EXPECT_TRUE(inTable(number)) << "function " << int(number) << " is in the gateway, not in MCDEF";
            EXPECT_GE(m_list->list().rowOf(number), 0) << "function " << int(number) << " is not listed";
        }
        for (int number = 1; number <= 5; ++number)
            if (std::find(numbers.begin(), numbers.end(), number) == numbers.end()) {
                EXPECT_FALSE(inTable(uint8_t(number))) << "function " << number << " is still in MCDEF";
                EXPECT_LT(m_list->list().rowOf(uint8_t(number)), 0) << "function " << number << " is still listed";
            }
        return numbers;
    }

    static std::vector<std::string> eventTexts()
    {
        std::vector<std::string> texts;
        for (const auto& bytes : TestHome::records(table::EventLog))
            texts.push_back(EventLogRecord::read(bytes.data()).text);
        return texts;
    }

    std::unique_ptr<MCFODlg> m_list;
    uint32_t m_freeBefore = 0;
};

const QStringList BothNights = {"2\tNight A", "3\tNight B"};

TEST_F(DeleteTest, ASkippedScheduleStaysWithTheFunctionsThatUseIt)
{
    startAndUpload();
    SetCurrentServerWindow(serverWindow());
    m_list->list().setRowSelected(m_list->list().rowOf(1), true);
    int result = -1;
    m_script.expectDialog("DeletDlg", [&](QDialog& dialog) {
        result = dialog.exec();
        EXPECT_EQ(dialog.findChild<QProgressBar*>("progressBar")->value(), 2) << "a skipped function fills its share";
        return result;
    });
    expectQuestion("1   Plan", BothNights, "skipButton");
    m_list->findChild<QPushButton*>("deleteButton")->click();

    EXPECT_EQ(DeleteResult(result), DeleteResult::Done);
    EXPECT_EQ(remaining(), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(count(sentCommands(), Command::Delete), 0);
    EXPECT_EQ(appState().capacity.freeMemory, m_freeBefore);
    EXPECT_TRUE(eventTexts().empty());
}

TEST_F(DeleteTest, StopEndsTheDeletionWithTheEarlierFunctionsGone)
{
    startAndUpload();
    expectQuestion("1   Plan", BothNights, "stopButton");
    const Run run = deleteFunctions({4, 1, 5});
    EXPECT_EQ(run.result, DeleteResult::Done);
    EXPECT_EQ(remaining(), (std::vector<int>{1, 2, 3, 5}));
    EXPECT_EQ(run.barValue, 2);
    EXPECT_EQ(run.barMaximum, 6);
    EXPECT_EQ(run.caption, "Deleting control functions. Left: 2");
    EXPECT_EQ(appState().capacity.freeMemory, m_freeBefore + TypeSize(FunctionType::AlarmLimitOffset));
    EXPECT_EQ(eventTexts(), (std::vector<std::string>{"001:125 GW Market North\nAlarm is/are deleted"}));
}

TEST_F(DeleteTest, ClosingTheQuestionSkipsTheSchedule)
{
    startAndUpload();
    expectQuestion("1   Plan", BothNights, nullptr);
    const Run run = deleteFunctions({1, 5});
    EXPECT_EQ(run.result, DeleteResult::Done);
    EXPECT_EQ(remaining(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(run.barValue, 4);
}

TEST_F(DeleteTest, UsersDeletedBeforeTheirScheduleTakeItAlongWithoutAQuestion)
{
    startAndUpload();
    const Run run = deleteFunctions({2, 3, 1});
    EXPECT_EQ(run.result, DeleteResult::Done);
    EXPECT_EQ(remaining(), (std::vector<int>{4, 5}));
    EXPECT_EQ(run.barValue, 6);
    EXPECT_EQ(run.barMaximum, 6);
    EXPECT_EQ(run.caption, "Deleting control functions. Left: 1");
    EXPECT_EQ(run.text, "Plan" + QString(12 + 3, ' ') + "1");
    EXPECT_EQ(appState().capacity.freeMemory,
              m_freeBefore + 2u * TypeSize(FunctionType::DayNightControl) + TypeSize(FunctionType::YearlySchedule));

    // One telegram per function: {1, number}, P 255.
    const auto telegrams = sentTelegrams(Command::Delete);
    ASSERT_EQ(telegrams.size(), 3u);
    for (size_t i = 0; i < telegrams.size(); ++i) {
        EXPECT_EQ(telegrams[i][TelegramField::Parameter], 255);
        EXPECT_EQ(telegrams[i][TelegramField::Data], 1);
        EXPECT_EQ(telegrams[i][TelegramField::Data + 1], (std::array<int, 3>{2, 3, 1}[i]));
    }
    EXPECT_EQ(eventTexts(), (std::vector<std::string>{"001:125 GW Market North\nNight A, Night B, Plan is/are deleted"}));
}

TEST_F(DeleteTest, ARefusalEndsTheDeletionAndKeepsWhatWasDone)
{
    startAndUpload();
    m_script.expectMessage("Control function setup changed by another user. Please upload again.\nError updating ZUL.");
    const Run run = deleteFunctions({4, 60, 5});
    EXPECT_EQ(run.result, DeleteResult::Refused);
    EXPECT_EQ(remaining(), (std::vector<int>{1, 2, 3, 5}));
    EXPECT_EQ(eventTexts(), (std::vector<std::string>{"001:125 GW Market North\nAlarm is/are deleted"}));
}

TEST_F(DeleteTest, AnAnswerForAnotherFunctionEndsTheDeletion)
{
    startAndUpload({"--answer-other-function"});
    m_script.expectMessage("Control function setup changed by another user. Please upload again.");
    const Run run = deleteFunctions({4, 5});
    EXPECT_EQ(run.result, DeleteResult::Refused);
    EXPECT_TRUE(inTable(4)) << "an answer that is not for function 4 removes nothing here";
    EXPECT_GE(m_list->list().rowOf(4), 0);
    EXPECT_EQ(sentTelegrams(Command::Delete).size(), 1u);
    EXPECT_TRUE(eventTexts().empty());
}

TEST_F(DeleteTest, CancelEndsBeforeTheNextFunction)
{
    startAndUpload({"--latency", "300"});
    DeletDlg dialog(*m_list, serverWindow(), {2, 3, 4});
    auto* cancel = dialog.findChild<QPushButton*>("cancelButton");
    QTimer::singleShot(100, cancel, &QPushButton::click);
    EXPECT_EQ(DeleteResult(dialog.exec()), DeleteResult::Done);
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_EQ(remaining(), (std::vector<int>{1, 3, 4, 5}));
}

TEST_F(DeleteTest, ALostLinkEndsTheDeletion)
{
    startAndUpload({"--fail-link-after", "1"});
    m_script.expectMessage("Communication error. Please try again.");
    const Run run = deleteFunctions({2, 3, 4});
    EXPECT_EQ(run.result, DeleteResult::Done);
    EXPECT_EQ(remaining(), (std::vector<int>{1, 3, 4, 5}));
    EXPECT_EQ(run.barValue, 2);
}

} // namespace
