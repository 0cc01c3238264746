#pragma once

#include <QList>
#include <QString>

// The countries offered when an account is created.
namespace knvt {

struct Country
{
    QString code; // two letters, as the sync service stores them
    QString name; // in the user's language, accents removed
};

// Every two-letter territory the platform knows, named in the current locale's language without accents, sorted by
// name with a plain comparison.
QList<Country> countries();

// The two-letter code of the current locale's territory; empty when the locale names none.
QString currentCountryCode();

} // namespace knvt
