#pragma once
// Reading a file that must be a regular file of a plausible size: a folder,
// a FIFO or a device where a file is expected is refused before it is
// opened, so that nothing blocks on it or tries to hold it in memory.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// NoMemory: the buffer for the file's bytes could not be had.
enum class FileProblem { None, Missing, NotRegular, TooLarge, Unreadable, NoMemory };

FileProblem CheckRegularFile(const std::string& path, uint64_t maxSize);

// "PATH is a folder", "PATH is not a regular file", "PATH is N bytes, more
// than M", "PATH does not exist", "PATH cannot be read: reason".
std::string DescribeFileProblem(const std::string& path, FileProblem problem, uint64_t maxSize);

// The whole file, or nothing with the problem.
std::optional<std::string> ReadRegularFile(const std::string& path, uint64_t maxSize, FileProblem* problem = nullptr);

// Opens the file or folder with `openFlags` (O_RDONLY, O_DIRECTORY ...) and
// flushes it to disk; false when either fails.
bool FlushToDisk(const std::string& path, int openFlags);

// Why a whole file may not be written at `path`: nothing when it is a regular
// file, a missing file in an existing folder, or a link that ends at either;
// otherwise "PATH cannot be written: it is a FIFO" and the like, the same words
// for every file the programs write. `target` gets the file the path ends at,
// the link followed, to be written in the link's place.
std::optional<std::string> WriteTargetProblem(const std::string& path, std::string* target = nullptr);

// Writes the whole file beside it and renames it into place, flushed to disk
// first, so that a crash leaves either the old or the new file whole. The path
// must pass WriteTargetProblem; a link is written through and kept. False,
// with "PATH cannot be written: reason" in `problem`, when it fails; the old
// file then stays as it was. `beforeRename`, when given, runs once the new
// file is whole on disk; false from it abandons the write. Temporary files
// that writers of this user left when they died before their rename (of this
// file, or of a file beside them) are removed from the folder.
bool WriteFileReplacing(const std::string& path, const std::string& content, std::string& problem,
                        const std::function<bool()>& beforeRename = {});

// Appends `content` to the file, which must exist and pass
// WriteTargetProblem, and with `flush` waits until it is on disk. False, with
// "PATH cannot be written: reason" in `problem`, when it fails; part of
// `content` may then have been appended.
bool AppendToFile(const std::string& path, const std::string& content, bool flush, std::string& problem);

// An exclusive advisory lock on a folder for as long as it lives, so that
// programs that read, change and write a file of it take turns. A folder that
// cannot be opened is not locked: the change then goes ahead as before.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd;
};
