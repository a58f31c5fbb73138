// mcftool: the command-line companion of velt. Builds a home of the
// monitoring system from a plant description and dumps its tables.
//
// Each verb is one function in the verb table below; a new verb (upload,
// start, stop, delete, backup ...) is one more function and one more row.
// Exit codes: 0 done, 1 failed, 2 wrong usage.

#include "PlantBuilder.h"
#include "TableDump.h"

#include "TableSchema.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

enum ExitCode : int { Done = 0, Failed = 1, Usage = 2 };

using Args = std::vector<std::string>;

struct Verb {
    const char* name;     // one or two words, e.g. "plant init"
    const char* synopsis; // the arguments after the name
    const char* summary;  // one line for the overview
    const char* help;     // the full explanation for "help VERB"
    int (*run)(const Args& args);
};

// Splits the arguments of a verb into positional ones and flags. A flag that
// takes a value (listed in `valued`) consumes the next argument. Unknown flags
// are an error.
struct ParsedArgs {
    Args positional;
    std::vector<std::pair<std::string, std::string>> flags;

    bool has(const std::string& flag) const
    {
        for (const auto& [name, value] : flags)
            if (name == flag)
                return true;
        return false;
    }
    std::optional<std::string> value(const std::string& flag) const
    {
        for (const auto& [name, value] : flags)
            if (name == flag)
                return value;
        return std::nullopt;
    }
};

std::optional<ParsedArgs> parseArgs(const Args& args, const std::vector<std::string>& plain,
                                    const std::vector<std::string>& valued, std::string& error)
{
    ParsedArgs parsed;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() < 2 || a.compare(0, 2, "--") != 0) {
            parsed.positional.push_back(a);
            continue;
        }
        if (std::find(plain.begin(), plain.end(), a) != plain.end()) {
            parsed.flags.emplace_back(a, "");
        } else if (std::find(valued.begin(), valued.end(), a) != valued.end()) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return std::nullopt;
            }
            parsed.flags.emplace_back(a, args[++i]);
        } else {
            error = "unknown option " + a;
            return std::nullopt;
        }
    }
    return parsed;
}

const std::vector<Verb>& verbs();
const Verb* findVerb(const std::string& name);

int usageError(const char* verbName, const std::string& problem)
{
    const Verb* verb = findVerb(verbName);
    std::cerr << "mcftool " << verbName << ": " << problem << "\n";
    if (verb)
        std::cerr << "usage: mcftool " << verb->name << " " << verb->synopsis << "\n";
    return Usage;
}

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

// --- help -------------------------------------------------------------------

void printOverview(std::ostream& out)
{
    out << "usage: mcftool VERB [ARGUMENTS]\n"
           "\n"
           "The command-line companion of velt: builds the monitoring system's home\n"
           "folder from a plant description and shows its tables.\n"
           "\n"
           "verbs:\n";
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

const std::vector<Verb>& verbs()
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
         "  --from FILE    the plant description (default: the demo plant,\n"
         "                 demo/plant.json; its format is in demo/README.md)\n"
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
        {"help", "[VERB]", "explain all verbs, or one", "Without VERB, lists every verb; with VERB, explains it.\n",
         help},
    };
    return table;
}

const Verb* findVerb(const std::string& name)
{
    for (const Verb& v : verbs())
        if (name == v.name)
            return &v;
    return nullptr;
}

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
    if (args.empty()) {
        printOverview(std::cerr);
        return Usage;
    }
    if (args[0] == "--help" || args[0] == "-h")
        return help({});
    // Verbs are one or two words; the longer match wins.
    if (args.size() >= 2)
        if (const Verb* verb = findVerb(args[0] + " " + args[1]))
            return runVerb(*verb, Args(args.begin() + 2, args.end()));
    if (const Verb* verb = findVerb(args[0]))
        return runVerb(*verb, Args(args.begin() + 1, args.end()));
    std::cerr << "mcftool: unknown verb '" << args[0] << (args.size() >= 2 ? " " + args[1] : std::string()) << "'\n"
              << "'mcftool --help' lists the verbs.\n";
    return Usage;
}
