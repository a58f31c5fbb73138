#include "support/Profile.h"

#include "support/OrpaPaths.h"
#include "support/RegularFile.h"

#include <QtGlobal>

#include <atomic>
#include <cctype>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <optional>
#include <strings.h>
#include <sys/stat.h>
#include <vector>

namespace {

std::atomic<uint64_t> g_fileReads{0};

std::string trim(const std::string& text)
{
    const char* blanks = " \t\r\n";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool sameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// The profile's text; nothing when it does not exist or is not a profile
// file (a folder, a FIFO, a huge file), which is logged with its name.
// A problem is logged once until the file reads well again: a folder where the
// profile should be would otherwise be named again for every key.
std::optional<std::string> readWholeFile(const std::string& file, FileProblem* problem = nullptr)
{
    static std::mutex toldMutex;
    static std::map<std::string, FileProblem> told;
    FileProblem found = FileProblem::None;
    ++g_fileReads;
    std::optional<std::string> content = ReadRegularFile(file, MaxProfileSize, &found);
    const bool wrong = found != FileProblem::None && found != FileProblem::Missing;
    {
        std::lock_guard<std::mutex> lock(toldMutex);
        const auto before = told.find(file);
        if (wrong && (before == told.end() || before->second != found))
            qWarning("%s", DescribeFileProblem(file, found, MaxProfileSize).c_str());
        if (wrong)
            told[file] = found;
        else if (before != told.end())
            told.erase(before);
    }
    if (problem)
        *problem = found;
    return content;
}

// One line of the file with its position, so that a write can splice it.
struct Line {
    size_t begin;      // first byte of the line
    size_t end;        // one past the last byte before the line break
    size_t breakEnd;   // one past the line break
};

std::vector<Line> splitLines(const std::string& content)
{
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < content.size()) {
        size_t nl = content.find('\n', pos);
        const size_t breakEnd = nl == std::string::npos ? content.size() : nl + 1;
        size_t end = nl == std::string::npos ? content.size() : nl;
        if (end > pos && content[end - 1] == '\r')
            --end;
        lines.push_back({pos, end, breakEnd});
        pos = breakEnd;
    }
    return lines;
}

std::optional<std::string> sectionName(const std::string& line)
{
    const std::string t = trim(line);
    if (t.size() >= 2 && t.front() == '[') {
        const auto close = t.find(']');
        if (close != std::string::npos)
            return trim(t.substr(1, close - 1));
    }
    return std::nullopt;
}

struct KeyLine {
    std::string key;
    std::string value;
};

std::optional<KeyLine> keyLine(const std::string& line)
{
    const std::string t = trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '[')
        return std::nullopt;
    const auto eq = t.find('=');
    if (eq == std::string::npos)
        return std::nullopt;
    std::string value = trim(t.substr(eq + 1));
    if (value.size() >= 2 && ((value.front() == '"' && value.back() == '"') || (value.front() == '\'' && value.back() == '\'')))
        value = value.substr(1, value.size() - 2);
    return KeyLine{trim(t.substr(0, eq)), value};
}

// Which version of a file was read: the same name can come to stand for
// another file (replaced by a rename), or for the same file rewritten.
struct FileVersion {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const FileVersion& other) const
    {
        const auto same = [](const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; };
        return device == other.device && inode == other.inode && size == other.size
            && same(modified, other.modified) && same(changed, other.changed);
    }
};

