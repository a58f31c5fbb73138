#include "CodePageValidator.h"

#include "CodePage.h"

QValidator::State CodePageValidator::validate(QString& input, int&) const
{
    return FitsCodePage(input) ? Acceptable : Invalid;
}
