#pragma once
// The small numeric edits of the editors' time and date fields: an empty
// field is nothing, numbers are shown with two digits.

#include <QString>

#include <optional>

class CEditCtrlEx;

// The field's number; none when it is empty.
std::optional<int> TypedNumber(const CEditCtrlEx* edit);
// A range and a width for `digits` digits.
void SetUpNumberEdit(CEditCtrlEx* edit, int minimum, int maximum, int digits);
// "%02d": a leading zero below ten.
QString TwoDigits(int value);
