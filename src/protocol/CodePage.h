#pragma once
// Texts in records and telegrams are single bytes of the Windows-1252 code
// page: a field of N bytes holds N characters. The program keeps texts as
// UTF-8 and converts at the field boundary, in both directions.

#include <QString>

#include <string>
#include <string_view>

// The UTF-8 text of code-page bytes; every byte maps to one character.
std::string FromCodePage(std::string_view bytes);
// The code-page bytes of a UTF-8 text; a character outside the code page
// becomes '?' and clears `complete` when given.
std::string ToCodePage(std::string_view utf8, bool* complete = nullptr);
// True when every character of the text has a byte in the code page.
bool FitsCodePage(const QString& text);
