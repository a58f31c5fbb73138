// mcftool: the command-line companion of velt. Builds a home of the
// monitoring system from a plant description and dumps its tables, runs the
// gateway jobs (upload, update, start, stop, delete, backup writing) without a
// window, shows and verifies backup files, and writes the exports.
//
// Each verb is one function in the verb table below; a new verb (upload,
// start, stop, delete, backup ...) is one more function and one more row.
// Exit codes: 0 done, 1 failed, 2 wrong usage.

#include "CommandLine.h"
#include "CompareCommand.h"
#include "DryRunCommand.h"
#include "JsonExportCommand.h"
#include "PlantBuilder.h"
#include "ReportCommand.h"
#include "CheckCommand.h"
#include "JsonImportCommand.h"
#include "ScheduleCommands.h"
#include "StatusCommand.h"
#include "TableDump.h"

#include "editors/energy/CurveExport.h"
#include "editors/energy/PoHistoryExport.h"
#include "gateway/BackupFile.h"
#include "gateway/BackupWriter.h"
#include "gateway/GatewaySession.h"
#include "gateway/StartStopJob.h"
#include "gateway/UnsentChanges.h"
#include "gateway/UpdateJob.h"
#include "gateway/UploadJob.h"
#include "list/DeleteJob.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "protocol/GatewayCodes.h"
#include "protocol/LittleEndian.h"
#include "protocol/Telegram.h"
#include "protocol/TelegramText.h"
#include "protocol/TypeCatalogue.h"
#include "protocol/Version.h"
#include "support/ConsoleUi.h"
#include "support/Db.h"
#include "support/DbStatus.h"
#include "support/RecordStore.h"
#include "support/TableSchema.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

using namespace mcftool;

