#include "foundation/KNVTEmailAddressFormatter.h"

KNVTEmailAddressFormatter::KNVTEmailAddressFormatter(QObject *parent)
    : CharacterSetValidator(allowedCharacters, maximumLength, parent)
{}

QString KNVTEmailAddressFormatter::emailAddressFormattedStringWithString(const QString &string)
{
    return filteredString(string, allowedCharacters);
}

#include "moc_KNVTEmailAddressFormatter.cpp"
