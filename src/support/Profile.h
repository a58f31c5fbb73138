#pragma once
// Private-profile (ini file) functions with the semantics the monitoring
// system's tools rely on: section and key names match without regard to case,
// the first match wins, values are trimmed, a missing key gives the caller's
// default, and writing a key changes only that line of the file.

#include <cstdint>
#include <optional>
#include <string>

// Most profiles are a few kilobytes, but the monitoring system's ORPA.INI
// collects the sections of all its programs; a file far larger is not a profile.
constexpr uint64_t MaxProfileSize = 64 * 1024 * 1024;

// A file is read once for all the keys asked of it while it stays the same
// file with the same size and modification and change times; a file changed
// within the last seconds is read again for every key, since a change in the
// same tick of the file system's clock would leave its times as they were.
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& file);

// The leading decimal number of the value (with an optional sign); the default
// when the key is missing or its value does not start with a number.
int GetPrivateProfileInt(const std::string& section, const std::string& key, int defaultValue,
                         const std::string& file);
// The same reading of a value already at hand.
int ProfileInt(const std::string& value, int defaultValue);

// Sets one key. An existing line is replaced in place, keeping every other byte
// of the file; a missing key is added at the end of its section, a missing
// section at the end of the file. False when the file cannot be written.
bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& file);

// The user profile (USER.INI in the home folder).
std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue);

// How many times a profile file has been read in this process.
uint64_t ProfileFileReads();

// The same rules on a profile's text: the value of a key, and the text with one key set.
std::optional<std::string> ProfileValue(const std::string& content, const std::string& section, const std::string& key);
std::string ProfileWithValue(const std::string& content, const std::string& section, const std::string& key,
                             const std::string& value);
