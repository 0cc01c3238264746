#include "accounts/TextFolding.h"

#include "objectstore/Folding.h"

namespace knvt {

QString withoutDiacritics(const QString &text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString result;
    result.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (!c.isMark())
            result.append(c);
    }
    return result;
}

QString searchFolded(const QString &text)
{
    return ostore::Folding::fold(text);
}

} // namespace knvt
