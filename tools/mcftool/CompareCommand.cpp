#include "CompareCommand.h"

#include "gateway/BackupFile.h"
#include "gateway/FunctionFields.h"
#include "gateway/FunctionReader.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "support/ConsoleUi.h"
#include "support/DbStatus.h"
#include "support/RecordStore.h"
#include "support/RegularFile.h"

#include <algorithm>
#include <iostream>
#include <map>
#include <set>

namespace mcftool {

const char* const CompareHelp =
    "Reads the functions NUMBER... (all when none is named) from the gateway of\n"
    "NETWORK, without writing anything, and compares them field by field with\n"
    "MCDEF of HOME and with the gateway's backup file: the header (name, type,\n"
    "stamp, started, manual), the settings of the data blocks the PC writes, the\n"
    "references by slot and controller (parameter and identification) and the\n"
    "schedule references. What the gateway measures itself (meter readings,\n"
    "offsets, history) and the PC's own error marks are not compared.\n"
    "\n"
    "Prints per function whether the three agree, and for each field that\n"
    "differs its value in the gateway, in MCDEF and in the backup file\n"
    "(\"(none)\" where a source does not hold it). Exit code 0 when all three\n"
    "agree on every function asked; 1 when any differs or when a source could\n"
    "not be read (standard error says which; the others are still compared).\n"
    "A gateway whose backup file was not written yet (mcftool backup write, or\n"
    "closing velt's function list, writes it) has its gateway and MCDEF\n"
    "compared: \"no backup file yet\", and exit code 0 when they agree.\n";

namespace {

constexpr const char* SourceNames[] = {"gateway", "database", "backup"};

std::string backupProblem(BackupReadResult result)
{
    switch (result) {
    case BackupReadResult::Missing:
        return "missing or unreadable";
    case BackupReadResult::FileTypeError:
        return "not of file type 0x0048";
    case BackupReadResult::ReadError:
        return "its telegram area is cut short";
    case BackupReadResult::ChecksumError:
        return "its checksum does not match";
    case BackupReadResult::TooLarge:
        return "larger than any backup file";
    case BackupReadResult::NoMemory:
        return "out of memory for its read buffer";
    case BackupReadResult::Read:
        break;
    }
    return {};
}

// One source's functions; `readable` false when it could not be read at all.
struct Source {
    bool readable = false;
    // No backup file was written yet: a normal state, not a failure to read.
    bool missing = false;
    std::map<uint8_t, FunctionFields> functions;

