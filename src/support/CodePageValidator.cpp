#include "support/CodePageValidator.h"

#include "protocol/CodePage.h"

QValidator::State CodePageValidator::validate(QString& input, int&) const
{
    return FitsCodePage(input) ? Acceptable : Invalid;
}
