#pragma once
// Small helpers of the support library.

#include <cstddef>
#include <cstdint>
#include <string>

// Current local date and time as "YYYY-MM-DD HH:MM:SS": year at offset 0,
// month at 5, day at 8, hour at 11, minute at 14, second at 17.
std::string GetTimeStamp();

// Non-zero when the text can be used as a file name: not empty, no control
// characters, none of < > : " | ? * \, no component "." or "..", and no
// component longer than 255 bytes. '/' separates folders of a path.
int IsValidFileName(const std::string& name);

// Removes every blank from the text, in place.
void RemoveSpaces(std::string& text);
