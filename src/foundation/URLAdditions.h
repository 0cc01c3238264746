#pragma once

#include <QString>
#include <QUrl>

#include <utility>
#include <vector>

namespace knvt {

// Query and form parameters as key/value pairs, written in the order given.
using QueryParameters = std::vector<std::pair<QString, QString>>;

// The URL parsed from `base` followed by parameterStringWithParameters(parameters); an empty (invalid) QUrl when the
// joined text is not a valid URL, for instance because a key holds a blank.
QUrl URLWithBaseString(const QString &base, const QueryParameters &parameters);

// "?k1=v1&k2=v2" (without the "?" when `includeDelimeter` is false): keys as they are, values under the escaping
// rule of URLEscapedString(). No parameters give the empty string, without "?".
QString parameterStringWithParameters(const QueryParameters &parameters, bool includeDelimeter = true);

// The same as URLEscapedString().
QString percentEncodedStringWithString(const QString &string);

// `string` with every "%XX" escape replaced by the characters its UTF-8 bytes spell. A null QString when an escape
// is malformed ("%" not followed by two hexadecimal digits) or the escaped bytes are not valid UTF-8.
QString percentDecodedStringWithString(const QString &string);

} // namespace knvt
