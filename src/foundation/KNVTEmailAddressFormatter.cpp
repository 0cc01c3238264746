#include "foundation/KNVTEmailAddressFormatter.h"

namespace {

constexpr QStringView allowedCharacters =
    u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!#$%&'*+-/=?^_`{|}~.@";

} // namespace

QString KNVTEmailAddressFormatter::emailAddressFormattedStringWithString(const QString &string)
{
    QString filtered;
    filtered.reserve(string.size());
    for (const QChar character : string) {
        if (allowedCharacters.contains(character))
            filtered.append(character);
    }
    return filtered;
}

QValidator::State KNVTEmailAddressFormatter::validate(QString &input, int &) const
{
    if (input.size() > maximumLength)
        return Invalid;
    return emailAddressFormattedStringWithString(input).size() < input.size() ? Invalid : Acceptable;
}
