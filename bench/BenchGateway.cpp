#include "BenchGateway.h"

#include "FullGateway.h"
#include "GatewayImage.h"
#include "gateway/BackupFile.h"
#include "gateway/BackupWriter.h"
#include "gateway/StartStopJob.h"
#include "gateway/UpdateJob.h"
#include "gateway/UploadJob.h"
#include "list/DeleteJob.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "PlantBuilder.h"
#include "protocol/LittleEndian.h"
#include "protocol/TypeCatalogue.h"
#include "support/ConsoleUi.h"
#include "support/Db.h"
#include "support/RecordStore.h"
#include "support/ServerLink.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <utility>

namespace {

std::string g_home;

std::string masterImage() { return g_home + "/full-gateway.img"; }

// Runs a job until it is done, as its progress dialog would.
template <typename Job>
void runToEnd(Job& job)
{
    QEventLoop loop;
    QObject::connect(&job, &GatewayExchange::done, &loop, &QEventLoop::quit);
    job.start();
    if (!job.finished())
        loop.exec();
}

// Requests needed to read one data block: the yearly schedule's 30 periods
// come 10 to a request, the Po optimizer's lists 20 entries to a portion.
int dataBlockRequests(const GatewayFunction& function, uint8_t block)
{
    if (function.type == FunctionType::YearlySchedule && block == 4)
        return 3;
    if (function.type == FunctionType::PoOptimizer && block >= 2)
        return std::max<int>(1, (int(function.slot(1, 1).size()) + 19) / 20);
    return 1;
}

} // namespace

namespace {

bool prepareHome(const std::string& folder)
{
    g_home = folder + "/home";
    if (auto error = BuildPlantHome(g_home, DefaultPlantDescription(), false)) {
        std::fprintf(stderr, "%s\n", error->message().c_str());
        return false;
    }
    setenv("ORPA_HOME", g_home.c_str(), 1);
    if (auto error = WriteGatewayImage(masterImage(), FullGateway())) {
        std::fprintf(stderr, "%s\n", error->c_str());
        return false;
    }
    for (const char* table : {table::NetCnf, table::QebDes, table::McParDef, table::XrtBrug, table::EventLog})
        DbOpen(table, table == table::McParDef || table == table::EventLog ? DbMode::Normal : DbMode::ReadOnly);
    return true;
}

} // namespace

int RunGatewayBenchmarks(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    InstallTextService();
    ConsoleUi noWindows(IDYES);
    QTemporaryDir dir;
    if (!prepareHome(dir.path().toStdString()))
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    RecordStore::instance().closeAll();
    return 0;
}

// The program's socket, timing from each answer's arrival until the next telegram leaves.
class ProgramClockTransport : public LocalSocketTransport {
public:
    ProgramClockTransport()
    {
        // Connected before the server link's own handler, so the arrival is taken before any work on it.
        connect(this, &ServerTransport::received, this, [this](const QByteArray& bytes) {
            m_frames.append(bytes);
            while (const std::optional<ServerFrame> frame = m_frames.next())
                if (frame->message == ServerMessage::Answer)
                    m_answerAt = m_clock.nsecsElapsed();
        });
        m_clock.start();
    }

    bool write(const QByteArray& bytes) override
    {
        const bool telegram = bytes.size() >= ServerFrameHeaderSize
            && le::u16(reinterpret_cast<const uint8_t*>(bytes.constData()) + 4) == ServerMessage::Send;
        if (telegram && m_answerAt) {
            m_programNs += m_clock.nsecsElapsed() - *m_answerAt;
            m_answerAt.reset();
        }
        return LocalSocketTransport::write(bytes);
    }

    // The time so far; an answer that came before does not count towards the next telegram.
    double takeProgramMs()
    {
        m_answerAt.reset();
        return double(std::exchange(m_programNs, 0)) / 1e6;
    }

private:
    QElapsedTimer m_clock;
    ServerFrameReader m_frames;
    std::optional<qint64> m_answerAt;
    qint64 m_programNs = 0;
};

BenchServer::~BenchServer() { stop(); }

bool BenchServer::start(int latencyMs)
{
    stop();
    const std::string image = g_home + "/gateways/gateway-001.img";
    QFile::remove(QString::fromStdString(image));
    if (!QFile::copy(QString::fromStdString(masterImage()), QString::fromStdString(image))) {
        std::fprintf(stderr, "cannot copy the gateway image to %s\n", image.c_str());
        return false;
    }
    m_trace = g_home + "/qelnet.trace";
    m_traceRead = 0;
    QFile::remove(QString::fromStdString(m_trace));
    const QString socket = ServerLink::socketPath();
    QFile::remove(socket);
    m_process.start(QStringLiteral(QELNETD_PATH),
                    {"--socket", socket, "--gateway", QString::fromStdString("001=" + image), "--latency",
                     QString::number(latencyMs), "--trace", QString::fromStdString(m_trace)});
    for (int i = 0; i < 250 && !QFileInfo::exists(socket); ++i)
        QThread::msleep(20);
    auto programClock = std::make_unique<ProgramClockTransport>();
    m_programClock = programClock.get();
    ServerLink::instance().setTransport(std::move(programClock));
    m_session = std::make_unique<GatewaySession>(BenchGatewayAddress);
    std::string error;
    if (!m_session->open(error)) {
        std::fprintf(stderr, "qelnetd at %s: %s\n", qPrintable(socket), error.c_str());
        return false;
    }
    timesSinceLastCall();
    return true;
}

