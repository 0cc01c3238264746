#pragma once

#include "foundation/CharacterSetValidator.h"

// The e-mail address field: ASCII letters, digits and the signs an address may hold, at most 100 characters.
class KNVTEmailAddressFormatter : public knvt::CharacterSetValidator
{
    Q_OBJECT
public:
    static constexpr int maximumLength = 100;
    static constexpr QStringView allowedCharacters =
        u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!#$%&'*+-/=?^_`{|}~.@";

    explicit KNVTEmailAddressFormatter(QObject *parent = nullptr);

    // `string` without the characters the field does not allow, the others in their order.
    static QString emailAddressFormattedStringWithString(const QString &string);
};
