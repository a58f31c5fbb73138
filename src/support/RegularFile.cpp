#include "support/RegularFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <utility>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// "a FIFO", "a folder" ...: what a file of this mode is, for the refusal.
std::string kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

} // namespace

FileProblem CheckRegularFile(const std::string& path, uint64_t maxSize)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return FileProblem::Missing;
    if (error)
        return FileProblem::Unreadable;
    if (!std::filesystem::is_regular_file(status))
        return FileProblem::NotRegular;
    const auto size = std::filesystem::file_size(path, error);
    if (error)
        return FileProblem::Unreadable;
    return size > maxSize ? FileProblem::TooLarge : FileProblem::None;
}

std::string DescribeFileProblem(const std::string& path, FileProblem problem, uint64_t maxSize)
{
    std::error_code error;
    switch (problem) {
    case FileProblem::None:
        return {};
    case FileProblem::Missing:
        return path + " does not exist";
    case FileProblem::NotRegular: {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0)
            return path + " is not a regular file";
        return path + (S_ISDIR(info.st_mode) ? " is a folder" : " is not a regular file (" + kindOf(info.st_mode) + ")");
    }
    case FileProblem::TooLarge:
        return path + " is " + std::to_string(std::filesystem::file_size(path, error)) + " bytes, more than "
            + std::to_string(maxSize);
    case FileProblem::Unreadable:
        return path + " cannot be read: " + std::strerror(errno);
    case FileProblem::NoMemory:
        return path + " cannot be read: no memory for its " + std::to_string(maxSize) + " bytes at most";
    }
    return {};
}

namespace {

// Reads to the end, refusing a file that grows beyond `maxSize` while it is read.
FileProblem readAll(int fd, uint64_t expectedSize, uint64_t maxSize, std::string& content)
{
    content.reserve(size_t(expectedSize));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            return FileProblem::None;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return FileProblem::Unreadable;
        if (content.size() + size_t(n) > maxSize)
            return FileProblem::TooLarge;
        content.append(buffer, size_t(n));
    }
}

// Writes all of `content`; 0, or the error that stopped it.
int writeAll(int fd, const std::string& content)
{
    for (size_t done = 0; done < content.size();) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n > 0)
            done += size_t(n);
        else if (n == 0)
            return EIO;
        else if (errno != EINTR)
            return errno;
    }
    return 0;
}

} // namespace

std::optional<std::string> ReadRegularFile(const std::string& path, uint64_t maxSize, FileProblem* problem)
{
    const auto result = [problem](FileProblem found, std::string&& content) -> std::optional<std::string> {
        if (problem)
            *problem = found;
        if (found != FileProblem::None)
            return std::nullopt;
        return std::move(content);
    };
    // Checked by name, so that no device is opened, and again on the open
    // descriptor: a FIFO put in the file's place between the two would block
    // the read. Opening does not block on a FIFO with O_NONBLOCK.
    if (const FileProblem found = CheckRegularFile(path, maxSize); found != FileProblem::None)
        return result(found, {});
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return result(errno == ENOENT || errno == ENOTDIR ? FileProblem::Missing
                          : errno == ENXIO                ? FileProblem::NotRegular
                                                          : FileProblem::Unreadable,
                      {});
    FileProblem found = FileProblem::None;
    std::string content;
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        found = FileProblem::Unreadable;
    else if (!S_ISREG(info.st_mode))
        found = FileProblem::NotRegular;
    else if (uint64_t(info.st_size) > maxSize)
        found = FileProblem::TooLarge;
    else {
        try {
            found = readAll(fd, uint64_t(info.st_size), maxSize, content);
        } catch (const std::bad_alloc&) {
            found = FileProblem::NoMemory;
        }
    }
    const int readError = errno;
    ::close(fd);
    errno = readError; // kept for the description of an unreadable file
    return result(found, std::move(content));
}

bool FlushToDisk(const std::string& path, int openFlags)
{
    const int fd = ::open(path.c_str(), openFlags);
    if (fd < 0)
        return false;
    const bool flushed = ::fsync(fd) == 0;
    return ::close(fd) == 0 && flushed;
}

namespace {

std::string folderOf(const std::string& path)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

// The pid in a temporary file's name "NAME.<pid>.<n>.tmp", 0 when it is no such name; `written` gets NAME.
pid_t temporaryOwner(const std::string& name, std::string& written)
{
    static const std::string suffix = ".tmp";
    if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    const std::string stem = name.substr(0, name.size() - suffix.size());
    const size_t attemptDot = stem.rfind('.');
    if (attemptDot == std::string::npos || attemptDot + 1 == stem.size())
        return 0;
    const size_t pidDot = stem.rfind('.', attemptDot - 1);
    if (pidDot == std::string::npos || pidDot == 0 || pidDot + 1 == attemptDot)
        return 0;
    const auto digits = [](const std::string& text) {
        return !text.empty() && text.size() < 10
            && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    const std::string pid = stem.substr(pidDot + 1, attemptDot - pidDot - 1);
    if (!digits(pid) || !digits(stem.substr(attemptDot + 1)))
        return 0;
    written = stem.substr(0, pidDot);
    return pid_t(std::stol(pid));
}

// Removes the temporary files that writers of this user left in the folder
// when they died between writing and renaming them: those of `target`, and
// those of another file that is there beside them.
void removeStaleTemporaries(const std::string& folder, const std::string& target)
{
    const std::string targetName = std::filesystem::path(target).filename().string();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string path = entry.path().string();
        std::string written;
        const pid_t owner = temporaryOwner(entry.path().filename().string(), written);
        struct stat info {};
        if (owner <= 0 || owner == ::getpid() || ::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)
            || info.st_uid != ::geteuid())
            continue;
        std::error_code missing;
        if (written != targetName && !std::filesystem::is_regular_file(entry.path().parent_path() / written, missing))
            continue;
        if (::kill(owner, 0) != 0 && errno == ESRCH)
            ::unlink(path.c_str());
    }
}

} // namespace