    const FunctionFields* find(uint8_t number) const
    {
        const auto it = functions.find(number);
        return it == functions.end() ? nullptr : &it->second;
    }
};

bool readGateway(const JobSetup& setup, const std::vector<uint8_t>& numbers, Source& gateway)
{
    FunctionReadJob job(setup.gatewayAddress, setup.session->serverWindow(), numbers);
    if (runJob(job) != ReadResult::Done) {
        std::cerr << "mcftool compare: the gateway " << setup.gatewayAddress
                  << " could not be read: " << job.problem() << "\n";
        return false;
    }
    for (const auto& [number, answers] : job.reader().functions())
        gateway.functions[number] = FunctionFieldsFromAnswers(number, answers);
    return true;
}

bool readTable(const std::vector<uint8_t>& numbers, Source& database)
{
    std::vector<uint8_t> wanted = numbers;
    if (wanted.empty()) {
        std::vector<McdefRecord> headers;
        if (const uint16_t status = ReadHeaders(headers); status != DbStatus::Success) {
            std::cerr << "mcftool compare: " << tableProblem(table::Mcdef, status) << "\n";
            return false;
        }
        for (const McdefRecord& header : headers)
            wanted.push_back(header.number());
    }
    for (const uint8_t number : wanted) {
        FunctionFields fields;
        const uint16_t status = FunctionFieldsFromTable(number, fields);
        if (status == DbStatus::Success)
            database.functions[number] = std::move(fields);
        else if (status != DbStatus::KeyNotFound) {
            std::cerr << "mcftool compare: " << tableProblem(table::Mcdef, status) << "\n";
            return false;
        }
    }
    return true;
}

bool readBackup(const std::string& gatewayAddress, const std::vector<uint8_t>& numbers, Source& backup)
{
    const std::string path = BackupFileName(gatewayAddress);
    if (CheckRegularFile(path, MaxBackupFileSize) == FileProblem::NotRegular) {
        std::cerr << "mcftool compare: the backup file "
                  << DescribeFileProblem(path, FileProblem::NotRegular, MaxBackupFileSize) << "\n";
        return false;
    }
    BackupFile file;
    const BackupReadResult result = ReadBackupFile(path, file);
    if (result == BackupReadResult::Missing) {
        std::cout << "no backup file yet (" << path << "): the gateway and MCDEF are compared\n";
        backup.missing = true;
        return false;
    }
    if (result != BackupReadResult::Read) {
        std::cerr << "mcftool compare: the backup file " << path << " could not be read: " << backupProblem(result)
                  << "\n";
        return false;
    }
    for (int n = 1; n <= BackupFunctions; ++n) {
        const uint8_t number = uint8_t(n);
        if (!numbers.empty() && std::find(numbers.begin(), numbers.end(), number) == numbers.end())
            continue;
        if (std::optional<FunctionFields> fields = FunctionFieldsFromBackup(file, number))
            backup.functions[number] = std::move(*fields);
    }
    return true;
}

std::string functionName(uint8_t number, const std::vector<const FunctionFields*>& sources)
{
    for (const FunctionFields* f : sources)
        if (f)
            if (const FunctionField* name = f->find("name"))
                return std::to_string(number) + " " + name->value;
    return std::to_string(number);
}

} // namespace

void printDifferences(const std::vector<FieldDifference>& differences, const std::vector<const char*>& sourceNames,
                      std::ostream& out)
{
    for (const FieldDifference& d : differences) {
        out << "  " << d.name << (d.unit.empty() ? "" : " (" + d.unit + ")") << ":";
        for (size_t s = 0; s < d.values.size(); ++s)
            out << (s ? ";" : "") << " " << sourceNames[s] << " " << d.values[s].value_or("(none)");
        out << "\n";
    }
}

void printBackupFields(const std::vector<uint8_t>& bytes, std::ostream& out)
{
    BackupFile file;
    if (const BackupReadResult result = DecodeBackupFile(bytes, file); result != BackupReadResult::Read) {
        out << "fields not decoded: " << backupProblem(result) << "\n";
        return;
    }
    for (int n = 1; n <= BackupFunctions; ++n) {
        const std::optional<FunctionFields> fields = FunctionFieldsFromBackup(file, uint8_t(n));
        if (!fields)
            continue;
        out << "function " << n << " fields:\n";
        for (const FunctionField& field : fields->fields)
            out << "  " << field.name << ": " << field.value << (field.unit.empty() ? "" : " " + field.unit) << "\n";
    }
}

int compare(const Args& args)
{
    std::string error;
    const auto parsed = parseArgs(args, {}, {}, error);
    if (!parsed)
        return usageError("compare", error);
    if (parsed->positional.size() < 2)
        return usageError("compare", "expected HOME, NETWORK and any function NUMBERs");
    // No number: every function that any source holds.
    const auto numbers =
        optionalFunctionNumbers(Args(parsed->positional.begin() + 2, parsed->positional.end()), error);
    if (!numbers)
        return usageError("compare", error);
    ConsoleUi console;
    int setupExit = Failed;
    auto setup = setUpJob("compare", parsed->positional[0], parsed->positional[1], setupExit);
    if (!setup)
        return setupExit;
    std::array<Source, 3> sources;
    sources[0].readable = readGateway(*setup, *numbers, sources[0]);
    sources[1].readable = readTable(*numbers, sources[1]);
    sources[2].readable = readBackup(setup->gatewayAddress, *numbers, sources[2]);
    RecordStore::instance().closeAll();

    std::set<uint8_t> wanted(numbers->begin(), numbers->end());
    if (wanted.empty())
        for (const Source& source : sources)
            for (const auto& [number, fields] : source.functions)
                wanted.insert(number);
    int differing = 0;
    for (const uint8_t number : wanted) {
        std::vector<const FunctionFields*> present;
        std::vector<const char*> names;
        for (size_t s = 0; s < sources.size(); ++s)
            if (sources[s].readable) {
                present.push_back(sources[s].find(number));
                names.push_back(SourceNames[s]);
            }
        const std::vector<FieldDifference> differences = CompareFunctions(present);
        std::cout << "function " << functionName(number, present) << ": "
                  << (differences.empty() ? "agree" : "differ") << "\n";
        differing += !differences.empty();
        printDifferences(differences, names, std::cout);
    }
    const bool allRead =
        std::all_of(sources.begin(), sources.end(), [](const Source& s) { return s.readable || s.missing; });
    std::cout << wanted.size() << " functions compared, " << differing << " differ"
              << (allRead ? "" : "; not every source could be read") << "\n";
    return allRead && differing == 0 ? Done : Failed;
}

} // namespace mcftool
