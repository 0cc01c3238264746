#pragma once

#include "foundation/CharacterSetValidator.h"

// The password field: ASCII letters, digits and "_-.&", at most 32 characters.
class KNVTPasswordFormatter : public knvt::CharacterSetValidator
{
    Q_OBJECT
public:
    static constexpr int maximumLength = 32;
    static constexpr QStringView allowedCharacters =
        u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-.&";

    explicit KNVTPasswordFormatter(QObject *parent = nullptr);

    // `string` without the characters the field does not allow, the others in their order.
    static QString passwordFormattedStringWithString(const QString &string);
};
