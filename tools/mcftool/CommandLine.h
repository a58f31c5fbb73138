#pragma once
// What every mcftool verb shares: the verb table's row, the argument parser,
// the usage message, the home and network arguments, running a gateway job to
// its end and reporting its result. A verb lives in main.cpp or in a file of
// its own and uses these.

#include "gateway/GatewayExchange.h"
#include "gateway/GatewaySession.h"
#include "model/McdefRecord.h"
#include "model/Records.h"

#include <QEventLoop>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mcftool {

enum ExitCode : int { Done = 0, Failed = 1, Usage = 2 };

using Args = std::vector<std::string>;

struct Verb {
    const char* name;     // one or two words, e.g. "plant init"
    const char* synopsis; // the arguments after the name
    const char* summary;  // one line for the overview
    const char* help;     // the full explanation for "help VERB"
    int (*run)(const Args& args);
    bool paintsText = false; // measures and paints text: needs the GUI application
};

const std::vector<Verb>& verbs();
const Verb* findVerb(const std::string& name);

// The arguments of a verb split into positional ones and flags.
struct ParsedArgs {
    Args positional;
    std::vector<std::pair<std::string, std::string>> flags;

    bool has(const std::string& flag) const
    {
        for (const auto& [name, value] : flags)
            if (name == flag)
                return true;
        return false;
    }
    std::optional<std::string> value(const std::string& flag) const
    {
        for (const auto& [name, value] : flags)
            if (name == flag)
                return value;
        return std::nullopt;
    }
};

// A flag that takes a value (listed in `valued`) consumes the next argument.
// Unknown flags are an error.
std::optional<ParsedArgs> parseArgs(const Args& args, const std::vector<std::string>& plain,
                                    const std::vector<std::string>& valued, std::string& error);

// Prints the problem and the verb's synopsis; returns Usage.
int usageError(const char* verbName, const std::string& problem);

bool useHome(const std::string& home, std::string& error);
std::optional<std::string> gatewayOf(const std::string& network);
// The usage error of a NETWORK argument that names no gateway; returns Usage.
int networkUsageError(const char* verbName, const std::string& network);
std::optional<std::vector<uint8_t>> functionNumbers(const Args& texts, std::string& error);
// The same, where no number at all means every function (an empty list).
std::optional<std::vector<uint8_t>> optionalFunctionNumbers(const Args& texts, std::string& error);
std::string tableProblem(const char* table, uint16_t status);
bool functionsInTable(const std::vector<uint8_t>& numbers, std::string& error);
// The gateway's record of NETCNF; nothing, with "gateway 001:125 is not in
// NETCNF" or the table's problem in `error`, when it cannot be read.
std::optional<NetCnfRecord> gatewayNode(const std::string& gatewayAddress, std::string& error);

// Runs a job to its end in this thread's event loop; its result.
template <typename Job>
auto runJob(Job& job)
{
    QEventLoop loop;
    QObject::connect(&job, &GatewayExchange::done, &loop, &QEventLoop::quit);
    job.start();
    if (!job.finished())
        loop.exec();
    return job.result();
}

// The home, the gateway and a connected session, set up for a job verb.
struct JobSetup {
    std::string gatewayAddress;
    std::unique_ptr<GatewaySession> session;
};

// Nothing, after the message, with the exit code in `exitCode` (Usage for a NETWORK that names no gateway).
std::optional<JobSetup> setUpJob(const char* verb, const std::string& home, const std::string& network,
                                 int& exitCode);
int finishJob(const char* verb, int result, const std::string& meaning, bool succeeded);
bool eventLogStored(const char* verb, uint16_t status);
std::string numberList(const std::vector<uint8_t>& numbers);

std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path, std::string& error);

// What an export verb writes from: the one function it names, read from MCDEF
// of HOME, and the path given with --out.
struct ExportSource {
    std::string address;
    uint8_t number = 0;
    McdefRecord header;
    std::optional<std::string> out;
};

std::optional<ExportSource> exportSource(const Args& args, const char* verb, uint8_t type, const char* typeWords,
                                         int& exitCode);

} // namespace mcftool
