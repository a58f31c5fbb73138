#pragma once
// Private-profile (ini file) functions with the semantics the monitoring
// system's tools rely on: section and key names match without regard to case,
// the first match wins, values are trimmed, a missing key gives the caller's
// default, and writing a key changes only that line of the file.

#include <cstdint>
#include <optional>
#include <string>

// Profiles are a few kilobytes; a file far larger is not one.
constexpr uint64_t MaxProfileSize = 4 * 1024 * 1024;

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

// The same rules on a profile's text: the value of a key, and the text with one key set.
std::optional<std::string> ProfileValue(const std::string& content, const std::string& section, const std::string& key);
std::string ProfileWithValue(const std::string& content, const std::string& section, const std::string& key,
                             const std::string& value);
