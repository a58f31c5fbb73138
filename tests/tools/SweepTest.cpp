// Fault sweeps over the gateway jobs, run as mcftool against a real qelnetd
// on the small gateway 002 of the demo home: a link failure after every
// telegram of the job, an unexpected answer in place of every telegram's
// answer, and the server's refusal, changed-stamp, memory-full and
// other-function faults. Every run starts from the same state and is followed
// by the integrity check of every table file and the gateway image, and by
// the same job (the delete: an upload and the deletion of what is left) run
// without a fault, which must succeed. A job that a fault cut short must fail.

#include "GatewayImage.h"
#include "model/McdefRecord.h"
#include "model/Records.h"
#include "QelnetProcess.h"
#include "support/RecordStore.h"
#include "support/TableSchema.h"
#include "TestHome.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int JobTimeoutMs = 30000;

enum class Job { Upload, UploadFromBackup, Update, Start, Stop, Delete };
enum class Fault { LinkFailure, UnexpectedAnswer, ServerSwitches };

struct SweepCase {
    Job job;
    Fault fault;
};

std::string jobName(Job job)
{
    switch (job) {
    case Job::Upload: return "upload";
    case Job::UploadFromBackup: return "upload_from_backup";
    case Job::Update: return "update";
    case Job::Start: return "start";
    case Job::Stop: return "stop";
    case Job::Delete: return "delete";
    }
    return {};
}

std::string faultName(Fault fault)
{
    switch (fault) {
    case Fault::LinkFailure: return "link_failure";
    case Fault::UnexpectedAnswer: return "unexpected_answer";
    case Fault::ServerSwitches: return "server_switches";
    }
    return {};
}

// Names the case in the test list instead of its bytes.
void PrintTo(const SweepCase& sweep, std::ostream* out) { *out << jobName(sweep.job) << " " << faultName(sweep.fault); }

// What the runs of one sweep came to.
struct Tally {
    int runs = 0;
    int crashes = 0;
    int hangs = 0;
    int integrityFailures = 0;
    int wrongExitCodes = 0;
    int failedRecoveries = 0;
    std::vector<std::string> findings;

    bool clean() const { return crashes + hangs + integrityFailures + wrongExitCodes + failedRecoveries == 0; }
};

