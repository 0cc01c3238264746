#include "foundation/URLAdditions.h"

#include "foundation/StringAdditions.h"

#include <QStringDecoder>

namespace knvt {

QUrl URLWithBaseString(const QString &base, const QueryParameters &parameters)
{
    // Strict parsing refuses what tolerant mode would silently repair (blanks, stray "%", quotes), so a bad key
    // gives no URL instead of a different request.
    QUrl url(base + parameterStringWithParameters(parameters), QUrl::StrictMode);
    return url.isValid() ? url : QUrl();
}

QString parameterStringWithParameters(const QueryParameters &parameters, bool includeDelimeter)
{
    QString result;
    bool first = true;
    for (const auto &[key, value] : parameters) {
        if (!first || includeDelimeter)
            result += first ? u'?' : u'&';
        result += key;
        result += u'=';
        result += URLEscapedString(value);
        first = false;
    }
    return result;
}

QString percentEncodedStringWithString(const QString &string)
{
    return URLEscapedString(string);
}

static bool isHexDigit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

QString percentDecodedStringWithString(const QString &string)
{
    // QByteArray::fromPercentEncoding turns "%zz" into an arbitrary byte instead of refusing it.
    for (qsizetype i = 0; i < string.size(); ++i) {
        if (string.at(i) != u'%')
            continue;
        if (i + 2 >= string.size() || !isHexDigit(string.at(i + 1).unicode())
            || !isHexDigit(string.at(i + 2).unicode())) {
            return QString();
        }
        i += 2;
    }

    // Stateless so that a truncated sequence at the end counts as an error; an escaped byte-order mark is a character
    // the caller wrote and is kept.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString decoded = decoder.decode(QByteArray::fromPercentEncoding(string.toUtf8()));
    if (decoder.hasError())
        return QString();
    // An empty input is a valid text, not a failure.
    return decoded.isNull() ? QString(QLatin1StringView("")) : decoded;
}

} // namespace knvt