namespace {

// --- plant init -------------------------------------------------------------

int plantInit(const Args& args)
{
    std::string error;
    const auto parsed = parseArgs(args, {"--replace"}, {"--from"}, error);
    if (!parsed)
        return usageError("plant init", error);
    if (parsed->positional.size() != 1)
        return usageError("plant init", "expected exactly one HOME folder");
    const std::string home = parsed->positional[0];
    const std::string description = parsed->value("--from").value_or(DefaultPlantDescription());
    if (const auto failure = BuildPlantHome(home, description, parsed->has("--replace"))) {
        std::cerr << "mcftool plant init: " << failure->message() << "\n";
        return Failed;
    }
    std::cout << "home " << home << " built from " << description << "\n";
    return Done;
}

// --- db dump ----------------------------------------------------------------

int dbDump(const Args& args)
{
    std::string error;
    const auto parsed = parseArgs(args, {"--hex"}, {}, error);
    if (!parsed)
        return usageError("db dump", error);
    if (parsed->positional.size() != 2)
        return usageError("db dump", "expected HOME and TABLE");
    const std::string& table = parsed->positional[1];
    if (!FindTableSchema(table)) {
        std::string known;
        for (const TableSchema& schema : AllTableSchemas())
            known += " " + schema.name;
        return usageError("db dump", "unknown table " + table + " (tables:" + known + ")");
    }
    if (const auto failure = DumpTable(parsed->positional[0], table, parsed->has("--hex"), std::cout)) {
        std::cerr << "mcftool db dump: " << *failure << "\n";
        return Failed;
    }
    return Done;
}

// --- gateway jobs -------------------------------------------------------------


// --- db check ---------------------------------------------------------------

int dbCheck(const Args& args)
{
    std::string error;
    const auto parsed = parseArgs(args, {}, {}, error);
    if (!parsed)
        return usageError("db check", error);
    if (parsed->positional.size() != 1)
        return usageError("db check", "expected one HOME");
    if (!useHome(parsed->positional[0], error)) {
        std::cerr << "mcftool db check: " << error << "\n";
        return Failed;
    }
    struct TableFile {
        std::string path;
        std::string table;
        bool emptyTemplate;
    };
    std::vector<TableFile> files;
    for (const TableSchema& schema : AllTableSchemas())
        files.push_back({RecordStore::instance().tableFile(schema.name), schema.name, false});
    files.push_back({RecordStore::instance().dataFile("MCDEF.NEW"), table::Mcdef, true});
    int failures = 0;
    for (const auto& [file, table, emptyTemplate] : files) {
        if (const std::optional<std::string> problem = RecordStore::checkTableFile(file, table, emptyTemplate)) {
            std::cerr << "mcftool db check: " << *problem << "\n";
            ++failures;
        } else {
            std::cout << file << ": ok\n";
        }
    }
    return failures == 0 ? Done : Failed;
}


// "deleted 2, 4; not deleted: 5, 7, 9 (reason)"
std::string deletionSummary(const std::vector<uint8_t>& asked, const std::vector<uint8_t>& deleted,
                            const std::string& reason)
{
    std::vector<uint8_t> left;
    std::copy_if(asked.begin(), asked.end(), std::back_inserter(left), [&](uint8_t number) {
        return std::find(deleted.begin(), deleted.end(), number) == deleted.end();
    });
    return "deleted " + (deleted.empty() ? std::string("none") : numberList(deleted)) + "; not deleted: "
        + numberList(left) + " (" + reason + ")";
}

int startOrStop(const char* verb, uint8_t command, const Args& args)
{
    std::string error;
    const auto parsed = parseArgs(args, {}, {}, error);
    if (!parsed)
        return usageError(verb, error);
    if (parsed->positional.size() < 3)
        return usageError(verb, "expected HOME, NETWORK and at least one function NUMBER");
    const auto numbers = functionNumbers(Args(parsed->positional.begin() + 2, parsed->positional.end()), error);
    if (!numbers)
        return usageError(verb, error);
    ConsoleUi console;
    int setupExit = Failed;
    auto setup = setUpJob(verb, parsed->positional[0], parsed->positional[1], setupExit);
    if (!setup)
        return setupExit;
    if (!functionsInTable(*numbers, error)) {
        std::cerr << "mcftool " << verb << ": " << error << "\n";
        return Failed;
    }
    StartStopJob job(setup->gatewayAddress, setup->session->serverWindow(), command, *numbers, {}, nullptr);
    const StartStopResult result = runJob(job);
    const bool logged = eventLogStored(verb, job.eventLogStatus());
    const std::optional<std::string> ending = job.gatewayEnding();
    const std::string meaning = result == StartStopResult::Done ? "done"
        : ending                 ? *ending
        : result == StartStopResult::RefusedOrLinkFailure ? "communication error"
                                                          : "database or allocation failure";
    const int exitCode = finishJob(verb, int(result), meaning, result == StartStopResult::Done);
    return logged ? exitCode : Failed;
}

int start(const Args& args) { return startOrStop("start", Command::Start, args); }

int stop(const Args& args) { return startOrStop("stop", Command::Stop, args); }

int deleteFunctions(const Args& args)
{
    std::string error;
    const auto parsed = parseArgs(args, {"--skip", "--stop"}, {}, error);
    if (!parsed)
        return usageError("delete", error);
    if (parsed->has("--skip") && parsed->has("--stop"))
        return usageError("delete", "--skip and --stop exclude each other");
    if (parsed->positional.size() < 3)
        return usageError("delete", "expected HOME, NETWORK and at least one function NUMBER");
    const auto numbers = functionNumbers(Args(parsed->positional.begin() + 2, parsed->positional.end()), error);
    if (!numbers)
        return usageError("delete", error);
    const ReferenceChoice answer = parsed->has("--stop") ? ReferenceChoice::Stop : ReferenceChoice::Skip;
    ConsoleUi console;
    int setupExit = Failed;
    auto setup = setUpJob("delete", parsed->positional[0], parsed->positional[1], setupExit);
    if (!setup)
        return setupExit;
    if (!functionsInTable(*numbers, error)) {
        std::cerr << "mcftool delete: " << error << "\n";
        return Failed;
    }
    DeleteJob::Hooks hooks;
    bool referencedScheduleKept = false;
    hooks.askReference = [answer, &referencedScheduleKept](const ReferenceQuestion& question) {
        referencedScheduleKept = true;
        std::cout << "schedule " << int(question.schedule) << " " << question.scheduleName
                  << " is referenced by:\n";
        for (const ScheduleOwner& owner : question.owners)
            std::cout << "  " << int(owner.number) << "\t" << owner.name << "\n";
        std::cout << (answer == ReferenceChoice::Stop ? "  stopped the deletion\n" : "  skipped it\n");
        return answer;
    };
    DeleteJob job(setup->gatewayAddress, setup->session->serverWindow(), *numbers, std::move(hooks), nullptr);
    const DeleteResult result = runJob(job);
    for (const std::string& name : job.deletedNames())
        std::cout << "deleted " << name << "\n";
    const bool logged = eventLogStored("delete", job.eventLogStatus());
    const std::vector<uint8_t>& deleted = job.deletedNumbers();
    const bool allDeleted = std::all_of(numbers->begin(), numbers->end(), [&deleted](uint8_t number) {
        return std::find(deleted.begin(), deleted.end(), number) != deleted.end();
    });
    const bool allDone = result == DeleteResult::Done && allDeleted && !job.syncStateProblem();
    const std::optional<std::string> ending = job.gatewayEnding();
    const std::string reason = job.linkLost() ? "communication error"
        : ending                 ? *ending
        : result == DeleteResult::Refused      ? "refused by the gateway"
        : result == DeleteResult::LocalFailure ? "local failure"
        : referencedScheduleKept               ? (answer == ReferenceChoice::Stop ? "stopped at a referenced schedule"
                                                                                  : "referenced schedules skipped")
                                               : "cancelled";
    std::string meaning = allDeleted ? "done" : deletionSummary(*numbers, deleted, reason);
    if (job.syncStateProblem())
        meaning += ", but the marks of unsent functions were not forgotten";
    const int exitCode = finishJob("delete", int(result), meaning, allDone);
    return logged ? exitCode : Failed;
}

int upload(const Args& args)
{
    std::string error;
    const auto parsed = parseArgs(args, {"--yes", "--no", "--discard-unsent"}, {}, error);
    if (!parsed)
        return usageError("upload", error);
    if (parsed->has("--yes") && parsed->has("--no"))
        return usageError("upload", "--yes and --no exclude each other");
    if (parsed->positional.size() != 2)
        return usageError("upload", "expected HOME and NETWORK");
    ConsoleUi console(parsed->has("--yes") ? IDYES : IDNO);
    int setupExit = Failed;
    auto setup = setUpJob("upload", parsed->positional[0], parsed->positional[1], setupExit);
    if (!setup)
        return setupExit;
    std::string problem;
    const std::optional<std::vector<UnsentFunction>> unsent = UnsentFunctionsOf(setup->gatewayAddress, problem);
    const bool discard = parsed->has("--discard-unsent");
    if (!unsent && !discard) {
        std::cerr << "mcftool upload: which functions the gateway has not accepted cannot be read, so the upload\n"
                     "could replace changes without a word: "
                  << problem << "\nrepair the file, or upload with --discard-unsent\n";
        return Failed;
    }
    if (unsent && !unsent->empty() && !discard) {
        std::cerr << "mcftool upload: these functions of " << setup->gatewayAddress
                  << " were changed but the gateway has not accepted them:\n"
                  << UnsentListText(*unsent)
                  << "\nsend them first (mcftool update), or upload with --discard-unsent to replace them\n";
        return Failed;
    }
    UploadJob job(setup->gatewayAddress, setup->session->serverWindow(), false, nullptr);
    const UploadResult result = runJob(job);
    const bool taken = result == UploadResult::UpToDate || result == UploadResult::NotUpToDate;
    bool discardLogged = true;
    if (taken && unsent && !unsent->empty()) {
        const uint16_t status = LogDiscardedChanges(setup->gatewayAddress, *unsent);
        discardLogged = status == DbStatus::Success;
        std::cout << "discarded the unsent changes of\n" << UnsentListText(*unsent) << "\n";
        if (!discardLogged)
            std::cerr << "mcftool upload: " << tableProblem(table::EventLog, status) << "\n";
    }
    std::cout << "telegrams " << job.telegramsSent() << "\n"
              << "functions from the backup file " << job.functionsFromBackup() << ", from the gateway "
              << job.functionsFromGateway() << "\n";
    const char* meaning = result == UploadResult::UpToDate ? "uploaded, net configuration up to date"
        : result == UploadResult::NotUpToDate              ? "uploaded, net configuration not up to date"
        : result == UploadResult::Cancelled                ? "cancelled"
                                                           : "error";
    const bool uploaded = result == UploadResult::UpToDate || result == UploadResult::NotUpToDate;
    const std::string outcome = uploaded && job.syncStateProblem()
        ? std::string(meaning) + ", but the marks of unsent functions were not forgotten"
        : meaning;
    return finishJob("upload", int(result), outcome, uploaded && !job.syncStateProblem() && discardLogged);
}

// Writes the functions from MCDEF into the gateway one after the other, as
// velt's update does after an editor saved them; a failure ends only the
// update of its own function.
int update(const Args& args)
{
    std::string error;
    const auto parsed = parseArgs(args, {"--blocks-only", "--dry-run", "--verify"}, {"--password"}, error);
    if (!parsed)
        return usageError("update", error);
    if (parsed->positional.size() < 3)
        return usageError("update", "expected HOME, NETWORK and at least one function NUMBER");
    const auto numbers = functionNumbers(Args(parsed->positional.begin() + 2, parsed->positional.end()), error);
    if (!numbers)
        return usageError("update", error);
    if (parsed->has("--dry-run") && parsed->has("--verify"))
        return usageError("update", "--dry-run sends nothing, so there is nothing to --verify");
    if (parsed->has("--dry-run"))
        return updateDryRun(parsed->positional[0], parsed->positional[1], *numbers, parsed->has("--blocks-only"));
    const std::optional<std::string> password = parsed->value("--password");
    ConsoleUi console(IDNO, password ? std::optional<QString>(QString::fromStdString(*password)) : std::nullopt);
    int setupExit = Failed;
    auto setup = setUpJob("update", parsed->positional[0], parsed->positional[1], setupExit);
    if (!setup)
        return setupExit;
    if (!functionsInTable(*numbers, error)) {
        std::cerr << "mcftool update: " << error << "\n";
        return Failed;
    }
    const uint32_t mode = parsed->has("--blocks-only") ? UpdateMode::DataBlocksOnly : UpdateMode::WholeFunction;
    // Each job's texts come from ORPATEXT: opened once for all of them.
    ScopedTable texts(table::OrpaText, DbMode::ReadOnly);
    std::string updated;
    std::string notUpdated;
    bool marksRecorded = true;
    for (const uint8_t number : *numbers) {
        McdefRecord header;
        UpdateResult result = UpdateResult::LocalFailure;
        std::string meaning = UpdateResultMeaning(result);
        std::string detail;
        if (ReadBlock(number, BlockType::Header, 0, 0, header) == DbStatus::Success) {
            UpdateJob job(setup->gatewayAddress, setup->session->serverWindow(), number, mode,
                          TypeWritableBlocks(header.type()), nullptr, nullptr);
            job.setVerify(parsed->has("--verify"));
            result = runJob(job);
            marksRecorded = marksRecorded && !job.syncStateProblem();
            printDifferences(job.differences(), {"gateway", "database"}, std::cerr);
            meaning = job.resultMeaning();
            if (result != UpdateResult::Done)
                detail = job.failureDetail();
        }
        const std::string function = std::to_string(number) + " " + header.name();
        std::cout << "function " << function << ": result " << int(result) << " (" << meaning
                  << (detail.empty() ? "" : ": " + detail) << ")\n";
        std::string& list = result == UpdateResult::Done ? updated : notUpdated;
        list += (list.empty() ? "" : ", ") + (result == UpdateResult::Done ? function : function + " (" + meaning + ")");
    }
    RecordStore::instance().closeAll();
    std::cout << "updated " << (updated.empty() ? "none" : updated) << "\n";
    if (notUpdated.empty())
        return marksRecorded ? Done : Failed;
    std::cerr << "mcftool update: updated " << (updated.empty() ? "none" : updated) << "; not updated "
              << notUpdated << "\n";
    return Failed;
}

// --- backup files -------------------------------------------------------------

int backupWrite(const Args& args)
{
    std::string error;
    const auto parsed = parseArgs(args, {}, {}, error);
    if (!parsed)
        return usageError("backup write", error);
    if (parsed->positional.size() != 2)
        return usageError("backup write", "expected HOME and NETWORK");
    ConsoleUi console;
    if (!useHome(parsed->positional[0], error)) {
        std::cerr << "mcftool backup write: " << error << "\n";
        return Failed;
    }
    const std::optional<std::string> address = gatewayOf(parsed->positional[1]);
    if (!address)
        return networkUsageError("backup write", parsed->positional[1]);
    std::vector<ListedFunction> functions;
    if (const uint16_t status = ListedFunctionsFromTable(functions); status != DbStatus::Success) {
        std::cerr << "mcftool backup write: " << tableProblem(table::Mcdef, status) << "\n";
        return Failed;
    }
    const std::string file = BackupFileName(*address);
    const BackupWriteResult result = WriteBackupFile(*address, functions, nullptr);
    RecordStore::instance().closeAll();
    switch (result) {
    case BackupWriteResult::Written:
        std::cout << "wrote " << file << "\n";
        return Done;
    case BackupWriteResult::NoFunctions:
        std::cout << "no function of a known type: no backup file " << file << "\n";
        return Done;
    case BackupWriteResult::Failed:
        break;
    }
    std::cerr << "mcftool backup write: " << file << " not written\n";
    return Failed;
}


int backupShow(const Args& args)
{
    std::string error;
    const auto parsed = parseArgs(args, {}, {}, error);
    if (!parsed)
        return usageError("backup show", error);
    if (parsed->positional.size() != 1)
        return usageError("backup show", "expected one FILE");
    const auto bytes = readWholeFile(parsed->positional[0], error);
    if (!bytes) {
        std::cerr << "mcftool backup show: " << error << "\n";
        return Failed;
    }
    if (bytes->size() < BackupHeaderSize) {
        std::cerr << "mcftool backup show: " << parsed->positional[0] << " has " << bytes->size()
                  << " bytes, fewer than the " << BackupHeaderSize << " of a header\n";
        return Failed;
    }
    const uint8_t* b = bytes->data();
    const uint32_t stored = le::u32(b + 2);
    const uint32_t computed = BackupChecksum(*bytes);
    std::cout << "file type 0x" << std::hex << std::setw(4) << std::setfill('0') << le::u16(b) << ", checksum 0x"
              << std::setw(8) << stored << (stored == computed ? " (matches)" : " (does not match)") << std::dec
              << std::setfill(' ') << "\n"
              << "gateway " << le::str(b + 6, 8) << "\n";
    const size_t telegramCount = (bytes->size() - BackupHeaderSize) / TelegramSize;
    std::vector<int> owner(telegramCount, 0);
    for (int n = 1; n <= BackupFunctions; ++n) {
        const uint32_t stamp = le::u32(b + 14 + 4 * (n - 1));
        const uint16_t first = le::u16(b + 434 + 2 * (n - 1));
        const uint8_t count = b[644 + (n - 1)];
        if (stamp == 0 && count == 0)
            continue;
        std::cout << "function " << n << ": stamp " << stamp << ", telegrams " << first << ".."
                  << (count ? first + count - 1 : first) << " (" << int(count) << ")\n";
        for (size_t i = first; i < size_t(first) + count && i < telegramCount; ++i)
            owner[i] = n;
    }
    for (size_t i = 0; i < telegramCount; ++i) {
        Telegram t;
        std::copy_n(b + BackupHeaderSize + i * TelegramSize, TelegramSize, t.begin());
        std::cout << "  " << i << (owner[i] ? "" : " (no function)") << ": " << DescribeTelegram(t) << "\n";
    }
    if ((bytes->size() - BackupHeaderSize) % TelegramSize != 0)
        std::cout << "  " << (bytes->size() - BackupHeaderSize) % TelegramSize << " bytes after the last telegram\n";
    printBackupFields(*bytes, std::cout);
    return Done;
}

int backupVerify(const Args& args)
{
    std::string error;
    const auto parsed = parseArgs(args, {}, {}, error);
    if (!parsed)
        return usageError("backup verify", error);
    if (parsed->positional.size() != 1)
        return usageError("backup verify", "expected one FILE");
    const std::string& path = parsed->positional[0];
    const auto bytes = readWholeFile(path, error);
    if (!bytes) {
        std::cerr << "mcftool backup verify: " << error << "\n";
        return Failed;
    }
    BackupFile file;
    switch (ReadBackupFile(path, file)) {
    case BackupReadResult::Read:
        std::cout << path << ": file type 0x0048, checksum 0x" << std::hex << std::setw(8) << std::setfill('0')
                  << BackupChecksum(*bytes) << std::dec << " matches, " << file.telegrams.size() << " telegrams\n";
        return Done;
    case BackupReadResult::Missing:
        std::cerr << path << ": cannot be read\n";
        break;
    case BackupReadResult::TooLarge:
        std::cerr << path << ": larger than any backup file\n";
        break;
    case BackupReadResult::NoMemory:
        std::cerr << path << ": out of memory for its read buffer\n";
        break;
    case BackupReadResult::FileTypeError:
        if (bytes->size() < BackupHeaderSize)
            std::cerr << path << ": " << bytes->size() << " bytes, shorter than the " << BackupHeaderSize
                      << "-byte header\n";
        else
            std::cerr << path << ": file type 0x" << std::hex << std::setw(4) << std::setfill('0')
                      << le::u16(bytes->data()) << ", not 0x0048\n";
        break;
    case BackupReadResult::ReadError:
        std::cerr << path << ": the telegram area is cut short\n";
        break;
    case BackupReadResult::ChecksumError:
        std::cerr << path << ": checksum 0x" << std::hex << std::setw(8) << std::setfill('0')
                  << le::u32(bytes->data() + 2) << " stored, 0x" << std::setw(8) << BackupChecksum(*bytes)
                  << " computed\n";
        break;
    }
    return Failed;
}

// --- exports ------------------------------------------------------------------

// Writes the Po optimizer history of a function from MCDEF, as the history
// window's Export does.
int exportHistory(const Args& args)
{
    ConsoleUi console;
    int exitCode = Done;
    const std::optional<ExportSource> source
        = exportSource(args, "export history", FunctionType::PoOptimizer, "a Po optimizer", exitCode);
    if (!source)
        return exitCode;
    const std::string path = source->out.value_or(DefaultHistoryExportPath(source->address, source->number));
    uint16_t readStatus = DbStatus::Success;
    std::string problem;
    const bool written =
        ExportHistory(path, source->address, source->number, source->header.name(), &readStatus, &problem);
    const std::string mcdef = RecordStore::instance().tableFile(table::Mcdef);
    RecordStore::instance().closeAll();
    if (!written) {
        std::cerr << "mcftool export history: " << HistoryNotExportedMessage(path) << ": " << problem << "\n";
        return Failed;
    }
    std::cout << path << "\n";
    if (readStatus == DbStatus::Success)
        return Done;
    std::cerr << "mcftool export history: the history could not be read whole from " << mcdef << ": status "
              << readStatus << " (" << DbStatusMeaning(readStatus) << "); " << path << " holds what was read\n";
    return Failed;
}

// The curve file of a peak shaving function from MCDEF, as the graph's Export
// button writes it; --out stands for the path chosen in the save dialog.
int exportCurve(const Args& args)
{
    ConsoleUi console;
    int exitCode = Done;
    const std::optional<ExportSource> source
        = exportSource(args, "export curve", FunctionType::PeakShaving, "a peak shaving function", exitCode);
    if (!source)
        return exitCode;
    const std::optional<std::string> out = source->out;
    std::string written;
    const CurveExportResult result = ExportCurve(
        {source->address, source->number, source->header.type(), source->header.name()},
        [&out](const std::string& folder, const std::string& fileName) -> std::optional<std::string> {
            const std::string chosen = out ? *out : folder + fileName;
            if (!AcceptCurveFileName(chosen))
                return std::nullopt;
            return chosen;
        },
        nullptr, &written);
    RecordStore::instance().closeAll();
    if (result != CurveExportResult::Written && result != CurveExportResult::WrittenWithoutIdCode)
        return Failed;
    std::cout << written << "\n";
    if (result == CurveExportResult::Written)
        return Done;
    std::cerr << "mcftool export curve: " << written << " was written without the gateway's ID code\n";
    return Failed;
}

// --- help -------------------------------------------------------------------

void printOverview(std::ostream& out)
{
    out << "Usage: mcftool VERB [ARGUMENTS]\n"
           "  or:  mcftool --help | --version\n"
           "\n"
           "The command-line companion of velt: builds the monitoring system's home\n"
           "folder from a plant description and shows its tables, runs velt's gateway\n"
           "jobs without a window (through the communication server of the home), and\n"
           "shows and verifies backup files.\n"
           "\n"
           "Verbs:\n";
    for (const Verb& v : verbs())
        out << "  " << v.name << " " << v.synopsis << "\n      " << v.summary << "\n";
    out << "\n"
           "'mcftool help VERB' explains one verb.\n"
           "Exit codes: 0 done, 1 failed, 2 wrong usage.\n";
}

int help(const Args& args)
{
    if (args.empty()) {
        printOverview(std::cout);
        return Done;
    }
    std::string name;
    for (const std::string& a : args)
        name += (name.empty() ? "" : " ") + a;
    if (const Verb* verb = findVerb(name)) {
        std::cout << "usage: mcftool " << verb->name << " " << verb->synopsis << "\n\n" << verb->help;
        return Done;
    }
    // A first word alone ("help plant") lists the verbs that start with it.
    bool any = false;
    for (const Verb& v : verbs())
        if (std::string(v.name).rfind(name + " ", 0) == 0) {
            std::cout << "  " << v.name << " " << v.synopsis << "\n      " << v.summary << "\n";
            any = true;
        }
    if (any)
        return Done;
    std::cerr << "mcftool help: no verb " << name << "\n";
    return Usage;
}

} // namespace

