#include "foundation/StringAdditions.h"

#include <QRegularExpression>
#include <QUrl>

namespace knvt {

QString URLEscapedString(const QString &string)
{
    // QUrl leaves exactly the unreserved characters of RFC 3986 alone; the apostrophe is kept on top of those so that
    // texts escaped here compare equal to the ones the service has always received.
    return QString::fromLatin1(QUrl::toPercentEncoding(string, QByteArrayLiteral("'")));
}

QString trimmedString(const QString &string)
{
    return string.trimmed();
}

QSet<QString> componentSetSeparatedByString(const QString &string, const QString &separator)
{
    // QString::split with an empty separator would cut between every character.
    if (separator.isEmpty())
        return {string};
    const QStringList pieces = string.split(separator, Qt::KeepEmptyParts);
    return QSet<QString>(pieces.cbegin(), pieces.cend());
}

bool isIPAddress(const QString &string)
{
    static const QRegularExpression expression(QRegularExpression::anchoredPattern(
        QStringLiteral(R"(\b(25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\.(25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\.)"
                       R"((25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\.(25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\b)")));
    return expression.match(string).hasMatch();
}

bool isEmailFormat(const QString &string)
{
    // Deliberately unanchored: a display name around the address is fine. The last character class really does
    // continue at \x53 rather than \x5d; stored addresses were accepted under this exact expression.
    static const QRegularExpression expression(
        QStringLiteral(
            R"re((?:[a-z0-9!#$%\&'*+/=?\^_`{|}~-]+(?:\.[a-z0-9!#$%\&'*+/=?\^_`{|}~-]+)*)re"
            R"re(|"(?:[\x01-\x08\x0b\x0c\x0e-\x1f\x21\x23-\x5b\x5d-\x7f]|\\[\x01-\x09\x0b\x0c\x0e-\x7f])*"))re"
            R"re(@(?:(?:[a-z0-9](?:[a-z0-9-]*[a-z0-9])?\.)+[a-z0-9](?:[a-z0-9-]*[a-z0-9])?)re"
            R"re(|\[(?:(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\.){3}(?:25[0-5])re"
            R"re(|2[0-4][0-9]|[01]?[0-9][0-9]?|[a-z0-9-]*[a-z0-9]:(?:[\x01-\x08\x0b\x0c\x0e-\x1f\x21-\x5a\x53-\x7f])re"
            R"re(|\\[\x01-\x09\x0b\x0c\x0e-\x7f])+)\]))re"),
        QRegularExpression::CaseInsensitiveOption);
    return expression.match(string).hasMatch();
}

QCollator titleCollator(const QLocale &locale)
{
    // English collates by the root order, which is also what a locale without a collation of its own should get.
    const bool neutral = locale.language() == QLocale::C;
    QCollator collator{neutral ? QLocale(QLocale::English) : locale};
    // Case-insensitive also makes accents a secondary difference: "Éclair" sorts among the e's, not after "z".
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

const QCollator &titleCollator()
{
    static const QCollator collator = titleCollator(QLocale());
    return collator;
}

} // namespace knvt
