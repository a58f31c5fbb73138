#include "CommandLine.h"

#include "gateway/BackupFile.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "protocol/TypeCatalogue.h"
#include "support/Clock.h"
#include "support/DbStatus.h"
#include "support/OrpaPaths.h"
#include "support/Profile.h"
#include "support/RecordStore.h"
#include "support/RegularFile.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace mcftool {

std::optional<ParsedArgs> parseArgs(const Args& args, const std::vector<std::string>& plain,
                                    const std::vector<std::string>& valued, std::string& error)
{
    ParsedArgs parsed;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() < 2 || a.compare(0, 2, "--") != 0) {
            parsed.positional.push_back(a);
            continue;
        }
        if (std::find(plain.begin(), plain.end(), a) != plain.end()) {
            parsed.flags.emplace_back(a, "");
        } else if (std::find(valued.begin(), valued.end(), a) != valued.end()) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return std::nullopt;
            }
            parsed.flags.emplace_back(a, args[++i]);
        } else {
            error = "unknown option " + a;
            return std::nullopt;
        }
    }
    return parsed;
}

int usageError(const char* verbName, const std::string& problem)
{
    const Verb* verb = findVerb(verbName);
    std::cerr << "mcftool " << verbName << ": " << problem << "\n";
    if (verb)
        std::cerr << "usage: mcftool " << verb->name << " " << verb->synopsis << "\n";
    return Usage;
}

// Makes HOME the monitoring system's home for this process: its ORPA.INI, its
// tables, its communication server's socket.
bool useHome(const std::string& home, std::string& error)
{
    if (!std::filesystem::is_directory(home)) {
        error = "no home folder " + home;
        return false;
    }
    const std::string absolute = std::filesystem::absolute(home).string();
    // Every verb works from the profile: one that is a folder, a FIFO or huge ends it here, named.
    const std::string profile = orpa::findFile(absolute, "ORPA.INI");
    // One that cannot be read would leave every setting at its default: the data folder, the server's socket.
    FileProblem problem = FileProblem::None;
    if (!ReadRegularFile(profile, MaxProfileSize, &problem)) {
        error = problem == FileProblem::Missing ? home + " has no ORPA.INI"
                                                : DescribeFileProblem(profile, problem, MaxProfileSize);
        return false;
    }
    setenv("ORPA_HOME", absolute.c_str(), 1);
    RecordStore::instance().setDataDirectory("");
    InstallTextService();
    return true;
}

