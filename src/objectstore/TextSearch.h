#pragma once

#include <QByteArrayView>
#include <QLatin1StringView>
#include <QStringView>

#include <optional>

namespace ostore {

// Whether `term` occurs in `text`, as QStringView::contains answers, for the texts a search reads one after the
// other: places where the term's first and last characters both stand are found eight at a time, and only there is
// the rest compared.
bool containsText(QStringView text, QStringView term);

// Whether a folded `term` of ASCII characters occurs in `text` once folded, answered without folding when `text` is
// all ASCII, whose folding is lower-casing: most texts are, and a search for a word stops at its first place. Nothing
// when `text` holds a character outside ASCII, which only its folding tells about.
std::optional<bool> containsAsciiIgnoringCase(QLatin1StringView text, QByteArrayView term);

} // namespace ostore
