#pragma once
// The Po optimizer history as a semicolon-separated file: a heading with the
// function, the gateway and the time of the export, then per period every
// evaporator's case number, address, loop letter, share of the period in
// percent and hours. Lines end with CR LF; decimals always use a point.

#include "editors/energy/PoHistory.h"
#include "support/Clock.h"

#include <cstdint>
#include <string>
#include <vector>

// The export folder (Install/EXPDir) followed by the network number of the
// gateway and the function number: "<EXPDir>001_MCF_12.csv".
std::string DefaultHistoryExportPath(const std::string& gatewayAddress, uint8_t number);

// The file's text with "\n" line ends, its heading dated in local time with the zone named.
std::string HistoryExportText(const std::string& gatewayAddress, uint8_t number, const std::string& name,
                              const std::vector<HistoryEntry>& day, const std::vector<HistoryEntry>& week,
                              const LocalTime& now);

// Reads both periods again from MCDEF (a database error ends that period's
// list, silently) and writes the file through the one file writer, stamped
// with the current time. False, with the reason naming the file in
// `problem`, when the file cannot be created or written. `readStatus` gets the
// first database error of the reading, success when both periods were read whole.
bool ExportHistory(const std::string& path, const std::string& gatewayAddress, uint8_t number,
                   const std::string& name, uint16_t* readStatus = nullptr, std::string* problem = nullptr);

// "Output file could not be created ('PATH')".
std::string HistoryNotExportedMessage(const std::string& path);
// "Po optimizer was exported to data file\n'PATH'".
std::string HistoryExportedMessage(const std::string& path);
