#pragma once

#include "foundation/CharacterSetValidator.h"

// The user-name field: ASCII letters and digits, at most 32 characters.
class KNVTUsernameFormatter : public knvt::CharacterSetValidator
{
    Q_OBJECT
public:
    static constexpr int maximumLength = 32;
    static constexpr QStringView allowedCharacters = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

    explicit KNVTUsernameFormatter(QObject *parent = nullptr);

    // `string` without the characters the field does not allow, the others in their order.
    static QString usernameFormattedStringWithString(const QString &string);
};
