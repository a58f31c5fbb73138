#pragma once
// Numeric edit: a line edit with a range, in an integer or a floating-point
// form. Typing is limited to what can make a number; ValidateData tells the
// operator when the content is not a number in range.

#include <QLineEdit>

class CEditCtrlEx : public QLineEdit {
    Q_OBJECT

public:
    explicit CEditCtrlEx(QWidget* parent = nullptr);

    // Integer form. The two flags of the original call are kept for its shape.
    void SetNumRange(int minimum, int maximum, bool = false, bool = false);
    // Floating-point form.
    void SetNumRange(double minimum, double maximum, bool = false, bool = false);

    // True when the content is a number in range. Otherwise the operator is
    // told the range, the field gets the focus with its text selected, and the
    // result is false.
    bool ValidateData();
    // The same test without telling anybody.
    bool hasValidNumber() const;

    bool isFloating() const { return m_floating; }
    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }

    // The content as a number (0 when it is not one).
    int intValue() const;
    double doubleValue() const;
    void setIntValue(int value);
    void setDoubleValue(double value, int decimals);

private:
    void updateValidator();

    bool m_floating = false;
    bool m_hasRange = false;
    double m_minimum = 0;
    double m_maximum = 0;
};
