#pragma once

#include <QValidator>

// Limits what can be typed or pasted into the e-mail address field: ASCII letters, digits and the signs an address may
// hold, at most 100 characters (UTF-16 code units). An edit that would break either limit is refused whole, so the
// field keeps its previous text; the text is never rewritten.
class KNVTEmailAddressFormatter : public QValidator
{
    Q_OBJECT
public:
    static constexpr int maximumLength = 100;

    using QValidator::QValidator;

    // `string` without the characters the field does not allow, the others in their order.
    static QString emailAddressFormattedStringWithString(const QString &string);

    State validate(QString &input, int &pos) const override;
};
