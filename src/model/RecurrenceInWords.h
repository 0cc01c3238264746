#pragma once

#include <QLocale>
#include <QString>

namespace knvt {

// A stored recurrence (its "RRULE:" texts joined by one blank) as a person says it, all in the language the interface
// speaks (names of days and months, lists and ordinals from knvt::wordsLocale) and with the locale's way of writing a
// date: "Every week on Monday and Wednesday, 10 times", "Every month on the 15th, until Dec 31, 2027". Several rules are joined by "; ". A rule the words cannot
// say in full (a part they have no words for, a value the rule would read otherwise than written) is shown as its
// text, exactly as stored, so that nothing it says is left out or changed. The one text of a recurrence wherever it
// is shown.
QString recurrenceInWords(const QString &recurrenceString, const QLocale &locale = QLocale());

} // namespace knvt
