#include "StatusCommand.h"

#include "gateway/SyncState.h"
#include "support/Clock.h"
#include "support/RecordStore.h"

#include <iostream>

namespace mcftool {

namespace {

int status(const Args& args)
{
    std::string error;
    const auto parsed = parseArgs(args, {}, {}, error);
    if (!parsed)
        return usageError("status", error);
    if (parsed->positional.size() != 2)
        return usageError("status", "expected HOME and NETWORK");
    const std::optional<std::string> address = gatewayOf(parsed->positional[1]);
    if (!address)
        return networkUsageError("status", parsed->positional[1]);
    if (!useHome(parsed->positional[0], error)) {
        std::cerr << "mcftool status: " << error << "\n";
        return Failed;
    }
    // Marks are kept only for gateways of the plant: for any other there is nothing to tell.
    const bool known = gatewayNode(*address, error).has_value();
    RecordStore::instance().closeAll();
    if (!known) {
        std::cerr << "mcftool status: " << error << "\n";
        return Failed;
    }
    const std::optional<SyncState> state = ReadSyncState(error);
    if (!state) {
        std::cerr << "mcftool status: " << error << "\n";
        return Failed;
    }
    const std::vector<UnsentFunction> unsent = state->ofGateway(*address);
    if (unsent.empty()) {
        std::cout << "gateway " << *address << ": all functions sent\n";
        return Done;
    }
    std::cout << "gateway " << *address << ": " << unsent.size()
              << (unsent.size() == 1 ? " function" : " functions") << " not sent (" << SyncStateFile() << ")\n";
    for (const UnsentFunction& function : unsent)
        std::cout << "  " << int(function.number) << "\t" << function.name << "\tsince " << FormatUtcTime(function.since)
                  << " UTC\t" << function.reason << "\n";
    return Done;
}

} // namespace

const Verb StatusVerb = {
    "status", "HOME NETWORK", "list the functions the gateway has not accepted as MCDEF defines them",
    "Lists the functions of the gateway of NETWORK whose definition in MCDEF of\n"
    "HOME the gateway has not accepted: an update that did not end with result 0\n"
    "(refused by the gateway, a link failure before or in the middle of it, a\n"
    "refused or missing password, a local failure) leaves its function marked\n"
    "until an update of it succeeds, an upload of the gateway replaces it or it\n"
    "is deleted. velt's function list marks the same functions (\"Not sent to the\n"
    "gateway\"); the marks are kept in MCSYNC.TXT of the data folder.\n"
    "\n"
    "Prints one line per function: number, name, since when (UTC, the first\n"
    "update that was not accepted) and why (how the last one ended); or \"all\n"
    "functions sent\". Exit code 0 when the marks could be read, 1 (with the\n"
    "file and its problem) when not, or when NETCNF has no such gateway.\n",
    status};

} // namespace mcftool
