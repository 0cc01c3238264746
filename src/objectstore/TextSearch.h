#pragma once

#include <QStringView>

namespace ostore {

// Whether `term` occurs in `text`, as QStringView::contains answers, for the texts a search reads one after the
// other: places where the term's first and last characters both stand are found eight at a time, and only there is
// the rest compared.
bool containsText(QStringView text, QStringView term);

} // namespace ostore
