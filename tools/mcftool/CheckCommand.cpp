#include "CheckCommand.h"

#include "gateway/FunctionImport.h"
#include "model/FunctionSettings.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "support/DbStatus.h"
#include "support/RecordStore.h"

#include <iostream>

namespace mcftool {

namespace {

int check(const Args& args)
{
    std::string error;
    const auto parsed = parseArgs(args, {}, {}, error);
    if (!parsed)
        return usageError("check", error);
    if (parsed->positional.size() < 2)
        return usageError("check", "expected HOME, NETWORK and any function NUMBERs");
    const std::optional<std::string> address = gatewayOf(parsed->positional[1]);
    if (!address)
        return networkUsageError("check", parsed->positional[1]);
    const auto numbers = optionalFunctionNumbers(Args(parsed->positional.begin() + 2, parsed->positional.end()), error);
    if (!numbers)
        return usageError("check", error);
    if (!useHome(parsed->positional[0], error)) {
        std::cerr << "mcftool check: " << error << "\n";
        return Failed;
    }
    std::vector<uint8_t> wanted = *numbers;
    if (wanted.empty()) {
        std::vector<McdefRecord> headers;
        if (const uint16_t status = ReadHeaders(headers); status != DbStatus::Success) {
            std::cerr << "mcftool check: " << tableProblem(table::Mcdef, status) << "\n";
            RecordStore::instance().closeAll();
            return Failed;
        }
        for (const McdefRecord& header : headers)
            wanted.push_back(header.number());
    }
    size_t outOfRange = 0;
    std::vector<std::vector<McdefRecord>> functions;
    for (const uint8_t number : wanted) {
        FunctionCheck result;
        const uint16_t status = CheckStoredFunction(number, result);
        if (status != DbStatus::Success) {
            std::cerr << "mcftool check: "
                      << (status == DbStatus::KeyNotFound ? "function " + std::to_string(number) + " is not in MCDEF"
                                                          : tableProblem(table::Mcdef, status))
                      << "\n";
            RecordStore::instance().closeAll();
            return Failed;
        }
        outOfRange += result.violations.size();
        if (!result.passed())
            std::cout << FunctionCheckText(result) << "\n";
        functions.emplace_back();
        ReadFunction(number, functions.back());
    }
    RecordStore::instance().closeAll();
    const std::vector<SharedOutput> shared = FindSharedOutputs(functions);
    for (const SharedOutput& pair : shared)
        std::cout << SharedOutputText(pair) << "\n";
    if (!shared.empty()) {
        std::cerr << "mcftool check: " << shared.size() << (shared.size() == 1 ? " pair" : " pairs")
                  << " of functions work against each other on one controller parameter\n";
        if (outOfRange == 0)
            return Failed;
    }
    if (outOfRange == 0) {
        std::cout << "gateway " << *address << ": " << wanted.size()
                  << (wanted.size() == 1 ? " function" : " functions") << " checked, every value in range\n";
        return Done;
    }
    std::cerr << "mcftool check: " << outOfRange << (outOfRange == 1 ? " value" : " values")
              << " out of range; the update refuses these functions\n";
    return Failed;
}

} // namespace

const Verb CheckVerb = {
    "check", "HOME NETWORK [NUMBER...]", "list the settings in MCDEF that the update would refuse to send",
    "Checks the functions of MCDEF of HOME (all, or those named) as the update\n"
    "does before it sends anything, without the gateway: every setting that the\n"
    "update writes against its range (times of day 00:00..23:59, temperatures,\n"
    "counts, loops, list entries), the special periods and defrost delays, and\n"
    "the rules between fields that the editors keep (a basic period's Off not\n"
    "before its On, the alarm band); and whether two of the functions write the\n"
    "same parameter of the same controller, working against each other.\n"
    "\n"
    "Prints one line per value out of range (function, field, value and what\n"
    "the field allows) and per such pair of functions. Exit code 0 when there is\n"
    "none, 1 otherwise or when MCDEF cannot be read.\n",
    check};

} // namespace mcftool