class SweepTest : public ::testing::TestWithParam<SweepCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.ok());
        m_snapshot = fs::path(m_snapshotDir.path().toStdString());
        prepare();
        if (HasFatalFailure())
            return;
        saveSnapshot();
    }

    Job job() const { return GetParam().job; }
    static QString mcftool() { return QStringLiteral(MCFTOOL_PATH); }
    QString home() const { return QString::fromStdString(m_home.path()); }
    fs::path homePath() const { return fs::path(m_home.path()); }

    ToolRun tool(const QStringList& arguments) const { return RunTool(mcftool(), arguments, JobTimeoutMs); }
    ToolRun verb(const QString& name, const QStringList& rest = {}) const
    {
        return tool(QStringList{name, home(), QStringLiteral("002")} + rest);
    }

    void startServer(const QStringList& options = {})
    {
        m_server.reset();
        QStringList arguments = options;
        for (const char* network : {"001", "002"})
            arguments << "--gateway"
                      << QString::fromStdString(std::string(network) + "=" + image(network));
        m_server = std::make_unique<QelnetProcess>(home(), arguments);
        ASSERT_TRUE(m_server->running());
    }

    std::string image(const std::string& network) const { return m_home.path() + "gateways/gateway-" + network + ".img"; }

    // The state every run of the job starts from.
    void prepare()
    {
        if (job() == Job::Upload)
            return;
        startServer();
        expectDone(verb("upload"));
        if (job() == Job::UploadFromBackup)
            expectDone(tool({"backup", "write", home(), "002"}));
        if (job() == Job::Start)
            expectDone(verb("stop", {"2", "3"}));
        m_server.reset();
    }

    static void expectDone(const ToolRun& run) { ASSERT_EQ(run.exitCode, 0) << run.out << run.err; }

    // The delete frees the schedule 1 by deleting its users 2 and 4 first.
    inline static const QStringList DeletedFunctions{"2", "4", "1"};

    // The job under test.
    ToolRun runJob() const
    {
        switch (job()) {
        case Job::Upload:
        case Job::UploadFromBackup: return verb("upload");
        case Job::Update: return verb("update", {"1", "2", "3", "--password", "1234"});
        case Job::Start: return verb("start", {"2", "3"});
        case Job::Stop: return verb("stop", {"2", "3"});
        case Job::Delete: return verb("delete", DeletedFunctions);
        }
        return {};
    }

    // The folders a job changes: the tables, the backup files, the gateway images.
    std::vector<std::string> stateFolders() const { return {"data", "zul", "gateways"}; }

    void saveSnapshot() const
    {
        for (const std::string& folder : stateFolders())
            fs::copy(homePath() / folder, m_snapshot / folder, fs::copy_options::recursive);
    }

    void restoreSnapshot() const
    {
        for (const std::string& folder : stateFolders()) {
            fs::remove_all(homePath() / folder);
            fs::copy(m_snapshot / folder, homePath() / folder, fs::copy_options::recursive);
        }
    }

    // The telegrams the job sends when nothing goes wrong.
    int telegramsOfTheJob()
    {
        restoreSnapshot();
        startServer();
        const ToolRun run = runJob();
        EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        const int telegrams = int(m_server->sentCommands().size());
        m_server.reset();
        return telegrams;
    }

    // Every table file passes the integrity check and the gateway image still reads.
    std::vector<std::string> integrityProblems() const
    {
        std::vector<std::string> problems;
        for (const TableSchema& schema : AllTableSchemas())
            if (const auto problem = RecordStore::checkTableFile(m_home.dataDir() + schema.name + ".DAT", schema.name))
                problems.push_back(*problem);
        if (const auto problem = RecordStore::checkTableFile(m_home.dataDir() + "MCDEF.NEW", "MCDEF", true))
            problems.push_back(*problem);
        std::string error;
        if (!ReadGatewayImage(image("002"), error))
            problems.push_back(image("002") + ": " + error);
        return problems;
    }

    // The functions the delete asked for that MCDEF still holds, in the order asked.
    static QStringList functionsLeft()
    {
        std::set<uint8_t> held;
        for (const auto& bytes : TestHome::records(table::Mcdef)) {
            const McdefRecord record = McdefRecord::fromBytes(bytes.data());
            if (record.blockType() == BlockType::Header)
                held.insert(record.number());
        }
        RecordStore::instance().closeAll();
        QStringList left;
        for (const QString& number : DeletedFunctions)
            if (held.count(uint8_t(number.toInt())))
                left << number;
        return left;
    }

    // The job run again without a fault; an empty text when it succeeded.
    std::string recover()
    {
        startServer();
        std::string failure;
        const auto expect = [&failure](const std::string& what, const ToolRun& run) {
            if (failure.empty() && run.exitCode != 0)
                failure = what + " ended with " + std::to_string(run.exitCode) + ": " + run.err;
        };
        if (job() == Job::Delete) {
            expect("the upload", verb("upload"));
            const QStringList left = functionsLeft();
            if (!left.isEmpty())
                expect("the deletion of " + left.join(' ').toStdString(), verb("delete", left));
        } else {
            expect("the job", runJob());
        }
        m_server.reset();
        return failure;
    }

    // One run under a fault; `cutShort` when the fault must make the job fail.
    void runOnce(Tally& tally, const std::string& label, const QStringList& faultOptions, bool cutShort)
    {
        ++tally.runs;
        restoreSnapshot();
        startServer(faultOptions);
        const ToolRun run = runJob();
        m_server.reset();
        const auto note = [&](int& count, const std::string& what) {
            ++count;
            tally.findings.push_back(label + ": " + what);
        };
        if (run.crashed)
            note(tally.crashes, "mcftool crashed\n" + run.err);
        else if (run.timedOut)
            note(tally.hangs, "mcftool did not end");
        else if (run.exitCode != 0 && run.exitCode != 1)
            note(tally.wrongExitCodes, "exit code " + std::to_string(run.exitCode) + "\n" + run.err);
        else if (cutShort && run.exitCode != 1)
            note(tally.wrongExitCodes, "exit code 0 for a job the fault cut short\n" + run.out);
        for (const std::string& problem : integrityProblems())
            note(tally.integrityFailures, problem);
        if (const std::string failure = recover(); !failure.empty())
            note(tally.failedRecoveries, failure);
    }

    void report(const Tally& tally) const
    {
        std::cout << "sweep " << jobName(job()) << " " << faultName(GetParam().fault) << ": " << tally.runs
                  << " runs, " << tally.crashes << " crashes, " << tally.hangs << " hangs, " << tally.integrityFailures
                  << " integrity failures, " << tally.wrongExitCodes << " wrong exit codes, "
                  << tally.failedRecoveries << " failed recoveries" << std::endl;
        for (const std::string& finding : tally.findings)
            ADD_FAILURE() << finding;
    }

    TestHome m_home;
    QTemporaryDir m_snapshotDir;
    fs::path m_snapshot;
    std::unique_ptr<QelnetProcess> m_server;
};

TEST_P(SweepTest, EveryRunEndsCleanAndTheNextRunSucceeds)
{
    const int telegrams = telegramsOfTheJob();
    ASSERT_GT(telegrams, 0);
    Tally tally;
    switch (GetParam().fault) {
    case Fault::LinkFailure:
        for (int sent = 0; sent < telegrams; ++sent)
            runOnce(tally, "link failure after " + std::to_string(sent) + " of " + std::to_string(telegrams),
                    {"--fail-link-after", QString::number(sent)}, true);
        break;
    case Fault::UnexpectedAnswer:
        for (int telegram = 1; telegram <= telegrams; ++telegram)
            runOnce(tally, "unexpected answer to telegram " + std::to_string(telegram) + " of " + std::to_string(telegrams),
                    {"--unexpected-answer", QString::number(telegram)}, true);
        break;
    case Fault::ServerSwitches:
        // Only writes are refused; the update is the job that writes.
        runOnce(tally, "refused writes", {"--refuse-writes", "3"}, job() == Job::Update);
        runOnce(tally, "changed stamps", {"--changed-stamp"}, job() == Job::Update);
        runOnce(tally, "memory full", {"--memory-full"}, false);
        runOnce(tally, "answers for another function", {"--answer-other-function"}, false);
        break;
    }
    report(tally);
    EXPECT_TRUE(tally.clean());
}

std::vector<SweepCase> allCases()
{
    std::vector<SweepCase> cases;
    for (const Job job : {Job::Upload, Job::UploadFromBackup, Job::Update, Job::Start, Job::Stop, Job::Delete})
        for (const Fault fault : {Fault::LinkFailure, Fault::UnexpectedAnswer, Fault::ServerSwitches})
            cases.push_back({job, fault});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Jobs, SweepTest, ::testing::ValuesIn(allCases()),
                         [](const ::testing::TestParamInfo<SweepCase>& info) {
                             return jobName(info.param.job) + "_" + faultName(info.param.fault);
                         });

} // namespace
