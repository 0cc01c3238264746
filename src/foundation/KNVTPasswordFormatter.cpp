#include "foundation/KNVTPasswordFormatter.h"

KNVTPasswordFormatter::KNVTPasswordFormatter(QObject *parent)
    : CharacterSetValidator(allowedCharacters, maximumLength, parent)
{}

QString KNVTPasswordFormatter::passwordFormattedStringWithString(const QString &string)
{
    return filteredString(string, allowedCharacters);
}

#include "moc_KNVTPasswordFormatter.cpp"
