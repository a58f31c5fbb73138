#pragma once
// Builds a home folder of the monitoring system ($ORPA_HOME) from a plant
// description: the ini files, the data folder with every table of the store,
// the backup and export folders and the gateway images. The description format
// is documented in demo/README.md.

#include <optional>
#include <string>

// Why a description could not be turned into a home.
struct PlantError {
    std::string file;   // the description, or the file or folder that could not be written
    std::string place;  // "line:column" for JSON syntax errors, a path such as
                        // "networks[0].nodes[3].key" for content errors; may be empty
    std::string reason;

    // "file:place: reason" (or "file: reason" without a place).
    std::string message() const;
};

// The folder of the demo plant for the program at `programFile`: share/velt
// beside the program's bin folder when it holds plant.json (an installed
// program), else demo/ of the source tree the program was built from.
std::string DemoFolder(const std::string& programFile);

// The demo description: plant.json in the DemoFolder of this program.
std::string DefaultPlantDescription();

// Checks a description's text as BuildPlantHome does before it writes anything.
std::optional<PlantError> CheckPlantDescription(const std::string& content, const std::string& descriptionFile);

// Builds a complete home from a description: the ini files, the data folder
// with every table of the store's schema filled from the description, the
// empty template MCDEF.NEW beside an empty MCDEF.DAT, the ZULDir/EXPDir
// folders and the gateway images (a missing image file is skipped).
//
// The whole description is validated before anything is written; on an error
// nothing is written. The home is assembled in a staging folder beside it and
// renamed into place at the end. An existing empty folder is taken as the
// home; an existing folder with content only when `replace` is set (it is then
// swapped out and removed). While building, the record store is pointed at the
// new data folder; afterwards it is set back to "" (the DATADir of ORPA.INI).
// A table that is open in the record store when the build starts is an error.
std::optional<PlantError> BuildPlantHome(const std::string& home, const std::string& descriptionFile, bool replace);
