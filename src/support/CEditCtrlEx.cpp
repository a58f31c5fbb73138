#include "support/CEditCtrlEx.h"

#include "support/SupportTexts.h"
#include "support/UiSeam.h"

#include <QRegularExpressionValidator>

namespace {
constexpr uint16_t NumberRangeTextId = 3900;

QString formatBound(double value, bool floating)
{
    return floating ? QString::number(value, 'f', 1) : QString::number(qint64(value));
}
} // namespace

CEditCtrlEx::CEditCtrlEx(QWidget* parent)
    : QLineEdit(parent)
{
}

void CEditCtrlEx::SetNumRange(int minimum, int maximum, bool, bool)
{
    m_floating = false;
    m_hasRange = true;
    m_minimum = minimum;
    m_maximum = maximum;
    updateValidator();
}

void CEditCtrlEx::SetNumRange(double minimum, double maximum, bool, bool)
{
    m_floating = true;
    m_hasRange = true;
    m_minimum = minimum;
    m_maximum = maximum;
    updateValidator();
}

void CEditCtrlEx::updateValidator()
{
    const QString sign = m_minimum < 0 ? QStringLiteral("-?") : QString();
    const QString pattern = m_floating ? sign + QStringLiteral("[0-9]*[.,]?[0-9]*") : sign + QStringLiteral("[0-9]*");
    setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), this));
}

bool CEditCtrlEx::hasValidNumber() const
{
    QString content = text().trimmed();
    content.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = m_floating ? content.toDouble(&ok) : double(content.toLongLong(&ok));
    if (!ok)
        return false;
    // A small tolerance so that a typed "0.2" is in a range starting at 0.2f.
    return !m_hasRange || (value >= m_minimum - 1e-6 && value <= m_maximum + 1e-6);
}

bool CEditCtrlEx::ValidateData()
{
    if (hasValidNumber())
        return true;
    const QString format = QString::fromStdString(SupportText(NumberRangeTextId, "Please enter a number from %s to %s."));
    QString message = format;
    message.replace(message.indexOf(QLatin1String("%s")), 2, formatBound(m_minimum, m_floating));
    message.replace(message.indexOf(QLatin1String("%s")), 2, formatBound(m_maximum, m_floating));
    ui().beep();
    ui().messageBox(this, message, MB::Ok | MB::IconExclamation);
    setFocus();
    selectAll();
    return false;
}

int CEditCtrlEx::intValue() const { return text().trimmed().toInt(); }

double CEditCtrlEx::doubleValue() const
{
    QString content = text().trimmed();
    content.replace(QLatin1Char(','), QLatin1Char('.'));
    return content.toDouble();
}

void CEditCtrlEx::setIntValue(int value) { setText(QString::number(value)); }

void CEditCtrlEx::setDoubleValue(double value, int decimals) { setText(QString::number(value, 'f', decimals)); }
