// The backup file reader on arbitrary bytes, once as they come and once with
// the checksum made to fit, so that the telegram area and the conversion of
// every function's write telegrams into records are reached too.

#include "gateway/BackupFile.h"
#include "gateway/TelegramConversion.h"
#include "protocol/LittleEndian.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void readAndConvert(const std::vector<uint8_t>& bytes)
{
    BackupFile file;
    if (DecodeBackupFile(bytes, file) != BackupReadResult::Read)
        return;
    for (uint8_t number = 1; number <= BackupFunctions; ++number) {
        const std::vector<Telegram> telegrams = file.functionTelegrams(number);
        if (telegrams.empty())
            continue;
        DirectoryEntry directory;
        directory.type = telegrams.front()[30];
        directory.stamp = file.stamps[number - 1];
        directory.fromBackup = true;
        ConvertTelegrams(number, telegrams, directory);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    readAndConvert(bytes);
    if (bytes.size() >= BackupHeaderSize) {
        le::putU32(bytes.data() + 2, BackupChecksum(bytes));
        readAndConvert(bytes);
    }
    return 0;
}
