#include "foundation/KNVTUsernameFormatter.h"

namespace {

constexpr QStringView allowedCharacters =
    u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

} // namespace

QString KNVTUsernameFormatter::usernameFormattedStringWithString(const QString &string)
{
    QString filtered;
    filtered.reserve(string.size());
    for (const QChar character : string) {
        if (allowedCharacters.contains(character))
            filtered.append(character);
    }
    return filtered;
}

QValidator::State KNVTUsernameFormatter::validate(QString &input, int &) const
{
    if (input.size() > maximumLength)
        return Invalid;
    return usernameFormattedStringWithString(input).size() < input.size() ? Invalid : Acceptable;
}