std::optional<FileVersion> versionOf(const std::string& file)
{
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return FileVersion{info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

// A file changed this recently may change again without its times showing it
// (they move in ticks of the file system's clock, a second on some).
bool settled(const FileVersion& version)
{
    constexpr time_t SettledAfterSeconds = 2;
    timespec now{};
    // The file system's own time, not a date of the program: compared with the file's times only.
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec - version.modified.tv_sec > SettledAfterSeconds;
}

// The name as sameName compares it: up to a NUL byte, without regard to case.
std::string lowered(std::string text)
{
    text.resize(std::strlen(text.c_str()));
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Every key of a profile, by lower-case section and key, the first one of each.
using ProfileIndex = std::map<std::pair<std::string, std::string>, std::string>;

ProfileIndex indexOf(const std::string& content);

std::optional<std::string> valueIn(const ProfileIndex& index, const std::pair<std::string, std::string>& wanted)
{
    const auto it = index.find(wanted);
    return it == index.end() ? std::nullopt : std::optional<std::string>(it->second);
}

struct CachedProfile {
    FileVersion version;
    ProfileIndex index;
};

std::mutex g_cacheMutex;
std::map<std::string, CachedProfile> g_cache;

// The value of a key as the file now reads; nothing when the file or the key is missing.
std::optional<std::string> cachedValue(const std::string& file, const std::string& section, const std::string& key)
{
    const std::pair<std::string, std::string> wanted{lowered(section), lowered(key)};
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    const std::optional<FileVersion> before = versionOf(file);
    const auto cached = g_cache.find(file);
    if (before && cached != g_cache.end() && cached->second.version == *before)
        return valueIn(cached->second.index, wanted);
    if (cached != g_cache.end())
        g_cache.erase(cached);
    const std::optional<std::string> content = readWholeFile(file);
    if (!content)
        return std::nullopt;
    ProfileIndex index = indexOf(*content);
    std::optional<std::string> value = valueIn(index, wanted);
    // Kept only when what was read is the version seen before reading, and that version is settled.
    if (before && settled(*before) && versionOf(file) == before)
        g_cache[file] = CachedProfile{*before, std::move(index)};
    return value;
}

void forget(const std::string& file)
{
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    g_cache.erase(file);
}

ProfileIndex indexOf(const std::string& content)
{
    ProfileIndex index;
    std::string section;
    bool inSection = false;
    for (const Line& l : splitLines(content)) {
        const std::string text = content.substr(l.begin, l.end - l.begin);
        if (auto name = sectionName(text)) {
            section = lowered(*name);
            inSection = true;
            continue;
        }
        if (!inSection)
            continue;
        if (auto kv = keyLine(text))
            index.emplace(std::make_pair(section, lowered(kv->key)), kv->value);
    }
    return index;
}

} // namespace

uint64_t ProfileFileReads() { return g_fileReads; }

std::optional<std::string> ProfileValue(const std::string& content, const std::string& section, const std::string& key)
{
    return valueIn(indexOf(content), {lowered(section), lowered(key)});
}

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& file)
{
    return cachedValue(file, section, key).value_or(defaultValue);
}

int ProfileInt(const std::string& value, int defaultValue)
{
    size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+'))
        negative = value[i++] == '-';
    if (i >= value.size() || value[i] < '0' || value[i] > '9')
        return defaultValue;
    long long number = 0;
    while (i < value.size() && value[i] >= '0' && value[i] <= '9' && number < 10000000000LL)
        number = number * 10 + (value[i++] - '0');
    return int(negative ? -number : number);
}

int GetPrivateProfileInt(const std::string& section, const std::string& key, int defaultValue,
                         const std::string& file)
{
    return ProfileInt(GetPrivateProfileString(section, key, "", file), defaultValue);
}

std::string ProfileWithValue(const std::string& content, const std::string& section, const std::string& key,
                             const std::string& value)
{
    const std::vector<Line> lines = splitLines(content);
    const std::string lineBreak = content.find("\r\n") != std::string::npos ? "\r\n" : "\n";

    bool inSection = false;
    for (const Line& l : lines) {
        const std::string text = content.substr(l.begin, l.end - l.begin);
        if (auto name = sectionName(text)) {
            inSection = sameName(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        if (auto kv = keyLine(text); kv && sameName(kv->key, key)) {
            // Keep the key's own spelling and whatever stands before the '='.
            const size_t eq = content.find('=', l.begin);
            return content.substr(0, eq + 1) + value + content.substr(l.end);
        }
    }

    // A new key goes after the last non-blank line of its section.
    bool found = false;
    size_t insertAt = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string text = content.substr(lines[i].begin, lines[i].end - lines[i].begin);
        if (auto name = sectionName(text)) {
            if (found)
                break;
            if (sameName(*name, section)) {
                found = true;
                insertAt = lines[i].breakEnd;
            }
            continue;
        }
        if (found && !trim(text).empty())
            insertAt = lines[i].breakEnd;
    }
    const std::string newLine = key + "=" + value + lineBreak;
    if (found) {
        std::string prefix = content.substr(0, insertAt);
        if (!prefix.empty() && prefix.back() != '\n')
            prefix += lineBreak;
        return prefix + newLine + content.substr(insertAt);
    }
    std::string updated = content;
    if (!updated.empty() && updated.back() != '\n')
        updated += lineBreak;
    return updated + "[" + section + "]" + lineBreak + newLine;
}

bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& file)
{
    if (const std::optional<std::string> refused = WriteTargetProblem(file)) {
        qWarning("%s", refused->c_str());
        return false;
    }
    FileProblem problem = FileProblem::None;
    const std::string content = readWholeFile(file, &problem).value_or(std::string());
    if (problem != FileProblem::None && problem != FileProblem::Missing)
        return false;
    const std::string updated = ProfileWithValue(content, section, key, value);

    forget(file);
    std::string writeProblem;
    if (!WriteFileReplacing(file, updated, writeProblem)) {
        qWarning("%s", writeProblem.c_str());
        return false;
    }
    return true;
}

std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue)
{
    return GetPrivateProfileString(section, key, defaultValue, UserProfileFile());
}
