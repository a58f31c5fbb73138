#include "support/OrpaPaths.h"

#include "support/Profile.h"

#include <cstdlib>
#include <filesystem>
#include <strings.h>
#include <system_error>

namespace fs = std::filesystem;

namespace orpa {

std::string homeDirectory()
{
    const char* home = std::getenv("ORPA_HOME");
    std::string dir = (home && *home) ? home : fs::current_path().string();
    if (dir.back() != '/')
        dir += '/';
    return dir;
}

std::string joinPath(const std::string& directory, const std::string& name)
{
    if (directory.empty())
        return name;
    if (directory.back() == '/')
        return directory + name;
    return directory + '/' + name;
}

std::string findFile(const std::string& directory, const std::string& name)
{
    const std::string exact = joinPath(directory, name);
    std::error_code ec;
    if (fs::exists(exact, ec))
        return exact;
    const fs::path dir = directory.empty() ? fs::path(".") : fs::path(directory);
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string candidate = it->path().filename().string();
        if (strcasecmp(candidate.c_str(), name.c_str()) == 0)
            return joinPath(directory, candidate);
    }
    return exact;
}

} // namespace orpa

std::string OrpaIniFile() { return orpa::findFile(orpa::homeDirectory(), "ORPA.INI"); }

std::string QebTypeIniFile() { return orpa::findFile(orpa::homeDirectory(), "QebType.ini"); }

std::string UserProfileFile() { return orpa::findFile(orpa::homeDirectory(), "USER.INI"); }

namespace {

// A folder key of [Install] as a prefix: a relative value is taken relative
// to the home folder, an empty one is the home folder itself.
std::string installFolderPrefix(const char* key)
{
    std::string dir = GetPrivateProfileString("Install", key, "", OrpaIniFile());
    if (dir.empty() || dir.front() != '/')
        dir = orpa::homeDirectory() + dir;
    return dir;
}

} // namespace

std::string DataDirectory() { return installFolderPrefix("DATADir"); }

std::string ExportDirectory() { return installFolderPrefix("EXPDir"); }