std::optional<std::string> WriteTargetProblem(const std::string& path, std::string* target)
{
    if (path.empty())
        return std::string("cannot write a file: the file name is empty");
    const std::string refused = path + " cannot be written: ";
    if (path.find_first_of("\n\r") != std::string::npos)
        return refused + "the file name holds a line break";
    std::string current = path;
    for (int links = 0;; ++links) {
        const std::string via = current == path ? std::string("it is ") : "it is a link to " + current + ", ";
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0) {
            if (errno != ENOENT)
                return refused + std::strerror(errno);
            struct stat folder {};
            const std::string parent = folderOf(current);
            if (::stat(parent.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode))
                return refused + (current == path ? "" : "it is a link to " + current + ", and ") + "the folder "
                    + parent + " does not exist";
            break;
        }
        if (S_ISREG(info.st_mode))
            break;
        if (!S_ISLNK(info.st_mode))
            return refused + via + kindOf(info.st_mode);
        if (links == 40)
            return refused + "it is a link in a loop of links";
        std::error_code error;
        const std::filesystem::path link = std::filesystem::read_symlink(current, error);
        if (error)
            return refused + error.message();
        current = link.is_absolute() ? link.string() : (std::filesystem::path(folderOf(current)) / link).string();
    }
    if (target)
        *target = current;
    return std::nullopt;
}

bool WriteFileReplacing(const std::string& path, const std::string& content, std::string& problem,
                        const std::function<bool()>& beforeRename)
{
    std::string target;
    if (const std::optional<std::string> refused = WriteTargetProblem(path, &target)) {
        problem = *refused;
        return false;
    }
    const std::string folder = folderOf(target);
    removeStaleTemporaries(folder, target);
    // A temporary file of its own for every writer, made anew: two programs
    // replacing the file at once, or a FIFO left at a fixed name, cannot get in the way.
    static std::atomic<unsigned> attempt{0};
    std::string temporary;
    int fd = -1;
    for (int tries = 0; fd < 0 && tries < 100; ++tries) {
        temporary = target + "." + std::to_string(::getpid()) + "." + std::to_string(attempt++) + ".tmp";
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    int failure = fd < 0 ? errno : 0;
    // The new file keeps the old one's permissions.
    struct stat old {};
    if (failure == 0 && ::stat(target.c_str(), &old) == 0 && ::fchmod(fd, old.st_mode & 0777) != 0)
        failure = errno;
    if (failure == 0)
        failure = writeAll(fd, content);
    if (failure == 0 && ::fsync(fd) != 0)
        failure = errno;
    if (fd >= 0 && ::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && beforeRename && !beforeRename())
        failure = errno ? errno : EIO;
    if (failure == 0 && std::rename(temporary.c_str(), target.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        problem = path + " cannot be written: " + std::strerror(failure);
        if (fd >= 0)
            std::remove(temporary.c_str());
        return false;
    }
    FlushToDisk(folder, O_RDONLY | O_DIRECTORY);
    return true;
}

bool AppendToFile(const std::string& path, const std::string& content, bool flush, std::string& problem)
{
    std::string target;
    if (const std::optional<std::string> refused = WriteTargetProblem(path, &target)) {
        problem = *refused;
        return false;
    }
    // Not blocking on a FIFO put in the file's place since the check; refused below.
    const int fd = ::open(target.c_str(), O_WRONLY | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    int failure = fd < 0 ? errno : 0;
    struct stat info {};
    if (failure == 0 && ::fstat(fd, &info) != 0)
        failure = errno;
    if (failure == 0 && !S_ISREG(info.st_mode)) {
        ::close(fd);
        problem = path + " cannot be written: it is " + kindOf(info.st_mode);
        return false;
    }
    if (failure == 0)
        failure = writeAll(fd, content);
    if (failure == 0 && flush && ::fdatasync(fd) != 0)
        failure = errno;
    if (fd >= 0 && ::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure != 0)
        problem = path + " cannot be written: " + std::strerror(failure);
    return failure == 0;
}

FolderLock::FolderLock(const std::string& folder)
    : m_fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    while (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

FolderLock::~FolderLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
