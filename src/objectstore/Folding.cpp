#include "objectstore/Folding.h"

#include <unicode/stringoptions.h>
#include <unicode/ustring.h>

namespace ostore {

namespace {

bool isAscii(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// Full case folding, where one letter may fold to several: "Straße" and "STRASSE" both fold to "strasse". Qt's own
// folding maps a letter to one letter only, so that "ß" stayed itself and a search typed in capitals missed it.
QString fullCaseFolded(const QString &text)
{
    QString out(text.size() + 8, Qt::Uninitialized);
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode status = U_ZERO_ERROR;
        const int32_t length = u_strFoldCase(reinterpret_cast<UChar *>(out.data()), int32_t(out.size()),
                                             reinterpret_cast<const UChar *>(text.utf16()), int32_t(text.size()),
                                             U_FOLD_CASE_DEFAULT, &status);
        if (U_SUCCESS(status)) {
            out.truncate(length);
            return out;
        }
        if (status != U_BUFFER_OVERFLOW_ERROR)
            break;
        out.resize(length);
    }
    return text.toCaseFolded();
}

} // namespace

QString Folding::fold(QStringView text)
{
    if (isAscii(text)) {
        // Case folding of ASCII is lower-casing, and NFKD changes nothing.
        QString out(text.size(), Qt::Uninitialized);
        QChar *d = out.data();
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            d[i] = QChar(c >= 'A' && c <= 'Z' ? char16_t(c + 32) : c);
        }
        return out;
    }
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
    QString stripped;
    stripped.reserve(decomposed.size());
    for (qsizetype i = 0; i < decomposed.size(); ++i) {
        const QChar c = decomposed[i];
        if (c.isHighSurrogate() && i + 1 < decomposed.size() && decomposed[i + 1].isLowSurrogate()) {
            const char32_t ucs = QChar::surrogateToUcs4(c, decomposed[i + 1]);
            const auto cat = QChar::category(ucs);
            if (cat != QChar::Mark_NonSpacing && cat != QChar::Mark_SpacingCombining && cat != QChar::Mark_Enclosing) {
                stripped.append(c);
                stripped.append(decomposed[i + 1]);
            }
            ++i;
            continue;
        }
        const auto cat = c.category();
        if (cat == QChar::Mark_NonSpacing || cat == QChar::Mark_SpacingCombining || cat == QChar::Mark_Enclosing)
            continue;
        stripped.append(c);
    }
    return fullCaseFolded(stripped);
}

bool Folding::isFolded(QStringView text)
{
    if (isAscii(text)) {
        for (QChar c : text)
            if (c.unicode() >= 'A' && c.unicode() <= 'Z')
                return false;
        return true;
    }
    return fold(text) == text;
}

} // namespace ostore
