#include "DryRunCommand.h"

#include "gateway/TelegramBuilder.h"
#include "model/FunctionSettings.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "protocol/TelegramText.h"
#include "protocol/TypeCatalogue.h"
#include "support/DbStatus.h"
#include "support/RecordStore.h"

#include <iostream>

namespace mcftool {

int updateDryRun(const std::string& home, const std::string& network, const std::vector<uint8_t>& numbers,
                 bool blocksOnly)
{
    std::string error;
    const std::optional<std::string> address = gatewayOf(network);
    if (!address)
        return networkUsageError("update", network);
    if (!useHome(home, error) || !functionsInTable(numbers, error)) {
        std::cerr << "mcftool update: " << error << "\n";
        RecordStore::instance().closeAll();
        return Failed;
    }
    int exitCode = Done;
    for (const uint8_t number : numbers) {
        McdefRecord header;
        std::vector<Telegram> telegrams;
        FunctionCheck check;
        uint16_t status = CheckStoredFunction(number, check);
        if (status == DbStatus::Success && !check.passed()) {
            // The update would refuse it before sending anything.
            std::cerr << "mcftool update: not sent, a value is outside its range:\n" << FunctionCheckText(check) << "\n";
            exitCode = Failed;
            continue;
        }
        if (status == DbStatus::Success)
            status = ReadBlock(number, BlockType::Header, 0, 0, header);
        if (status == DbStatus::Success)
            status = BuildFunctionTelegramsFromTable(*address, number, blocksOnly, TypeWritableBlocks(header.type()),
                                                     telegrams);
        if (status != DbStatus::Success) {
            std::cerr << "mcftool update: function " << int(number) << ": " << tableProblem(table::Mcdef, status)
                      << "\n";
            RecordStore::instance().closeAll();
            return Failed;
        }
        std::cout << "function " << int(number) << " " << header.name() << ": " << telegrams.size()
                  << " telegrams, not sent\n";
        for (size_t i = 0; i < telegrams.size(); ++i)
            std::cout << "  " << i + 1 << ": " << DescribeTelegram(telegrams[i]) << "\n";
    }
    RecordStore::instance().closeAll();
    return exitCode;
}

} // namespace mcftool
