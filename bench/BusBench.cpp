// The gateway jobs against qelnetd answering each telegram after the latency
// of a slow field bus: what the program adds on top of the bus time, how many
// requests an upload from the backup file needs, whether the event loop keeps
// turning during a job, and an upload under a 16 MB ORPA.INI.
//
// Each figure is the best of BENCH_RUNS runs (default 3), since other work on
// the machine only ever adds time.

#include "BenchGateway.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "protocol/GatewayCodes.h"
#include "protocol/Telegram.h"
#include "support/DbStatus.h"
#include "support/OrpaPaths.h"
#include "support/Profile.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QTimer>

#include <fcntl.h>
#include <fstream>
#include <cstdlib>
#include <functional>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int g_runs = 3;

struct Run {
    double wallMs = std::numeric_limits<double>::max();
    int requests = 0;
    BenchServer::Parts parts;
};

// A job and what must be so before each run of it (not timed).
struct BenchJob {
    const char* name;
    std::function<bool(uint32_t serverWindow)> prepare;
    std::function<int(uint32_t serverWindow)> run;
};

bool uploaded(uint32_t serverWindow)
{
    McdefRecord header;
    return ReadBlock(1, BlockType::Header, 0, 0, header) == DbStatus::Success || RunUpload(serverWindow, false) >= 0;
}

bool nothing(uint32_t) { return true; }

int upload(uint32_t serverWindow) { return RunUpload(serverWindow, false); }

// The best of g_runs runs of a job against a server with the given latency.
Run bestRun(int latencyMs, const BenchJob& job, benchmark::State& state)
{
    BenchServer server;
    Run best;
    if (!server.start(latencyMs)) {
        state.SkipWithError("qelnetd did not start");
        return best;
    }
    for (int i = 0; i < g_runs; ++i) {
        if (!job.prepare(server.serverWindow())) {
            state.SkipWithError("the job's preparation failed");
            return best;
        }
        server.timesSinceLastCall();
        QElapsedTimer clock;
        clock.start();
        const int requests = job.run(server.serverWindow());
        const double wallMs = double(clock.nsecsElapsed()) / 1e6;
        const BenchServer::Parts parts = server.timesSinceLastCall();
        if (requests < 0) {
            state.SkipWithError("the job failed");
            return best;
        }
        if (wallMs < best.wallMs)
            best = {wallMs, requests, parts};
    }
    return best;
}

void busOverhead(benchmark::State& state, const BenchJob& job)
{
    const int latencyMs = int(state.range(0));
    Run run;
    for (auto _ : state) {
        run = bestRun(latencyMs, job, state);
        state.SetIterationTime(run.wallMs / 1000.0);
    }
    const double busMs = double(run.requests) * latencyMs;
    state.counters["requests"] = run.requests;
    state.counters["bus_ms"] = busMs;
    state.counters["program_ms"] = run.parts.programMs;
    state.counters["program_at_socket_ms"] = run.parts.programAtSocketMs;
    // What the simulated bus took beyond its latency: a late timer or a late wake-up of qelnetd.
    state.counters["bus_late_ms"] = run.parts.busMs - busMs;
    if (latencyMs > 0) {
        state.counters["wall_to_bus"] = run.wallMs / busMs;
        state.counters["program_pct_of_bus"] = 100.0 * run.parts.programMs / busMs;
        state.counters["program_at_socket_pct_of_bus"] = 100.0 * run.parts.programAtSocketMs / busMs;
    }
    state.SetLabel(latencyMs == 30 ? "aim: wall_to_bus <= 1.02, program_at_socket_pct_of_bus < 2" : "");
}

// The requests of an upload that takes every function from the backup file,
// against the least such an upload can do with.
void MinimumRequests(benchmark::State& state)
{
    BenchServer server;
    if (!server.start(0)) {
        state.SkipWithError("qelnetd did not start");
        return;
    }
    int requests = 0;
    for (auto _ : state) {
        if (RunUpload(server.serverWindow(), false) < 0 || !WriteBenchBackupFile()) {
            state.SkipWithError("no backup file");
            return;
        }
        requests = RunUpload(server.serverWindow(), true);
        if (requests < 0)
            state.SkipWithError("the upload failed");
    }
    const int minimum = MinimumBackupUploadRequests();
    state.counters["requests"] = requests;
    state.counters["lower_bound"] = minimum;
    state.counters["ratio"] = double(requests) / minimum;
    state.SetLabel("aim: ratio 1.0");
}

