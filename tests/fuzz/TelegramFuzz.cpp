// Telegram identification, the answer check and the conversion of a
// function's telegrams into records, fed with arbitrary telegrams. The input
// is a directory entry (type, flags, stamp) and the function number, then
// 134-byte telegrams: the first is taken as the request that every other one
// answers.

#include "gateway/TelegramConversion.h"
#include "protocol/Answer.h"
#include "protocol/HeaderTelegram.h"
#include "protocol/LittleEndian.h"
#include "protocol/Telegram.h"
#include "protocol/TelegramText.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

constexpr size_t EntrySize = 7;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < EntrySize)
        return 0;
    DirectoryEntry directory;
    directory.type = data[0];
    directory.flags = data[1];
    directory.stamp = le::u32(data + 2);
    directory.fromBackup = true;
    const uint8_t number = data[6];

    std::vector<Telegram> telegrams;
    for (size_t at = EntrySize; at < size; at += TelegramSize) {
        Telegram telegram{};
        std::copy_n(data + at, std::min(TelegramSize, size - at), telegram.begin());
        telegrams.push_back(telegram);
    }
    for (const Telegram& telegram : telegrams) {
        const std::optional<IdentifiedTelegram> id = IdentifyTelegram(telegram);
        DescribeTelegram(telegram);
        TelegramDataLength(telegram);
        CheckAnswer(telegrams.front(), telegram);
        if (id && id->command == Command::ReadHeader)
            FunctionRequests(ReadHeaderAnswer(telegram));
        if (id && id->command == Command::WriteHeader)
            FunctionRequests(ReadHeaderWrite(telegram));
    }
    ConvertTelegrams(number, telegrams, directory);
    return 0;
}
