#pragma once
// The display names of the function types, from the text table.

#include <cstddef>
#include <cstdint>
#include <string>

// The display name (text 1000 + code); for an unknown code false and the
// unknown-type text. At most 16 characters (17 bytes with the terminator).
bool TypeName(uint8_t code, char* buffer, size_t max);
std::string TypeName(uint8_t code);
// Forgets the names looked up so far (the text table changed).
void ForgetTypeNames();
