#pragma once
// Where the monitoring system keeps its files: the home folder ($ORPA_HOME),
// its ini files and the data folder of its tables.

#include <string>

namespace orpa {

// $ORPA_HOME, or the current folder when it is not set; always ends with '/'.
std::string homeDirectory();

// The path of `name` in `directory`, matched without regard to case as the
// monitoring system's own platform does; when no such file exists, the path in
// the case given.
std::string findFile(const std::string& directory, const std::string& name);

// Joins a folder and a file name with exactly one separator.
std::string joinPath(const std::string& directory, const std::string& name);

} // namespace orpa

// The monitoring system's ini file, ORPA.INI in the home folder.
std::string OrpaIniFile();

// The ini file with controller-type data, QebType.ini in the home folder.
std::string QebTypeIniFile();

// The user profile (section "intl"), USER.INI in the home folder.
std::string UserProfileFile();

// `Install`/`DATADir` of ORPA.INI, a prefix for table file names; a relative
// value is taken relative to the home folder.
std::string DataDirectory();

// `Install`/`EXPDir` of ORPA.INI, the prefix of exported files' names (it
// ends with '/' when it names a folder); resolved like DataDirectory().
std::string ExportDirectory();
