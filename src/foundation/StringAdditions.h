#pragma once

#include <QCollator>
#include <QLocale>
#include <QSet>
#include <QString>

namespace knvt {

// `string` with every character other than an ASCII letter, an ASCII digit, "-", ".", "_", "~" and the ASCII
// apostrophe replaced by its UTF-8 bytes, each written as "%XX" with upper-case hexadecimal digits. This is the one
// escaping rule of the program: query strings, form bodies and percentEncodedStringWithString() all go through it.
QString URLEscapedString(const QString &string);

// `string` without leading and trailing Unicode white space and line breaks.
QString trimmedString(const QString &string);

// The distinct pieces of `string` between occurrences of `separator`. Empty pieces count: "" gives {""} and two
// adjacent separators give "". An empty separator does not split at all and gives {string}.
QSet<QString> componentSetSeparatedByString(const QString &string, const QString &separator);

// True when the whole of `string` is a dotted IPv4 address: four numbers 0-255 of one to three digits each (leading
// zeros allowed), nothing before or after.
bool isIPAddress(const QString &string);

// True when `string` contains an e-mail address anywhere in it ("Anna <anna@example.com>" passes); letters match
// regardless of case.
bool isEmailFormat(const QString &string);

// The collation of every name and title shown in order: case- and accent-insensitive in `locale`. The C and POSIX
// locales (a terminal or a service started without LANG) have no collation of their own and would compare code units,
// capitals first and accented letters last; they take the neutral root collation instead.
QCollator titleCollator(const QLocale &locale);

// titleCollator() for the user's locale, built once: building one per comparison would dominate a sort.
const QCollator &titleCollator();

} // namespace knvt
