#pragma once

#include <QValidator>

// Limits what can be typed or pasted into the user-name field: ASCII letters and digits, at most 32 characters (UTF-16
// code units). An edit that would break either limit is refused whole, so the field keeps its previous text; the text
// is never rewritten.
class KNVTUsernameFormatter : public QValidator
{
    Q_OBJECT
public:
    static constexpr int maximumLength = 32;

    using QValidator::QValidator;

    // `string` without the characters the field does not allow, the others in their order.
    static QString usernameFormattedStringWithString(const QString &string);

    State validate(QString &input, int &pos) const override;
};
