#pragma once

#include <QString>

// Text as the people lists compare it.
namespace knvt {

// `text` with its accents removed: decomposed (NFD) and every combining mark dropped.
QString withoutDiacritics(const QString &text);
// Accents removed and case-folded, so that "Zoë" and "ZOE" fold alike, as the store's own searches fold text;
// searches fold both sides.
QString searchFolded(const QString &text);

} // namespace knvt
