#pragma once
// The check of an uploaded function's references against the monitoring
// system's network configuration: missing or foreign controllers, automatic
// references to controllers without the support level, missing descriptions,
// parameters that are gone or whose controller changed. Records with findings
// are rewritten with their status bits and their function gets an error mark;
// parameters found under a changed controller are added to the definitions.

#include "gateway/TelegramConversion.h"
#include "model/Records.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>

// Status bits of reference records set by the check (bytes 4..5).
namespace CheckStatus {
enum : uint16_t {
    ControllerMissing = 0x0001,
    NoDescription = 0x0002,
    NoAutomaticSupport = 0x0004,
    ParameterMissing = 0x0008,
    ParameterNeedsApproval = 0x0010,
    ScheduleMissing = 0x0020,
    NotASchedule = 0x0040,
    // Reported by the gateway, not by the check.
    GatewayBits = 0x0300,
};
}

class ConsistencyCheck {
public:
    using Directory = std::array<DirectoryEntry, MaxFunctionNumber + 1>;

    ConsistencyCheck(std::string gatewayAddress, const Directory& directory);

    // Checks the records of one function and rewrites those with findings;
    // 0, or the database status that stopped it.
    uint16_t checkFunction(uint8_t number);
    // Sets error mark 0x08 in the header of every function with a finding.
    uint16_t markFunctions();

    // The table whose status stopped the check: MCDEF, or the net configuration,
    // description or parameter table it compares the references with.
    const char* failedTable() const { return m_failedTable; }
    const std::vector<uint8_t>& markedFunctions() const { return m_marked; }
    int recordsChecked() const { return m_recordsChecked; }

private:
    struct Controller {
        bool found = false;
        uint16_t nodeKind = 0;
        uint8_t supportLevel = 0;
        std::string ident;
        std::string descKey;
    };
    const Controller& controller(uint8_t address, uint16_t& status);
    bool describedAtAll(const std::string& descKey, uint16_t& status);
    uint16_t ensureDefinition(const Controller& node, uint8_t address, uint8_t functionParameter, uint8_t scope,
                              const uint8_t* parameter);
    uint16_t referenceStatus(uint8_t type, const McdefRecord& record, uint16_t& found);
    // The status, remembering `table` as the one that stopped the check when it failed.
    uint16_t failedOn(const char* table, uint16_t status);

    std::string m_gatewayAddress;
    std::string m_prefix;
    const Directory& m_directory;
    std::map<uint8_t, Controller> m_controllers;
    std::map<std::string, bool> m_described;
    std::vector<uint8_t> m_marked;
    int m_recordsChecked = 0;
    const char* m_failedTable = table::Mcdef;
};
