#pragma once
// What is at a path, to tell that a writer left it unchanged: its kind,
// device numbers, inode and size, or for a link where it leads.

#include <filesystem>
#include <string>

#include <sys/stat.h>

inline std::string PathState(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return "missing";
    if (S_ISLNK(info.st_mode))
        return "link to " + std::filesystem::read_symlink(path).string();
    return std::to_string(info.st_mode & S_IFMT) + ":" + std::to_string(info.st_rdev) + ":"
        + std::to_string(info.st_ino) + ":" + std::to_string(info.st_size);
}
