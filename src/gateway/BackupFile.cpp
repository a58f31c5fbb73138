#include "gateway/BackupFile.h"

#include "protocol/LittleEndian.h"
#include "protocol/StrFormat.h"
#include "support/OrpaPaths.h"
#include "support/Profile.h"
#include "support/RegularFile.h"

#include <algorithm>
#include <new>
#include <numeric>
#include <optional>

namespace {

constexpr size_t ChecksumOffset = 2;
constexpr size_t AddressOffset = 6;
constexpr size_t StampsOffset = 14;
constexpr size_t FirstTelegramOffset = 434;
constexpr size_t CountsOffset = 644;

} // namespace

std::vector<Telegram> BackupFile::functionTelegrams(uint8_t number) const
{
    std::vector<Telegram> result;
    if (number < 1 || number > BackupFunctions)
        return result;
    const size_t first = firstTelegram[size_t(number - 1)];
    const size_t count = telegramCount[size_t(number - 1)];
    for (size_t i = first; i < first + count && i < telegrams.size(); ++i)
        result.push_back(telegrams[i]);
    return result;
}

void BackupFile::addFunction(uint8_t number, uint32_t stamp, const std::vector<Telegram>& functionTelegrams)
{
    const size_t index = size_t(number - 1);
    stamps[index] = stamp;
    firstTelegram[index] = uint16_t(telegrams.size());
    telegramCount[index] = uint8_t(functionTelegrams.size());
    telegrams.insert(telegrams.end(), functionTelegrams.begin(), functionTelegrams.end());
}

std::string BackupFileName(const std::string& gatewayAddress)
{
    const std::string folder = GetPrivateProfileString("Install", "ZULDir", "", OrpaIniFile());
    const auto colon = gatewayAddress.find(':');
    const std::string node = colon == std::string::npos ? std::string() : gatewayAddress.substr(colon + 1);
    return folder + StrFormat("%-3.3s_%s.MC", gatewayAddress.c_str(), node.c_str());
}

uint32_t BackupChecksum(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() <= AddressOffset)
        return 0;
    return std::accumulate(bytes.begin() + AddressOffset, bytes.end(), uint32_t(0),
                           [](uint32_t sum, uint8_t byte) { return sum + byte; });
}

BackupReadResult ReadBackupFile(const std::string& path, BackupFile& file)
{
    FileProblem problem = FileProblem::None;
    const std::optional<std::string> content = ReadRegularFile(path, MaxBackupFileSize, &problem);
    switch (problem) {
    case FileProblem::None:
        break;
    case FileProblem::Missing:
        return BackupReadResult::Missing;
    case FileProblem::Unreadable:
        return BackupReadResult::ReadError;
    case FileProblem::NotRegular:
        return BackupReadResult::ChecksumError;
    case FileProblem::TooLarge:
        return BackupReadResult::TooLarge;
    case FileProblem::NoMemory:
        return BackupReadResult::NoMemory;
    }
    try {
        return DecodeBackupFile(std::vector<uint8_t>(content->begin(), content->end()), file);
    } catch (const std::bad_alloc&) {
        return BackupReadResult::NoMemory;
    }
}

BackupReadResult DecodeBackupFile(const std::vector<uint8_t>& bytes, BackupFile& file)
{
    if (bytes.size() > MaxBackupFileSize)
        return BackupReadResult::TooLarge;
    if (bytes.size() < BackupHeaderSize || le::u16(bytes.data()) != BackupFileType)
        return BackupReadResult::FileTypeError;

    BackupFile read;
    read.gatewayAddress = le::str(&bytes[AddressOffset], 8);
    size_t described = 0;
    for (size_t i = 0; i < BackupFunctions; ++i) {
        read.stamps[i] = le::u32(&bytes[StampsOffset + 4 * i]);
        read.firstTelegram[i] = le::u16(&bytes[FirstTelegramOffset + 2 * i]);
        read.telegramCount[i] = bytes[CountsOffset + i];
        described = std::max(described, size_t(read.firstTelegram[i]) + read.telegramCount[i]);
    }
    const size_t rest = bytes.size() - BackupHeaderSize;
    if (rest % TelegramSize != 0 || rest < described * TelegramSize)
        return BackupReadResult::ReadError;
    if (BackupChecksum(bytes) != le::u32(&bytes[ChecksumOffset]))
        return BackupReadResult::ChecksumError;
    for (size_t at = BackupHeaderSize; at < bytes.size(); at += TelegramSize) {
        Telegram t;
        std::copy_n(bytes.begin() + std::ptrdiff_t(at), TelegramSize, t.begin());
        read.telegrams.push_back(t);
    }
    file = std::move(read);
    return BackupReadResult::Read;
}

std::vector<uint8_t> EncodeBackupFile(const BackupFile& file)
{
    std::vector<uint8_t> bytes(BackupHeaderSize + file.telegrams.size() * TelegramSize, 0);
    le::putU16(bytes.data(), BackupFileType);
    le::putStr(&bytes[AddressOffset], 8, file.gatewayAddress);
    for (size_t i = 0; i < BackupFunctions; ++i) {
        le::putU32(&bytes[StampsOffset + 4 * i], file.stamps[i]);
        le::putU16(&bytes[FirstTelegramOffset + 2 * i], file.firstTelegram[i]);
        bytes[CountsOffset + i] = file.telegramCount[i];
    }
    for (size_t t = 0; t < file.telegrams.size(); ++t)
        std::copy(file.telegrams[t].begin(), file.telegrams[t].end(), bytes.begin() + std::ptrdiff_t(BackupHeaderSize + t * TelegramSize));
    le::putU32(&bytes[ChecksumOffset], BackupChecksum(bytes));
    return bytes;
}

std::vector<uint8_t> EncodeIncompleteBackupFile(const BackupFile& file)
{
    std::vector<uint8_t> bytes = EncodeBackupFile(file);
    le::putU32(&bytes[ChecksumOffset], 0);
    return bytes;
}
