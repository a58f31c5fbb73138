#include "gateway/SyncState.h"

#include "model/Messages.h"
#include "model/Texts.h"
#include "protocol/GatewayCodes.h"
#include "support/Clock.h"
#include "support/RecordStore.h"
#include "support/RegularFile.h"
#include "support/UiSeam.h"

#include <algorithm>
#include <sstream>

namespace {

// Every gateway of a monitoring system with all its functions marked, with long names and reasons.
constexpr uint64_t MaxSyncStateFileSize = 8 * 1024 * 1024;

const char* const FileHeading = "# velt: functions whose definition in MCDEF the gateway has not accepted\n"
                                "# gateway\tnumber\tsince (UTC)\tname\twhy\n";

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

// One line of the file; the reason it is not a mark when it is not.
std::optional<UnsentFunction> parseLine(const std::string& line, std::string& problem)
{
    const std::vector<std::string> fields = fieldsOf(line);
    if (fields.size() != 5) {
        problem = std::to_string(fields.size()) + " fields separated by tabs, not 5";
        return std::nullopt;
    }
    UnsentFunction function;
    function.gatewayAddress = fields[0];
    if (!isGatewayAddress(function.gatewayAddress)) {
        problem = "\"" + fields[0] + "\" is not a gateway address (NNN:NNN)";
        return std::nullopt;
    }
    const std::optional<uint8_t> number = functionNumber(fields[1]);
    const std::optional<std::time_t> since = ParseUtcTime(fields[2]);
    const std::optional<std::string> name = unescaped(fields[3]);
    const std::optional<std::string> reason = unescaped(fields[4]);
    if (!number)
        problem = "\"" + fields[1] + "\" is not a function number from 1 to 105";
    else if (!since || fields[2].size() != 19)
        problem = "\"" + fields[2] + "\" is not a time YYYY-MM-DD HH:MM:SS";
    else if (!name || !reason)
        problem = "a backslash that is not \\\\, \\t, \\n or \\r";
    if (!problem.empty())
        return std::nullopt;
    function.number = *number;
    function.since = *since;
    function.name = *name;
    function.reason = *reason;
    return function;
}

bool before(const UnsentFunction& a, const std::string& gatewayAddress, uint8_t number)
{
    return a.gatewayAddress < gatewayAddress || (a.gatewayAddress == gatewayAddress && a.number < number);
}

} // namespace

std::optional<SyncState> SyncState::parse(const std::string& text, std::string& problem)
{
    SyncState state;
    std::istringstream in(text);
    std::string line;
    for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
        if (line.empty() || line[0] == '#')
            continue;
        std::string wrong;
        const std::optional<UnsentFunction> function = parseLine(line, wrong);
        if (function && state.find(function->gatewayAddress, function->number))
            wrong = "function " + std::to_string(function->number) + " of " + function->gatewayAddress
                + " is marked twice";
        if (!wrong.empty()) {
            problem = "line " + std::to_string(lineNumber) + ": " + wrong;
            return std::nullopt;
        }
        state.mark(*function);
    }
    return state;
}

std::string SyncState::text() const
{
    std::string text = FileHeading;
    for (const UnsentFunction& f : m_functions)
        text += f.gatewayAddress + "\t" + std::to_string(f.number) + "\t" + FormatUtcTime(f.since) + "\t"
            + escaped(f.name) + "\t" + escaped(f.reason) + "\n";
    return text;
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

std::optional<SyncState> ReadSyncState(std::string& problem)
{
    const std::string path = SyncStateFile();
    FileProblem fileProblem = FileProblem::None;
    const std::optional<std::string> text = ReadRegularFile(path, MaxSyncStateFileSize, &fileProblem);
    if (fileProblem == FileProblem::Missing)
        return SyncState();
    if (!text) {
        problem = DescribeFileProblem(path, fileProblem, MaxSyncStateFileSize);
        return std::nullopt;
    }
    std::string wrong;
    std::optional<SyncState> state = SyncState::parse(*text, wrong);
    if (!state)
        problem = path + ", " + wrong;
    return state;
}

std::optional<std::string> ChangeSyncState(const std::function<bool(SyncState&)>& change)
{
    std::string problem;
    std::optional<SyncState> state = ReadSyncState(problem);
    if (!state)
        return problem;
    if (change(*state) && !WriteFileReplacing(SyncStateFile(), state->text(), problem))
        return problem;
    return std::nullopt;
}

void ReportSyncStateProblem(const std::string& problem, QWidget* messageParent)
{
    ShowMessage(QText(txt::SyncStateNotRecorded) + "\n" + QString::fromStdString(problem), MB::Ok | MB::IconStop,
                messageParent, true);
}

std::optional<std::string> ForgetUnsentFunctions(const std::string& gatewayAddress, std::optional<uint8_t> number,
                                                 QWidget* messageParent)
{
    const std::optional<std::string> problem = ChangeSyncState([&](SyncState& state) {
        return number ? state.forget(gatewayAddress, *number) : state.forgetGateway(gatewayAddress);
    });
    if (problem)
        ReportSyncStateProblem(*problem, messageParent);
    return problem;
}
