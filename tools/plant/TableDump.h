#pragma once
// Readable dumps of the monitoring system's tables: one line per record, with
// its fields decoded, or the record bytes in hex.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>


// One record of a table as a line of decoded fields (no line break). A table
// the dump does not know gives the hex of the record.
std::string DescribeRecord(const std::string& table, const uint8_t* record, size_t length);

// Writes every record of a table of the home folder `home` to `out`, one line
// per record in the order of key 0; decoded, or in hex when `hex` is set. The
// table file is found through `Install`/`DATADir` of the home's ORPA.INI. The
// record store is pointed at that folder for the dump and set back to ""
// (the DATADir of $ORPA_HOME) afterwards. Returns a reason on failure.
std::optional<std::string> DumpTable(const std::string& home, const std::string& table, bool hex, std::ostream& out);