const std::vector<Verb>& mcftool::verbs()
{
    static const std::vector<Verb> table = {
        {"plant init", "HOME [--from FILE] [--replace]", "build a home folder from a plant description",
         "Builds a complete home folder of the monitoring system (the folder that\n"
         "$ORPA_HOME names) from a plant description: ORPA.INI, QebType.ini, USER.INI,\n"
         "the data folder with every table (NETCNF, QEBDES, MCPARDEF, ORPATEXT, XRTBRUG\n"
         "filled from the description; MCDEF, EVENTLOG, XRTAPPL empty), the template\n"
         "MCDEF.NEW, the backup and export folders and the gateway images.\n"
         "\n"
         "  HOME           the folder to build; it must not exist, or be empty\n"
         "  --from FILE    the plant description (default: the demo plant, plant.json\n"
         "                 of /usr/share/velt for an installed mcftool, else of\n"
         "                 demo/ in the source tree; its format is in demo/README.md)\n"
         "  --replace      replace an existing home folder with content\n"
         "\n"
         "The description is checked completely before anything is written; an\n"
         "error names the file, the place (line:column or a path such as\n"
         "networks[0].nodes[3].key) and the reason, and leaves HOME untouched.\n",
         plantInit},
        {"db dump", "HOME TABLE [--hex]", "print every record of a table, one line each",
         "Prints every record of TABLE of the home folder HOME, one line per record\n"
         "in the order of the table's first key, with its fields decoded. The table\n"
         "file is found through [Install] DATADir of HOME's ORPA.INI.\n"
         "\n"
         "  TABLE   MCDEF, NETCNF, QEBDES, MCPARDEF, ORPATEXT, EVENTLOG, XRTAPPL or\n"
         "          XRTBRUG (any case)\n"
         "  --hex   print each record's bytes in hex instead\n"
         "\n"
         "MCDEF records show function number, block type, block number, item,\n"
         "status and the 104 content bytes in hex; headers also type, name, flags\n"
         "and stamp.\n",
         dbDump},
        {"db check", "HOME", "run the integrity check of every table file",
         "Runs the full integrity check of every table file of the home folder HOME\n"
         "and of the template MCDEF.NEW, as the next program to open them finds\n"
         "them (a journal left by an interrupted write is applied first), and checks\n"
         "that each is the table its name says, that every record has the table's\n"
         "length, and that the template holds no record. Prints one line per file,\n"
         "a failing one with the file and its problem (the key of a record of the\n"
         "wrong length); exit code 0 when every file passes.\n"
         "Run it while no program has the tables open.\n",
         dbCheck},
        {"upload", "HOME NETWORK [--yes|--no] [--discard-unsent]",
         "upload a gateway's functions into MCDEF, as selecting it does",
         "Runs the upload of the gateway of NETWORK (\"001\", or \"001:125\") into MCDEF of\n"
         "the home folder HOME, exactly as velt does when the gateway is selected: MCDEF\n"
         "is emptied, unchanged functions are taken from the backup file, all others\n"
         "read from the gateway, and the references are checked. The communication\n"
         "server is the one at [Connection] Server of HOME's ORPA.INI (by default\n"
         "HOME/qelnet.sock).\n"
         "\n"
         "  --yes   answer Yes to the questions (net configuration not up to date,\n"
         "          backup file in conflict with the gateway)\n"
         "  --no    answer No (the default): the upload is cancelled\n"
         "  --discard-unsent\n"
         "          replace the functions whose changes the gateway has not\n"
         "          accepted (mcftool status) and log one row for each\n"
         "\n"
         "While functions of the gateway carry such changes, or when the file of\n"
         "these marks cannot be read, the upload refuses without --discard-unsent\n"
         "and says which (send them first with mcftool update).\n"
         "Prints the number of telegrams sent, how many functions came from the\n"
         "backup file and from the gateway, and the result: 0 uploaded, 1 uploaded\n"
         "with the net configuration not up to date, 2 cancelled, 3 error. Messages\n"
         "go to standard error. Exit code 0 for results 0 and 1 when the marks of\n"
         "unsent functions (MCSYNC.TXT) could be forgotten, 1 otherwise.\n",
         upload},
        {"update", "HOME NETWORK NUMBER... [--blocks-only] [--verify] [--password PASSWORD] [--dry-run]",
         "write functions from MCDEF into the gateway",
         "Writes the functions NUMBER..., one after the other, from MCDEF of HOME into\n"
         "the gateway of NETWORK, as velt does after a function was edited: every\n"
         "write telegram of the function goes out, and the gateway's new stamp is\n"
         "stored in the function's header. The functions must be in MCDEF (run\n"
         "mcftool upload first); an unknown number stops the verb before anything is\n"
         "sent.\n"
         "\n"
         "  --blocks-only        write only the data blocks the type lets the\n"
         "                       operator change, not the whole function\n"
         "  --verify             after the gateway accepted the function, read it\n"
         "                       back and compare it with MCDEF field by field; the\n"
         "                       fields that differ go to standard error\n"
         "  --password PASSWORD  the gateway's password; without it a gateway that\n"
         "                       has one asks on the terminal; without a terminal\n"
         "                       nothing is sent (result 2, the prompt cancelled),\n"
         "                       and a password the gateway refuses is result 4\n"
         "                       (\"Password is invalid\")\n"
         "  --dry-run            print the telegrams each update would send, in\n"
         "                       order and decoded, and send nothing: no server is\n"
         "                       needed and nothing is changed\n"
         "\n"
         "Prints per function the result: 0 done, 1 refused by the gateway (its\n"
         "message goes to standard error, with the return code's meaning), 2 nothing\n"
         "sent (a link failure before the first answer, or the password prompt\n"
         "cancelled), 3 link failure after a part was sent (\"sent, not verified\"\n"
         "when the link failed while --verify read the function back: the gateway\n"
         "holds what was sent), 4 local failure (database, a refused password, a\n"
         "value outside its range, an unexpected answer), 5 the gateway stores\n"
         "something else than was sent (--verify). A failure ends only the update of\n"
         "its own function, which stays marked as not sent (mcftool status) and gets\n"
         "an EVENTLOG row \"not sent to the gateway\" with the reason; a marked\n"
         "function that the gateway takes gets the row \"sent to the gateway\". Exit\n"
         "code 0 when every function was updated and its mark recorded.\n",
         update},
        {"start", "HOME NETWORK NUMBER...", "start functions in the gateway",
         "Starts the functions NUMBER... of the gateway of NETWORK (command 70), as the\n"
         "function list's Start button does: on success every function's header in\n"
         "MCDEF is marked started and EVENTLOG gets \"is/are started\" with the names.\n"
         "The functions must be in MCDEF (run mcftool upload first). Passive types\n"
         "(yearly schedules) are refused by the gateway.\n"
         "\n"
         "Prints the result: 0 done, 2 refused by the gateway or link failure, 3\n"
         "database or allocation failure. Exit code 0 for result 0.\n",
         start},
        {"stop", "HOME NETWORK NUMBER...", "stop functions in the gateway",
         "Stops the functions NUMBER... of the gateway of NETWORK (command 80), as the\n"
         "function list's Stop button does: every function's header in MCDEF loses\n"
         "its started mark; a function with an error mark has the gateway's \"no\n"
         "answer\" status of its references cleared and loses its error marks when no\n"
         "reference keeps a status. EVENTLOG gets \"is/are stopped\" with the names.\n"
         "\n"
         "Prints the result: 0 done, 2 refused by the gateway or link failure, 3\n"
         "database or allocation failure. Exit code 0 for result 0.\n",
         stop},
        {"delete", "HOME NETWORK NUMBER... [--skip|--stop]", "delete functions in the gateway and in MCDEF",
         "Deletes the functions NUMBER..., in the order given, from the gateway of\n"
         "NETWORK (one command 90 each), from MCDEF and from the memory account, as\n"
         "the function list's Delete button does. A yearly schedule that other\n"
         "functions still reference is not deleted without asking: the referencing\n"
         "functions are printed and the flag answers the question.\n"
         "\n"
         "  --skip   skip the schedule and go on with the next function (the default)\n"
         "  --stop   stop the deletion; the functions before it stay deleted\n"
         "\n"
         "Prints the deleted names and the result: 0 done (also stopped, or the link\n"
         "was lost), 1 refused by the gateway, 2 local failure. EVENTLOG gets\n"
         "\"is/are deleted\" with the names. Exit code 0 only when every function\n"
         "asked was deleted, its unsent marks forgotten and the deletion logged;\n"
         "otherwise 1, saying which functions were and were not deleted.\n",
         deleteFunctions},
        {"backup write", "HOME NETWORK", "write the gateway's backup file from MCDEF",
         "Writes the backup file of the gateway of NETWORK from MCDEF of HOME, as\n"
         "closing velt's function list does: [Install] ZULDir of ORPA.INI followed by\n"
         "NNN_125.MC, with every function of a known type (its stamp and its write\n"
         "telegrams) and the start state of the started functions. Without any\n"
         "function of a known type no file is left. The file is written beside and\n"
         "renamed into place; a folder, a FIFO or a device in its place, or a link\n"
         "to one, is refused and left as it is, and a link to a regular file is\n"
         "written through.\n",
         backupWrite},
        {"backup show", "FILE", "print a backup file: header and every telegram decoded",
         "Prints a backup file: file type, checksum (and whether it matches), the\n"
         "gateway address, per function its stamp and telegram range, and every\n"
         "telegram decoded by its command: header (name, slots, schedule groups, data\n"
         "blocks), references with their nodes and parameters, schedule references,\n"
         "data blocks in hex, the start state. Shows a damaged file as far as it can.\n",
         backupShow},
        {"backup verify", "FILE", "check a backup file's type word and checksum",
         "Checks a backup file as the upload reads it: at least the 749-byte header,\n"
         "file type 0x0048, a whole telegram area for every function it describes,\n"
         "and the checksum (the sum of every byte from offset 6). Exit code 0 when the\n"
         "upload would take the file, 1 (with the reason) when not.\n",
         backupVerify},
        {"export history", "HOME NETWORK NUMBER [--out PATH] [--now \"YYYY-MM-DD HH:MM:SS\"]",
         "write a Po optimizer's history to a semicolon-separated file",
         "Writes the history of the Po optimizer NUMBER of the gateway of NETWORK from\n"
         "MCDEF of HOME, as the Export button of velt's history window does: the\n"
         "minutes each evaporator was the critical case in the last 24 hours and the\n"
         "last 7 days, as the last upload stored them (run mcftool upload first).\n"
         "\n"
         "  --out PATH   the file to write (default: [Install] EXPDir of ORPA.INI,\n"
         "               the network number and the function number, for example\n"
         "               HOME/export/001_MCF_12.csv)\n"
         "  --now TIME   the current time, UTC, \"YYYY-MM-DD\" or \"YYYY-MM-DD HH:MM:SS\";\n"
         "               the heading gives it in local time (TZ) and names the zone\n"
         "\n"
         "Prints the path written. Exit code 1 with the reason when the function is\n"
         "not a Po optimizer of MCDEF, the file cannot be created, or the history\n"
         "could not be read whole (the file then holds what was read).\n",
         exportHistory},
        {"export curve", "HOME NETWORK NUMBER [--out PATH] [--now YYYY-MM-DD]",
         "write a peak shaving function's curve file from MCDEF",
         "Writes the curve file of the peak shaving function NUMBER from MCDEF of HOME\n"
         "(as an upload of the gateway of NETWORK left it), exactly as the Export button\n"
         "of velt's consumption and load graph does: the twelve complete months before\n"
         "the current one, consumption and load, fields separated by the list separator\n"
         "of HOME's USER.INI (section intl, sList) and decimals written with its decimal\n"
         "separator (sDecimal), CR LF line ends, and a first line with the checksum.\n"
         "Identical separators are refused before anything is written.\n"
         "\n"
         "  --out PATH        the file, as if chosen in velt's save dialog: a file name\n"
         "                    with more than one '.' is cut at its last '.'; without\n"
         "                    it the file is MC<year since 1900><month>01.csv in\n"
         "                    [Install] EXPDir of HOME's ORPA.INI\n"
         "  --now YYYY-MM-DD  the current date (UTC) instead of the clock's\n"
         "\n"
         "Prints the path written. Every failure (separators, a missing history, a\n"
         "file that cannot be written, a gateway ID code that could not be read)\n"
         "prints velt's message and exits 1.\n",
         exportCurve},
        {"compare", "HOME NETWORK [NUMBER...]", "show where the gateway, MCDEF and the backup file differ",
         CompareHelp, compare},
        {"export json", "HOME NETWORK [NUMBER...] [--out FILE]", "write functions from MCDEF as readable JSON",
         ExportJsonHelp, exportJson},
        ImportJsonVerb,
        ReportVerb,
        StatusVerb,
        CheckVerb,
        HolidaysVerb,
        ScheduleVerb,
        {"help", "[VERB]", "explain all verbs, or one", "Without VERB, lists every verb; with VERB, explains it.\n",
         help},
    };
    return table;
}

