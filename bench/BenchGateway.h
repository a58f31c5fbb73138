#pragma once
// What the gateway benchmarks share: a home built from the demo plant whose
// gateway 001 holds all 105 functions (FullGateway), a qelnetd serving a fresh
// copy of that gateway with a chosen answer latency, and the jobs run as
// velt runs them, each until it is done.

#include "gateway/GatewaySession.h"

#include <QProcess>

#include <memory>
#include <string>

constexpr const char* BenchGatewayAddress = "001:125";

// Runs the benchmarks registered so far in an offscreen application, on a
// home of their own with the tables open as velt keeps them; a message box
// would stop the measurement, so messages are printed instead.
int RunGatewayBenchmarks(int argc, char** argv);

// A qelnetd with its trace, serving a fresh copy of the full gateway.
class ProgramClockTransport;

class BenchServer {
public:
    ~BenchServer();
    // Starts it with each answer latencyMs after its telegram and connects
    // the gateway; false after printing why.
    bool start(int latencyMs);
    void stop();
    uint32_t serverWindow() const { return m_session ? m_session->serverWindow() : 0; }
    // From the trace, since the previous call (or the start): the program's
    // part, summed over every telegram that follows an answer, from that
    // answer leaving the server until the telegram reached it (both socket
    // hops included); and the bus's part, from each telegram's arrival until
    // its answer left. And the program's part as the program's own socket
    // sees it: from each answer's arrival until the next telegram left, with
    // neither socket hop nor the waking of either process.
    struct Parts {
        double programMs = 0;
        double busMs = 0;
        double programAtSocketMs = 0;
    };
    Parts timesSinceLastCall();

private:
    QProcess m_process;
    std::unique_ptr<GatewaySession> m_session;
    ProgramClockTransport* m_programClock = nullptr; // owned by the server link
    std::string m_trace;
    long m_traceRead = 0;
};

// The jobs; each returns the telegrams it sent, or -1 when it did not succeed.
int RunUpload(uint32_t serverWindow, bool useBackupFile);
int RunUpdateOfEveryFunction(uint32_t serverWindow);
// Start or stop: every function but the schedule, which is always active.
int RunStartOrStopOfEveryFunction(uint32_t serverWindow, uint8_t command);
int RunDeletionOfEveryFunction(uint32_t serverWindow);
// Writes the backup file from MCDEF, as closing the function list does.
bool WriteBenchBackupFile();

// Requests a backup upload of the full gateway cannot do without: memory,
// directory, net-configuration stamp, the stamp batches, and the data blocks
// that are read from the gateway every time.
int MinimumBackupUploadRequests();

// The peak resident size of this process in MiB (VmHWM).
double PeakResidentMiB();
