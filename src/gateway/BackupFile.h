#pragma once
// The backup file of a gateway: the configuration telegrams of every function
// as the update sends them, with each function's stamp, so that the upload
// can take unchanged functions from the file instead of the gateway.
//
//   0     u16  file type 0x0048
//   2     u32  checksum: the sum of every byte from offset 6 to the end
//   6     8    gateway address text, NUL-padded
//   14    105 x u32  stamp of functions 1..105 (0 = not in the file)
//   434   105 x u16  index of the function's first telegram
//   644   105 x u8   number of telegrams of the function
//   749   n x 134    the telegrams in function-number order, then, when a
//                    function is started, one start telegram (command 70)

#include "protocol/Telegram.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint16_t BackupFileType = 0x0048;
constexpr size_t BackupHeaderSize = 749;
constexpr int BackupFunctions = 105;
// The largest file a full gateway can give: every function with as many
// telegrams as its count byte holds, and the start telegram.
constexpr uint64_t MaxBackupFileSize = BackupHeaderSize + (uint64_t(BackupFunctions) * 255 + 1) * TelegramSize;

struct BackupFile {
    std::string gatewayAddress;
    std::array<uint32_t, BackupFunctions> stamps{};
    std::array<uint16_t, BackupFunctions> firstTelegram{};
    std::array<uint8_t, BackupFunctions> telegramCount{};
    std::vector<Telegram> telegrams;

    // The telegrams of a function (1..105).
    std::vector<Telegram> functionTelegrams(uint8_t number) const;
    // Appends the telegrams of a function and notes its stamp.
    void addFunction(uint8_t number, uint32_t stamp, const std::vector<Telegram>& functionTelegrams);
};

// ZULDir of ORPA.INI followed by "NNN_AAA.MC" of the gateway address.
std::string BackupFileName(const std::string& gatewayAddress);

enum class BackupReadResult {
    Missing,       // no file
    Read,
    FileTypeError, // shorter than the header, or not of type 0x0048
    ReadError,     // shorter than its telegrams, or a file that cannot be read
    ChecksumError, // also a file that is not a regular file
    TooLarge,      // larger than any backup can be: not read, like a file that fails its checksum
    NoMemory,      // the read buffer could not be allocated
};

BackupReadResult ReadBackupFile(const std::string& path, BackupFile& file);
// The same checks on a file's bytes.
BackupReadResult DecodeBackupFile(const std::vector<uint8_t>& bytes, BackupFile& file);

// The whole file's bytes, checksum included.
std::vector<uint8_t> EncodeBackupFile(const BackupFile& file);
// The bytes of a file whose building stopped part-way: its checksum was
// never filled in, so the next upload reports it.
std::vector<uint8_t> EncodeIncompleteBackupFile(const BackupFile& file);
// The sum of the bytes from offset 6 to the end.
uint32_t BackupChecksum(const std::vector<uint8_t>& bytes);
