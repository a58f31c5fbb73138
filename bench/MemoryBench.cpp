// The program's peak resident size with the full gateway uploaded and its
// function list open: the upload and the list run here as in velt, with the
// same libraries. Run it in a process of its own: the peak is the process's.

#include "BenchGateway.h"
#include "list/FunctionListCtrl.h"
#include "list/MCFODlg.h"

#include <benchmark/benchmark.h>

#include <QApplication>

namespace {

void PeakMemoryWithFunctionListOpen(benchmark::State& state)
{
    BenchServer server;
    if (!server.start(0)) {
        state.SkipWithError("qelnetd did not start");
        return;
    }
    for (auto _ : state) {
        if (RunUpload(server.serverWindow(), false) < 0) {
            state.SkipWithError("the upload failed");
            return;
        }
        MCFODlg list(BenchGatewayAddress, "GW Market North", true, {});
        list.show();
        QCoreApplication::processEvents();
        if (list.list().rowCount() != 105)
            state.SkipWithError("not every function listed");
    }
    state.counters["peak_rss_MiB"] = PeakResidentMiB();
    state.SetLabel("aim: peak_rss_MiB < 120");
}

BENCHMARK(PeakMemoryWithFunctionListOpen)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return RunGatewayBenchmarks(argc, argv); }
