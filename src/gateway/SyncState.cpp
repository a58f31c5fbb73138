#include "gateway/SyncState.h"

#include "model/Messages.h"
#include "model/Texts.h"
#include "protocol/GatewayCodes.h"
#include "support/Clock.h"
#include "support/RecordStore.h"
#include "support/RegularFile.h"
#include "support/UiSeam.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace {

// Every gateway of a monitoring system with all its functions marked, with long names and reasons.
constexpr uint64_t MaxSyncStateFileSize = 8 * 1024 * 1024;

// Lines that later lines overrule, up to which a change appends its lines instead of writing the file anew.
constexpr size_t MaxOverruledLines = 256;

const char* const FileHeading = "# velt: functions whose definition in MCDEF the gateway has not accepted\n"
                                "# gateway\tnumber\tsince (UTC)\tname\twhy\n"
                                "# gateway\tnumber\tcleared   (the gateway took it, or it is gone)\n";

const char* const ClearedWord = "cleared";

// Names and reasons may hold any byte; a tab, a line break or a backslash is written as an escape.
std::string escaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

std::optional<std::string> unescaped(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\': out += '\\'; break;
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: return std::nullopt;
        }
    }
    return out;
}

bool isGatewayAddress(const std::string& text)
{
    if (text.size() != 7 || text[3] != ':')
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (i != 3 && (text[i] < '0' || text[i] > '9'))
            return false;
    return true;
}

std::optional<uint8_t> functionNumber(const std::string& text)
{
    if (text.empty() || text.size() > 3 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int number = std::stoi(text);
    if (number < 1 || number > MaxFunctionNumber)
        return std::nullopt;
    return uint8_t(number);
}

std::vector<std::string> fieldsOf(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

struct JournalLine {
    UnsentFunction function; // of a cleared mark: gateway and number alone
    bool cleared = false;
};

// One line of the file; the reason it is neither a mark nor a cleared mark when it is not.
std::optional<JournalLine> parseLine(const std::string& line, std::string& problem)
{
    const std::vector<std::string> fields = fieldsOf(line);
    if (fields.size() != 5 && fields.size() != 3) {
        problem = std::to_string(fields.size()) + " fields separated by tabs, not 5 (a mark) or 3 (a cleared mark)";
        return std::nullopt;
    }
    JournalLine parsed;
    UnsentFunction& function = parsed.function;
    function.gatewayAddress = fields[0];
    if (!isGatewayAddress(function.gatewayAddress)) {
        problem = "\"" + fields[0] + "\" is not a gateway address (NNN:NNN)";
        return std::nullopt;
    }
    const std::optional<uint8_t> number = functionNumber(fields[1]);
    if (!number) {
        problem = "\"" + fields[1] + "\" is not a function number from 1 to 105";
        return std::nullopt;
    }
    function.number = *number;
    if (fields.size() == 3) {
        if (fields[2] != ClearedWord) {
            problem = "\"" + fields[2] + "\" where a cleared mark says \"" + ClearedWord + "\"";
            return std::nullopt;
        }
        parsed.cleared = true;
        return parsed;
    }
    const std::optional<std::time_t> since = ParseUtcTime(fields[2]);
    const std::optional<std::string> name = unescaped(fields[3]);
    const std::optional<std::string> reason = unescaped(fields[4]);
    if (!since || fields[2].size() != 19)
        problem = "\"" + fields[2] + "\" is not a time YYYY-MM-DD HH:MM:SS";
    else if (!name || !reason)
        problem = "a backslash that is not \\\\, \\t, \\n or \\r";
    if (!problem.empty())
        return std::nullopt;
    function.since = *since;
    function.name = *name;
    function.reason = *reason;
    return parsed;
}

std::string markLine(const UnsentFunction& f)
{
    return f.gatewayAddress + "\t" + std::to_string(f.number) + "\t" + FormatUtcTime(f.since) + "\t"
        + escaped(f.name) + "\t" + escaped(f.reason) + "\n";
}

std::string clearedLine(const UnsentFunction& f)
{
    return f.gatewayAddress + "\t" + std::to_string(f.number) + "\t" + ClearedWord + "\n";
}

// The lines of the file that say something, the last one whole or not.
size_t journalLines(const std::string& text)
{
    size_t count = 0;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        if (end > start && text[start] != '#')
            ++count;
        start = end + 1;
    }
    return count;
}

bool before(const UnsentFunction& a, const std::string& gatewayAddress, uint8_t number)
{
    return a.gatewayAddress < gatewayAddress || (a.gatewayAddress == gatewayAddress && a.number < number);
}

} // namespace

std::optional<SyncState> SyncState::parse(const std::string& text, std::string& problem)
{
    SyncState state;
    // A last line without its line break was cut short while it was written: nothing was sent after it.
    std::istringstream in(text.substr(0, text.rfind('\n') + 1));
    std::string line;
    for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
        if (line.empty() || line[0] == '#')
            continue;
        std::string wrong;
        const std::optional<JournalLine> parsed = parseLine(line, wrong);
        if (!parsed) {
            problem = "line " + std::to_string(lineNumber) + ": " + wrong;
            return std::nullopt;
        }
        if (parsed->cleared)
            state.forget(parsed->function.gatewayAddress, parsed->function.number);
        else
            state.mark(parsed->function);
    }
    return state;
}