// The longest time between two ticks of a 10 ms timer while a job runs
// without latency, where the job has the most to do between telegrams. The
// tick's own 10 ms are part of the figure.
void longestTickGap(benchmark::State& state, const BenchJob& job)
{
    BenchServer server;
    double longestMs = std::numeric_limits<double>::max();
    for (auto _ : state) {
        for (int i = 0; i < g_runs; ++i) {
            if (!server.start(0) || !job.prepare(server.serverWindow())) {
                state.SkipWithError("no gateway to work on");
                return;
            }
            QElapsedTimer sinceTick;
            double longest = 0;
            QTimer ticker;
            ticker.setTimerType(Qt::PreciseTimer);
            QObject::connect(&ticker, &QTimer::timeout, [&] {
                longest = std::max(longest, double(sinceTick.nsecsElapsed()) / 1e6);
                sinceTick.restart();
            });
            QElapsedTimer clock;
            clock.start();
            ticker.start(10);
            sinceTick.start();
            const int requests = job.run(server.serverWindow());
            ticker.stop();
            longest = std::max(longest, double(sinceTick.nsecsElapsed()) / 1e6);
            state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
            if (requests < 0) {
                state.SkipWithError("the job failed");
                return;
            }
            longestMs = std::min(longestMs, longest);
        }
    }
    state.counters["longest_tick_gap_ms"] = longestMs;
    state.SetLabel("aim: longest_tick_gap_ms <= 50");
}

// A whole upload without latency with ORPA.INI as it is and with 16 MB of
// other programs' sections in front of it.
void UploadUnderLargeProfile(benchmark::State& state)
{
    const std::string profile = OrpaIniFile();
    std::string original;
    {
        std::ifstream in(profile, std::ios::binary);
        original.assign(std::istreambuf_iterator<char>(in), {});
    }
    uint64_t reads = 0;
    const auto timedUpload = [&state, &reads](BenchServer& server) {
        double best = std::numeric_limits<double>::max();
        for (int i = 0; i < g_runs; ++i) {
            const uint64_t readsBefore = ProfileFileReads();
            QElapsedTimer clock;
            clock.start();
            if (RunUpload(server.serverWindow(), false) < 0)
                state.SkipWithError("the upload failed");
            best = std::min(best, double(clock.nsecsElapsed()) / 1e6);
            reads = ProfileFileReads() - readsBefore;
        }
        return best;
    };
    BenchServer server;
    double plainMs = 0, largeMs = 0;
    for (auto _ : state) {
        if (!server.start(0)) {
            state.SkipWithError("qelnetd did not start");
            return;
        }
        plainMs = timedUpload(server);
        {
            std::ofstream out(profile, std::ios::binary | std::ios::trunc);
            const std::string filler = "Entry=a value some other program of the monitoring system keeps here\n";
            out << "[OtherProgram]\n";
            for (size_t written = 0; written < 16u * 1024 * 1024; written += filler.size())
                out << filler;
            out << original;
        }
        // On disk before the upload's own flushes, which would otherwise wait for these 16 MB.
        if (const int fd = ::open(profile.c_str(), O_RDONLY); fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
        // Changed an hour ago, as a plant's profile is: a file changed just
        // now is read again for every key until its times can be trusted.
        struct stat written {};
        stat(profile.c_str(), &written);
        const timespec anHourEarlier{written.st_mtim.tv_sec - 3600, 0};
        const timespec times[2] = {anHourEarlier, anHourEarlier};
        utimensat(AT_FDCWD, profile.c_str(), times, 0);
        largeMs = timedUpload(server);
        std::ofstream(profile, std::ios::binary | std::ios::trunc) << original;
        state.SetIterationTime(largeMs / 1000.0);
    }
    state.counters["upload_ms"] = plainMs;
    state.counters["upload_ms_16MB_profile"] = largeMs;
    state.counters["profile_reads_per_upload"] = double(reads);
    state.SetLabel("aim: the profile read once per upload at most");
}

void registerAll()
{
    const auto startOrStop = [](uint8_t command) {
        return [command](uint32_t window) { return RunStartOrStopOfEveryFunction(window, command); };
    };
    const auto uploadedAnd = [](uint8_t command) {
        return [command](uint32_t window) {
            return uploaded(window) && RunStartOrStopOfEveryFunction(window, command) >= 0;
        };
    };
    static const BenchJob onTheBus[] = {
        {"BusOverhead/upload", nothing, upload},
        {"BusOverhead/update_every_function", uploaded, RunUpdateOfEveryFunction},
        {"BusOverhead/start_every_function", uploadedAnd(Command::Stop), startOrStop(Command::Start)},
        {"BusOverhead/stop_every_function", uploadedAnd(Command::Start), startOrStop(Command::Stop)},
    };
    for (const BenchJob& job : onTheBus)
        benchmark::RegisterBenchmark(job.name, busOverhead, job)
            ->Arg(0)->Arg(10)->Arg(30)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("MinimumRequests/upload_from_backup", MinimumRequests)
        ->Iterations(1)->Unit(benchmark::kMillisecond);
    const auto freshUpload = [](uint32_t window) { return RunUpload(window, false) >= 0; };
    static const BenchJob busy[] = {
        {"LongestTickGap/upload", nothing, upload},
        {"LongestTickGap/update_every_function", freshUpload, RunUpdateOfEveryFunction},
        {"LongestTickGap/delete_every_function", freshUpload, RunDeletionOfEveryFunction},
    };
    for (const BenchJob& job : busy)
        benchmark::RegisterBenchmark(job.name, longestTickGap, job)
            ->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("UploadUnderLargeProfile", UploadUnderLargeProfile)
        ->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char** argv)
{
    if (const char* runs = std::getenv("BENCH_RUNS"))
        g_runs = std::max(1, std::atoi(runs));
    registerAll();
    return RunGatewayBenchmarks(argc, argv);
}