const Verb* mcftool::findVerb(const std::string& name)
{
    for (const Verb& v : verbs())
        if (name == v.name)
            return &v;
    return nullptr;
}

namespace {

// Runs a verb; "--help" anywhere among its arguments explains it instead.
int runVerb(const Verb& verb, const Args& rest)
{
    if (std::find(rest.begin(), rest.end(), "--help") != rest.end())
        return help({verb.name});
    return verb.run(rest);
}

} // namespace

int main(int argc, char** argv)
{
    const Args args(argv + 1, argv + argc);
    // Verbs are one or two words; the longer match wins.
    const Verb* verb = args.size() >= 2 ? findVerb(args[0] + " " + args[1]) : nullptr;
    const Args rest(args.begin() + std::min<size_t>(args.size(), verb ? 2 : 1), args.end());
    if (!verb && !args.empty())
        verb = findVerb(args[0]);

    // The jobs are driven by the communication server's messages through an event
    // loop. A verb that paints text needs the GUI application; mcftool shows no
    // window, so that one runs offscreen unless told otherwise.
    // Without a session (cron, ssh) the GUI application would warn that it has no runtime folder and
    // make one in /tmp for good; this run's own folder goes with it.
    std::unique_ptr<QTemporaryDir> runtimeFolder;
    std::unique_ptr<QCoreApplication> application;
    if (verb && verb->paintsText) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
            runtimeFolder = std::make_unique<QTemporaryDir>();
            if (runtimeFolder->isValid())
                qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeFolder->path()));
        }
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    if (args.empty()) {
        printOverview(std::cerr);
        return Usage;
    }
    if (args[0] == "--help" || args[0] == "-h")
        return help({});
    if (args[0] == "--version") {
        std::cout << "mcftool " << VeltVersion << "\n";
        return Done;
    }
    if (verb)
        return runVerb(*verb, rest);
    std::cerr << "mcftool: unknown verb '" << args[0] << (args.size() >= 2 ? " " + args[1] : std::string()) << "'\n"
              << "'mcftool --help' lists the verbs.\n";
    return Usage;
}
