#include "foundation/KNVTUsernameFormatter.h"

KNVTUsernameFormatter::KNVTUsernameFormatter(QObject *parent)
    : CharacterSetValidator(allowedCharacters, maximumLength, parent)
{}

QString KNVTUsernameFormatter::usernameFormattedStringWithString(const QString &string)
{
    return filteredString(string, allowedCharacters);
}

#include "moc_KNVTUsernameFormatter.cpp"
