#pragma once
// Texts formatted for traces, records and messages.

#include <cstddef>
#include <cstdint>
#include <string>

// Bytes as lower-case hexadecimal pairs with a separator between them.
std::string HexBytes(const uint8_t* bytes, size_t count, const char* separator = " ");

// printf-style formatting into a string; the program's texts and record
// fields are laid out with C formats.
std::string StrFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same with a format that is only known at run time (a text from the table).
std::string StrFormatRuntime(const char* format, ...);
