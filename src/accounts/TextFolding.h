#pragma once

#include <QString>

// Text as the people lists compare it.
namespace knvt {

// `text` with its accents removed: decomposed (NFD) and every combining mark dropped.
QString withoutDiacritics(const QString &text);
// withoutDiacritics() and case-folded, so that "Zoë" and "ZOE" fold alike; searches fold both sides.
QString searchFolded(const QString &text);

} // namespace knvt
