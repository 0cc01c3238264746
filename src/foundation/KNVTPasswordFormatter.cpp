#include "foundation/KNVTPasswordFormatter.h"

namespace {

constexpr QStringView allowedCharacters =
    u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-.&";

} // namespace

QString KNVTPasswordFormatter::passwordFormattedStringWithString(const QString &string)
{
    QString filtered;
    filtered.reserve(string.size());
    for (const QChar character : string) {
        if (allowedCharacters.contains(character))
            filtered.append(character);
    }
    return filtered;
}

QValidator::State KNVTPasswordFormatter::validate(QString &input, int &) const
{
    if (input.size() > maximumLength)
        return Invalid;
    return passwordFormattedStringWithString(input).size() < input.size() ? Invalid : Acceptable;
}
