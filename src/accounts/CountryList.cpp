#include "accounts/CountryList.h"

#include "accounts/TextFolding.h"

#include <QLocale>

#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>

namespace knvt {

namespace {

bool isCountryCode(const QString &code)
{
    return code.size() == 2 && code.at(0).isLetter() && code.at(1).isLetter();
}

QString displayName(const QString &code, const icu::Locale &language)
{
    icu::UnicodeString name;
    icu::Locale(nullptr, code.toLatin1().constData()).getDisplayCountry(language, name);
    return QString(reinterpret_cast<const QChar *>(name.getBuffer()), name.length());
}

} // namespace

QList<Country> countries()
{
    const icu::Locale language(QLocale().name().toUtf8().constData());
    QList<Country> list;
    for (int territory = QLocale::AnyTerritory + 1; territory <= QLocale::LastTerritory; ++territory) {
        const QString code = QLocale::territoryToCode(QLocale::Territory(territory));
        if (!isCountryCode(code))
            continue;
        QString name = withoutDiacritics(displayName(code, language));
        if (name.isEmpty())
            name = code;
        list.append({code, name});
    }
    std::sort(list.begin(), list.end(), [](const Country &a, const Country &b) { return a.name < b.name; });
    return list;
}

QString currentCountryCode()
{
    const QString code = QLocale::territoryToCode(QLocale().territory());
    return isCountryCode(code) ? code : QString();
}

} // namespace knvt
