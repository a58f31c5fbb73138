// A full upload of a gateway with 105 functions from the simulated gateway
// (qelnetd without latency), and the consistency check over the uploaded
// table. The upload reports the telegrams it exchanged and the program's own
// processor time per telegram.

#include "FullGateway.h"
#include "gateway/ConsistencyCheck.h"
#include "gateway/GatewaySession.h"
#include "gateway/UploadJob.h"
#include "GatewayImage.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "PlantBuilder.h"
#include "protocol/TypeCatalogue.h"
#include "support/ConsoleUi.h"
#include "support/Db.h"
#include "support/ServerLink.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <sys/resource.h>

namespace {

std::string g_home;
uint32_t g_serverWindow = 0;

bool runUpload(int& telegrams, double& cpuSeconds)
{
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    UploadJob job("001:125", g_serverWindow, false, nullptr);
    QEventLoop loop;
    QObject::connect(&job, &GatewayExchange::done, &loop, &QEventLoop::quit);
    job.start();
    if (!job.finished())
        loop.exec();
    getrusage(RUSAGE_SELF, &after);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    cpuSeconds = seconds(after.ru_utime) - seconds(before.ru_utime) + seconds(after.ru_stime)
        - seconds(before.ru_stime);
    telegrams = job.telegramsSent();
    return job.result() == UploadResult::UpToDate;
}

void FullUpload(benchmark::State& state)
{
    int telegrams = 0;
    double cpu = 0;
    std::vector<double> perTelegram;
    for (auto _ : state) {
        if (!runUpload(telegrams, cpu))
            state.SkipWithError("the upload failed");
        perTelegram.push_back(cpu * 1000.0 / telegrams);
    }
    std::sort(perTelegram.begin(), perTelegram.end());
    state.counters["telegrams"] = telegrams;
    state.counters["own_cpu_ms_per_telegram_median"] = perTelegram.empty() ? 0 : perTelegram[perTelegram.size() / 2];
}

void ConsistencyCheckOfTheFullTable(benchmark::State& state)
{
    int telegrams = 0;
    double cpu = 0;
    if (!runUpload(telegrams, cpu))
        state.SkipWithError("the upload failed");
    ConsistencyCheck::Directory directory{};
    directory[1].type = FunctionType::YearlySchedule;
    for (int n = 2; n <= 105; ++n)
        directory[size_t(n)].type = FunctionType::DayNightControl;
    for (auto _ : state) {
        ConsistencyCheck check("001:125", directory);
        for (int n = 1; n <= 105; ++n)
            check.checkFunction(uint8_t(n));
        check.markFunctions();
        state.counters["records"] = check.recordsChecked();
    }
}

BENCHMARK(FullUpload)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(ConsistencyCheckOfTheFullTable)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    InstallTextService();
    ConsoleUi noWindows(IDYES);
    QTemporaryDir dir;
    g_home = dir.path().toStdString() + "/home";
    if (auto error = BuildPlantHome(g_home, DefaultPlantDescription(), false)) {
        std::fprintf(stderr, "%s\n", error->message().c_str());
        return 1;
    }
    setenv("ORPA_HOME", g_home.c_str(), 1);
    const std::string image = g_home + "/gateways/gateway-001.img";
    if (auto error = WriteGatewayImage(image, FullGateway())) {
        std::fprintf(stderr, "%s\n", error->c_str());
        return 1;
    }
    for (const char* table : {table::NetCnf, table::QebDes, table::McParDef, table::XrtBrug, table::EventLog})
        DbOpen(table, table == table::McParDef || table == table::EventLog ? DbMode::Normal : DbMode::ReadOnly);

    QProcess server;
    const QString socket = QString::fromStdString(g_home + "/qelnet.sock");
    server.start(QStringLiteral(QELNETD_PATH),
                 {"--socket", socket, "--gateway", QString::fromStdString("001=" + image)});
    for (int i = 0; i < 100 && !QFileInfo::exists(socket); ++i)
        QThread::msleep(20);
    GatewaySession session("001:125");
    std::string error;
    if (!session.open(error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    g_serverWindow = session.serverWindow();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    session.close();
    server.terminate();
    server.waitForFinished();
    RecordStore::instance().closeAll();
    return 0;
}
