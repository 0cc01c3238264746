#include "editors/TypedNumber.h"

#include <QChar>

namespace knvt {

std::optional<unsigned int> typedNumber(QStringView text, unsigned int maximum)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    unsigned long long value = 0;
    // By code point: some scripts' digits lie beyond the first plane (Adlam, Chakma).
    for (const char32_t c : trimmed.toUcs4()) {
        const int digit = QChar::category(c) == QChar::Number_DecimalDigit ? QChar::digitValue(c) : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * 10 + unsigned(digit);
        if (value > maximum)
            return std::nullopt;
    }
    return unsigned(value);
}

TypedNumberValidator::TypedNumberValidator(unsigned int bottom, unsigned int top, QObject *parent)
    : QValidator(parent), m_bottom(bottom), m_top(top)
{}

QValidator::State TypedNumberValidator::validate(QString &input, int &) const
{
    if (input.trimmed().isEmpty())
        return Intermediate;
    const std::optional<unsigned int> number = typedNumber(input, m_top);
    if (!number)
        return Invalid;
    return *number >= m_bottom ? Acceptable : Intermediate;
}

} // namespace knvt