// "001" or "001:125": the gateway address of the network. Anything else
// ("001:999", "001:12a", "001:125/x") names no gateway.
std::optional<std::string> gatewayOf(const std::string& network)
{
    const std::string prefix = network.substr(0, network.find(':'));
    if (prefix.size() != 3 || !std::all_of(prefix.begin(), prefix.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const std::string address = GatewayAddress(prefix);
    if (network != prefix && network != address)
        return std::nullopt;
    return address;
}

int networkUsageError(const char* verbName, const std::string& network)
{
    return usageError(verbName, network + " is not a network number (three digits, or the gateway's address NNN:125)");
}

std::optional<std::vector<uint8_t>> functionNumbers(const Args& texts, std::string& error)
{
    std::vector<uint8_t> numbers;
    for (const std::string& text : texts) {
        char* end = nullptr;
        const long number = std::strtol(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0' || number < 1 || number > MaxFunctionNumber) {
            error = "function number " + text + " is not between 1 and 105";
            return std::nullopt;
        }
        numbers.push_back(uint8_t(number));
    }
    if (numbers.empty()) {
        error = "expected at least one function NUMBER";
        return std::nullopt;
    }
    return numbers;
}

std::optional<std::vector<uint8_t>> optionalFunctionNumbers(const Args& texts, std::string& error)
{
    if (texts.empty())
        return std::vector<uint8_t>{};
    return functionNumbers(texts, error);
}

// "<file>: MCDEF cannot be read: status 30 (...)". A verb that writes the table
// is kept from it by a read-only file or folder, and says so.
std::string tableProblem(const char* table, uint16_t status)
{
    const char* what = status == DbStatus::AccessDenied ? " cannot be written: "
        : status == DbStatus::DiskFull                 ? " cannot be read or written: "
                                                       : " cannot be read: ";
    return RecordStore::instance().tableFile(table) + ": " + table + what + DbStatusText(status);
}

std::optional<NetCnfRecord> gatewayNode(const std::string& gatewayAddress, std::string& error)
{
    NetCnfRecord node;
    const uint16_t status = ReadNetCnfNode(gatewayAddress, node);
    if (status == DbStatus::Success)
        return node;
    error = status == DbStatus::KeyNotFound ? "gateway " + gatewayAddress + " is not in NETCNF"
                                            : tableProblem(table::NetCnf, status);
    return std::nullopt;
}

// Every number must be a function of MCDEF: the jobs record what they did there.
bool functionsInTable(const std::vector<uint8_t>& numbers, std::string& error)
{
    for (const uint8_t number : numbers) {
        McdefRecord header;
        const uint16_t status = ReadBlock(number, BlockType::Header, 0, 0, header);
        if (status == DbStatus::KeyNotFound) {
            error = "function " + std::to_string(number) + " is not in MCDEF (run mcftool upload first)";
            return false;
        }
        if (status != DbStatus::Success) {
            error = tableProblem(table::Mcdef, status);
            return false;
        }
    }
    return true;
}

std::optional<JobSetup> setUpJob(const char* verb, const std::string& home, const std::string& network,
                                 int& exitCode)
{
    std::string error;
    const std::optional<std::string> address = gatewayOf(network);
    if (!address) {
        exitCode = networkUsageError(verb, network);
        return std::nullopt;
    }
    exitCode = Failed;
    if (!useHome(home, error)) {
        std::cerr << "mcftool " << verb << ": " << error << "\n";
        return std::nullopt;
    }
    JobSetup setup{*address, std::make_unique<GatewaySession>(*address)};
    if (!setup.session->open(error)) {
        std::cerr << "mcftool " << verb << ": " << error << "\n";
        return std::nullopt;
    }
    return setup;
}

int finishJob(const char* verb, int result, const std::string& meaning, bool succeeded)
{
    std::cout << "result " << result << " (" << meaning << ")\n";
    RecordStore::instance().closeAll();
    if (!succeeded)
        std::cerr << "mcftool " << verb << ": " << meaning << "\n";
    return succeeded ? Done : Failed;
}

// A job's work stands even when its event-log row was lost, but the verb fails.
bool eventLogStored(const char* verb, uint16_t status)
{
    if (status == DbStatus::Success)
        return true;
    std::cerr << "mcftool " << verb << ": the event-log row was not stored in "
              << RecordStore::instance().tableFile(table::EventLog) << ": status " << status << " ("
              << DbStatusMeaning(status) << ")\n";
    return false;
}

std::string numberList(const std::vector<uint8_t>& numbers)
{
    std::string list;
    for (const uint8_t number : numbers)
        list += (list.empty() ? "" : ", ") + std::to_string(number);
    return list;
}

// A backup file's bytes; what is not a regular file of a backup's size is refused unread.
std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path, std::string& error)
{
    FileProblem problem = FileProblem::None;
    const std::optional<std::string> content = ReadRegularFile(path, MaxBackupFileSize, &problem);
    if (!content) {
        error = DescribeFileProblem(path, problem, MaxBackupFileSize);
        return std::nullopt;
    }
    return std::vector<uint8_t>(content->begin(), content->end());
}

// Checks the arguments every export verb takes (HOME NETWORK NUMBER [--out PATH]
// [--now TIME]), fixes the clock for --now and reads the function's header,
// which must be of `type`. Nothing after a failure, whose exit code is in
// `exitCode`. The caller's ConsoleUi shows the messages.
std::optional<ExportSource> exportSource(const Args& args, const char* verb, uint8_t type, const char* typeWords,
                                         int& exitCode)
{
    std::string error;
    exitCode = Usage;
    const auto parsed = parseArgs(args, {}, {"--out", "--now"}, error);
    if (!parsed) {
        usageError(verb, error);
        return std::nullopt;
    }
    if (parsed->positional.size() != 3) {
        usageError(verb, "expected HOME, NETWORK and one function NUMBER");
        return std::nullopt;
    }
    const std::optional<std::string> address = gatewayOf(parsed->positional[1]);
    if (!address) {
        networkUsageError(verb, parsed->positional[1]);
        return std::nullopt;
    }
    const auto numbers = functionNumbers({parsed->positional[2]}, error);
    if (!numbers) {
        usageError(verb, error);
        return std::nullopt;
    }
    if (const std::optional<std::string> now = parsed->value("--now")) {
        const std::optional<std::time_t> time = ParseUtcTime(*now);
        if (!time) {
            usageError(verb, "--now " + *now + " is neither a date YYYY-MM-DD nor a time YYYY-MM-DD HH:MM:SS");
            return std::nullopt;
        }
        SetFixedTime(*time);
    }
    exitCode = Failed;
    if (!useHome(parsed->positional[0], error)) {
        std::cerr << "mcftool " << verb << ": " << error << "\n";
        return std::nullopt;
    }
    ExportSource source{*address, numbers->front(), {}, parsed->value("--out")};
    const uint16_t status = ReadBlock(source.number, BlockType::Header, 0, 0, source.header);
    if (status != DbStatus::Success) {
        std::cerr << "mcftool " << verb << ": "
                  << (status == DbStatus::KeyNotFound ? "function " + std::to_string(source.number)
                              + " is not in MCDEF (run mcftool upload first)"
                                                      : tableProblem(table::Mcdef, status))
                  << "\n";
        RecordStore::instance().closeAll();
        return std::nullopt;
    }
    if (source.header.type() != type) {
        std::cerr << "mcftool " << verb << ": function " << int(source.number) << " " << source.header.name()
                  << " is not " << typeWords << "\n";
        RecordStore::instance().closeAll();
        return std::nullopt;
    }
    return source;
}

} // namespace mcftool