std::string SyncState::text() const
{
    std::string text = FileHeading;
    for (const UnsentFunction& f : m_functions)
        text += markLine(f);
    return text;
}

SyncState::Changes SyncState::changesFrom(const SyncState& before) const
{
    Changes changes;
    for (const UnsentFunction& f : before.m_functions)
        if (!find(f.gatewayAddress, f.number))
            changes.lines += clearedLine(f);
    for (const UnsentFunction& f : m_functions) {
        const UnsentFunction* was = before.find(f.gatewayAddress, f.number);
        if (!was || !(*was == f)) {
            changes.lines += markLine(f);
            changes.marksAdded = true;
        }
    }
    return changes;
}

void SyncState::mark(const UnsentFunction& function)
{
    const auto at = std::find_if(m_functions.begin(), m_functions.end(), [&](const UnsentFunction& f) {
        return !before(f, function.gatewayAddress, function.number);
    });
    if (at != m_functions.end() && at->gatewayAddress == function.gatewayAddress && at->number == function.number) {
        at->name = function.name;
        at->reason = function.reason;
        return;
    }
    m_functions.insert(at, function);
}

bool SyncState::forget(const std::string& gatewayAddress, uint8_t number)
{
    return std::erase_if(m_functions, [&](const UnsentFunction& f) {
               return f.gatewayAddress == gatewayAddress && f.number == number;
           }) > 0;
}

bool SyncState::forgetGateway(const std::string& gatewayAddress)
{
    return std::erase_if(m_functions, [&](const UnsentFunction& f) { return f.gatewayAddress == gatewayAddress; })
        > 0;
}

const UnsentFunction* SyncState::find(const std::string& gatewayAddress, uint8_t number) const
{
    for (const UnsentFunction& f : m_functions)
        if (f.gatewayAddress == gatewayAddress && f.number == number)
            return &f;
    return nullptr;
}

std::vector<UnsentFunction> SyncState::ofGateway(const std::string& gatewayAddress) const
{
    std::vector<UnsentFunction> functions;
    std::copy_if(m_functions.begin(), m_functions.end(), std::back_inserter(functions),
                 [&](const UnsentFunction& f) { return f.gatewayAddress == gatewayAddress; });
    return functions;
}

std::string SyncStateFile() { return RecordStore::instance().dataFile("MCSYNC.TXT"); }

namespace {

// The file's text, empty when there is none; nothing, with the problem naming the file, when it cannot be read.
std::optional<std::string> readSyncStateText(std::string& problem)
{
    const std::string path = SyncStateFile();
    FileProblem fileProblem = FileProblem::None;
    std::optional<std::string> text = ReadRegularFile(path, MaxSyncStateFileSize, &fileProblem);
    if (fileProblem == FileProblem::Missing)
        return std::string();
    if (!text)
        problem = DescribeFileProblem(path, fileProblem, MaxSyncStateFileSize);
    return text;
}

std::optional<SyncState> parseSyncState(const std::string& text, std::string& problem)
{
    std::string wrong;
    std::optional<SyncState> state = SyncState::parse(text, wrong);
    if (!state)
        problem = SyncStateFile() + ", " + wrong;
    return state;
}

} // namespace

std::optional<SyncState> ReadSyncState(std::string& problem)
{
    const std::optional<std::string> text = readSyncStateText(problem);
    return text ? parseSyncState(*text, problem) : std::nullopt;
}

std::optional<std::string> ChangeSyncState(const std::function<bool(SyncState&)>& change)
{
    // velt and mcftool may both change the marks: one reads, changes and writes the file at a time.
    const FolderLock turn(std::filesystem::path(SyncStateFile()).parent_path().string());
    std::string problem;
    const std::optional<std::string> text = readSyncStateText(problem);
    if (!text)
        return problem;
    const std::optional<SyncState> before = parseSyncState(*text, problem);
    if (!before)
        return problem;
    SyncState after = *before;
    if (!change(after))
        return std::nullopt;
    const SyncState::Changes changes = after.changesFrom(*before);
    if (changes.lines.empty())
        return std::nullopt;
    const bool whole = !text->empty() && text->back() == '\n';
    const size_t overruled = journalLines(*text) + journalLines(changes.lines) - after.size();
    const bool appended = whole && overruled <= MaxOverruledLines
        ? AppendToFile(SyncStateFile(), changes.lines, changes.marksAdded, problem)
        : WriteFileReplacing(SyncStateFile(), after.text(), problem);
    if (!appended)
        return problem;
    return std::nullopt;
}

void ReportSyncStateProblem(const std::string& problem, QWidget* messageParent)
{
    ShowMessage(QText(txt::SyncStateNotRecorded) + "\n" + QString::fromStdString(problem), MB::Ok | MB::IconStop,
                messageParent, true);
}

std::optional<std::string> ForgetUnsentFunctions(const std::string& gatewayAddress,
                                                 const std::optional<std::vector<uint8_t>>& numbers, QWidget* messageParent)
{
    const std::optional<std::string> problem = ChangeSyncState([&](SyncState& state) {
        if (!numbers)
            return state.forgetGateway(gatewayAddress);
        bool changed = false;
        for (const uint8_t number : *numbers)
            changed = state.forget(gatewayAddress, number) || changed;
        return changed;
    });
    if (problem)
        ReportSyncStateProblem(*problem, messageParent);
    return problem;
}
