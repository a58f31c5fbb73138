#pragma once
// The numeric edits of the editors: time and date fields, where an empty
// field is nothing and numbers are shown with two digits; and the check of
// a dialog's numbers on OK.

#include <QString>

#include <initializer_list>
#include <optional>

class CEditCtrlEx;
struct SettingField;

// The field's number; none when it is empty.
std::optional<int> TypedNumber(const CEditCtrlEx* edit);
// A range and a width for `digits` digits.
void SetUpNumberEdit(CEditCtrlEx* edit, int minimum, int maximum, int digits);
// The range of a settings field as the operator enters it.
void SetUpNumberEdit(CEditCtrlEx* edit, const SettingField& field, int digits);
// Validates the enabled edits in order: the first whose content is not a
// number in its range tells the operator and takes the focus. A disabled edit
// shows what was read and cannot be corrected, so it is not held against OK.
bool ValidateNumbers(std::initializer_list<CEditCtrlEx*> edits);
// The same for fields where empty is nothing: only those that hold text are validated.
bool ValidateTypedNumbers(std::initializer_list<CEditCtrlEx*> edits);
// "%02d": a leading zero below ten.
QString TwoDigits(int value);
