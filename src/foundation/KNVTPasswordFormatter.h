#pragma once

#include <QValidator>

// Limits what can be typed or pasted into the password field: ASCII letters, digits and "_-.&", at most 32 characters
// (UTF-16 code units). An edit that would break either limit is refused whole, so the field keeps its previous text;
// the text is never rewritten.
class KNVTPasswordFormatter : public QValidator
{
    Q_OBJECT
public:
    static constexpr int maximumLength = 32;

    using QValidator::QValidator;

    // `string` without the characters the field does not allow, the others in their order.
    static QString passwordFormattedStringWithString(const QString &string);

    State validate(QString &input, int &pos) const override;
};
