#pragma once
// Refuses typed or pasted text with a character that the records' code page
// does not have, so that a text field never stores what the operator did not type.

#include <QValidator>

class CodePageValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};
