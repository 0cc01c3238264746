#include "foundation/InterfaceLanguage.h"

#include <QCoreApplication>

namespace knvt {

QLocale wordsLocale(const QLocale &locale)
{
    // A translation names its own language by translating this text, as it names its writing direction for Qt.
    const QString translated = QCoreApplication::translate(
        "InterfaceLanguage", "en", "The language of this translation as a locale name, such as fr or pt_BR");
    QString name;
    for (const QChar c : translated) {
        if (c.isLetter() || c == u'_')
            name.append(c);
    }
    QLocale spoken(name);
    if (spoken.language() == QLocale::C)
        spoken = QLocale(QLocale::English, QLocale::UnitedStates);
    return spoken.language() == locale.language() ? locale : spoken;
}

} // namespace knvt
