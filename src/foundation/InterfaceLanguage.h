#pragma once

#include <QLocale>

namespace knvt {

// The locale whose words a sentence of the interface takes, for a user of `locale`: `locale` itself when the
// interface speaks its language, else the language the interface speaks. The interface speaks the language of the
// translation the application loaded, and English while it has none. Relative days ("today"), weekday and month
// names, the "and" of a list and ordinals inside a sentence come from this locale, so that a sentence is in one
// language throughout; the dates and numbers in it keep the user's own format ("due today", "until 31 déc. 2027").
QLocale wordsLocale(const QLocale &locale = QLocale());

} // namespace knvt
