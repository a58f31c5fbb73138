#include "ImageReport.h"

#include "FunctionTelegrams.h"
#include "protocol/NodeAddress.h"
#include "protocol/StrFormat.h"
#include "protocol/TelegramText.h"
#include "protocol/TypeCatalogue.h"
#include "SimulatedGateway.h"

#include <cstdio>
#include <sstream>

namespace {

std::string flagText(uint8_t flags)
{
    char text[80];
    std::snprintf(text, sizeof text, "0x%02x%s%s%s%s", flags, (flags & FunctionFlag::Started) ? " started" : " stopped",
                  (flags & FunctionFlag::Manual) ? " manual" : "",
                  (flags & FunctionFlag::ErrorMark) ? " error" : "",
                  (flags & FunctionFlag::ReferenceErrorMark) ? " error-checked" : "");
    return text;
}

void describeOwn(std::ostringstream& out, const GatewayFunction& f)
{
    for (int direction = 1; direction <= 2; ++direction)
        for (int slot = 1; slot <= 8; ++slot) {
            const auto& items = f.slot(direction, slot);
            for (size_t k = 0; k < items.size(); ++k)
                if (items[k].status)
                    out << "  status of " << (direction == 1 ? "input" : "output") << " slot " << slot << " item " << k
                        << " (address " << int(items[k].address) << "): 0x" << std::hex << int(items[k].status)
                        << std::dec << "\n";
        }
    for (const ReportedRange& range : ReportedRanges())
        if (range.type == f.type)
            out << "  reported in block " << int(range.block) << ": "
                << HexBytes(f.blocks[size_t(range.block - 1)].bytes.data() + range.first, range.length) << "\n";
    for (size_t h = 0; h < 2; ++h) {
        const DataBlock& block = f.history[h];
        if (!block.present)
            continue;
        out << "  history block " << h + 3 << ":";
        if (block.entries.empty())
            out << " " << HexBytes(block.bytes.data(), BlockSize);
        for (const auto& [index, entry] : block.entries)
            out << " [" << HexBytes(entry.data(), entry.size()) << "]";
        out << "\n";
    }
}

} // namespace

std::string DescribeGatewayState(const GatewayState& state)
{
    std::ostringstream out;
    out << "network " << NetworkText(state.network) << ", net-configuration stamp " << state.netConfigStamp
        << ", memory " << state.memoryKiB << " KiB (" << state.freeMemory() << " bytes free), password "
        << (state.password.empty() ? "none" : "\"" + state.password + "\"") << ", last stamp " << state.lastStamp
        << "\n";
    out << "limits by type:";
    for (int type = 0; type < FunctionType::Count; ++type)
        out << " " << type << ":" << int(state.typeLimits[size_t(type)]);
    out << "\n" << state.functions.size() << " function(s)\n";
    const std::string address = GatewayAddress(NetworkText(state.network));
    for (const auto& [number, f] : state.functions) {
        out << "\nfunction " << int(number) << " \"" << f.name << "\", type " << int(f.type) << ", flags "
            << flagText(f.flags) << ", stamp " << f.stamp << "\n";
        for (const Telegram& telegram : FunctionTelegrams(f, address))
            out << "  " << DescribeTelegram(telegram) << "\n";
        describeOwn(out, f);
    }
    return out.str();
}