void BenchServer::stop()
{
    if (m_session) {
        m_session->close();
        m_session.reset();
    }
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        m_process.waitForFinished();
    }
    // The next server is another process: the link must not write into the old socket.
    XRServerUnInitC();
}

BenchServer::Parts BenchServer::timesSinceLastCall()
{
    std::ifstream trace(m_trace);
    trace.seekg(m_traceRead);
    Parts parts;
    double lastAnswer = -1;
    double lastRequest = -1;
    std::string line;
    while (std::getline(trace, line)) {
        if (trace.eof())
            break; // a line still being written
        m_traceRead += long(line.size()) + 1;
        std::istringstream fields(line);
        double milliseconds = 0;
        char direction = 0;
        fields >> milliseconds >> direction;
        if (direction == '<') {
            if (lastRequest >= 0)
                parts.busMs += milliseconds - lastRequest;
            lastAnswer = milliseconds;
            lastRequest = -1;
        } else if (direction == '>') {
            if (lastAnswer >= 0)
                parts.programMs += milliseconds - lastAnswer;
            lastRequest = milliseconds;
            lastAnswer = -1;
        }
    }
    if (m_programClock)
        parts.programAtSocketMs = m_programClock->takeProgramMs();
    return parts;
}

int RunUpload(uint32_t serverWindow, bool useBackupFile)
{
    if (!useBackupFile)
        QFile::remove(QString::fromStdString(BackupFileName(BenchGatewayAddress)));
    UploadJob job(BenchGatewayAddress, serverWindow, false, nullptr);
    runToEnd(job);
    return job.result() == UploadResult::UpToDate ? job.telegramsSent() : -1;
}

int RunUpdateOfEveryFunction(uint32_t serverWindow)
{
    // As mcftool update does: the texts of the jobs from one opening of ORPATEXT.
    ScopedTable texts(table::OrpaText, DbMode::ReadOnly);
    int telegrams = 0;
    for (int number = 1; number <= MaxFunctionNumber; ++number) {
        McdefRecord header;
        if (ReadBlock(uint8_t(number), BlockType::Header, 0, 0, header) != DbStatus::Success)
            return -1;
        UpdateJob job(BenchGatewayAddress, serverWindow, uint8_t(number), UpdateMode::WholeFunction,
                      TypeWritableBlocks(header.type()), nullptr, nullptr);
        runToEnd(job);
        if (job.result() != UpdateResult::Done)
            return -1;
        telegrams += job.telegramsSent();
    }
    return telegrams;
}

int RunStartOrStopOfEveryFunction(uint32_t serverWindow, uint8_t command)
{
    std::vector<uint8_t> numbers;
    for (const auto& [number, function] : FullGateway().functions)
        if (!TypeIsPassive(function.type))
            numbers.push_back(number);
    StartStopJob job(BenchGatewayAddress, serverWindow, command, numbers, {}, nullptr);
    runToEnd(job);
    return job.result() == StartStopResult::Done ? job.telegramsSent() : -1;
}

int RunDeletionOfEveryFunction(uint32_t serverWindow)
{
    // The schedule last, when nothing references it any more.
    std::vector<uint8_t> numbers;
    for (int number = MaxFunctionNumber; number >= 1; --number)
        numbers.push_back(uint8_t(number));
    DeleteJob::Hooks hooks;
    hooks.askReference = [](const ReferenceQuestion&) { return ReferenceChoice::Stop; };
    DeleteJob job(BenchGatewayAddress, serverWindow, numbers, std::move(hooks), nullptr);
    runToEnd(job);
    const bool all = job.result() == DeleteResult::Done && job.deletedNumbers().size() == numbers.size();
    return all ? job.telegramsSent() : -1;
}

bool WriteBenchBackupFile()
{
    std::vector<ListedFunction> functions;
    return ListedFunctionsFromTable(functions) == DbStatus::Success
        && WriteBackupFile(BenchGatewayAddress, functions, nullptr) == BackupWriteResult::Written;
}

int MinimumBackupUploadRequests()
{
    constexpr int StampsPerRequest = 18;
    const GatewayState gateway = FullGateway();
    const int functions = int(gateway.functions.size());
    int requests = 3 + (functions + StampsPerRequest - 1) / StampsPerRequest;
    for (const auto& [number, function] : gateway.functions)
        for (const uint8_t block : TypeUploadBlocks(function.type))
            if (function.blocks[size_t(block - 1)].present)
                requests += dataBlockRequests(function, block);
    return requests;
}

double PeakResidentMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return 0;
}
