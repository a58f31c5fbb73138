// A full upload of a gateway with 105 functions from the simulated gateway
// (qelnetd without latency), and the consistency check over the uploaded
// table. The upload reports the telegrams it exchanged and the program's own
// processor time per telegram.

#include "BenchGateway.h"
#include "gateway/ConsistencyCheck.h"
#include "gateway/UploadJob.h"
#include "protocol/TypeCatalogue.h"

#include <benchmark/benchmark.h>

#include <QEventLoop>

#include <algorithm>
#include <sys/resource.h>
#include <vector>

namespace {

bool runUpload(uint32_t serverWindow, int& telegrams, double& cpuSeconds)
{
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    UploadJob job(BenchGatewayAddress, serverWindow, false, nullptr);
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
    BenchServer server;
    if (!server.start(0)) {
        state.SkipWithError("qelnetd did not start");
        return;
    }
    int telegrams = 0;
    double cpu = 0;
    std::vector<double> perTelegram;
    for (auto _ : state) {
        if (!runUpload(server.serverWindow(), telegrams, cpu))
            state.SkipWithError("the upload failed");
        perTelegram.push_back(cpu * 1000.0 / telegrams);
    }
    std::sort(perTelegram.begin(), perTelegram.end());
    state.counters["telegrams"] = telegrams;
    state.counters["own_cpu_ms_per_telegram_median"] = perTelegram.empty() ? 0 : perTelegram[perTelegram.size() / 2];
}

void ConsistencyCheckOfTheFullTable(benchmark::State& state)
{
    BenchServer server;
    int telegrams = 0;
    double cpu = 0;
    if (!server.start(0) || !runUpload(server.serverWindow(), telegrams, cpu)) {
        state.SkipWithError("the upload failed");
        return;
    }
    ConsistencyCheck::Directory directory{};
    directory[1].type = FunctionType::YearlySchedule;
    for (int n = 2; n <= 105; ++n)
        directory[size_t(n)].type = FunctionType::DayNightControl;
    for (auto _ : state) {
        ConsistencyCheck check(BenchGatewayAddress, directory);
        for (int n = 1; n <= 105; ++n)
            check.checkFunction(uint8_t(n));
        check.markFunctions();
        state.counters["records"] = check.recordsChecked();
    }
}

BENCHMARK(FullUpload)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(ConsistencyCheckOfTheFullTable)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return RunGatewayBenchmarks(argc, argv); }
