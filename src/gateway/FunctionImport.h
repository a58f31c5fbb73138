#pragma once
// The way back from the JSON export (docs/json-export.md): a document of
// functions becomes MCDEF records again. Every settings field is read by its
// name through the settings table and checked against its range; references
// name their controllers by address and identification, which must be those
// of the home's network configuration; schedule references must name yearly
// schedules. What the gateway reports itself (stamp, state flags, measured
// values) is not taken. A function that the document leaves as MCDEF holds
// it is not touched, so an export imported unchanged changes nothing.

#include "gateway/FunctionFields.h"
#include "model/McdefRecord.h"

#include <QJsonDocument>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ImportedFunction {
    uint8_t number = 0;
    std::string name;
    bool created = false;              // the number was free
    std::vector<McdefRecord> records;  // the function as the document defines it, in key order
    // Field by field, MCDEF's value, then the document's.
    std::vector<FieldDifference> differences;
};

// Two functions whose output references write the same parameter of the same controller.
struct SharedOutput {
    uint8_t first = 0;
    uint8_t second = 0;
    uint8_t address = 0;
    std::string parameter; // "15.2.1"
};
// "functions 3 and 9 both write parameter 15.2.1 of controller 030"
std::string SharedOutputText(const SharedOutput& shared);
// Every pair among these functions (each given by its records).
std::vector<SharedOutput> FindSharedOutputs(const std::vector<std::vector<McdefRecord>>& functions);

struct ImportPlan {
    // The functions the document changes or creates, in number order.
    std::vector<ImportedFunction> changed;
    size_t unchanged = 0;
    // Pairs that the import would make: an imported function with another one.
    std::vector<SharedOutput> sharedOutputs;
};

// Reads the document (all its functions, or those of `numbers`) against MCDEF
// and the network configuration of the gateway's network. False with the
// problem, naming function, key and value, when anything is refused.
bool PlanImport(const QJsonDocument& document, const std::string& gatewayAddress, const std::vector<uint8_t>& numbers,
                ImportPlan& plan, std::string& problem);

// Writes the changed functions into MCDEF in one batch (all or none); the database status.
uint16_t WriteImport(const ImportPlan& plan);

// What writing an import did: the batch's status (nothing written unless Success), and, after it was
// written, whether the functions could be marked as not sent and logged.
struct ImportOutcome {
    uint16_t writeStatus = 0;
    std::optional<std::string> markProblem;
    bool logged = true;
};
// Writes the plan, marks each changed function as not sent and logs one row for each naming `source`
// with its change lines.
ImportOutcome ApplyImport(const ImportPlan& plan, const std::string& gatewayAddress, const std::string& source);

// "name: Sales night -> Sales evening", one line for each difference.
std::vector<std::string> ImportChangeLines(const ImportedFunction& function);
// The review of a plan: per function a line with its number, name and count of changes, its change
// lines indented, then the shared outputs it would make.
std::vector<std::string> ImportPlanLines(const ImportPlan& plan);
