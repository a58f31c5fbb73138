#include "editors/NumberEdits.h"

#include "model/FunctionSettings.h"
#include "support/CEditCtrlEx.h"

#include <QFontMetrics>

std::optional<int> TypedNumber(const CEditCtrlEx* edit)
{
    if (edit->text().isEmpty())
        return std::nullopt;
    return edit->intValue();
}

void SetUpNumberEdit(CEditCtrlEx* edit, int minimum, int maximum, int digits)
{
    edit->SetNumRange(minimum, maximum);
    edit->setMaxLength(digits);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QString(digits + 2, QLatin1Char('0'))));
}

void SetUpNumberEdit(CEditCtrlEx* edit, const SettingField& field, int digits)
{
    SetUpNumberEdit(edit, field.entryMinimum(), field.entryMaximum(), digits);
}

bool ValidateNumbers(std::initializer_list<CEditCtrlEx*> edits)
{
    for (CEditCtrlEx* edit : edits)
        if (edit->isEnabled() && !edit->ValidateData())
            return false;
    return true;
}

bool ValidateTypedNumbers(std::initializer_list<CEditCtrlEx*> edits)
{
    for (CEditCtrlEx* edit : edits)
        if (edit->isEnabled() && !edit->text().isEmpty() && !edit->ValidateData())
            return false;
    return true;
}

QString TwoDigits(int value) { return QString::asprintf("%02d", value); }
